// The user defaults: initial values, stored texts, integer reading, and a damaged file.
#include "app/UserDefaults.h"
#include "foundation/PlistIO.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <fstream>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(UserDefaults, StoredValuesWinOverInitialOnesAndLastAcrossLaunches)
{
    TempDir folder;
    const auto file = folder / "Library/Preferences/app.plist";
    {
        UserDefaults defaults(file);
        defaults.registerInitialValues({{"savePath", "~"}, {"saveMobileConfigFile", "0"}});
        EXPECT_EQ(defaults.stringForKey("savePath"), "~");
        EXPECT_EQ(defaults.stringForKey("unknown"), "");
        ASSERT_TRUE(defaults.setStringForKey("saveMobileConfigFile", "1").ok());
        ASSERT_TRUE(defaults.setStringForKey("savePath", "/Users/admin/Desktop").ok());
    }
    UserDefaults again(file);
    again.registerInitialValues({{"savePath", "~"}, {"saveMobileConfigFile", "0"}});
    EXPECT_EQ(again.stringForKey("savePath"), "/Users/admin/Desktop");
    EXPECT_EQ(again.integerForKey("saveMobileConfigFile"), 1);
}

TEST(UserDefaults, IntegersAreReadAsFoundationReadsText)
{
    struct Case {
        const char* text;
        int value;
    };
    TempDir folder;
    UserDefaults defaults(folder / "d.plist");
    for (const Case& c : {Case{"1", 1}, Case{"0", 0}, Case{" 7", 7}, Case{"yes", 0}, Case{"", 0}, Case{"-2x", -2}}) {
        defaults.setStringForKey("flag", c.text);
        EXPECT_EQ(defaults.integerForKey("flag"), c.value) << '"' << c.text << '"';
    }
}

TEST(UserDefaults, ValuesStoredInOtherFormsReadAsText)
{
    TempDir folder;
    PlistDictionary stored;
    stored.set("number", PlistValue(std::int64_t{1}));
    stored.set("flag", PlistValue(true));
    stored.set("text", PlistValue("0"));
    ASSERT_TRUE(writePlistAtomically(stored, folder / "d.plist").ok());

    UserDefaults defaults(folder / "d.plist");
    EXPECT_EQ(defaults.stringForKey("number"), "1");
    EXPECT_EQ(defaults.stringForKey("flag"), "1");
    EXPECT_EQ(defaults.stringForKey("text"), "0");
}

TEST(UserDefaults, ADamagedFileIsSetAsideNotOverwritten)
{
    TempDir folder;
    const auto file = folder / "d.plist";
    std::ofstream(file) << "<plist><dict><key>savePath";

    UserDefaults defaults(file);
    defaults.registerInitialValues({{"savePath", "~"}});
    EXPECT_EQ(defaults.stringForKey("savePath"), "~");
    ASSERT_TRUE(defaults.setStringForKey("saveMobileConfigFile", "1").ok());

    EXPECT_EQ(readText(folder / "d.plist.unreadable"), "<plist><dict><key>savePath");
    EXPECT_EQ(UserDefaults(file).stringForKey("saveMobileConfigFile"), "1");
}

} // namespace
} // namespace veltrona::test
