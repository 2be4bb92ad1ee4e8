// sessions: who is connected now; sessions disconnect NAME ends that account's sessions (it may
// connect again).
#include "cli/Commands.h"
#include "foundation/UtcTime.h"
#include "vpnserver/ConnectedClients.h"

#include <algorithm>

namespace veltrona::cli {

namespace {

std::string table(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        text += line + "\n";
    }
    text.pop_back();
    return text;
}

Result listSessions(Session& session)
{
    const std::optional<std::vector<ConnectedClient>> clients = connectedClients(session.runner());
    if (!clients)
        return failed(kPlatformFailed, kSessionsUnreadable);
    std::vector<std::vector<std::string>> rows = {
        {"ACCOUNT", "FROM", "TUNNEL ADDRESS", "CONNECTED SINCE (UTC)", "BYTES IN", "BYTES OUT"}};
    Json::Array entries;
    for (const ConnectedClient& client : *clients) {
        rows.push_back({client.account, client.remoteAddress, client.tunnelAddress.empty() ? "-" : client.tunnelAddress,
                        utcText(client.connectedSince, "%Y-%m-%d %H:%M:%S"), std::to_string(client.bytesIn),
                        std::to_string(client.bytesOut)});
        entries.push_back(Json::object({{"account", client.account},
                                        {"remoteAddress", client.remoteAddress},
                                        {"tunnelAddress", client.tunnelAddress},
                                        {"connectedSince", utcText(client.connectedSince, "%Y-%m-%dT%H:%M:%SZ")},
                                        {"bytesIn", client.bytesIn},
                                        {"bytesOut", client.bytesOut}}));
    }
    return done(clients->empty() ? "Nobody is connected." : table(rows), {{"sessions", std::move(entries)}});
}

Result disconnect(Session& session, const std::string& account)
{
    const std::optional<int> ended = disconnectClient(session.runner(), account);
    if (!ended)
        return failed(kPlatformFailed, kSessionsUnreadable);
    if (*ended == 0)
        return failed(kRefused, account + " is not connected.");
    return done("Disconnected " + account + " (" + std::to_string(*ended) + (*ended == 1 ? " session)." : " sessions)."),
                {{"account", account}, {"ended", *ended}});
}

} // namespace

Result sessionsCommand(Session& session, const CliOptions& options)
{
    if (options.words.size() > 1)
        return disconnect(session, options.words[2]);
    return listSessions(session);
}

} // namespace veltrona::cli
