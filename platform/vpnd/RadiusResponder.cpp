#include "platform/vpnd/RadiusResponder.h"

#include <openssl/evp.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace veltrona {

namespace {

constexpr unsigned char kAccessRequest = 1;
constexpr unsigned char kAccessAccept = 2;
constexpr unsigned char kAccessReject = 3;
constexpr unsigned char kUserName = 1;
constexpr unsigned char kVendorSpecific = 26;
constexpr std::uint32_t kMicrosoft = 311;
constexpr unsigned char kMsChapError = 2;
constexpr unsigned char kMsChapChallenge = 11;
constexpr unsigned char kMsChap2Response = 25;
constexpr unsigned char kMsChap2Success = 26;
constexpr std::size_t kHeader = 20;

struct Request {
    unsigned char id = 0;
    std::string authenticator;
    std::optional<std::string> userName;
    std::optional<std::string> challenge; // 16 bytes
    std::optional<std::string> response;  // 50 bytes: ident, flags, peer challenge, reserved, NT-Response
};

void readMicrosoftAttribute(std::string_view value, Request& request)
{
    // Vendor id, then one sub-attribute: type, length (counting those two), data.
    if (value.size() < 6)
        return;
    const std::uint32_t vendor = (std::uint32_t(std::uint8_t(value[0])) << 24) | (std::uint8_t(value[1]) << 16)
                                 | (std::uint8_t(value[2]) << 8) | std::uint8_t(value[3]);
    const auto type = static_cast<unsigned char>(value[4]);
    const auto length = static_cast<std::size_t>(static_cast<unsigned char>(value[5]));
    if (vendor != kMicrosoft || length < 2 || 4 + length > value.size())
        return;
    const std::string data(value.substr(6, length - 2));
    if (type == kMsChapChallenge && data.size() == 16)
        request.challenge = data;
    else if (type == kMsChap2Response && data.size() == 50)
        request.response = data;
}

std::optional<Request> parseRequest(std::string_view datagram)
{
    if (datagram.size() < kHeader || static_cast<unsigned char>(datagram[0]) != kAccessRequest)
        return std::nullopt;
    const std::size_t length = (std::size_t(std::uint8_t(datagram[2])) << 8) | std::uint8_t(datagram[3]);
    if (length < kHeader || length > datagram.size())
        return std::nullopt;
    Request request;
    request.id = static_cast<unsigned char>(datagram[1]);
    request.authenticator = std::string(datagram.substr(4, 16));
    std::string_view attributes = datagram.substr(kHeader, length - kHeader);
    while (!attributes.empty()) {
        if (attributes.size() < 2)
            return std::nullopt;
        const auto type = static_cast<unsigned char>(attributes[0]);
        const auto size = static_cast<std::size_t>(static_cast<unsigned char>(attributes[1]));
        if (size < 2 || size > attributes.size())
            return std::nullopt;
        const std::string_view value = attributes.substr(2, size - 2);
        if (type == kUserName)
            request.userName = std::string(value);
        else if (type == kVendorSpecific)
            readMicrosoftAttribute(value, request);
        attributes.remove_prefix(size);
    }
    if (!request.userName || !request.challenge || !request.response)
        return std::nullopt;
    return request;
}

std::string microsoftAttribute(unsigned char type, std::string_view data)
{
    std::string attribute;
    attribute += static_cast<char>(kVendorSpecific);
    attribute += static_cast<char>(2 + 4 + 2 + data.size());
    attribute += std::string("\0\0\x01\x37", 4);
    attribute += static_cast<char>(type);
    attribute += static_cast<char>(2 + data.size());
    attribute += data;
    return attribute;
}

// Code, id, length, the Response Authenticator MD5(header, request authenticator, attributes,
// secret), attributes.
std::string reply(unsigned char code, const Request& request, const std::string& attributes, std::string_view secret)
{
    std::string packet;
    packet += static_cast<char>(code);
    packet += static_cast<char>(request.id);
    const std::size_t length = kHeader + attributes.size();
    packet += static_cast<char>(length >> 8);
    packet += static_cast<char>(length & 0xff);
    packet += request.authenticator;
    packet += attributes;
    std::string signed_ = packet + std::string(secret);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(signed_.data(), signed_.size(), digest, &digestLength, EVP_md5(), nullptr);
    packet.replace(4, 16, reinterpret_cast<const char*>(digest), 16);
    return packet;
}

} // namespace

std::optional<std::string> radiusAnswer(std::string_view datagram, std::string_view secret, const MsChapV2Check& check)
{
    const std::optional<Request> request = parseRequest(datagram);
    if (!request)
        return std::nullopt;
    MsChapV2Exchange exchange;
    exchange.userName = *request->userName;
    std::copy_n(request->challenge->begin(), 16, exchange.authenticatorChallenge.begin());
    std::copy_n(request->response->begin() + 2, 16, exchange.peerChallenge.begin());
    std::copy_n(request->response->begin() + 26, 24, exchange.ntResponse.begin());
    const char ident = (*request->response)[0];
    if (const std::optional<std::string> proof = check(exchange))
        return reply(kAccessAccept, *request, microsoftAttribute(kMsChap2Success, std::string(1, ident) + *proof),
                     secret);
    return reply(kAccessReject, *request, microsoftAttribute(kMsChapError, std::string(1, ident) + "E=691 R=0 V=3"),
                 secret);
}

RadiusResponder::RadiusResponder(std::string secret) : secret_(std::move(secret))
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
        || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    port_ = ntohs(address.sin_port);
}

RadiusResponder::~RadiusResponder()
{
    if (fd_ >= 0)
        close(fd_);
}

void RadiusResponder::serve(const MsChapV2Check& check)
{
    char buffer[4096];
    for (int i = 0; i < 64; ++i) {
        sockaddr_in peer{};
        socklen_t size = sizeof(peer);
        const ssize_t received = recvfrom(fd_, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&peer), &size);
        if (received < 0)
            return;
        // Only this machine's SoftEther asks; a datagram from elsewhere gets no oracle.
        if (peer.sin_addr.s_addr != htonl(INADDR_LOOPBACK))
            continue;
        if (const std::optional<std::string> answer =
                radiusAnswer(std::string_view(buffer, static_cast<std::size_t>(received)), secret_, check))
            sendto(fd_, answer->data(), answer->size(), 0, reinterpret_cast<sockaddr*>(&peer), size);
    }
}

} // namespace veltrona
