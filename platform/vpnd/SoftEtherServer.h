#pragma once
// SoftEther VPN Server run for vpnd: in a PID namespace of its own, so that no process of it
// outlives the stop or vpnd, and a mount namespace where the folders Debian's build insists on
// (/run/softether, /var/lib/softether, /var/log/softether) are folders of the platform root.

#include "foundation/Status.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace veltrona {

inline constexpr const char* kSoftEtherServerProgram = "/usr/libexec/softether/vpnserver/vpnserver";

// jemalloc, preloaded when installed: with glibc's allocator SoftEther's resident memory keeps
// growing over thousands of connections; jemalloc reuses and returns what it frees.
std::filesystem::path installedJemalloc();

class SoftEtherServer {
public:
    // `stateFolder` holds lib/ (its configuration), run/ and log/; it must lie inside `within`,
    // the platform root, links resolved: run as root, nothing is written through a link out of it.
    SoftEtherServer(std::filesystem::path stateFolder, std::filesystem::path within);
    ~SoftEtherServer();
    SoftEtherServer(const SoftEtherServer&) = delete;
    SoftEtherServer& operator=(const SoftEtherServer&) = delete;

    // Writes the configuration (owner-only) and starts the server with these shared objects
    // preloaded.
    Status start(const std::string& configuration, const std::vector<std::filesystem::path>& preloads = {});
    // Whether UDP 500 and 4500 are bound in this network namespace before the time is up.
    bool waitUntilListening(std::chrono::milliseconds limit) const;
    // The exit status once it has ended on its own; nothing while it runs.
    std::optional<int> reap();
    // Ends it and every process it made; returns once they are gone.
    void stop();

private:
    std::filesystem::path state_;
    std::filesystem::path within_;
    pid_t pid_ = -1;
};

// Whether a UDP socket is bound to the port (any address) in this network namespace.
bool udpPortBound(unsigned port);

} // namespace veltrona
