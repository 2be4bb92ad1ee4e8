// The account table as the window fills it: reloads clear a sort and show the directory as it is
// now; a listing that cannot be read leaves an empty table.
#include "tests/app/AccountWindow.h"
#include "tests/support/ProcessRun.h"

#include <QHeaderView>
#include <QTableView>

namespace veltrona::test {
namespace {

using AccountList = AccountWindow;

TEST_F(AccountList, AReloadDropsTheSortAndShowsTheDirectoryAsItIsNow)
{
    addVpnUser("zoe", 401);
    addVpnUser("adam", 402);
    addVpnUser("mia", 403);
    addVpnUser("carl", 450, "vpn-user"); // not a VPN user
    window->loadUserAccountsArray();
    const std::vector<std::string> directoryOrder = listed(); // the stand-in lists by name
    EXPECT_EQ(directoryOrder, (std::vector<std::string>{"adam", "mia", "zoe"}));

    window->userAccountsTableView->sortByColumn(0, Qt::DescendingOrder);
    ASSERT_EQ(listed(), (std::vector<std::string>{"zoe", "mia", "adam"}));
    window->loadUserAccountsArray();
    EXPECT_EQ(listed(), directoryOrder) << "twice loaded, no duplicates, unsorted";
    EXPECT_EQ(window->userAccountsTableView->horizontalHeader()->sortIndicatorSection(), -1);

    // Deleted behind the window's back with the stand-in dscl.
    const ProcessRun deleted = runProgram((bed.platform.root() / "usr/bin/dscl").string(),
                                          {".", "-delete", "/Users/mia"}, bed.platform.environment());
    ASSERT_EQ(deleted.exitStatus, 0) << deleted.err;
    EXPECT_EQ(listed(), directoryOrder) << "not read back until the next reload";
    window->loadUserAccountsArray();
    EXPECT_EQ(listed(), (std::vector<std::string>{"adam", "zoe"}));
}

TEST(WindowAccountList, AListingThatCannotBeReadGivesAnEmptyTable)
{
    AppTestBed bed; // commands recorded, each answered as queued
    WindowController& window = bed.makeController();
    window.userAccountsController->addObjects({{"old", "1"}});
    for (const char* printed : {"", "dscl: DS Error: -14009 (eDSUnknownNodeName)", "<plist><dict/></plist>",
                                "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string>"}) {
        SCOPED_TRACE(printed);
        bed.recorder.queueResult(printed);
        window.loadUserAccountsArray();
        EXPECT_EQ(window.userAccountsController->arrangedCount(), 0);
    }
    EXPECT_FALSE(bed.log.lines.empty()) << "why the table is empty is logged";
}

} // namespace
} // namespace veltrona::test
