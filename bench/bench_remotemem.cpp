// Cost of the remote-memory work that runs on the user-interface thread, apart
// from the device transfers: reading and parsing every start-up table, the
// consistency check of a whole image, and the free-run search on the largest
// block map a remote can have (8192 blocks) at its most fragmented.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "BlockAllocator.h"
#include "FactoryImage.h"
#include "MemoryCheck.h"
#include "MemoryImageDevice.h"
#include "RemoteTablesReader.h"

namespace
{
double medianMicroseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}
}  // namespace

int main()
{
    const std::vector<std::uint8_t> image = FactoryImage::build();
    MemoryImageDevice device(image);
    std::size_t sink = 0;

    const double read =
        medianMicroseconds(200, [&] { sink += RemoteTablesReader::read(device).tables.keystates.size(); });
    const double check = medianMicroseconds(200, [&] { sink += MemoryCheck::check(image).leaks.size(); });

    RemoteTables tables;
    tables.blockcount = 8192;
    tables.blockmap.resize(8192);
    for (std::size_t b = 0; b < tables.blockmap.size(); ++b)
        tables.blockmap[b] = b % 2 == 0 ? '0' : '1';
    const double search = medianMicroseconds(200, [&] { sink += BlockAllocator(tables).findFreeRun(2).has_value(); });

    std::printf("read and parse all start-up tables (factory image, no transfer time): %.1f us\n", read);
    std::printf("consistency check of a 64 KiB image: %.1f us\n", check);
    std::printf("free-run search, 8192 blocks alternating free/used, no room: %.1f us\n", search);
    return sink == 0 ? 1 : 0;
}
