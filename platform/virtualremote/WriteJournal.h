#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The write-ahead journal beside a memory image: the change in flight is
// recorded and synced before the image is touched, so that a process killed
// in the middle of an image write leaves a record to finish it from. The
// image is synced before a change is acknowledged, so the journal never needs
// more than that one record, and nothing older is ever replayed over what the
// image holds. The record is kept twice, at the start and at the middle of
// the file: a byte damaged in one copy leaves the other to finish the change,
// and a torn write is a change never acknowledged. A record carries its run
// (epoch), its place in that run and a checksum; an earlier version kept runs
// of several records from the start.
//
// Not thread-safe: the image's owner serialises its use.
class WriteJournal
{
public:
    struct Entry
    {
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };

    static constexpr std::size_t headerSize = 32;
    static constexpr std::size_t capacity = 256 * 1024;
    static constexpr std::size_t copyAt = capacity / 2;

    // Opens (or creates, owner-only) the journal at `path`, never through a
    // link, locks it against other remotes and reads the record it holds.
    // Null with *error when `path` is no file of this user alone, is in use
    // or cannot be read or prepared. Records must lie within `memorySize`
    // bytes of image.
    static std::unique_ptr<WriteJournal> open(const std::string &path, std::size_t memorySize, std::string *error);
    ~WriteJournal();
    WriteJournal(const WriteJournal &) = delete;
    WriteJournal &operator=(const WriteJournal &) = delete;

    // A record of `count` bytes at `offset`: header, checksum and bytes.
    static std::vector<std::uint8_t> encode(std::uint64_t epoch, std::uint32_t sequence, std::size_t offset,
                                            const std::uint8_t *bytes, std::size_t count);

    // The change found whole at open: one the image may lack. Handed out once.
    std::optional<Entry> takePending() { return std::exchange(m_pending, std::nullopt); }
    // How many records of an earlier version's run were found at open; none
    // of them is handed out.
    std::size_t earlierRecords() const { return m_earlierRecords; }
    // Empties the journal on disk; false when that may not have reached it.
    bool discard();
    // Records a change and syncs it; false when it may not be on disk.
    bool record(std::size_t offset, const std::uint8_t *bytes, std::size_t count);
    // Takes back the record once its change is synced into the image, without
    // waiting for the disk: a record that outlives a power failure only
    // repeats what the image holds.
    void forget();

private:
    WriteJournal(int fd, std::size_t memorySize);
    bool prepare(const std::string &path, std::string *error);
    bool read();
    bool erase();

    int m_fd;
    std::size_t m_memorySize;
    std::optional<Entry> m_pending;
    std::size_t m_earlierRecords = 0;
    std::uint64_t m_epoch = 0;
};
