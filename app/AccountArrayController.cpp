#include "app/AccountArrayController.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace veltrona {

AccountArrayController::AccountArrayController(QObject* parent)
    : QObject(parent),
      records_(new AccountListModel(this)),
      arranged_(new QSortFilterProxyModel(this)),
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
    // A sortable view sorts at once by its default column; start unsorted, in directory order.
    clearSortDescriptors();
}

QList<AccountRecord> AccountArrayController::arrangedObjects() const
{
    QList<AccountRecord> result;
    const auto& records = records_->records();
    for (int row = 0; row < arranged_->rowCount(); ++row)
        result.append(records.at(arranged_->mapToSource(arranged_->index(row, 0)).row()));
    return result;
}

void AccountArrayController::addObject(const AccountRecord& record)
{
    records_->append({record});
}

void AccountArrayController::addObjects(const QList<AccountRecord>& records)
{
    records_->append(records);
}

void AccountArrayController::removeObjects(const QList<AccountRecord>& records)
{
    QList<int> rows;
    const auto& all = records_->records();
    for (int row = 0; row < all.size(); ++row) {
        if (records.contains(all.at(row)))
            rows.append(row);
    }
    records_->removeRowsAt(rows);
}

void AccountArrayController::removeObjectsAtArrangedObjectIndexes(const QList<int>& indexes)
{
    QList<int> rows;
    for (int index : indexes) {
        if (index >= 0 && index < arranged_->rowCount())
            rows.append(arranged_->mapToSource(arranged_->index(index, 0)).row());
    }
    records_->removeRowsAt(rows);
}

QList<AccountRecord> AccountArrayController::selectedObjects() const
{
    QList<AccountRecord> result;
    const auto& records = records_->records();
    QModelIndexList rows = selection_->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        result.append(records.at(arranged_->mapToSource(index).row()));
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

void AccountArrayController::clearSortDescriptors()
{
    if (tableView_)
        tableView_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    arranged_->sort(-1);
}

} // namespace veltrona
