// What the account sheets accept: the entry filter as the user types or pastes, and the order in
// which the fields are checked.

#include "accounts/AccountEntry.h"
#include "accounts/EntryFilter.h"

#include <gtest/gtest.h>

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

TEST(AccountEntry, ResetTakesPasswordsAsTyped)
{
    const auto empty = [](EntryField field) { return EntryProblem{"Password fields cannot be empty.", field}; };
    EXPECT_EQ(checkPasswordReset("", "x"), empty(EntryField::Password));
    EXPECT_EQ(checkPasswordReset("x", ""), empty(EntryField::Verify));
    EXPECT_EQ(checkPasswordReset("Pw", "pw"), (EntryProblem{"Passwords do not match.", EntryField::Password}));
    EXPECT_EQ(checkPasswordReset(" pw", " pw"), std::nullopt);
    EXPECT_EQ(checkPasswordReset(" pw", "pw"), (EntryProblem{"Passwords do not match.", EntryField::Password}));
}

} // namespace
} // namespace veltrona::test
