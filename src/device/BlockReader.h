#pragma once

#include <cstdint>
#include <string>

class RemoteDevice;

// The block read routine every read of the remote's memory goes through: a
// zeroed buffer of the stated size, one readdatav20 call with selector "08",
// and on success the whole buffer as text, one character per byte, zero bytes
// included. On failure the text is empty.
class BlockReader
{
public:
    static std::string read(RemoteDevice &device, std::uint16_t address, int count, std::size_t bufferSize);
    // ReadVersion (250 bytes) and RBasicInfo (1024 bytes) turned into text the same way.
    static std::string readVersion(RemoteDevice &device);
    static std::string readBasicInfo(RemoteDevice &device);
};
