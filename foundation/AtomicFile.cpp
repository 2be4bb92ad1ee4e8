#include "foundation/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrona {
namespace {

namespace fs = std::filesystem;

Status failure(int error, const std::string& what, const fs::path& path)
{
    return Status::failure(error, what + " " + path.string() + ": " + std::strerror(error));
}

// The program's installed files are reached through symbolic links (the links in /Library point
// into the installation folder). Renaming over the link would replace the link with a plain file
// and leave the installed file stale, so the write goes to the file the link chain ends at.
Status resolveLinks(const fs::path& path, fs::path& resolved)
{
    constexpr int maxHops = 40; // as the kernel allows
    resolved = path;
    for (int hop = 0; hop < maxHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(resolved, error)))
            return Status::success();
        const fs::path target = fs::read_symlink(resolved, error);
        if (error)
            return failure(error.value(), "cannot follow the link", resolved);
        resolved = target.is_absolute() ? target : resolved.parent_path() / target;
    }
    return failure(ELOOP, "cannot follow the link", path);
}

Status writeAll(int fd, std::string_view bytes, const fs::path& sidePath)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno, "cannot write", sidePath);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return Status::success();
}

// Makes the rename itself durable; a folder that cannot be synced does not undo the write.
void syncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool liesWithin(const fs::path& path, const fs::path& folder)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, error), error);
    const fs::path base = fs::weakly_canonical(fs::absolute(folder, error), error);
    if (error || base.empty())
        return false;
    const auto [baseEnd, pathAt] = std::mismatch(base.begin(), base.end(), resolved.begin(), resolved.end());
    (void)pathAt;
    return baseEnd == base.end();
}

Status setModeNotFollowingLinks(const fs::path& path, unsigned mode)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return failure(errno, "cannot set the permissions of", path);
    const int changed = ::fchmod(fd, static_cast<mode_t>(mode));
    const int error = errno;
    ::close(fd);
    return changed == 0 ? Status::success() : failure(error, "cannot set the permissions of", path);
}

Status writeFileAtomically(const fs::path& path, std::string_view bytes, FileAccess access, const fs::path& within)
{
    if (path.empty() || !path.has_filename())
        return Status::failure(EINVAL, "cannot write to the path \"" + path.string() + "\"");
    fs::path target;
    if (Status resolved = resolveLinks(path, target); !resolved)
        return resolved;
    if (!within.empty() && !liesWithin(target, within))
        return Status::failure(EPERM, "will not write outside " + within.string() + ": " + path.string());

    mode_t mode = 0644;
    struct stat existing { };
    if (::stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            return failure(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL, "cannot replace", target);
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failure(errno, "cannot examine", target);
    }

    if (access == FileAccess::OwnerOnly)
        mode = 0600;

    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on chained operator+.
    std::string sideName = ".";
    sideName += target.filename().string();
    sideName += ".XXXXXX";
    std::string side = (folder / sideName).string();
    const int fd = ::mkostemp(side.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(errno, "cannot create a file in", folder);
    const fs::path sidePath = side;

    auto abandon = [&](Status status) {
        ::close(fd);
        ::unlink(side.c_str());
        return status;
    };
    if (::fchmod(fd, mode) != 0)
        return abandon(failure(errno, "cannot set the permissions of", sidePath));
    if (Status written = writeAll(fd, bytes, sidePath); !written)
        return abandon(written);
    if (::fsync(fd) != 0)
        return abandon(failure(errno, "cannot flush", sidePath));
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(side.c_str());
        return failure(error, "cannot write", sidePath);
    }
    if (::rename(side.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(side.c_str());
        return failure(error, "cannot replace", target);
    }
    syncFolder(folder);
    return Status::success();
}

} // namespace veltrona
