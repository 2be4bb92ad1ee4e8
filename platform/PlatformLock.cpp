#include "platform/PlatformLock.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace veltrona {

PlatformLock::PlatformLock(const PlatformPaths& paths, std::string_view platformFolder)
{
    const std::filesystem::path folder = paths.map(platformFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

PlatformLock::~PlatformLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace veltrona
