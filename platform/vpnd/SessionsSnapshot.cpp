#include "platform/vpnd/SessionsSnapshot.h"

#include "foundation/AtomicFile.h"
#include "foundation/PlistIO.h"
#include "foundation/RegularFile.h"
#include "foundation/UtcTime.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrona {

namespace {

PlistValue sessionEntry(const VpnSession& session)
{
    PlistDictionary entry;
    entry.set("Name", session.user);
    entry.set("RemoteAddress", session.remoteAddress);
    entry.set("TunnelAddress", session.tunnelAddress);
    entry.set("ConnectedSince", PlistDate{static_cast<double>(session.connectedSince - kPlistEpochUnixTime)});
    entry.set("BytesIn", static_cast<std::int64_t>(session.bytesIn));
    entry.set("BytesOut", static_cast<std::int64_t>(session.bytesOut));
    return entry;
}

} // namespace

std::string sessionsPlist(const std::vector<VpnSession>& sessions)
{
    PlistArray entries;
    for (const VpnSession& session : sessions)
        entries.push_back(sessionEntry(session));
    return plistToXml(PlistValue(std::move(entries)));
}

SessionsSnapshot::SessionsSnapshot(const PlatformPaths& paths)
    : file_(paths.map("/var/db/vpnd/sessions-snapshot")), asked_(paths.map("/var/db/vpnd/sessions-asked")),
      root_(paths.root())
{
}

std::optional<std::chrono::milliseconds> SessionsSnapshot::ageOf(const std::filesystem::path& file) const
{
    struct stat info{};
    if (lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto age = std::chrono::seconds(now.tv_sec - info.st_mtim.tv_sec)
                     + std::chrono::nanoseconds(now.tv_nsec - info.st_mtim.tv_nsec);
    return std::chrono::duration_cast<std::chrono::milliseconds>(age);
}

bool SessionsSnapshot::youngerThan(std::chrono::milliseconds age) const
{
    const std::optional<std::chrono::milliseconds> current = ageOf(file_);
    // A copy from the future (a clock set back) counts as old.
    return current && *current >= std::chrono::milliseconds(0) && *current < age;
}

std::optional<std::string> SessionsSnapshot::read(std::chrono::milliseconds age) const
{
    return youngerThan(age) ? readRegularFile(file_, 16 << 20) : std::nullopt;
}

void SessionsSnapshot::write(const std::string& plist) const
{
    (void)writeFileAtomically(file_, plist, FileAccess::OwnerOnly, root_);
}

void SessionsSnapshot::drop() const
{
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

void SessionsSnapshot::markAsked() const
{
    // Run as root: nothing is made through a link out of the platform root.
    if (!liesWithin(asked_, root_))
        return;
    const int fd = open(asked_.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    futimens(fd, nullptr);
    close(fd);
}

bool SessionsSnapshot::askedWithin(std::chrono::seconds time) const
{
    const std::optional<std::chrono::milliseconds> age = ageOf(asked_);
    return age && *age < time;
}

} // namespace veltrona
