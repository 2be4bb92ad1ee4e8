#include "app/AccountArrayController.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <algorithm>

namespace veltrona {

namespace {

// Qt reports double clicks on rows only; the empty part below them must reach the action too,
// which then finds no selected account.
class EmptyAreaDoubleClick : public QObject {
public:
    explicit EmptyAreaDoubleClick(QTableView* table) : QObject(table), table_(table) { }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && !table_->indexAt(mouse->position().toPoint()).isValid()) {
                table_->clearSelection();
                Q_EMIT table_->doubleClicked(QModelIndex());
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView* table_;
};

} // namespace

AccountArrayController::AccountArrayController(QObject* parent)
    : QObject(parent), records_(new AccountListModel(this)), arranged_(new QSortFilterProxyModel(this)),
      selection_(new QItemSelectionModel(arranged_, this))
{
    arranged_->setSourceModel(records_);
    arranged_->setSortCaseSensitivity(Qt::CaseInsensitive);
}

void AccountArrayController::attachTableView(QTableView* tableView)
{
    tableView_ = tableView;
    tableView->setModel(arranged_);
    QItemSelectionModel* own = tableView->selectionModel();
    tableView->setSelectionModel(selection_);
    if (own && own != selection_)
        own->deleteLater();
    tableView->horizontalHeader()->setSectionResizeMode(AccountListModel::UserNameColumn, QHeaderView::Stretch);
    tableView->horizontalHeader()->setSectionResizeMode(AccountListModel::UserHiddenColumn,
                                                        QHeaderView::ResizeToContents);
    tableView->viewport()->installEventFilter(new EmptyAreaDoubleClick(tableView));
    // A sortable view sorts at once by its default column; start unsorted, in directory order.
    clearSortDescriptors();
}

std::vector<AccountRecord> AccountArrayController::arrangedObjects() const
{
    std::vector<AccountRecord> result;
    const auto& records = records_->records();
    for (int row = 0; row < arranged_->rowCount(); ++row)
        result.push_back(records.at(arranged_->mapToSource(arranged_->index(row, 0)).row()));
    return result;
}

int AccountArrayController::arrangedCount() const
{
    return arranged_->rowCount();
}

void AccountArrayController::addObject(const AccountRecord& record)
{
    records_->append({record});
}

void AccountArrayController::addObjects(const std::vector<AccountRecord>& records)
{
    records_->append(records);
}

void AccountArrayController::removeObjects(const std::vector<AccountRecord>& records)
{
    std::vector<int> rows;
    const auto& all = records_->records();
    for (int row = 0; row < static_cast<int>(all.size()); ++row) {
        if (std::find(records.begin(), records.end(), all.at(row)) != records.end())
            rows.push_back(row);
    }
    records_->removeRowsAt(rows);
}

void AccountArrayController::removeObjectsAtArrangedObjectIndexes(const std::vector<int>& indexes)
{
    std::vector<int> rows;
    for (int index : indexes) {
        if (index >= 0 && index < arranged_->rowCount())
            rows.push_back(arranged_->mapToSource(arranged_->index(index, 0)).row());
    }
    records_->removeRowsAt(rows);
}

std::vector<AccountRecord> AccountArrayController::selectedObjects() const
{
    std::vector<AccountRecord> result;
    const auto& records = records_->records();
    QModelIndexList rows = selection_->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        result.push_back(records.at(arranged_->mapToSource(index).row()));
    return result;
}

bool AccountArrayController::setSelectionIndex(int index)
{
    if (index < 0 || index >= arranged_->rowCount())
        return false;
    const QModelIndex row = arranged_->index(index, 0);
    selection_->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

void AccountArrayController::scrollRowToVisible(int index)
{
    if (tableView_ && index >= 0 && index < arranged_->rowCount())
        tableView_->scrollTo(arranged_->index(index, 0));
}

void AccountArrayController::clearSortDescriptors()
{
    if (tableView_)
        tableView_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    arranged_->sort(-1);
}

} // namespace veltrona
