#include "WriteJournal.h"

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileIo.h"

namespace
{
// A record: magic, length, epoch, sequence, offset, then a checksum of those
// 24 bytes and the change's bytes, then the bytes.
constexpr std::uint32_t magic = 0x4A524C51;  // "QLRJ"
constexpr std::size_t checksumAt = 24;

struct Header
{
    std::uint32_t magic;
    std::uint32_t length;
    std::uint64_t epoch;
    std::uint32_t sequence;
    std::uint32_t offset;
    std::uint64_t checksum;
};
static_assert(sizeof(Header) == WriteJournal::headerSize);
static_assert(offsetof(Header, checksum) == checksumAt);
// Room for a record of the whole memory in either half.
static_assert(WriteJournal::headerSize + 65536 <= WriteJournal::copyAt);

// FNV-1a, 64 bits: a torn record mixes new and old bytes, which this tells apart.
std::uint64_t checksum(const std::uint8_t *head, const std::uint8_t *bytes, std::size_t count)
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    const auto mix = [&hash](const std::uint8_t *from, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            hash = (hash ^ from[i]) * 0x100000001B3ULL;
        }
    };
    mix(head, checksumAt);
    mix(bytes, count);
    return hash;
}

// Each journal has its own epoch, so that stale records further on in the
// file never pass for a continuation of the one at its start.
std::uint64_t freshEpoch()
{
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return (std::uint64_t{device()} << 32 | device()) ^ now;
}
}  // namespace

std::unique_ptr<WriteJournal> WriteJournal::open(const std::string &path, std::size_t memorySize, std::string *error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = errno == ELOOP ? path + " is a symbolic link; refusing to use it"
                                : FileIo::describeErrno(path, "cannot open the write journal");
        return nullptr;
    }
    std::unique_ptr<WriteJournal> journal(new WriteJournal(fd, memorySize));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = path + ": the write journal is in use by another virtual remote";
        return nullptr;
    }
    if (!journal->prepare(path, error)) {
        return nullptr;
    }
    if (!journal->read()) {
        *error = FileIo::describeErrno(path, "cannot read the write journal");
        return nullptr;
    }
    return journal;
}

WriteJournal::WriteJournal(int fd, std::size_t memorySize)
    : m_fd(fd)
    , m_memorySize(memorySize)
    , m_epoch(freshEpoch())
{ }

WriteJournal::~WriteJournal()
{
    ::close(m_fd);
}

bool WriteJournal::prepare(const std::string &path, std::string *error)
{
    struct stat status
    { };
    if (::fstat(m_fd, &status) != 0) {
        *error = FileIo::describeErrno(path, "cannot read the write journal");
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = path + " is not a regular file; refusing to use it as the write journal";
        return false;
    }
    // Another name for the same file would be overwritten with records.
    if (status.st_nlink != 1) {
        *error = path + " has other names (hard links); refusing to use it as the write journal";
        return false;
    }
    if (!FileIo::makePrivate(m_fd, path, status, error)) {
        return false;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    if (size >= capacity) {
        return true;
    }
    // Written out in full once, so that a record later overwrites data blocks
    // and its sync need not wait for the file system's own bookkeeping.
    const std::vector<std::uint8_t> zeros(capacity - size, 0);
    if (!FileIo::writeAll(m_fd, size, zeros.data(), zeros.size()) || ::fsync(m_fd) != 0) {
        *error = FileIo::describeErrno(path, "cannot prepare the write journal");
        return false;
    }
    FileIo::syncDirectoryOf(path);
    return true;
}

bool WriteJournal::read()
{
    std::vector<std::uint8_t> file(capacity);
    if (!FileIo::readAll(m_fd, 0, file.data(), file.size())) {
        return false;
    }
    // The header of the whole record at `position`, if there is one.
    const auto wholeAt = [&](std::size_t position) -> std::optional<Header> {
        Header header;
        std::memcpy(&header, file.data() + position, headerSize);
        const bool whole =
            header.magic == magic && header.length > 0 && header.offset <= m_memorySize
            && header.length <= m_memorySize - header.offset && header.length <= capacity - position - headerSize
            && header.checksum == checksum(file.data() + position, file.data() + position + headerSize, header.length);
        return whole ? std::optional(header) : std::nullopt;
    };
    const auto entryAt = [&](std::size_t position, const Header &header) {
        const std::uint8_t *bytes = file.data() + position + headerSize;
        return Entry{header.offset, std::vector<std::uint8_t>(bytes, bytes + header.length)};
    };
    const auto first = wholeAt(0);
    // Records following the first one, each continuing the one before, are
    // an earlier version's run, whose image need not hold a record's change
    // yet; replaying it stops at a damaged record and can undo what later
    // records put into the image, so none of it is replayed.
    std::size_t run = first ? 1 : 0;
    std::size_t position = first ? headerSize + first->length : 0;
    for (auto last = first; last && position + headerSize <= capacity; ++run) {
        const auto next = wholeAt(position);
        if (!next || next->epoch != last->epoch || next->sequence != last->sequence + 1) {
            break;
        }
        position += headerSize + next->length;
        last = next;
    }
    if (run > 1) {
        m_earlierRecords = run;
        return true;
    }
    // An earlier version's records in the middle of the file never have place 0 of their run.
    const auto copy = wholeAt(copyAt);
    if (first) {
        m_pending = entryAt(0, *first);
    } else if (copy && copy->sequence == 0) {
        m_pending = entryAt(copyAt, *copy);
    }
    return true;
}

std::vector<std::uint8_t> WriteJournal::encode(std::uint64_t epoch, std::uint32_t sequence, std::size_t offset,
                                               const std::uint8_t *bytes, std::size_t count)
{
    const Header header{magic,    static_cast<std::uint32_t>(count),  epoch,
                        sequence, static_cast<std::uint32_t>(offset), 0};
    std::vector<std::uint8_t> record(headerSize + count);
    std::memcpy(record.data(), &header, headerSize);
    std::memcpy(record.data() + headerSize, bytes, count);
    const std::uint64_t sum = checksum(record.data(), bytes, count);
    std::memcpy(record.data() + checksumAt, &sum, sizeof sum);
    return record;
}

bool WriteJournal::discard()
{
    return erase() && ::fdatasync(m_fd) == 0;
}

bool WriteJournal::record(std::size_t offset, const std::uint8_t *bytes, std::size_t count)
{
    const std::vector<std::uint8_t> record = encode(m_epoch, 0, offset, bytes, count);
    if (!FileIo::writeAll(m_fd, 0, record.data(), record.size())
        || !FileIo::writeAll(m_fd, copyAt, record.data(), record.size()) || ::fdatasync(m_fd) != 0) {
        // It may be whole in the file all the same: it must not be finished later.
        const int failure = errno;
        discard();
        errno = failure;
        return false;
    }
    return true;
}

void WriteJournal::forget()
{
    erase();
}

bool WriteJournal::erase()
{
    const std::uint8_t zeros[sizeof magic] = {};
    return FileIo::writeAll(m_fd, 0, zeros, sizeof zeros) && FileIo::writeAll(m_fd, copyAt, zeros, sizeof zeros);
}
