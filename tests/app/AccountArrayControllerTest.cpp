// The account list's array controller: arranged order under the user's sorting, selection, and
// removal by record and by arranged position.
#include "app/AccountArrayController.h"
#include "tests/app/QtPrinting.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

AccountRecord account(const char* name, const char* hidden = "1")
{
    return {name, hidden};
}

using Names = std::vector<std::string>;

Names latin(std::initializer_list<const char*> texts)
{
    return Names(texts.begin(), texts.end());
}

Names names(const std::vector<AccountRecord>& records)
{
    Names result;
    for (const AccountRecord& record : records)
        result.push_back(record.userName);
    return result;
}

class Accounts : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller.attachTableView(&table);
        controller.addObjects({account("zoe"), account("adam", "0"), account("mia")});
    }
    QTableView table;
    AccountArrayController controller;
};

TEST_F(Accounts, StartUnsortedInTheOrderAdded)
{
    EXPECT_EQ(names(controller.arrangedObjects()), latin({"zoe", "adam", "mia"}));
    EXPECT_EQ(table.horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(table.model()->data(table.model()->index(1, 1)).toString(), QStringLiteral("No"));
}

TEST_F(Accounts, UserSortingChangesTheArrangementUntilTheDescriptorsAreCleared)
{
    table.sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(names(controller.arrangedObjects()), latin({"adam", "mia", "zoe"}));
    controller.addObject(account("bob"));
    EXPECT_EQ(names(controller.arrangedObjects()), latin({"adam", "bob", "mia", "zoe"}));

    controller.clearSortDescriptors();
    EXPECT_EQ(names(controller.arrangedObjects()), latin({"zoe", "adam", "mia", "bob"}));
}

TEST_F(Accounts, SelectionFollowsArrangedPositions)
{
    table.sortByColumn(0, Qt::DescendingOrder); // zoe, mia, adam
    ASSERT_TRUE(controller.setSelectionIndex(2));
    EXPECT_EQ(controller.selectedObjects(), std::vector<AccountRecord>{account("adam", "0")});
    EXPECT_FALSE(controller.setSelectionIndex(3));
    EXPECT_FALSE(controller.setSelectionIndex(-1));
}

TEST_F(Accounts, RemovingSelectedRecordsAndArrangedPositions)
{
    controller.setSelectionIndex(0);
    controller.removeObjects(controller.selectedObjects());
    EXPECT_EQ(names(controller.arrangedObjects()), latin({"adam", "mia"}));
    const Names selected = names(controller.selectedObjects());
    EXPECT_EQ(std::count(selected.begin(), selected.end(), "zoe"), 0);

    controller.addObjects({account("bob"), account("eve")});
    table.sortByColumn(0, Qt::AscendingOrder); // adam, bob, eve, mia
    controller.removeObjectsAtArrangedObjectIndexes({1, 3, 7});
    EXPECT_EQ(names(controller.arrangedObjects()), latin({"adam", "eve"}));
    controller.removeObjectsAtArrangedObjectIndexes({0, 1});
    EXPECT_TRUE(controller.arrangedObjects().empty());
}

} // namespace
} // namespace veltrona::test
