#include "platform/vpnd/VpnSessionsTool.h"

#include "foundation/PlistIO.h"
#include "platform/vpnd/SoftEtherAdmin.h"

#include <ctime>
#include <strings.h>

namespace veltrona {

namespace {

constexpr std::int64_t kPlistEpoch = 978307200; // 2001-01-01 in Unix time

PlistDate plistDate(const std::string& utc)
{
    std::tm parts{};
    if (utc.size() < 19 || !strptime(utc.c_str(), "%Y-%m-%dT%H:%M:%S", &parts))
        return {};
    return PlistDate{static_cast<double>(timegm(&parts) - kPlistEpoch)};
}

PlistValue sessionEntry(const VpnSession& session)
{
    PlistDictionary entry;
    entry.set("Name", session.user);
    entry.set("RemoteAddress", session.remoteAddress);
    entry.set("TunnelAddress", session.tunnelAddress);
    entry.set("ConnectedSince", plistDate(session.connectedSince));
    entry.set("BytesIn", static_cast<std::int64_t>(session.bytesIn));
    entry.set("BytesOut", static_cast<std::int64_t>(session.bytesOut));
    return entry;
}

} // namespace

int runVpnSessions(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                   std::ostream& err)
{
    const bool list = arguments.size() == 1 && arguments[0] == "list";
    const bool disconnect = arguments.size() == 2 && arguments[0] == "disconnect" && !arguments[1].empty();
    if (!list && !disconnect) {
        err << "usage: vpnsessions list\n       vpnsessions disconnect NAME\n";
        return 64;
    }
    std::vector<VpnSession> sessions;
    const std::variant<AdminChannel, std::string> channel = readAdminChannel(paths.map(kAdminChannelFile));
    if (const std::string* reason = std::get_if<std::string>(&channel); reason && !reason->empty()) {
        err << "vpnsessions: the server's sessions cannot be listed: " << *reason << "\n";
        return 1;
    }
    std::optional<SoftEtherAdmin> admin;
    if (const AdminChannel* open = std::get_if<AdminChannel>(&channel)) {
        admin.emplace(*open);
        AdminResult<std::vector<VpnSession>> listed = admin->sessions();
        if (const std::string* reason = std::get_if<std::string>(&listed); reason && !refusedConnection(*reason)) {
            err << "vpnsessions: " << *reason << "\n";
            return 1;
        }
        if (listed.index() == 0)
            sessions = std::move(std::get<0>(listed));
    }
    if (list) {
        PlistArray entries;
        for (const VpnSession& session : sessions)
            entries.push_back(sessionEntry(session));
        out << plistToXml(PlistValue(std::move(entries)));
        return 0;
    }
    int ended = 0;
    for (const VpnSession& session : sessions) {
        if (strcasecmp(session.user.c_str(), arguments[1].c_str()) != 0)
            continue;
        const AdminResult<bool> done = admin->end(session.id);
        if (const std::string* reason = std::get_if<std::string>(&done)) {
            err << "vpnsessions: " << *reason << "\n";
            return 1;
        }
        ended += std::get<bool>(done) ? 1 : 0;
    }
    out << ended << "\n";
    return 0;
}

} // namespace veltrona
