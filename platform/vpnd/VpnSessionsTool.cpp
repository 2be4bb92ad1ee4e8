#include "platform/vpnd/VpnSessionsTool.h"

#include "platform/vpnd/SessionsSnapshot.h"
#include "platform/vpnd/SoftEtherAdmin.h"

#include <strings.h>

namespace veltrona {

int runVpnSessions(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                   std::ostream& err)
{
    const bool list = arguments.size() == 1 && arguments[0] == "list";
    const bool disconnect = arguments.size() == 2 && arguments[0] == "disconnect" && !arguments[1].empty();
    if (!list && !disconnect) {
        err << "usage: vpnsessions list\n       vpnsessions disconnect NAME\n";
        return 64;
    }
    const SessionsSnapshot snapshot(paths);
    if (list) {
        snapshot.markAsked();
        if (const std::optional<std::string> copy = snapshot.read(kSnapshotServed)) {
            out << *copy;
            return 0;
        }
    }
    std::vector<VpnSession> sessions;
    bool answered = false;
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
        answered = listed.index() == 0;
        if (answered)
            sessions = std::move(std::get<0>(listed));
    }
    if (list) {
        const std::string text = sessionsPlist(sessions);
        if (answered)
            snapshot.write(text);
        out << text;
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
    snapshot.drop();
    out << ended << "\n";
    return 0;
}

} // namespace veltrona
