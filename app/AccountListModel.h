#pragma once
// The account records in the order they were added, as a two-column table model.

#include "accounts/AccountRecord.h"

#include <QAbstractTableModel>
#include <vector>

namespace veltrona {

class AccountListModel : public QAbstractTableModel {
public:
    enum Column { UserNameColumn, UserHiddenColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const std::vector<AccountRecord>& records() const { return records_; }
    void append(const std::vector<AccountRecord>& records);
    void removeRowsAt(std::vector<int> rows);

private:
    std::vector<AccountRecord> records_;
};

} // namespace veltrona
