#pragma once
// Checking what was typed into the new-account and the password-reset sheets, in the order the
// user reads the fields: the first failure wins, with its message and the field to focus.

#include <optional>
#include <string>

namespace veltrona {

inline constexpr const char* kEntryFieldsEmptyMessage = "Entry fields cannot be empty.";
inline constexpr const char* kPasswordsDoNotMatchMessage = "Passwords do not match.";
inline constexpr const char* kAccountNameUsedMessage = "Account Name is used by another user.";
inline constexpr const char* kNoFreeUserIDMessage = "No free VPN user ID is left (401\u2013499).";
inline constexpr const char* kPasswordFieldsEmptyMessage = "Password fields cannot be empty.";

enum class EntryField { Name, Password, Verify };

struct EntryProblem {
    std::string message;
    EntryField field;
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

// The reset sheet's two password fields, taken as typed: blanks at the ends belong to a password.
std::optional<EntryProblem> checkPasswordReset(const std::string& password, const std::string& verify);

} // namespace veltrona
