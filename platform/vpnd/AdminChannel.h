#pragma once
// How vpnd and `vpnsessions` reach SoftEther's administration: its JSON-RPC on a loopback port,
// a password made for this start, and a certificate made with it that the client pins. vpnd keeps
// them in a root-only file for the start's lifetime.

#include "foundation/Status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

namespace veltrona {

inline constexpr const char* kAdminChannelFile = "/var/db/vpnd/admin-channel";

struct AdminChannel {
    unsigned port = 0;
    std::string password;
    std::string certificatePem;
};

// A fresh channel for one start: a free loopback port, a random password, and a self-signed
// certificate for 127.0.0.1 with its key (DER, as SoftEther's configuration takes them).
struct AdminChannelMaking {
    AdminChannel channel;
    std::string certificateDer;
    std::string keyDer;
};
std::optional<AdminChannelMaking> makeAdminChannel();

Status writeAdminChannel(const std::filesystem::path& file, const AdminChannel& channel,
                         const std::filesystem::path& within);
// Serving without administration: the file says why, so that nobody mistakes it for no sessions.
Status writeAdminChannelUnavailable(const std::filesystem::path& file, const std::string& reason,
                                    const std::filesystem::path& within);

// The channel, or why there is none ("" when the file is missing: nothing serves).
std::variant<AdminChannel, std::string> readAdminChannel(const std::filesystem::path& file);

} // namespace veltrona
