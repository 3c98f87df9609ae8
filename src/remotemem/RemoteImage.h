#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class RemoteDevice;

// The remote's whole memory, 65,536 bytes, read through the device library in
// pieces of the size its other reads have.
class RemoteImage
{
public:
    static constexpr int readUnits = 128;  // 1 KiB a read

    // Nothing when a read fails.
    static std::optional<std::vector<std::uint8_t>> read(RemoteDevice &device);
};
