// The port probe against real loopback sockets.

#include "vpnserver/PortProbe.h"
#include "tests/support/RecordingLog.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace veltrona::test {
namespace {

// A TCP socket bound to a free loopback port; listening or not.
class LoopbackPort {
public:
    explicit LoopbackPort(bool listening)
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port_ = ntohs(address.sin_port);
        if (listening) {
            EXPECT_EQ(listen(fd_, 4), 0);
        }
    }
    ~LoopbackPort() { close(fd_); }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

int closedPort()
{
    LoopbackPort bound(false);
    return bound.port();
}

TEST(PortProbe, OpenOnlyWhenSomethingListensAtTheLow16Bits)
{
    LoopbackPort listening(true);
    const int closed = closedPort();
    const int open = listening.port();
    struct Case {
        const char* name;
        int port;
        bool open;
    };
    const Case cases[] = {
        {"listening", open, true},
        {"closed", closed, false},
        {"listening + 65536", open + 65536, true},
        {"listening + 3 * 65536", open + 3 * 65536, true},
        {"listening - 65536", open - 65536, true},
        {"closed + 65536", closed + 65536, false},
    };
    RecordingLog log;
    for (const Case& c : cases)
        EXPECT_EQ(checkIfOpenPort(c.port, log), c.open) << c.name << " " << c.port;
    EXPECT_TRUE(log.lines.empty());
}

TEST(PortProbe, ASocketThatCannotBeMadeIsLoggedAndCountsAsClosed)
{
    LoopbackPort listening(true);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);

    RecordingLog log;
    const bool open = checkIfOpenPort(listening.port(), log);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

    EXPECT_FALSE(open);
    EXPECT_EQ(log.lines, std::vector<std::string>{"- (BOOL)checkIfOpenPort:(int)portNo - error creating socket"});
    EXPECT_TRUE(checkIfOpenPort(listening.port(), log));
    EXPECT_EQ(log.lines.size(), 1u);
}

} // namespace
} // namespace veltrona::test
