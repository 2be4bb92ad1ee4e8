// What the account sheets accept: the entry filter as the user types or pastes, and the order in
// which the fields are checked.

#include "accounts/AccountEntry.h"
#include "accounts/EntryFilter.h"

#include <gtest/gtest.h>

#include <tuple>

namespace veltrona::test {
namespace {

TEST(EntryFilter, KeepsLettersMarksAndDigitsOfAnyScript)
{
    const struct {
        const char* name;
        std::u16string typed;
        bool lowerCase;
        std::u16string kept;
        std::size_t beeps;
    } cases[] = {
        {"upper case and a hyphen", u"B-", true, u"b", 1},
        {"three pasted marks", u"a.b,c!d", true, u"abcd", 3},
        {"letters outside ASCII", u"J\u00DCRGEN\u00C9", true, u"j\u00FCrgen\u00E9", 0},
        {"combining mark stays", u"e\u0301", true, u"e\u0301", 0},
        {"outside the BMP: two units, two beeps", u"a\U0001F600b", true, u"ab", 2},
        {"digits of other scripts", u"x\u0663\u096A", true, u"x\u0663\u096A", 0},
        {"blank, tab and line end", u"a b\tc\nd", true, u"abcd", 3},
        {"full lower-case mapping", u"\u0130", true, u"i\u0307", 0},
        {"the secret keeps its case", u"AbC-1", false, u"AbC1", 1},
        {"empty", u"", true, u"", 0},
    };
    for (const auto& c : cases) {
        const FilteredEntry filtered = filterEntry(c.typed, c.lowerCase);
        EXPECT_EQ(filtered.text, c.kept) << c.name;
        EXPECT_EQ(filtered.dropped, c.beeps) << c.name;
    }
}

TEST(AccountEntry, NewAccountFieldsAreCheckedInOrderAndWrittenBackStripped)
{
    const struct {
        const char* name;
        NewAccountEntry typed;
        bool creating;
        std::optional<EntryProblem> problem;
        NewAccountEntry after;
    } cases[] = {
        {"all empty: the name, the rest untouched",
         {"", " pw ", ""},
         true,
         EntryProblem{"Entry fields cannot be empty.", EntryField::Name},
         {"", " pw ", ""}},
        {"blank password",
         {" bob ", " \t", "x"},
         true,
         EntryProblem{"Entry fields cannot be empty.", EntryField::Password},
         {"bob", "", "x"}},
        {"empty repetition",
         {"bob", "pw", "\u00A0"},
         true,
         EntryProblem{"Entry fields cannot be empty.", EntryField::Verify},
         {"bob", "pw", ""}},
        {"differ in case",
         {"bob", "Secret", "secret"},
         true,
         EntryProblem{"Passwords do not match.", EntryField::Password},
         {"bob", "Secret", "secret"}},
        {"equal once stripped",
         {"bob", " two words ", "two words\t"},
         true,
         std::nullopt,
         {"bob", "two words", "two words"}},
        {"not creating: no comparison", {"bob", "a", "b"}, false, std::nullopt, {"bob", "a", "b"}},
    };
    for (const auto& c : cases) {
        NewAccountEntry entry = c.typed;
        EXPECT_EQ(checkNewAccountEntry(entry, c.creating), c.problem) << c.name;
        EXPECT_EQ(entry.name, c.after.name) << c.name;
        EXPECT_EQ(entry.password, c.after.password) << c.name;
        EXPECT_EQ(entry.verify, c.after.verify) << c.name;
    }
}

// Issue 17: reset strips blanks at the ends as creation does, so the same typing gives the same password.
TEST(AccountEntry, ResetStripsPasswordsAsCreationDoes)
{
    const auto reset = [](std::string password, std::string verify) {
        std::optional<EntryProblem> problem = checkPasswordReset(password, verify);
        return std::tuple(problem, password, verify);
    };
    const auto empty = [](EntryField field) { return EntryProblem{"Password fields cannot be empty.", field}; };
    const EntryProblem differ{"Passwords do not match.", EntryField::Password};
    EXPECT_EQ(reset("", "x"), std::tuple(empty(EntryField::Password), "", "x"));
    EXPECT_EQ(reset("x", " \t"), std::tuple(empty(EntryField::Verify), "x", ""));
    EXPECT_EQ(reset("Pw", "pw"), std::tuple(differ, "Pw", "pw"));
    EXPECT_EQ(reset(" pw", "pw "), std::tuple(std::nullopt, "pw", "pw"));
    EXPECT_EQ(reset(" in side ", "in side"), std::tuple(std::nullopt, "in side", "in side"));
    EXPECT_EQ(reset("p w", "pw"), std::tuple(differ, "p w", "pw"));
}

// Issue 17: what would not reach the directory as it stands is refused, whatever road it came by.
TEST(AccountEntry, NamesAndPasswordsThatCannotReachTheDirectoryUnchanged)
{
    const EntryProblem filtered{"An account name may hold only lower-case letters, marks and digits.",
                                EntryField::Name};
    const EntryProblem longName{"The Account Name is longer than 64 characters.", EntryField::Name};
    const struct {
        std::string name;
        std::optional<EntryProblem> problem;
    } names[] = {
        {"alice", std::nullopt},
        {"j\xC3\xBCrgen42", std::nullopt},
        {std::string(64, 'a'), std::nullopt},
        {"a\xD0", filtered}, // not UTF-8
        {"root x", filtered},
        {"Alice", filtered},
        {"x;id", filtered},
        {std::string("a\0b", 3), filtered},
        {std::string(65, 'a'), longName},
        {std::string(250, 'a'), longName},
    };
    for (const auto& c : names)
        EXPECT_EQ(checkAccountName(c.name), c.problem) << c.name;
    // 64 two-byte letters are 64 characters.
    std::string cyrillic;
    for (int i = 0; i < 64; ++i)
        cyrillic += "\xD0\xB0";
    EXPECT_EQ(checkAccountName(cyrillic), std::nullopt);
    EXPECT_EQ(checkAccountName(cyrillic + "a"), longName);

    const EntryProblem nul{"A password cannot hold a NUL character.", EntryField::Password};
    const EntryProblem longPassword{"The password is longer than 1024 characters.", EntryField::Password};
    EXPECT_EQ(checkPasswordText(std::string(1024, 'x')), std::nullopt);
    EXPECT_EQ(checkPasswordText(" it's $(id) \"q\" "), std::nullopt);
    EXPECT_EQ(checkPasswordText(std::string("pw\0rest", 7)), nul);
    EXPECT_EQ(checkPasswordText(std::string(1025, 'x')), longPassword);
    EXPECT_EQ(checkPasswordText(std::string(200 * 1024, 'x')), longPassword);
}

} // namespace
} // namespace veltrona::test
