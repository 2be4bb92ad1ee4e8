#include "app/AccountListModel.h"

#include <algorithm>
#include <functional>

namespace veltrona {

int AccountListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int AccountListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AccountListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(records_.size()))
        return {};
    const AccountRecord& record = records_.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        if (index.column() == UserNameColumn)
            return QString::fromStdString(record.userName);
        return record.userHidden == "1" ? tr("Yes") : tr("No");
    }
    return {};
}

QVariant AccountListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == UserNameColumn ? tr("Account Name") : tr("VPN Only");
}

void AccountListModel::append(const std::vector<AccountRecord>& records)
{
    if (records.empty())
        return;
    const int first = static_cast<int>(records_.size());
    beginInsertRows({}, first, first + static_cast<int>(records.size()) - 1);
    records_.insert(records_.end(), records.begin(), records.end());
    endInsertRows();
}

void AccountListModel::removeRowsAt(std::vector<int> rows)
{
    // From the bottom up, so the rows still to remove keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= static_cast<int>(records_.size()))
            continue;
        beginRemoveRows({}, row, row);
        records_.erase(records_.begin() + row);
        endRemoveRows();
    }
}

} // namespace veltrona
