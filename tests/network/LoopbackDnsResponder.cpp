#include "tests/network/LoopbackDnsResponder.h"

#include "tests/support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace veltrona::test {

namespace {

constexpr int kMaxQueries = 40;
constexpr auto kLifetime = std::chrono::seconds(20);

// The question's name as text and the offset just past its type and class; nothing when the
// query is not one plain question.
std::optional<std::pair<std::string, std::size_t>> readQuestion(const std::uint8_t* bytes, std::size_t size)
{
    std::size_t at = 12;
    std::string name;
    while (at < size && bytes[at] != 0) {
        const std::size_t label = bytes[at];
        if (label > 63 || at + 1 + label > size)
            return std::nullopt;
        name.append(reinterpret_cast<const char*>(bytes + at + 1), label);
        name += '.';
        at += 1 + label;
    }
    if (at + 5 > size)
        return std::nullopt;
    return std::make_pair(name, at + 5);
}

void appendName(std::vector<std::uint8_t>& out, const std::string& name)
{
    std::size_t start = 0;
    while (start < name.size()) {
        std::size_t dot = name.find('.', start);
        if (dot == std::string::npos)
            dot = name.size();
        out.push_back(static_cast<std::uint8_t>(dot - start));
        out.insert(out.end(), name.begin() + static_cast<std::ptrdiff_t>(start),
                   name.begin() + static_cast<std::ptrdiff_t>(dot));
        start = dot + 1;
    }
    out.push_back(0);
}

void appendShort(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
}

} // namespace

LoopbackDnsResponder::LoopbackDnsResponder(std::vector<std::string> answers) : answers_(std::move(answers))
{
    socket_ = boundLoopbackSocket(SOCK_DGRAM, port_);
    if (socket_ < 0)
        return;
    timeval timeout{0, 100 * 1000};
    ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    thread_ = std::thread([this] { serve(); });
}

LoopbackDnsResponder::~LoopbackDnsResponder()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (socket_ >= 0)
        ::close(socket_);
}

std::vector<std::string> LoopbackDnsResponder::questions() const
{
    const std::lock_guard lock(mutex_);
    return questions_;
}

void LoopbackDnsResponder::serve()
{
    const auto deadline = std::chrono::steady_clock::now() + kLifetime;
    for (int served = 0; served < kMaxQueries && !stop_ && std::chrono::steady_clock::now() < deadline;) {
        std::uint8_t query[512];
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const ssize_t size =
            ::recvfrom(socket_, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (size < 12)
            continue;
        const auto question = readQuestion(query, static_cast<std::size_t>(size));
        if (!question)
            continue;
        ++served;
        {
            const std::lock_guard lock(mutex_);
            questions_.push_back(question->first);
        }
        // Header: the query's id, a recursive answer without error, one question, the answers.
        std::vector<std::uint8_t> reply(query, query + 2);
        appendShort(reply, 0x8180);
        appendShort(reply, 1);
        appendShort(reply, static_cast<unsigned>(answers_.size()));
        appendShort(reply, 0);
        appendShort(reply, 0);
        reply.insert(reply.end(), query + 12, query + question->second);
        for (const std::string& name : answers_) {
            appendShort(reply, 0xC00C); // the question's name
            appendShort(reply, 12);     // PTR
            appendShort(reply, 1);      // IN
            appendShort(reply, 0);
            appendShort(reply, 60); // TTL
            std::vector<std::uint8_t> data;
            appendName(data, name);
            appendShort(reply, static_cast<unsigned>(data.size()));
            reply.insert(reply.end(), data.begin(), data.end());
        }
        ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&peer), peerLength);
    }
}

int closedLoopbackUdpPort()
{
    int port = 0;
    const int fd = boundLoopbackSocket(SOCK_DGRAM, port);
    if (fd < 0)
        return 0;
    ::close(fd);
    return port;
}

} // namespace veltrona::test
