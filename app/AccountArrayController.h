#pragma once
// userAccountsController: NSArrayController's part that the account table needs. It owns the
// records, their arranged (possibly user-sorted) order and the selection, and feeds the table.

#include "app/AccountListModel.h"
#include "app/AccountRecord.h"

#include <QList>
#include <QObject>

class QItemSelectionModel;
class QSortFilterProxyModel;
class QTableView;

namespace veltrona {

class AccountArrayController : public QObject {
public:
    explicit AccountArrayController(QObject* parent = nullptr);

    // Shows the arranged records in the table and shares the selection with it.
    void attachTableView(QTableView* tableView);

    // The records in the order the table shows them.
    QList<AccountRecord> arrangedObjects() const;
    void addObject(const AccountRecord& record);
    void addObjects(const QList<AccountRecord>& records);
    // Removes every record equal to one of the given records.
    void removeObjects(const QList<AccountRecord>& records);
    // Removes the records at these arranged positions.
    void removeObjectsAtArrangedObjectIndexes(const QList<int>& indexes);

    QList<AccountRecord> selectedObjects() const;
    // Selects the record at an arranged position; false when there is none.
    bool setSelectionIndex(int index);

    // The table's setSortDescriptors: with none: the records stand in the order they were added.
    void clearSortDescriptors();

    QSortFilterProxyModel* arrangedModel() const { return arranged_; }
    QItemSelectionModel* selectionModel() const { return selection_; }

private:
    AccountListModel* records_;
    QSortFilterProxyModel* arranged_;
    QItemSelectionModel* selection_;
    QTableView* tableView_ = nullptr;
};

} // namespace veltrona
