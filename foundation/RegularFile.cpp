#include "foundation/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrona {

namespace {

// O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

std::optional<std::string> readOpened(int fd, std::size_t limit)
{
    if (fd < 0)
        return std::nullopt;
    struct stat info { };
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= limit) {
        bytes.emplace();
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count > 0) {
                bytes->append(buffer, static_cast<std::size_t>(count));
                // The file may have grown since it was measured.
                if (bytes->size() > limit) {
                    bytes.reset();
                    break;
                }
            } else if (count == 0) {
                break;
            } else if (errno != EINTR) {
                bytes.reset();
                break;
            }
        }
    }
    ::close(fd);
    return bytes;
}

} // namespace

std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t limit)
{
    return readOpened(::open(path.c_str(), kOpenFlags), limit);
}

std::optional<std::string> readRegularFileAt(int folder, const char* name, std::size_t limit)
{
    return readOpened(::openat(folder, name, kOpenFlags), limit);
}

} // namespace veltrona
