#include "vpnserver/PortProbe.h"

#include "vpnserver/VpnButton.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace veltrona {

namespace {

// The loopback address as its look-up by address gives it; the parsed address itself when the
// look-up finds nothing, since that is the address meant either way.
in_addr loopbackTarget()
{
    in_addr parsed{};
    inet_aton("127.0.0.1", &parsed);
    const hostent* host = gethostbyaddr(&parsed, sizeof parsed, AF_INET);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != sizeof(in_addr)
        || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
        return parsed;
    in_addr found{};
    std::memcpy(&found, host->h_addr_list[0], sizeof found);
    return found;
}

// connect, finishing a connection a signal interrupted instead of counting it as refused.
bool connects(int socketFd, const sockaddr_in& address)
{
    if (connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINTR)
        return false;
    pollfd waiting{socketFd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = poll(&waiting, 1, -1);
    } while (ready < 0 && errno == EINTR);
    int error = 0;
    socklen_t length = sizeof error;
    return ready == 1 && getsockopt(socketFd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

} // namespace

bool checkIfOpenPort(int portNo, SystemLog& log)
{
    const int socketFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0) {
        log.log(kSocketErrorLogLine);
        return false;
    }

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(portNo));
    address.sin_addr = loopbackTarget();

    const bool open = connects(socketFd, address);
    close(socketFd);
    return open;
}

std::string_view lightImageForPort(bool open)
{
    return open ? kLightOn : kLightOff;
}

} // namespace veltrona
