#include "platform/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace veltrona {

FolderLock::FolderLock(const std::filesystem::path& folder, FolderLinks links)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    int fd =
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (links == FolderLinks::Refused ? O_NOFOLLOW : 0));
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

FolderLock::~FolderLock()
{
    // Closing the descriptor releases the lock.
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace veltrona
