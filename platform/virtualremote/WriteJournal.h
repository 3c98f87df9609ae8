#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The write-ahead journal beside a memory image: each change is recorded here
// and synced before the image is touched, so that a process killed in the
// middle of an image write leaves a record to finish it from. Records follow
// each other from the start of a fixed-size file, each carrying the run it
// belongs to (epoch), its place in that run and a checksum; a torn record,
// or anything after it, ends the run. Once the image itself is synced the
// journal starts a new run from the start.
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

    // Opens (or creates, owner-only) the journal at `path`, never through a
    // link, and reads the run it holds. Null with *error when `path` is no
    // regular file of this user or cannot be read or prepared. Records must
    // lie within `memorySize` bytes of image.
    static std::unique_ptr<WriteJournal> open(const std::string &path, std::size_t memorySize, std::string *error);
    ~WriteJournal();
    WriteJournal(const WriteJournal &) = delete;
    WriteJournal &operator=(const WriteJournal &) = delete;

    // The complete records of the run found at open, oldest first: changes
    // that may not have reached the image yet. Handed out once.
    std::vector<Entry> takePending() { return std::move(m_pending); }
    // Whether a change of `count` bytes still fits into this run.
    bool hasRoomFor(std::size_t count) const;
    // Starts a new run at the start of the file; only once the image holds
    // every change recorded so far on disk.
    void restart();
    // Empties the journal on disk: for an image made afresh.
    bool discard();
    // Appends a change and syncs it; false when it may not be on disk.
    bool record(std::size_t offset, const std::uint8_t *bytes, std::size_t count);
    // Takes back the record just made: its change did not reach the image.
    void withdraw();

private:
    WriteJournal(int fd, std::size_t memorySize);
    bool prepare(const std::string &path, std::string *error);
    bool readRun();
    void erase(std::size_t position);

    int m_fd;
    std::size_t m_memorySize;
    std::vector<Entry> m_pending;
    std::size_t m_position = 0;      // where the next record goes
    std::size_t m_lastPosition = 0;  // where the last record went
    std::uint64_t m_epoch = 0;
    std::uint32_t m_sequence = 0;  // the next record's place in the run
};
