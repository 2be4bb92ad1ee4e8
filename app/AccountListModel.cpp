#include "app/AccountListModel.h"

#include <algorithm>

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
    if (!index.isValid() || index.row() >= records_.size())
        return {};
    const AccountRecord& record = records_.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        if (index.column() == UserNameColumn)
            return record.userName;
        return record.userHidden == QStringLiteral("1") ? tr("Yes") : tr("No");
    }
    return {};
}

QVariant AccountListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == UserNameColumn ? tr("Account Name") : tr("VPN Only");
}

void AccountListModel::append(const QList<AccountRecord>& records)
{
    if (records.isEmpty())
        return;
    const int first = static_cast<int>(records_.size());
    beginInsertRows({}, first, first + static_cast<int>(records.size()) - 1);
    records_.append(records);
    endInsertRows();
}

void AccountListModel::removeRowsAt(QList<int> rows)
{
    // From the bottom up, so the rows still to remove keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= records_.size())
            continue;
        beginRemoveRows({}, row, row);
        records_.removeAt(row);
        endRemoveRows();
    }
}

} // namespace veltrona
