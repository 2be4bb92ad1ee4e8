#include "platform/emulated/RecordAttributeNames.h"

#include <array>
#include <utility>

namespace veltrona {

namespace {

// Standard name -> dslocal key, for the attributes user and group records carry.
constexpr std::array<std::pair<std::string_view, std::string_view>, 15> kStandardKeys{{
    {"RecordName", "name"},
    {"RealName", "realname"},
    {"UniqueID", "uid"},
    {"PrimaryGroupID", "gid"},
    {"UserShell", "shell"},
    {"NFSHomeDirectory", "home"},
    {"GroupMembership", "users"},
    {"GroupMembers", "groupmembers"},
    {"AuthenticationAuthority", "authentication_authority"},
    {"GeneratedUID", "generateduid"},
    {"Password", "passwd"},
    {"Comment", "comment"},
    {"Picture", "picture"},
    {"NestedGroups", "nestedgroups"},
    {"AuthenticationHint", "hint"},
}};

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::string nativeKeyForAttribute(std::string_view attribute)
{
    if (startsWith(attribute, kNativeAttributePrefix))
        return std::string(attribute.substr(kNativeAttributePrefix.size()));
    std::string_view standard = attribute;
    if (startsWith(standard, kStandardAttributePrefix))
        standard.remove_prefix(kStandardAttributePrefix.size());
    for (const auto& [name, key] : kStandardKeys) {
        if (name == standard)
            return std::string(key);
    }
    return std::string(attribute);
}

std::string fullAttributeName(std::string_view nativeKey)
{
    for (const auto& [name, key] : kStandardKeys) {
        if (key == nativeKey)
            return std::string(kStandardAttributePrefix) + std::string(name);
    }
    return std::string(kNativeAttributePrefix) + std::string(nativeKey);
}

std::string displayAttributeName(std::string_view nativeKey)
{
    std::string full = fullAttributeName(nativeKey);
    if (startsWith(full, kStandardAttributePrefix))
        return full.substr(kStandardAttributePrefix.size());
    return full;
}

} // namespace veltrona
