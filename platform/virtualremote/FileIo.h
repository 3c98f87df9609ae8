#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Whole reads and writes at a file offset, as the image and its journal need
// them: short transfers and interruptions are carried on until done.
namespace FileIo
{
bool readAll(int fd, std::size_t offset, std::uint8_t *bytes, std::size_t count);
// False with errno set; a write that makes no progress counts as EIO.
bool writeAll(int fd, std::size_t offset, const std::uint8_t *bytes, std::size_t count);
// A new name in a directory is durable only once the directory is synced.
void syncDirectoryOf(const std::string &path);
// "path: what: strerror(errno)"
std::string describeErrno(const std::string &path, const std::string &what);
}  // namespace FileIo
