#include "platform/vpnd/VpnLogins.h"

#include "foundation/Text.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"

namespace veltrona {

namespace {

constexpr int kFirstVpnUserId = 401;
constexpr int kLastVpnUserId = 499;

std::optional<VpnLogin> loginFor(const Directory& directory, const Record& user)
{
    const std::optional<std::string> id = user.firstValue("uid");
    const int uniqueId = id ? intValue(*id) : 0;
    if (uniqueId < kFirstVpnUserId || uniqueId > kLastVpnUserId || user.firstValue("shell") != "/usr/bin/false")
        return std::nullopt;
    if (isGroupMember(directory, user, "admin"))
        return std::nullopt;
    VpnLogin login{user.primaryName(), std::nullopt};
    if (const std::optional<PlistData> shadow = user.firstData("ShadowHashData"))
        login.ntHash = ntHashIn(*shadow);
    return login;
}

} // namespace

std::optional<VpnLogin> findVpnLogin(const std::filesystem::path& platformRoot, std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    const Directory directory(platformRoot);
    const Directory::Lookup found = directory.find(RecordType::Users, name);
    if (!found.record)
        return std::nullopt;
    return loginFor(directory, *found.record);
}

std::vector<VpnLogin> allVpnLogins(const std::filesystem::path& platformRoot)
{
    const Directory directory(platformRoot);
    std::vector<VpnLogin> logins;
    for (const Record& user : directory.list(RecordType::Users).records)
        if (std::optional<VpnLogin> login = loginFor(directory, user))
            logins.push_back(std::move(*login));
    return logins;
}

} // namespace veltrona
