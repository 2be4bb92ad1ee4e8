#pragma once
// A DNS responder on 127.0.0.1 (a random UDP port) for the length of a test: it answers every
// query with the same PTR names and records the names it was asked about. It stops by itself
// after a few seconds or a few dozen queries, whichever comes first.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace veltrona::test {

class LoopbackDnsResponder {
public:
    // Names as dig prints them, with the final dot ("host.example.com.").
    explicit LoopbackDnsResponder(std::vector<std::string> answers);
    ~LoopbackDnsResponder();
    LoopbackDnsResponder(const LoopbackDnsResponder&) = delete;
    LoopbackDnsResponder& operator=(const LoopbackDnsResponder&) = delete;

    // 0 when no socket could be opened.
    int port() const { return port_; }
    // The query names received so far, in order ("37.1.168.192.in-addr.arpa.").
    std::vector<std::string> questions() const;

private:
    void serve();

    std::vector<std::string> answers_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> questions_;
    std::thread thread_;
};

// A UDP port on 127.0.0.1 that was free a moment ago and where nothing listens now.
int closedLoopbackUdpPort();

} // namespace veltrona::test
