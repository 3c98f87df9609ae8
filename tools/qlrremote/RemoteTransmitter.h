#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "IrSignal.h"

// The remote's transmitter: the signal one press of a key sends, made again
// from the key's record in a memory image and, for a learned format, from the
// format data that the record's allocation slot locates in the code area. It
// lets anyone check that what learning stored reproduces the original signal.
class RemoteTransmitter
{
public:
    enum class Outcome
    {
        Sent,
        TablesUnreadable,   // the image is no remote's memory
        KeyNotListed,       // the key code is not in the remote's key-code list
        NoCode,             // the key's record holds no code
        FormatUnknown,      // a format the remote knows but no protocol of ours sends
        PartsInvalid,       // parts A and B do not fit the record's format
        SlotBeyond,         // a learned record's slot is past the allocation records
        SlotFree,           // a learned record's slot is not in use
        BlocksOutside,      // the slot's blocks lie outside the code area
        FormatDataInvalid,  // the slot's blocks hold no learned format
        TooLong,            // more durations than a press takes
    };

    struct Result
    {
        Outcome outcome = Outcome::TablesUnreadable;
        IrSignal signal;     // filled only when sent
        std::string reason;  // one line saying why nothing was sent; empty when sent

        bool sent() const { return outcome == Outcome::Sent; }
    };

    // The signal of key `keycode` (two digits, either case) in device mode
    // `mode` (0 to 7) of the remote whose whole memory `image` is.
    static Result send(const std::vector<std::uint8_t> &image, int mode, std::string_view keycode);

    // A device mode by name (TV CBL SAT DVD VCR CD AMP AUX, any case) or number 0 to 7.
    static std::optional<int> modeNamed(std::string_view text);
    static std::string modeName(int mode);

    // The signal as `qlr-remote press` reads it: a "carrier=HZ" line, then
    // one line per frame, mark first, the silence after a frame at its end.
    static std::string signalText(const IrSignal &signal);
};
