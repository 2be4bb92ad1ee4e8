#pragma once
// userAccountsController: NSArrayController's part that the account table needs. It owns the
// records, their arranged (possibly user-sorted) order and the selection, and feeds the table.

#include "accounts/AccountRecord.h"
#include "app/AccountListModel.h"

#include <QObject>

#include <vector>

class QItemSelectionModel;
class QSortFilterProxyModel;
class QTableView;

namespace veltrona {

class AccountArrayController : public QObject {
public:
    explicit AccountArrayController(QObject* parent = nullptr);

    // Shows the arranged records in the table and shares the selection with it. A double click on
    // the table's empty part reaches the table's doubleClicked with no index, as NSTableView's
    // double action fires wherever the user double-clicks.
    void attachTableView(QTableView* tableView);

    // The records in the order the table shows them.
    std::vector<AccountRecord> arrangedObjects() const;
    int arrangedCount() const;
    void addObject(const AccountRecord& record);
    void addObjects(const std::vector<AccountRecord>& records);
    // Removes every record equal to one of the given records.
    void removeObjects(const std::vector<AccountRecord>& records);
    // Removes the records at these arranged positions.
    void removeObjectsAtArrangedObjectIndexes(const std::vector<int>& indexes);

    std::vector<AccountRecord> selectedObjects() const;
    // Selects the record at an arranged position; false when there is none.
    bool setSelectionIndex(int index);
    // The table's scrollRowToVisible: for an arranged position.
    void scrollRowToVisible(int index);

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
