#include "FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace FileIo
{
bool readAll(int fd, std::size_t offset, std::uint8_t *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t got = ::pread(fd, bytes, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes += got;
        count -= static_cast<std::size_t>(got);
        offset += static_cast<std::size_t>(got);
    }
    return true;
}

bool writeAll(int fd, std::size_t offset, const std::uint8_t *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t put = ::pwrite(fd, bytes, count, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            if (put == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes += put;
        count -= static_cast<std::size_t>(put);
        offset += static_cast<std::size_t>(put);
    }
    return true;
}

void syncDirectoryOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string describeErrno(const std::string &path, const std::string &what)
{
    return path + ": " + what + ": " + std::strerror(errno);
}
}  // namespace FileIo
