#pragma once

#include <cstdint>
#include <optional>
#include <string>

class RemoteDevice;

// A write to the remote's memory, told apart from a lost reply: the remote may
// apply a write and still report failure (the reply lost on the way, or late
// past the library's wait). A write that reports failure is read back, so
// that the caller puts its working copies right by what the remote holds,
// not by what the reply said.
class RemoteWrite
{
public:
    enum class Outcome
    {
        Written,     // the remote holds the data
        NotWritten,  // read back, the remote holds other bytes there
        Unknown      // failed, and nothing could be read back
    };
    struct Result
    {
        Outcome outcome = Outcome::Unknown;
        // What the remote holds at the address, as hex text: the data when
        // written, what was read back when not; empty when unknown.
        std::string held;

        bool written() const { return outcome == Outcome::Written; }
    };

    // `data` is hex text, whole bytes, written at `address` with `selector`.
    static Result write(RemoteDevice &device, const std::string &selector, std::uint32_t address,
                        const std::string &data);
    // `bytes` bytes from `address` as hex text; none when the read fails or
    // would leave the remote's memory.
    static std::optional<std::string> read(RemoteDevice &device, std::uint32_t address, std::size_t bytes);
};
