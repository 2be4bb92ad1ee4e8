#pragma once
// Checking a user's name and password against the emulated directory, as a login does.

#include "platform/emulated/Directory.h"
#include "platform/emulated/Record.h"

#include <optional>
#include <string_view>
#include <vector>

namespace veltrona {

// The users a login name may stand for: the record with that record name (letter case ignored),
// else every user whose full name (RealName) is exactly that text.
std::vector<Record> usersForLoginName(const Directory& directory, std::string_view loginName);

// The record's ShadowHashData holds this password and the account is not disabled.
bool userPasswordMatches(const Record& user, std::string_view password);

// A member through the group's GroupMembership list or through the user's PrimaryGroupID.
bool isGroupMember(const Directory& directory, const Record& user, std::string_view groupName);

// The user whose password matches, and who is a member of `requiredGroup` unless it is empty.
std::optional<Record> authenticateUser(const Directory& directory, std::string_view loginName,
                                       std::string_view password, std::string_view requiredGroup);

} // namespace veltrona
