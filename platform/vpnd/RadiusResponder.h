#pragma once
// The RADIUS server (RFC 2865, Microsoft attributes of RFC 2548) SoftEther asks on loopback for
// every login: it checks MS-CHAPv2 against the directory, so SoftEther holds no user list and no
// plain password ever reaches it.

#include "platform/emulated/MsChapV2.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

// The authenticator response for a right answer; nothing to refuse the login.
using MsChapV2Check = std::function<std::optional<std::string>(const MsChapV2Exchange&)>;

// The reply to one datagram: Access-Accept carrying MS-CHAP2-Success, or Access-Reject; nothing
// for a datagram that is no well-formed MS-CHAPv2 Access-Request.
std::optional<std::string> radiusAnswer(std::string_view request, std::string_view secret, const MsChapV2Check& check);

class RadiusResponder {
public:
    // Binds a free UDP port on 127.0.0.1; port() is 0 when that failed.
    explicit RadiusResponder(std::string secret);
    ~RadiusResponder();
    RadiusResponder(const RadiusResponder&) = delete;
    RadiusResponder& operator=(const RadiusResponder&) = delete;

    int descriptor() const { return fd_; }
    unsigned port() const { return port_; }
    const std::string& secret() const { return secret_; }

    // Reads the waiting datagrams and answers each.
    void serve(const MsChapV2Check& check);

private:
    int fd_ = -1;
    unsigned port_ = 0;
    std::string secret_;
};

} // namespace veltrona
