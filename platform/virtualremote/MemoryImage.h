#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The remote's 64 KiB of memory, kept in a file of exactly those bytes so that
// what a tool writes survives the process. A change goes to disk first
// (persist: written and synced), and only then into memory (apply), so memory
// never holds what the disk lost. The file is locked while open: two remotes
// on one image would overwrite each other's changes.
//
// Not thread-safe: the owner serialises changes and keeps readers away from apply().
class MemoryImage
{
public:
    // An empty path gives a remote without a file. A missing file is created
    // from the factory image; any other file must hold exactly 65,536 bytes.
    static std::unique_ptr<MemoryImage> open(const std::string &path, std::string *error);
    ~MemoryImage();
    MemoryImage(const MemoryImage &) = delete;
    MemoryImage &operator=(const MemoryImage &) = delete;

    const std::vector<std::uint8_t> &bytes() const { return m_bytes; }
    // Writes and syncs the bytes at `offset`; on failure tries to put back
    // what memory holds there, and returns false. Memory is not touched.
    bool persist(std::size_t offset, const std::vector<std::uint8_t> &bytes);
    void apply(std::size_t offset, const std::vector<std::uint8_t> &bytes);

private:
    MemoryImage(int fd, std::vector<std::uint8_t> bytes);
    bool writeFile(std::size_t offset, const std::uint8_t *bytes, std::size_t count);

    int m_fd;
    std::vector<std::uint8_t> m_bytes;
};
