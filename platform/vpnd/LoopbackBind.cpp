// Preloaded into SoftEther VPN Server: every TCP socket it binds over IPv4 is bound to 127.0.0.1
// and IPv6 TCP is refused, so its administration listener answers vpnd on loopback and nobody
// else. Its own setting for this would move the IPsec ports to loopback as well.

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

using BindFunction = int (*)(int, const sockaddr*, socklen_t);

bool isTcp(int fd)
{
    int type = 0;
    socklen_t length = sizeof(type);
    return getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_STREAM;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int bind(int fd, const sockaddr* address, socklen_t length)
{
    static const auto real = reinterpret_cast<BindFunction>(dlsym(RTLD_NEXT, "bind"));
    if (real == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    if (address != nullptr && address->sa_family == AF_INET6 && isTcp(fd)) {
        errno = EADDRNOTAVAIL;
        return -1;
    }
    if (address != nullptr && address->sa_family == AF_INET && length >= sizeof(sockaddr_in) && isTcp(fd)) {
        sockaddr_in loopback;
        std::memcpy(&loopback, address, sizeof(loopback));
        loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return real(fd, reinterpret_cast<const sockaddr*>(&loopback), sizeof(loopback));
    }
    return real(fd, address, length);
}
