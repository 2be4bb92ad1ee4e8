#include "platform/emulated/NotificationCenterEmulated.h"

#include "foundation/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace veltrona {

NotificationCenterEmulated::NotificationCenterEmulated(PlatformPaths paths) : paths_(std::move(paths))
{
}

Status NotificationCenterEmulated::postNotificationName(std::string_view name)
{
    if (name.empty())
        return Status::failure(1, "A notification needs a name.");
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return Status::failure(1, "A notification name cannot hold control characters.");

    const std::string file = paths_.map(kNotificationLogFile);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    // Never through a link, nor into a folder that leads out of the root.
    if (!liesWithin(std::filesystem::path(file).parent_path(), paths_.root()))
        return Status::failure(EPERM, "Will not write outside the platform root: " + file);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0)
        return Status::failure(errno, "Cannot open " + file + ": " + std::strerror(errno));
    // One write per line: with O_APPEND, lines of concurrent posters never interleave.
    const std::string line = std::string(name) + "\n";
    const ssize_t written = ::write(fd, line.data(), line.size());
    const int writeError = errno;
    ::close(fd);
    if (written != static_cast<ssize_t>(line.size()))
        return Status::failure(writeError ? writeError : 1, "Cannot write " + file + ".");
    return Status::success();
}

} // namespace veltrona
