#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct stat;

// Whole reads and writes at a file offset, as the image and its journal need
// them: short transfers and interruptions are carried on until done. And the
// rule for the files and directories the virtual remote trusts: they are the
// user's alone.
namespace FileIo
{
bool readAll(int fd, std::size_t offset, std::uint8_t *bytes, std::size_t count);
// False with errno set; a write that makes no progress counts as EIO.
bool writeAll(int fd, std::size_t offset, const std::uint8_t *bytes, std::size_t count);
// A new name in a directory is durable only once the directory is synced.
void syncDirectoryOf(const std::string &path);
// "path: what: strerror(errno)"
std::string describeErrno(const std::string &path, const std::string &what);

// Why what `status` describes at `path` is not the user's alone (it belongs to
// another user, or others may write to it), ready for an error message; empty
// when it is. Whoever can write to it can put their own contents there.
std::string whyNotPrivate(const std::string &path, const struct stat &status);
// Refuses the file open at `fd` as above, else makes it 0600: what the remote
// keeps is nobody else's business. False with *error.
bool makePrivate(int fd, const std::string &path, const struct stat &status, std::string *error);
}  // namespace FileIo
