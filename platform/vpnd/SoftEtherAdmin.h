#pragma once
// SoftEther's administration as vpnd needs it: who is connected, and ending a user's sessions.
// JSON-RPC over HTTPS on loopback, the server's certificate pinned to the one made for this start.

#include "platform/vpnd/AdminChannel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace httplib {
class SSLClient;
}

namespace veltrona {

struct VpnSession {
    std::string user;
    std::string remoteAddress;     // the client's outer address
    std::string tunnelAddress;     // in the client range; empty until its lease is given
    std::int64_t connectedSince = 0; // Unix time
    std::uint64_t bytesIn = 0;     // from the client
    std::uint64_t bytesOut = 0;    // to the client
    std::string id;                // SoftEther's session name
};

template <typename T> using AdminResult = std::variant<T, std::string>; // the value, or why not

class SoftEtherAdmin {
public:
    explicit SoftEtherAdmin(const AdminChannel& channel);
    ~SoftEtherAdmin();
    SoftEtherAdmin(const SoftEtherAdmin&) = delete;
    SoftEtherAdmin& operator=(const SoftEtherAdmin&) = delete;

    AdminResult<std::vector<VpnSession>> sessions();
    // Ends one session by its id.
    AdminResult<bool> end(const std::string& id);

private:
    struct Answer {
        std::string body;
        std::string failure; // empty when the call was answered
    };
    Answer call(const std::string& method, const std::string& params);

    AdminChannel channel_;
    std::unique_ptr<httplib::SSLClient> client_;
};

// Whether nothing listens at the channel's port: the server behind it has ended.
bool refusedConnection(const std::string& reason);

} // namespace veltrona
