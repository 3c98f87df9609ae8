#pragma once

#include <cstdint>

// The formats the remote knows natively. Their ids are one byte below 0x22
// followed by two zero bytes; such a key needs no format data, only its
// fields in parts A and B of the key record (16 bytes, A first):
//
//   A bytes 0-7  the protocol's fields: D (device), S (subdevice), F (function),
//                E (extra), then up to four more of the protocol's own
//   B byte 0     T, the toggle bit (0 for protocols without one)
//   B byte 1     how the signal repeats: a RepeatKind
//   B byte 2     how many repeat frames follow the first frame (0-255)
//   B bytes 3-7  zero
//
//   id      protocol                                  carrier  fields used
//   010000  NEC1/NEC2: 9024/4512 lead-in, 32 bits     38 kHz   D, S = ~D, F, E = ~F
//   020000  RC5: biphase, 889 us half-bit, 14 bits    36 kHz   D (5 bits), F (7 bits), T
//   030000  NECx: NEC with a 16-bit device D, S       38 kHz   D, S, F, E = ~F
//
// A new protocol takes the next free first byte and one ProtocolCodec.
namespace KnownFormats
{
constexpr std::uint32_t nec1 = 0x010000;
constexpr std::uint32_t rc5 = 0x020000;
constexpr std::uint32_t necx = 0x030000;

// Learned formats' ids start at this first byte.
constexpr std::uint32_t firstLearnedByte = 0x22;

// Positions of the common fields in part A.
constexpr int fieldD = 0;
constexpr int fieldS = 1;
constexpr int fieldF = 2;
constexpr int fieldE = 3;

constexpr bool isKnownId(std::uint32_t id)
{
    return (id >> 16) < firstLearnedByte && (id & 0xFFFF) == 0;
}
}  // namespace KnownFormats

// How a known protocol's signal goes on after its first frame.
enum class RepeatKind : std::uint8_t
{
    None = 0,   // a single frame
    Ditto = 1,  // short repeat frames without data (NEC1)
    Full = 2,   // the whole frame again
};
