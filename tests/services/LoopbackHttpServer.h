#pragma once
// An HTTP server on 127.0.0.1 (a random port) for the length of a test: every request gets the
// same body with status 200, and the request lines are recorded. It stops by itself after a few
// seconds or a few connections, whichever comes first.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace veltrona::test {

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(std::string body);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // 0 when no socket could be opened.
    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // "GET /path HTTP/1.1" of each request so far.
    std::vector<std::string> requestLines() const;

private:
    void serve();
    void answer(int connection);

    std::string body_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requestLines_;
    std::thread thread_;
};

// A TCP port on 127.0.0.1 that was free a moment ago and where nothing listens now.
int closedLoopbackTcpPort();

} // namespace veltrona::test
