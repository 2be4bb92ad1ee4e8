#pragma once
// What one client profile is made of besides its template.

#include <optional>
#include <string>

namespace veltrona {

struct ProfileUuids {
    std::string payload;
    std::string profile;
};

// Two new random UUIDs, the payload's made first.
ProfileUuids freshProfileUuids();

struct ProfileInput {
    std::string vpnType;      // "L2TP" or "PPTP"
    std::string host;         // the server's public host name or address, as typed
    std::string sharedSecret; // as typed
    std::string userName;     // the selected account; empty when none is selected
    // The password just typed (the profile written after creating or re-passwording an account);
    // nothing for a profile saved on request, which carries an empty password.
    std::optional<std::string> password;
    ProfileUuids uuids = freshProfileUuids();
};

} // namespace veltrona
