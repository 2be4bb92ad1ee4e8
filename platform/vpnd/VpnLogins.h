#pragma once
// Who may log in to the VPN: the directory's VPN users (ids 401-499, shell /usr/bin/false, no
// administrator), each with the SMB-NT hash MS-CHAPv2 checks against. Read afresh at every login,
// so an account created, re-passworded or deleted counts from the next connection on.

#include "platform/emulated/NtHash.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

struct VpnLogin {
    std::string name;
    std::optional<NtHash> ntHash; // none: set before the directory kept one; no login until reset
};

// The VPN user of that record name (letter case as the directory ignores it); nothing for any
// other record, an administrator or a name that is no record.
std::optional<VpnLogin> findVpnLogin(const std::filesystem::path& platformRoot, std::string_view name);

// Every VPN user, for the start-up check.
std::vector<VpnLogin> allVpnLogins(const std::filesystem::path& platformRoot);

} // namespace veltrona
