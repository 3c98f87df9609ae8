#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "IrSignal.h"
#include "OriginalDevices.h"

// The original remote in the user's hand: one of OriginalDevices, whose keys
// send their codes at the protocol's nominal timing. A protocol with a toggle
// bit flips it on every press, as a real remote does, so that the receiver
// tells a new press from a held key.
class OriginalRemote
{
public:
    struct Press
    {
        std::string description;  // "NEC1 D=4 F=8", "RC5 D=16 F=12 T=1"
        std::string request;      // the server's press request
        IrSignal signal;
    };

    // A short press: the first frame and one repeat, as a hand's tap sends it.
    static constexpr int repeatFrames = 1;

    // False (the choice unchanged) when there is no such device.
    bool select(std::size_t device);
    std::size_t selected() const { return m_device; }
    const OriginalDevice &device() const;

    // One press of `key`; nothing, with *error saying why, when the device
    // has no such key or its fields do not fit its protocol.
    std::optional<Press> press(OriginalKey key, std::string *error);

    // The fields of one key as the protocol takes them, those the device
    // table leaves to the protocol's defaults filled in.
    static ProtocolCodec::Fields fieldsOf(const OriginalDevice &device, int function);

private:
    std::size_t m_device = 0;
    std::uint8_t m_toggle = 0;
};
