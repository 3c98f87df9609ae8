#pragma once

// Disk failures on demand for the image file's writes: this test program's
// pwrite and fdatasync stand in front of the C library's.
namespace DiskFaults
{
// The next fdatasync fails with EIO.
void failNextSync();
// The next pwrite writes only a few bytes; the one after it fails with ENOSPC.
void failMidWrite();
void clear();
}  // namespace DiskFaults
