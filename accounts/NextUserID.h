#pragma once
// The UniqueID the creation script will give a new account, worked out beforehand from the same
// listing, so that an id outside the VPN range or already taken is refused before anything runs.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace veltrona {

// What the script computes from the lines of "dscl . -list /Users UniqueID": of the lines holding
// a "4" and two digits anywhere, the largest second field plus one, or 401 without such a line.
// Nothing when the script would not arrive at a whole number.
std::optional<long long> scriptUniqueID(std::string_view uniqueIDListing);

// Record name -> every UniqueID the listing gives it.
std::map<std::string, std::set<long long>> idsByRecord(std::string_view uniqueIDListing);

// The script's id when it lies in 401-499 and no listed account has it; otherwise nothing.
std::optional<int> nextVPNUserID(std::string_view uniqueIDListing);

// The id a new account gets. The script's own when it may be used; otherwise, since its rule
// stumbles over ids that merely hold a "4" and two digits and never reuses a freed id, the
// lowest id of 401-499 that no listed record has, which the script is then given.
struct ChosenUserID {
    int id = 0;
    bool givenToScript = false;
    bool operator==(const ChosenUserID&) const = default;
};
// Nothing when every id of 401-499 is taken.
std::optional<ChosenUserID> chooseVPNUserID(std::string_view uniqueIDListing);

} // namespace veltrona
