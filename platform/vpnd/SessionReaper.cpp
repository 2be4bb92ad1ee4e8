#include "platform/vpnd/SessionReaper.h"

#include "platform/emulated/Directory.h"
#include "platform/vpnd/VpnLogins.h"

#include <sys/stat.h>

namespace veltrona {

SessionReaper::SessionReaper(const PlatformPaths& paths, const AdminChannel& channel, Report report)
    : root_(paths.root()), admin_(channel), snapshot_(paths), report_(std::move(report)), lastState_(directoryState())
{
    snapshot_.drop(); // a copy from an earlier start
}

std::string SessionReaper::directoryState() const
{
    // A record written, renamed or removed changes its folder's modification time.
    const Directory directory(root_);
    std::string state;
    for (RecordType type : {RecordType::Users, RecordType::Groups}) {
        struct stat info{};
        if (stat(directory.recordFolder(type).c_str(), &info) == 0)
            state += std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec) + "/"
                     + std::to_string(info.st_ino) + ";";
    }
    return state;
}

void SessionReaper::look()
{
    endSessionsOfFormerAccounts();
    renewSnapshot();
}

void SessionReaper::renewSnapshot()
{
    if (!snapshot_.askedWithin(kSnapshotWatched) || snapshot_.youngerThan(kSnapshotRenewed))
        return;
    AdminResult<std::vector<VpnSession>> listed = admin_.sessions();
    if (listed.index() == 0)
        snapshot_.write(sessionsPlist(std::get<0>(listed)));
}

void SessionReaper::endSessionsOfFormerAccounts()
{
    const std::string state = directoryState();
    if (state == lastState_)
        return;
    AdminResult<std::vector<VpnSession>> listed = admin_.sessions();
    if (const std::string* reason = std::get_if<std::string>(&listed)) {
        if (*reason != lastFailure_)
            report_("Cannot list the sessions: " + *reason);
        lastFailure_ = *reason;
        return; // looked at again next time
    }
    lastState_ = state;
    lastFailure_.clear();
    for (const VpnSession& session : std::get<std::vector<VpnSession>>(listed)) {
        if (findVpnLogin(root_, session.user))
            continue;
        snapshot_.drop();
        const AdminResult<bool> ended = admin_.end(session.id);
        if (const std::string* reason = std::get_if<std::string>(&ended))
            report_("Cannot end the session of " + session.user + ": " + *reason);
        else
            report_("Ended the session of " + session.user + ", who may no longer log in");
    }
}

} // namespace veltrona
