#include "MemoryImage.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FactoryImage.h"
#include "FileIo.h"
#include "WriteJournal.h"

using FileIo::describeErrno;

std::unique_ptr<MemoryImage> MemoryImage::open(const std::string &path, std::string *error)
{
    if (path.empty()) {
        return std::unique_ptr<MemoryImage>(new MemoryImage(-1, FactoryImage::build()));
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        return create(path, error);
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
    struct stat status
    { };
    if (::fstat(fd, &status) != 0) {
        *error = describeErrno(path, "cannot read the memory image");
        return nullptr;
    }
    if (!S_ISREG(status.st_mode) || status.st_size != static_cast<off_t>(FactoryImage::memorySize)) {
        const std::string found =
            S_ISREG(status.st_mode) ? std::to_string(status.st_size) + " bytes" : "not a regular file";
        *error = path + ": not a remote's memory image: it must hold exactly "
                 + std::to_string(FactoryImage::memorySize) + " bytes, found " + found + "; the file was left as it is";
        return nullptr;
    }
    image->m_bytes.resize(FactoryImage::memorySize);
    if (!FileIo::readAll(fd, 0, image->m_bytes.data(), image->m_bytes.size())) {
        *error = describeErrno(path, "cannot read the memory image");
        return nullptr;
    }
    if (!image->attachJournal(path, false, error)) {
        return nullptr;
    }
    return image;
}

// Made whole under another name and only then given the image's, so that a
// kill halfway leaves no image at all rather than a short one that would be refused.
std::unique_ptr<MemoryImage> MemoryImage::create(const std::string &path, std::string *error)
{
    const std::string fresh = path + ".new";
    const int fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = describeErrno(path, "cannot create the memory image");
        return nullptr;
    }
    std::unique_ptr<MemoryImage> image(new MemoryImage(fd, FactoryImage::build()));
    struct stat status
    { };
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = path + ": the memory image is being created by another virtual remote";
        return nullptr;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *error = fresh + ": is in the way of the new memory image; the file was left as it is";
        return nullptr;
    }
    // Another remote made the image before this one held the lock: open that one like any other.
    // From here on only this remote can give the image its name, so the journal is nobody else's.
    if (::access(path.c_str(), F_OK) == 0) {
        image.reset();
        ::unlink(fresh.c_str());
        return open(path, error);
    }
    const auto &bytes = image->m_bytes;
    if (!FileIo::writeAll(fd, 0, bytes.data(), bytes.size()) || ::ftruncate(fd, off_t(bytes.size())) != 0
        || ::fsync(fd) != 0) {
        *error = describeErrno(path, "cannot write the new memory image");
        ::unlink(fresh.c_str());
        return nullptr;
    }
    // A journal left by an image that is gone is emptied before the new image
    // appears: a kill in between must not let the next start finish it there.
    if (!image->attachJournal(path, true, error)) {
        ::unlink(fresh.c_str());
        return nullptr;
    }
    if (::link(fresh.c_str(), path.c_str()) != 0) {
        *error = describeErrno(path, "cannot create the memory image");
        ::unlink(fresh.c_str());
        return nullptr;
    }
    ::unlink(fresh.c_str());
    FileIo::syncDirectoryOf(path);
    return image;
}

bool MemoryImage::attachJournal(const std::string &path, bool fresh, std::string *error)
{
    const std::string journalPath = journalPathOf(path);
    auto journal = WriteJournal::open(journalPath, FactoryImage::memorySize, error);
    if (!journal) {
        return false;
    }
    if (fresh) {
        if (!journal->discard()) {
            *error = describeErrno(journalPath, "cannot empty the write journal");
            return false;
        }
    } else {
        // Changes a killed remote may have left half done; writing them again is harmless.
        const std::vector<std::uint8_t> before = m_bytes;
        for (const auto &entry : journal->takePending()) {
            apply(entry.offset, entry.bytes);
        }
        if (m_bytes != before && !FileIo::writeAll(m_fd, 0, m_bytes.data(), m_bytes.size())) {
            *error = describeErrno(path, "cannot finish the changes in the write journal");
            return false;
        }
    }
    m_journal = std::move(journal);
    return true;
}

MemoryImage::MemoryImage(int fd, std::vector<std::uint8_t> bytes)
    : m_fd(fd)
    , m_bytes(std::move(bytes))
{ }

MemoryImage::~MemoryImage()
{
    // Closed in good order the image holds everything: an empty journal then
    // cannot touch an image the user puts in its place, say from a backup.
    if (m_journal && ::fdatasync(m_fd) == 0) {
        m_journal->discard();
    }
    m_journal.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

// The journal's sync is the change's; the image need only be synced before
// the journal starts over and its records are lost.
bool MemoryImage::persist(std::size_t offset, const std::vector<std::uint8_t> &bytes)
{
    if (m_fd < 0) {
        return true;
    }
    if (!m_journal->hasRoomFor(bytes.size())) {
        if (::fdatasync(m_fd) != 0) {
            return false;
        }
        m_journal->restart();
    }
    if (!m_journal->record(offset, bytes.data(), bytes.size())) {
        return false;
    }
    if (FileIo::writeAll(m_fd, offset, bytes.data(), bytes.size())) {
        return true;
    }
    // Part of the change may have reached the image: put back what memory
    // holds, and only then take back the record, which until then would finish the change.
    const int failure = errno;
    if (FileIo::writeAll(m_fd, offset, m_bytes.data() + offset, bytes.size()) && ::fdatasync(m_fd) == 0) {
        m_journal->withdraw();
    }
    errno = failure;
    return false;
}

void MemoryImage::apply(std::size_t offset, const std::vector<std::uint8_t> &bytes)
{
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}
