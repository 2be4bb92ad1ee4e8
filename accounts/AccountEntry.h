#pragma once
// Checking what was typed into the new-account and the password-reset sheets, in the order the
// user reads the fields: the first failure wins, with its message and the field to focus.

#include <cstddef>
#include <optional>
#include <string>

namespace veltrona {

inline constexpr const char* kEntryFieldsEmptyMessage = "Entry fields cannot be empty.";
inline constexpr const char* kPasswordsDoNotMatchMessage = "Passwords do not match.";
inline constexpr const char* kAccountNameUsedMessage = "Account Name is used by another user.";
inline constexpr const char* kNoFreeUserIDMessage = "No free VPN user ID is left (401\u2013499).";
inline constexpr const char* kPasswordFieldsEmptyMessage = "Password fields cannot be empty.";
inline constexpr const char* kAccountNameFilteredMessage =
    "An account name may hold only lower-case letters, marks and digits.";
inline constexpr const char* kAccountNameConfusableMessage = "The Account Name looks like an existing account's name.";
inline constexpr const char* kPasswordHoldsNulMessage = "A password cannot hold a NUL character.";
inline constexpr const char* kAccountNotCreatedMessage = "The VPN account could not be created.";
inline constexpr const char* kPasswordNotChangedMessage = "The password could not be changed.";

// Longer names and passwords are refused before anything runs: a name becomes a file name in the
// directory, a password one command-line argument of sh and dscl. Counted in characters (Unicode
// code points).
inline constexpr std::size_t kMaxAccountNameLength = 64;
inline constexpr std::size_t kMaxPasswordLength = 1024;

enum class EntryField { Name, Password, Verify };

struct EntryProblem {
    std::string message;
    EntryField field;
    // The platform did not do what it was asked, rather than the entry being refused.
    bool platformFailed = false;
    bool operator==(const EntryProblem&) const = default;
};

// The new-account sheet's three fields, UTF-8.
struct NewAccountEntry {
    std::string name;
    std::string password;
    std::string verify;
};

// Strips white space from both ends of name, password and repetition in that order, stopping at
// the first that ends up empty (the fields after it stay as typed); then, when `creating`,
// compares the passwords. `entry` holds the stripped texts to write back into the fields.
std::optional<EntryProblem> checkNewAccountEntry(NewAccountEntry& entry, bool creating);

// The reset sheet's two password fields, stripped at both ends as creation strips them (the
// stripped texts are left in `password` and `verify` to write back), then compared.
std::optional<EntryProblem> checkPasswordReset(std::string& password, std::string& verify);

// Whether the name may become an account as it stands, whatever road it came by: the entry filter
// would leave it unchanged (no character dropped, nothing lower-cased) and it is not too long.
std::optional<EntryProblem> checkAccountName(const std::string& name);
// Whether the password reaches the directory unchanged: no NUL, which would end the argument
// early, and not longer than the limit.
std::optional<EntryProblem> checkPasswordText(const std::string& password);

} // namespace veltrona
