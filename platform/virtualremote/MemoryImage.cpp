#include "MemoryImage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FactoryImage.h"

namespace
{
std::string describeErrno(const std::string &path, const std::string &what)
{
    return path + ": " + what + ": " + std::strerror(errno);
}

bool readAll(int fd, std::uint8_t *bytes, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, bytes + done, count - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// A new file's name is durable only once its directory is synced.
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
}  // namespace

std::unique_ptr<MemoryImage> MemoryImage::open(const std::string &path, std::string *error)
{
    if (path.empty()) {
        return std::unique_ptr<MemoryImage>(new MemoryImage(-1, FactoryImage::build()));
    }
    bool created = false;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        created = fd >= 0;
    }
    if (fd < 0) {
        *error = describeErrno(path, "cannot open the memory image");
        return nullptr;
    }
    std::unique_ptr<MemoryImage> image(new MemoryImage(fd, {}));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = path + ": the memory image is in use by another virtual remote";
        return nullptr;
    }
    if (created) {
        image->m_bytes = FactoryImage::build();
        if (!image->writeFile(0, image->m_bytes.data(), image->m_bytes.size())) {
            *error = describeErrno(path, "cannot write the new memory image");
            ::unlink(path.c_str());
            return nullptr;
        }
        syncDirectoryOf(path);
        return image;
    }
    struct stat status{};
    if (::fstat(fd, &status) != 0) {
        *error = describeErrno(path, "cannot read the memory image");
        return nullptr;
    }
    if (!S_ISREG(status.st_mode) || status.st_size != static_cast<off_t>(FactoryImage::memorySize)) {
        const std::string found = S_ISREG(status.st_mode) ? std::to_string(status.st_size) + " bytes"
                                                          : "not a regular file";
        *error = path + ": not a remote's memory image: it must hold exactly "
                 + std::to_string(FactoryImage::memorySize) + " bytes, found " + found
                 + "; the file was left as it is";
        return nullptr;
    }
    image->m_bytes.resize(FactoryImage::memorySize);
    if (!readAll(fd, image->m_bytes.data(), image->m_bytes.size())) {
        *error = describeErrno(path, "cannot read the memory image");
        return nullptr;
    }
    return image;
}

MemoryImage::MemoryImage(int fd, std::vector<std::uint8_t> bytes)
    : m_fd(fd), m_bytes(std::move(bytes))
{
}

MemoryImage::~MemoryImage()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool MemoryImage::persist(std::size_t offset, const std::vector<std::uint8_t> &bytes)
{
    if (m_fd < 0 || writeFile(offset, bytes.data(), bytes.size())) {
        return true;
    }
    // Part of the change may have reached the file: undo it, so that file and
    // memory still agree after the failure.
    const int failure = errno;
    writeFile(offset, m_bytes.data() + offset, bytes.size());
    errno = failure;
    return false;
}

void MemoryImage::apply(std::size_t offset, const std::vector<std::uint8_t> &bytes)
{
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool MemoryImage::writeFile(std::size_t offset, const std::uint8_t *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t put = ::pwrite(m_fd, bytes, count, static_cast<off_t>(offset));
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
    return ::fdatasync(m_fd) == 0;
}
