#pragma once

#include <cstddef>

// Disk failures on demand for the image file's writes: this test program's
// pwrite and fdatasync stand in front of the C library's.
namespace DiskFaults
{
// The next fdatasync fails with EIO.
void failNextSync();
// The next pwrite writes only a few bytes; the one after it fails with ENOSPC.
void failMidWrite();
// A kill at a chosen moment, for a child process to die in: the `nth` pwrite
// from now writes at most `keep` bytes, or the `nth` fdatasync from now starts,
// and the process ends at once with exit code `killedExitCode`.
constexpr int killedExitCode = 86;
void dieAtWrite(int nth, std::size_t keep);
void dieAtSync(int nth);
void clear();
}  // namespace DiskFaults
