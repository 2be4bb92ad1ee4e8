#pragma once
// Who is connected to the VPN server right now, and ending an account's sessions: `vpnsessions`
// run as root through the runner. Its list is a property list of the sessions; with the server
// stopped it is empty.

#include "services/AlertText.h"
#include "services/CommandRunner.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

struct ConnectedClient {
    std::string account;
    std::string remoteAddress; // where the client connects from
    std::string tunnelAddress; // its address in the client range; empty until it has one
    std::int64_t connectedSince = 0; // Unix time, UTC
    std::int64_t bytesIn = 0;  // received from the client
    std::int64_t bytesOut = 0; // sent to it
};

inline constexpr const char* kSessionsUnreadable = "The VPN server's sessions cannot be read.";

std::vector<std::string> connectedClientsArguments();
std::vector<std::string> disconnectArguments(const std::string& account);

// Nothing when the text is no such list (the tool failed, or printed something else).
std::optional<std::vector<ConnectedClient>> parseConnectedClients(std::string_view text);

std::optional<std::vector<ConnectedClient>> connectedClients(CommandRunner& runner);

// How many sessions of the account ended; nothing when the server could not be asked.
std::optional<int> disconnectClient(CommandRunner& runner, const std::string& account);

// The window's question before it disconnects (its second button confirms), and its word when
// the server could not be asked.
AlertText disconnectConfirmationAlert(const std::string& account);
AlertText disconnectFailedAlert(const std::string& account);

} // namespace veltrona
