#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class WriteJournal;

// The remote's 64 KiB of memory, kept in a file of exactly those bytes so that
// what a tool writes survives the process. A change goes to disk first
// (persist), and only then into memory (apply), so memory never holds what the
// disk lost. On disk a change is all or nothing, even when the process is
// killed halfway: it is recorded and synced in the write-ahead journal beside
// the image (path + ".journal") before the image is touched, and the image is
// synced before the change counts as made. Opening the image finishes the
// change the journal holds and empties it; so does closing. The file is
// locked while open: two remotes on one image would overwrite each other's changes.
//
// The image is the user's alone: it is never opened through a symbolic link,
// and one of another user or writable by others is refused.
//
// Not thread-safe: the owner serialises changes and keeps readers away from apply().
class MemoryImage
{
public:
    // What opening has to tell besides success or failure, one line each.
    using Log = std::function<void(const std::string &)>;

    // An empty path gives a remote without a file. A missing file is created
    // from the factory image; any other file must hold exactly 65,536 bytes.
    static std::unique_ptr<MemoryImage> open(const std::string &path, const Log &log, std::string *error);
    ~MemoryImage();
    MemoryImage(const MemoryImage &) = delete;
    MemoryImage &operator=(const MemoryImage &) = delete;

    static std::string journalPathOf(const std::string &imagePath) { return imagePath + ".journal"; }

    const std::vector<std::uint8_t> &bytes() const { return m_bytes; }
    // Makes the change durable at `offset`; false when it may not be. Memory
    // is not touched.
    bool persist(std::size_t offset, const std::vector<std::uint8_t> &bytes);
    void apply(std::size_t offset, const std::vector<std::uint8_t> &bytes);

private:
    MemoryImage(int fd, std::vector<std::uint8_t> bytes);
    static std::unique_ptr<MemoryImage> create(const std::string &path, const Log &log, std::string *error);
    bool finishJournal(const std::string &path, std::unique_ptr<WriteJournal> journal, const Log &log,
                       std::string *error);

    int m_fd;
    std::vector<std::uint8_t> m_bytes;
    std::unique_ptr<WriteJournal> m_journal;
};
