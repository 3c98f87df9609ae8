#include "FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// pread or pwrite until all is done; a transfer that makes no progress counts as EIO.
template <typename Transfer, typename Byte>
bool transferAll(Transfer transfer, int fd, std::size_t offset, Byte *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t done = transfer(fd, bytes, count, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
        offset += static_cast<std::size_t>(done);
    }
    return true;
}
}  // namespace

namespace FileIo
{
bool readAll(int fd, std::size_t offset, std::uint8_t *bytes, std::size_t count)
{
    return transferAll(::pread, fd, offset, bytes, count);
}

bool writeAll(int fd, std::size_t offset, const std::uint8_t *bytes, std::size_t count)
{
    return transferAll(::pwrite, fd, offset, bytes, count);
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

std::string whyNotPrivate(const std::string &path, const struct stat &status)
{
    if (status.st_uid != ::geteuid()) {
        return path + " belongs to another user; refusing to use it";
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return path + " is writable by other users; refusing to use it";
    }
    return {};
}

bool makePrivate(int fd, const std::string &path, const struct stat &status, std::string *error)
{
    if (std::string why = whyNotPrivate(path, status); !why.empty()) {
        *error = std::move(why);
        return false;
    }
    if ((status.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0) {
        *error = describeErrno(path, "cannot make it private");
        return false;
    }
    return true;
}
}  // namespace FileIo
