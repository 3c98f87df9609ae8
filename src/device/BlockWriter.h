#pragma once

#include <cstdint>
#include <string>

class RemoteDevice;

// The write routine of the remote's memory, the counterpart of BlockReader:
// one writedatav20 call with the write selector, the address as two 2-digit
// texts, high byte first, and the data as hex text.
class BlockWriter
{
public:
    // False when the remote refuses the write or the address lies beyond 16 bits.
    static bool write(RemoteDevice &device, const std::string &selector, std::uint32_t address,
                      const std::string &data);
};
