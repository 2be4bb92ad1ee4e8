#include "tests/services/LoopbackHttpServer.h"

#include "tests/support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace veltrona::test {

namespace {

constexpr int kMaxConnections = 10;
constexpr auto kLifetime = std::chrono::seconds(20);

} // namespace

LoopbackHttpServer::LoopbackHttpServer(std::string body) : body_(std::move(body))
{
    socket_ = boundLoopbackSocket(SOCK_STREAM, port_);
    if (socket_ < 0 || ::listen(socket_, 4) != 0) {
        port_ = 0;
        return;
    }
    thread_ = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (socket_ >= 0)
        ::close(socket_);
}

std::vector<std::string> LoopbackHttpServer::requestLines() const
{
    const std::lock_guard lock(mutex_);
    return requestLines_;
}

void LoopbackHttpServer::serve()
{
    const auto deadline = std::chrono::steady_clock::now() + kLifetime;
    for (int served = 0; served < kMaxConnections && !stop_ && std::chrono::steady_clock::now() < deadline;) {
        pollfd waiting{socket_, POLLIN, 0};
        if (::poll(&waiting, 1, 100) <= 0)
            continue;
        const int connection = ::accept(socket_, nullptr, nullptr);
        if (connection < 0)
            continue;
        ++served;
        answer(connection);
        ::close(connection);
    }
}

void LoopbackHttpServer::answer(int connection)
{
    timeval timeout{2, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // The request's head, up to the blank line (curl's GET has no body); bounded in size.
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
        const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(count));
    }
    {
        const std::lock_guard lock(mutex_);
        requestLines_.push_back(request.substr(0, request.find("\r\n")));
    }
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                              + std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_;
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t count = ::send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            break;
        sent += static_cast<std::size_t>(count);
    }
}

int closedLoopbackTcpPort()
{
    int port = 0;
    const int fd = boundLoopbackSocket(SOCK_STREAM, port);
    if (fd < 0)
        return 0;
    ::close(fd);
    return port;
}

} // namespace veltrona::test
