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

namespace
{
// What a remote killed while making an image leaves at `fresh` is a file of
// this user no larger than an image; it goes, and so does a name that only
// links to a file kept elsewhere. Anything else there is left alone: it is
// never opened, let alone filled.
bool clearTheWay(const std::string &fresh, std::string *error)
{
    struct stat status
    { };
    if (::lstat(fresh.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        *error = describeErrno(fresh, "cannot make way for the new memory image");
        return false;
    }
    const bool leftover = S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
                          && status.st_size <= static_cast<off_t>(FactoryImage::memorySize);
    const bool onlyAName = S_ISLNK(status.st_mode) || (S_ISREG(status.st_mode) && status.st_nlink > 1);
    if ((!leftover && !onlyAName) || ::unlink(fresh.c_str()) != 0) {
        *error = fresh + " is in the way of the new memory image; the file was left as it is";
        return false;
    }
    return true;
}
}  // namespace

std::unique_ptr<MemoryImage> MemoryImage::open(const std::string &path, const Log &log, std::string *error)
{
    if (path.empty()) {
        return std::unique_ptr<MemoryImage>(new MemoryImage(-1, FactoryImage::build()));
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        return create(path, log, error);
    }
    if (fd < 0) {
        *error = errno == ELOOP ? path + " is a symbolic link; refusing to use it as the memory image"
                                : describeErrno(path, "cannot open the memory image");
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
    if (!FileIo::makePrivate(fd, path, status, error)) {
        return nullptr;
    }
    image->m_bytes.resize(FactoryImage::memorySize);
    if (!FileIo::readAll(fd, 0, image->m_bytes.data(), image->m_bytes.size())) {
        *error = describeErrno(path, "cannot read the memory image");
        return nullptr;
    }
    auto journal = WriteJournal::open(journalPathOf(path), FactoryImage::memorySize, error);
    if (!journal || !image->finishJournal(path, std::move(journal), log, error)) {
        return nullptr;
    }
    return image;
}

// Made whole under another name and only then given the image's, so that a
// kill halfway leaves no image at all rather than a short one that would be
// refused. The journal's lock keeps other remotes away meanwhile.
std::unique_ptr<MemoryImage> MemoryImage::create(const std::string &path, const Log &log, std::string *error)
{
    auto journal = WriteJournal::open(journalPathOf(path), FactoryImage::memorySize, error);
    if (!journal) {
        return nullptr;
    }
    // Another remote made the image before this one held the lock: open that one like any other.
    struct stat status
    { };
    if (::lstat(path.c_str(), &status) == 0) {
        journal.reset();
        return open(path, log, error);
    }
    const std::string fresh = path + ".new";
    if (!clearTheWay(fresh, error)) {
        return nullptr;
    }
    const int fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = describeErrno(fresh, "cannot create the new memory image");
        return nullptr;
    }
    std::unique_ptr<MemoryImage> image(new MemoryImage(fd, FactoryImage::build()));
    const auto &bytes = image->m_bytes;
    // Locked before it has its name, as an image in use is.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !FileIo::writeAll(fd, 0, bytes.data(), bytes.size())
        || ::fsync(fd) != 0) {
        *error = describeErrno(path, "cannot write the new memory image");
        ::unlink(fresh.c_str());
        return nullptr;
    }
    // A journal left by an image that is gone is emptied before the new image
    // appears: a kill in between must not let the next start finish it there.
    if (!journal->discard()) {
        *error = describeErrno(journalPathOf(path), "cannot empty the write journal");
        ::unlink(fresh.c_str());
        return nullptr;
    }
    image->m_journal = std::move(journal);
    if (::link(fresh.c_str(), path.c_str()) != 0) {
        *error = describeErrno(path, "cannot create the memory image");
        ::unlink(fresh.c_str());
        return nullptr;
    }
    ::unlink(fresh.c_str());
    FileIo::syncDirectoryOf(path);
    return image;
}

bool MemoryImage::finishJournal(const std::string &path, std::unique_ptr<WriteJournal> journal, const Log &log,
                                std::string *error)
{
    const std::string journalPath = journalPathOf(path);
    if (journal->earlierRecords() > 0 && log) {
        log(journalPath + ": " + std::to_string(journal->earlierRecords())
            + " changes recorded by an earlier version were not replayed, as replaying them could undo later "
              "changes; the image is used as it is");
    }
    // The change a kill may have cut off, or one the image holds already: whole either way.
    if (auto pending = journal->takePending()) {
        apply(pending->offset, pending->bytes);
        if (!FileIo::writeAll(m_fd, pending->offset, m_bytes.data() + pending->offset, pending->bytes.size())
            || ::fdatasync(m_fd) != 0) {
            *error = describeErrno(path, "cannot finish the change in the write journal");
            return false;
        }
    }
    // The image is whole now: a record left behind could only be finished
    // over another image put in its place.
    if (!journal->discard()) {
        *error = describeErrno(journalPath, "cannot empty the write journal");
        return false;
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

// The image is synced before the change counts as made, so that the journal
// only ever needs the change in flight: nothing older is replayed over it.
bool MemoryImage::persist(std::size_t offset, const std::vector<std::uint8_t> &bytes)
{
    if (m_fd < 0) {
        return true;
    }
    if (!m_journal->record(offset, bytes.data(), bytes.size())) {
        return false;
    }
    if (FileIo::writeAll(m_fd, offset, bytes.data(), bytes.size()) && ::fdatasync(m_fd) == 0) {
        m_journal->forget();
        return true;
    }
    // Part of the change may have reached the image: put back what memory
    // holds, and only then take back the record, which until then would finish the change.
    const int failure = errno;
    if (FileIo::writeAll(m_fd, offset, m_bytes.data() + offset, bytes.size()) && ::fdatasync(m_fd) == 0) {
        m_journal->discard();
    }
    errno = failure;
    return false;
}

void MemoryImage::apply(std::size_t offset, const std::vector<std::uint8_t> &bytes)
{
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}
