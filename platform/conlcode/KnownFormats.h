#pragma once

#include <cstdint>

// The formats the remote knows natively. Their ids are one byte below 0x22
// followed by two zero bytes; such a key needs no format data, only its
// fields in parts A and B of the key record (16 bytes, A first):
//
//   A bytes 0-7  the protocol's fields: D (device), S (subdevice), F (function),
//                E (extra), then up to four more of the protocol's own
//   B byte 0     bit 0: T, the toggle bit (0 for protocols without one);
//                bits 1-7: the carrier heard in kHz, 0 for the protocol's own
//                (no carrier in the capture, or a code stored before)
//   B byte 1     bits 0-1: how the signal repeats, a RepeatKind; bit 2: gaps
//                step by 1.08 instead of 1.03, each distinct nominal gap with
//                a nibble of its own after the lengths' ones; bits 3-7: the
//                receiver's skew, signed, in steps of 16 us (marks longer,
//                spaces shorter); bits 2-7 are 0 in codes stored before
//   B byte 2     how many repeat frames follow the first frame (0-255)
//   B bytes 3-7  the remote's own timing (TimingFit): ten signed nibbles, one
//                per distinct nominal length of the protocol's marks, then
//                spaces, shortest first, then one for the gaps between
//                frames (beyond ten, neighbouring lengths share nibbles); n
//                stretches the length by 1.03^n
//
//   id      protocol (IRP name)                          fields used
//   010000  NEC1, NEC2, NEC1-f16, NEC2-f16               D, S, F, E
//   020000  RC5                                          D, F, T
//   030000  NECx1, NECx2, NECx1-f16, NECx2-f16           D, S, F, E
//   040000  Pioneer (40 kHz; no carrier: D 160-175)      D, S, F, E
//   050000  RC5x                                         D, S (7 bits), F, T
//   060000  RC6 (mode 0)                                 D, F, T
//   070000  Sony12, 080000 Sony15, 090000 Sony20          D, S (Sony20), F
//   0A0000  Kaseikyo                                     D, S, F, E, M, N
//   0B0000  Panasonic                                    D, S, F
//   0C0000  RCA (58 kHz, or no carrier in the capture)   D, F
//   0D0000  Samsung36                                    D, S, F, E
//   0E0000  JVC, 0F0000 JVC{2} (the lead-in missing)     D, F
//   100000  NEC42                                        D (13 bits, bytes 0-1), F
//   110000  Sharp, 120000 Denon                          D, F; byte 7 which
//           halves: 0 by turns from F's, 1 from ~F's, 2 F's alone, 3 ~F's
//   130000  Mitsubishi                                   D, F
//   140000  MCE (RC6-6-32 with OEM1 128, T in the data)  D (7 bits), S, F, T
//   150000  RCA-38 (RCA's timing, told by the carrier)   D, F
//   160000  the pulse table's protocols (PulseProtocols.cpp): part A byte 7
//           the protocol's row, byte 6 which of its optional frames the
//           press holds (1: start frame, 2: end frame), bytes 0-5 its fields
//             1 Dish_Network   2 Aiwa       3 Thomson7   4 Thomson   5 RECS80
//             6 Panasonic_Old  7 Proton     8 G.I.Cable  9 Emerson
//             10 DirecTV_P0 (P2, P4 at 38, 57 kHz)  11 DirecTV_P1 (P3, P5)
//             12 Nokia32       13 Tivo      14 Nokia12   15 Nokia    16 G.I.4DTV
//             17 XMP           18 Denon-K   19 JVC-48    20 Bose
//             21 SharpDVD      22 Panasonic2             23 48-NEC1  24 48-NEC2
//   170000  the biphase table's protocols (BiphaseProtocols.cpp), as 160000
//             1 RC6-6-20       2 Replay (RC6-6-24)       3 StreamZap
//             4 Blaupunkt
//
// Only 12 first bytes were free (16 to 21), too few for a protocol each. So
// new protocols are rows of a table under one id, named by a row number that
// is never reused; 180000 to 210000 stay free for further tables.
namespace KnownFormats
{
constexpr std::uint32_t nec = 0x010000;
constexpr std::uint32_t rc5 = 0x020000;
constexpr std::uint32_t necx = 0x030000;
constexpr std::uint32_t pioneer = 0x040000;
constexpr std::uint32_t rc5x = 0x050000;
constexpr std::uint32_t rc6 = 0x060000;
constexpr std::uint32_t sony12 = 0x070000;
constexpr std::uint32_t sony15 = 0x080000;
constexpr std::uint32_t sony20 = 0x090000;
constexpr std::uint32_t kaseikyo = 0x0A0000;
constexpr std::uint32_t panasonic = 0x0B0000;
constexpr std::uint32_t rca = 0x0C0000;
constexpr std::uint32_t samsung36 = 0x0D0000;
constexpr std::uint32_t jvc = 0x0E0000;
constexpr std::uint32_t jvcWithoutLead = 0x0F0000;
constexpr std::uint32_t nec42 = 0x100000;
constexpr std::uint32_t sharp = 0x110000;
constexpr std::uint32_t denon = 0x120000;
constexpr std::uint32_t mitsubishi = 0x130000;
constexpr std::uint32_t mce = 0x140000;
constexpr std::uint32_t rca38 = 0x150000;
constexpr std::uint32_t pulseTable = 0x160000;
constexpr std::uint32_t biphaseTable = 0x170000;

// Learned formats' ids start at this first byte.
constexpr std::uint32_t firstLearnedByte = 0x22;

// Positions of the common fields in part A.
constexpr int fieldD = 0;
constexpr int fieldS = 1;
constexpr int fieldF = 2;
constexpr int fieldE = 3;
constexpr int fieldM = 4;
constexpr int fieldN = 5;

constexpr bool isKnownId(std::uint32_t id)
{
    return (id >> 16) < firstLearnedByte && (id & 0xFFFF) == 0;
}
}  // namespace KnownFormats

// How a known protocol's signal goes on after its first frame.
enum class RepeatKind : std::uint8_t
{
    None = 0,   // a single frame
    Ditto = 1,  // distinct repeat frames (NEC1's short ones)
    Full = 2,   // the whole frame again
};
