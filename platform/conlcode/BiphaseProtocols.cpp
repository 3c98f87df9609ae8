// The protocols of BiphaseTableCodec, each as its public IRP definition gives
// it (quoted above each). RC5, RC5x, RC6 and MCE keep their own known format
// ids; the others are rows of 170000, named by a number never reused.
#include "BiphaseTableCodec.h"

namespace
{
using Biphase::bits;
using Biphase::Frame;
using Biphase::mark;
using Biphase::space;
using Biphase::Step;
using Irp::complemented;
using Irp::constant;
using Irp::field;

constexpr int rc5HalfUs = 889;
constexpr int rc6HalfUs = 444;
constexpr int blaupunktHalfUs = 512;

// RC5 {36k,msb,889}<1,-1|-1,1>((1,~F:1:6,T:1,D:5,F:6,^114m)*,T=1-T)[D:0..31,F:0..127,T@:0..1=0]
constexpr Irp::Field rc5Fields[] = {{"D", 5, 0}, {"F", 7, 2}, {"T", 1, Irp::toggleByte}};
constexpr int rc5D = 0, rc5F = 1, rc5T = 2;
constexpr Step rc5Frame[] = {bits(constant(1, 1)), bits(complemented(rc5F, 1, 6)), bits(field(rc5T, 1)),
                             bits(field(rc5D, 5)), bits(field(rc5F, 6))};

// StreamZap {36k,msb,889}<1,-1|-1,1>(1,~F:1:6,T:1,D:6,F:6,^114m)*[D:0..63,F:0..63,T:0..1]
constexpr Irp::Field streamZapFields[] = {{"D", 6, 0}, {"F", 6, 2}, {"T", 1, Irp::toggleByte}};
constexpr Step streamZapFrame[] = {bits(constant(1, 1)), bits(complemented(rc5F, 1, 6)), bits(field(rc5T, 1)),
                                   bits(field(rc5D, 6)), bits(field(rc5F, 6))};

// RC5x {36k,msb,889}<1,-1|-1,1>((1,~S:1:6,T:1,D:5,-4,S:6,F:6,^114m)*,T=1-T) [D:0..31,S:0..127,F:0..63,T@:0..1=0]
constexpr Irp::Field rc5xFields[] = {{"D", 5, 0}, {"S", 7, 1}, {"F", 6, 2}, {"T", 1, Irp::toggleByte}};
constexpr int xD = 0, xS = 1, xF = 2, xT = 3;
constexpr Step rc5xFrame[] = {bits(constant(1, 1)),
                              bits(complemented(xS, 1, 6)),
                              bits(field(xT, 1)),
                              bits(field(xD, 5)),
                              space(4),
                              bits(field(xS, 6)),
                              bits(field(xF, 6))};

// RC6 {36k,444,msb}<-1,1|1,-1>((6,-2,1:1,0:3,<-2,2|2,-2>(T:1),D:8,F:8,^107m)*,T=1-T) [D:0..255,F:0..255,T@:0..1=0]
constexpr Irp::Field rc6Fields[] = {{"D", 8, 0}, {"F", 8, 2}, {"T", 1, Irp::toggleByte}};
constexpr int rc6D = 0, rc6F = 1, rc6T = 2;
constexpr Step rc6Frame[] = {mark(6),
                             space(2),
                             bits(constant(1, 1)),
                             bits(constant(0, 3)),
                             bits(field(rc6T, 1), 2),
                             bits(field(rc6D, 8)),
                             bits(field(rc6F, 8))};

// MCE {36k,444,msb}<-1,1|1,-1>((6,-2,1:1,6:3,-2,2,OEM1:8,S:8,T:1,D:7,F:8,^107m)*,T=1-T) {OEM1=128}
// [D:0..127,S:0..255,F:0..255,T@:0..1=0]
constexpr Irp::Field mceFields[] = {{"D", 7, 0}, {"S", 8, 1}, {"F", 8, 2}, {"T", 1, Irp::toggleByte}};
constexpr int sixD = 0, sixS = 1, sixF = 2, sixT = 3;
constexpr Step mceFrame[] = {mark(6),
                             space(2),
                             bits(constant(1, 1)),
                             bits(constant(6, 3)),
                             space(2),
                             mark(2),
                             bits(constant(128, 8)),
                             bits(field(sixS, 8)),
                             bits(field(sixT, 1)),
                             bits(field(sixD, 7)),
                             bits(field(sixF, 8))};

// RC6-6-20
// {36k,444,msb}<-1,1|1,-1>((6,-2,1:1,6:3,<-2,2|2,-2>(T:1),D:8,S:4,F:8,-100m)*,T=1-T)[D:0..255,S:0..15,F:0..255,T@:0..1=0]
// Replay
// {36k,444,msb}<-1,1|1,-1>(6,-2,1:1,6:3,<-2,2|2,-2>(T:1),D:8,S:8,F:8,-100m)*[D:0..255,S:0..255,F:0..255,T@:0..1=0]
constexpr Irp::Field rc6620Fields[] = {{"D", 8, 0}, {"S", 4, 1}, {"F", 8, 2}, {"T", 1, Irp::toggleByte}};
constexpr Step rc6620Frame[] = {mark(6),
                                space(2),
                                bits(constant(1, 1)),
                                bits(constant(6, 3)),
                                bits(field(sixT, 1), 2),
                                bits(field(sixD, 8)),
                                bits(field(sixS, 4)),
                                bits(field(sixF, 8))};
constexpr Irp::Field replayFields[] = {{"D", 8, 0}, {"S", 8, 1}, {"F", 8, 2}, {"T", 1, Irp::toggleByte}};
constexpr Step replayFrame[] = {mark(6),
                                space(2),
                                bits(constant(1, 1)),
                                bits(constant(6, 3)),
                                bits(field(sixT, 1), 2),
                                bits(field(sixD, 8)),
                                bits(field(sixS, 8)),
                                bits(field(sixF, 8))};

// Blaupunkt {30.3k,512}<-1,1|1,-1>(1,-5,1023:10, -44, (1,-5,1:1,F:6,D:3,-236)+ ,1,-5,1023:10,-44)[F:0..63,D:0..7]
constexpr Irp::Field blaupunktFields[] = {{"F", 6, 2}, {"D", 3, 0}};
constexpr Step blaupunktOuter[] = {mark(1), space(5), bits(constant(1023, 10))};
constexpr Step blaupunktBody[] = {mark(1), space(5), bits(constant(1, 1)), bits(field(0, 6)), bits(field(1, 3))};
constexpr Frame blaupunktStartEnd{blaupunktOuter, 0, 44 * blaupunktHalfUs};

constexpr std::uint32_t table = KnownFormats::biphaseTable;

constexpr Biphase::Protocol all[] = {
    {.formatId = KnownFormats::rc5,
     .irp = {"RC5", 0, 36000, rc5Fields},
     .halfUs = rc5HalfUs,
     .oneMarkFirst = false,
     .msbFirst = true,
     .first = {rc5Frame, 114000}},
    {.formatId = KnownFormats::rc6,
     .irp = {"RC6", 0, 36000, rc6Fields},
     .halfUs = rc6HalfUs,
     .oneMarkFirst = true,
     .msbFirst = true,
     .first = {rc6Frame, 107000}},
    {.formatId = KnownFormats::rc5x,
     .irp = {"RC5x", 0, 36000, rc5xFields},
     .halfUs = rc5HalfUs,
     .oneMarkFirst = false,
     .msbFirst = true,
     .first = {rc5xFrame, 114000}},
    {.formatId = KnownFormats::mce,
     .irp = {"MCE", 0, 36000, mceFields},
     .halfUs = rc6HalfUs,
     .oneMarkFirst = true,
     .msbFirst = true,
     .first = {mceFrame, 107000},
     .alias = "RC6-6-32"},
    {.formatId = table,
     .irp = {"RC6-6-20", 1, 36000, rc6620Fields},
     .halfUs = rc6HalfUs,
     .oneMarkFirst = true,
     .msbFirst = true,
     .first = {rc6620Frame, 0, 100000}},
    {.formatId = table,
     .irp = {"Replay", 2, 36000, replayFields},
     .halfUs = rc6HalfUs,
     .oneMarkFirst = true,
     .msbFirst = true,
     .first = {replayFrame, 0, 100000},
     .alias = "RC6-6-24"},
    {.formatId = table,
     .irp = {"StreamZap", 3, 36000, streamZapFields},
     .halfUs = rc5HalfUs,
     .oneMarkFirst = false,
     .msbFirst = true,
     .first = {streamZapFrame, 114000}},
    {.formatId = table,
     .irp = {"Blaupunkt", 4, 30300, blaupunktFields},
     .halfUs = blaupunktHalfUs,
     .oneMarkFirst = true,
     .msbFirst = false,
     .first = {blaupunktBody, 0, 236 * blaupunktHalfUs},
     .start = &blaupunktStartEnd,
     .end = &blaupunktStartEnd},
};
}  // namespace

std::span<const Biphase::Protocol> Biphase::protocols()
{
    return all;
}
