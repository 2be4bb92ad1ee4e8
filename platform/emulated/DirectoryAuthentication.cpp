#include "platform/emulated/DirectoryAuthentication.h"

#include "platform/emulated/PasswordHash.h"

#include <algorithm>

namespace veltrona {

std::vector<Record> usersForLoginName(const Directory& directory, std::string_view loginName)
{
    std::vector<Record> users;
    if (loginName.empty())
        return users;
    if (isValidRecordName(loginName)) {
        Directory::Lookup lookup = directory.find(RecordType::Users, loginName);
        if (lookup.record) {
            users.push_back(std::move(*lookup.record));
            return users;
        }
    }
    for (Record& user : directory.list(RecordType::Users).records) {
        const std::vector<std::string> fullNames = user.values("realname");
        if (std::find(fullNames.begin(), fullNames.end(), loginName) != fullNames.end())
            users.push_back(std::move(user));
    }
    return users;
}

bool userPasswordMatches(const Record& user, std::string_view password)
{
    for (const std::string& authority : user.values("authentication_authority")) {
        if (authority.find(";DisabledUser;") != std::string::npos)
            return false;
    }
    std::optional<PlistData> shadow = user.firstData("ShadowHashData");
    return shadow && shadowHashMatches(*shadow, password);
}

bool isGroupMember(const Directory& directory, const Record& user, std::string_view groupName)
{
    Directory::Lookup group = directory.find(RecordType::Groups, groupName);
    if (!group.record)
        return false;
    const std::vector<std::string> members = group.record->values("users");
    for (const std::string& name : user.names()) {
        if (std::find(members.begin(), members.end(), name) != members.end())
            return true;
    }
    std::optional<std::string> groupId = group.record->firstValue("gid");
    std::optional<std::string> primaryGroupId = user.firstValue("gid");
    return groupId && primaryGroupId && !groupId->empty() && *groupId == *primaryGroupId;
}

std::optional<Record> authenticateUser(const Directory& directory, std::string_view loginName,
                                       std::string_view password, std::string_view requiredGroup)
{
    for (Record& user : usersForLoginName(directory, loginName)) {
        if (!userPasswordMatches(user, password))
            continue;
        if (!requiredGroup.empty() && !isGroupMember(directory, user, requiredGroup))
            continue;
        return std::move(user);
    }
    return std::nullopt;
}

} // namespace veltrona
