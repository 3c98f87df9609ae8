// A learned format's data as the transmitter reads them from the code area,
// with the key's parts: the first 16 bytes are parts A and B, the rest the
// format data. Data that read as a format write back as the same format, and
// the signal they send has no negative length.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "FuzzRequire.h"
#include "LearnedFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::array<std::uint8_t, 16> parts{};
    if (size < parts.size())
        return 0;
    std::copy(data, data + parts.size(), parts.begin());
    const std::optional<LearnedFormat> format =
        LearnedFormat::parse(std::vector<std::uint8_t>(data + parts.size(), data + size));
    if (!format)
        return 0;
    require(LearnedFormat::parse(format->serialize()) == format);
    if (const std::optional<IrSignal> signal = format->signal(parts)) {
        for (const IrFrame &frame : signal->frames) {
            for (const int length : frame.durations)
                require(length >= 0);
            require(frame.gapAfterUs >= 0);
        }
    }
    return 0;
}
