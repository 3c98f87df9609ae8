#include "DiskFaults.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

namespace
{
std::atomic<bool> syncFails{false};
// 0: normal; 1: the next write is cut short; 2: the next write fails.
std::atomic<int> writeStage{0};
// Calls left until the kill; zero: no kill planned.
std::atomic<int> writesToDeath{0};
std::atomic<int> syncsToDeath{0};
std::atomic<size_t> keptAtDeath{0};

bool deathIsDue(std::atomic<int> &left)
{
    return left.load() > 0 && --left == 0;
}

template <typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

ssize_t faultyWrite(const char *name, int fd, const void *buffer, size_t count, off_t offset)
{
    using Write = ssize_t (*)(int, const void *, size_t, off_t);
    if (deathIsDue(writesToDeath)) {
        real<Write>(name)(fd, buffer, std::min(count, keptAtDeath.load()), offset);
        _exit(DiskFaults::killedExitCode);
    }
    int stage = writeStage.load();
    if (stage == 2 && writeStage.compare_exchange_strong(stage, 0)) {
        errno = ENOSPC;
        return -1;
    }
    if (stage == 1 && count > 3 && writeStage.compare_exchange_strong(stage, 2)) {
        count = 3;
    }
    return real<Write>(name)(fd, buffer, count, offset);
}
}  // namespace

namespace DiskFaults
{
void failNextSync()
{
    syncFails = true;
}

void failMidWrite()
{
    writeStage = 1;
}

void dieAtWrite(int nth, std::size_t keep)
{
    keptAtDeath = keep;
    writesToDeath = nth;
}

void dieAtSync(int nth)
{
    syncsToDeath = nth;
}

void clear()
{
    syncFails = false;
    writeStage = 0;
    writesToDeath = 0;
    syncsToDeath = 0;
}
}  // namespace DiskFaults

extern "C" ssize_t pwrite(int fd, const void *buffer, size_t count, off_t offset)
{
    return faultyWrite("pwrite", fd, buffer, count, offset);
}

extern "C" ssize_t pwrite64(int fd, const void *buffer, size_t count, off_t offset)
{
    return faultyWrite("pwrite64", fd, buffer, count, offset);
}

extern "C" int fdatasync(int fd)
{
    if (deathIsDue(syncsToDeath)) {
        _exit(DiskFaults::killedExitCode);
    }
    if (syncFails.exchange(false)) {
        errno = EIO;
        return -1;
    }
    return real<int (*)(int)>("fdatasync")(fd);
}
