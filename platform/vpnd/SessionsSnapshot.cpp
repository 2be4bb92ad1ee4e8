#include "platform/vpnd/SessionsSnapshot.h"

#include "foundation/AtomicFile.h"
#include "foundation/PlistIO.h"
#include "foundation/RegularFile.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::optional<std::string> SessionsSnapshot::read(std::chrono::milliseconds age) const
{
    const std::optional<std::chrono::milliseconds> current = ageOf(file_);
    // A copy from the future (a clock set back) counts as old.
    if (!current || *current < std::chrono::milliseconds(0) || *current >= age)
        return std::nullopt;
    return readRegularFile(file_, 16 << 20);
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
