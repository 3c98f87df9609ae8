// The protocols of PulseTableCodec, each as its public IRP definition gives
// it (quoted above each). A row's number is what stored codes name it by:
// rows are only ever added, under a number of their own.
#include "PulseTableCodec.h"

namespace
{
using Irp::check;
using Irp::complemented;
using Irp::constant;
using Irp::field;
using Irp::reversed;
using Pulse::bits;
using Pulse::Frame;
using Pulse::mark;
using Pulse::space;
using Pulse::Step;
using Symbol = PulseBits::Symbol;

// `units` of `unit` microseconds, to the microsecond.
constexpr int of(double units, double unit)
{
    return static_cast<int>(units * unit + 0.5);
}

constexpr int D = 0, S = 1, F = 2, X = 3, T = 4;

int bitCount(int value)
{
    int count = 0;
    for (; value != 0; value &= value - 1) {
        ++count;
    }
    return count;
}

// Dish_Network {57.6k,406}<1,-7|1,-4>(1,-15,(F:-6,S:5,D:5,1,-15)+) [F:0..63,S:0..31,D:0..31]
constexpr double dishUnit = 406;
constexpr Symbol dishSymbols[] = {{of(1, dishUnit), of(7, dishUnit)}, {of(1, dishUnit), of(4, dishUnit)}};
constexpr Irp::Field dishFields[] = {{"F", 6, 2}, {"S", 5, 1}, {"D", 5, 0}};
constexpr int dishF = 0, dishS = 1, dishD = 2;
constexpr Step dishLead[] = {mark(of(1, dishUnit))};
constexpr Step dishFrame[] = {bits(reversed(dishF, 6)), bits(field(dishS, 5)), bits(field(dishD, 5)),
                              mark(of(1, dishUnit))};
constexpr Frame dishStart{dishLead, 0, of(15, dishUnit)};

// Aiwa {38.123k,550}<1,-1|1,-3>(16,-8,D:8,S:5,~D:8,~S:5,F:8,~F:8,1,-42,(16,-8,1,-165)*)[D:0..255,S:0..31,F:0..255]
constexpr double aiwaUnit = 550;
constexpr Symbol aiwaSymbols[] = {{of(1, aiwaUnit), of(1, aiwaUnit)}, {of(1, aiwaUnit), of(3, aiwaUnit)}};
constexpr Irp::Field necFields[] = {{"D", 8, 0}, {"S", 5, 1}, {"F", 8, 2}};
constexpr Step aiwaFrame[] = {mark(of(16, aiwaUnit)), space(of(8, aiwaUnit)),   bits(field(D, 8)),
                              bits(field(S, 5)),      bits(complemented(D, 8)), bits(complemented(S, 5)),
                              bits(field(F, 8)),      bits(complemented(F, 8)), mark(of(1, aiwaUnit))};
constexpr Step aiwaDitto[] = {mark(of(16, aiwaUnit)), space(of(8, aiwaUnit)), mark(of(1, aiwaUnit))};
constexpr Frame aiwaRepeat{aiwaDitto, 0, of(165, aiwaUnit)};

// Thomson7 {33k,500}<1,-4|1,-9>((D:4,T:1,F:7,1,^80m)*,T=1-T) [D:0..15,F:0..127,T@:0..1=0]
// Thomson  {33k,500}<1,-4|1,-9>((D:4,T:1,D:1:4,F:6,1,^80m)*,T=1-T)[D:0..31,F:0..63,T@:0..1=0]
constexpr double thomsonUnit = 500;
constexpr Symbol thomsonSymbols[] = {{of(1, thomsonUnit), of(4, thomsonUnit)},
                                     {of(1, thomsonUnit), of(9, thomsonUnit)}};
constexpr Irp::Field thomson7Fields[] = {{"D", 4, 0}, {"F", 7, 2}, {"T", 1, Irp::toggleByte}};
constexpr Irp::Field thomsonFields[] = {{"D", 5, 0}, {"F", 6, 2}, {"T", 1, Irp::toggleByte}};
constexpr int thomsonD = 0, thomsonF = 1, thomsonT = 2;
constexpr Step thomson7Frame[] = {bits(field(thomsonD, 4)), bits(field(thomsonT, 1)), bits(field(thomsonF, 7)),
                                  mark(of(1, thomsonUnit))};
constexpr Step thomsonFrame[] = {bits(field(thomsonD, 4)), bits(field(thomsonT, 1)), bits(field(thomsonD, 1, 4)),
                                 bits(field(thomsonF, 6)), mark(of(1, thomsonUnit))};

// RECS80 {38k,158,msb}<1,-31|1,-47>(1:1,T:1,D:3,F:6,1,-45m)* [D:0..7,F:0..63, T@:0..1=0]
constexpr double recsUnit = 158;
constexpr Symbol recsSymbols[] = {{of(1, recsUnit), of(31, recsUnit)}, {of(1, recsUnit), of(47, recsUnit)}};
constexpr Irp::Field recsFields[] = {{"D", 3, 0}, {"F", 6, 2}, {"T", 1, Irp::toggleByte}};
constexpr int recsD = 0, recsF = 1, recsT = 2;
constexpr Step recsFrame[] = {bits(constant(1, 1)), bits(field(recsT, 1)), bits(field(recsD, 3)), bits(field(recsF, 6)),
                              mark(of(1, recsUnit))};

// Panasonic_Old {57.6k,833}<1,-1|1,-3>(4,-4,D:5,F:6,~D:5,~F:6,1,-44m)* [D:0..31,F:0..63]
constexpr double panasonicOldUnit = 833;
constexpr Symbol panasonicOldSymbols[] = {{of(1, panasonicOldUnit), of(1, panasonicOldUnit)},
                                          {of(1, panasonicOldUnit), of(3, panasonicOldUnit)}};
constexpr Irp::Field panasonicOldFields[] = {{"D", 5, 0}, {"F", 6, 2}};
constexpr int twoD = 0, twoF = 1;
constexpr Step panasonicOldFrame[] = {
    mark(of(4, panasonicOldUnit)), space(of(4, panasonicOldUnit)), bits(field(twoD, 5)),         bits(field(twoF, 6)),
    bits(complemented(twoD, 5)),   bits(complemented(twoF, 6)),    mark(of(1, panasonicOldUnit))};

// Proton {38.5k,500}<1,-1|1,-3>(16,-8,D:8,1,-8,F:8,1,^63m)*[D:0..255,F:0..255]
constexpr double protonUnit = 500;
constexpr Symbol protonSymbols[] = {{of(1, protonUnit), of(1, protonUnit)}, {of(1, protonUnit), of(3, protonUnit)}};
constexpr Irp::Field twoFields[] = {{"D", 8, 0}, {"F", 8, 2}};
constexpr Step protonFrame[] = {mark(of(16, protonUnit)), space(of(8, protonUnit)), bits(field(twoD, 8)),
                                mark(of(1, protonUnit)),  space(of(8, protonUnit)), bits(field(twoF, 8)),
                                mark(of(1, protonUnit))};

// G.I.Cable {38.7k,490}<1,-4.5|1,-9>(18,-9,F:8,D:4,C:4,1,-84,(18,-4.5,1,-178)*){C = -(D + F:4 + F:4:4)}
// [D:0..15,F:0..255]
constexpr double giUnit = 490;
constexpr Symbol giSymbols[] = {{of(1, giUnit), of(4.5, giUnit)}, {of(1, giUnit), of(9, giUnit)}};
constexpr Irp::Field d4f8Fields[] = {{"D", 4, 0}, {"F", 8, 2}};
constexpr Step giFrame[] = {mark(of(18, giUnit)), space(of(9, giUnit)), bits(field(twoF, 8)),
                            bits(field(twoD, 4)), bits(check(0, 4)),    mark(of(1, giUnit))};
constexpr Step giDitto[] = {mark(of(18, giUnit)), space(of(4.5, giUnit)), mark(of(1, giUnit))};
constexpr Frame giRepeat{giDitto, 0, of(178, giUnit)};
void giChecks(Irp::Values &v)
{
    v[Irp::maxFields] = -(v[twoD] + (v[twoF] & 0xF) + (v[twoF] >> 4)) & 0xF;
}

// Emerson {36.7k,872}<1,-1|1,-3>(4,-4,D:6,F:6,~D:6,~F:6,1,-39)* [D:0..63,F:0..63]
constexpr double emersonUnit = 872;
constexpr Symbol emersonSymbols[] = {{of(1, emersonUnit), of(1, emersonUnit)},
                                     {of(1, emersonUnit), of(3, emersonUnit)}};
constexpr Irp::Field emersonFields[] = {{"D", 6, 0}, {"F", 6, 2}};
constexpr Step emersonFrame[] = {mark(of(4, emersonUnit)), space(of(4, emersonUnit)),   bits(field(twoD, 6)),
                                 bits(field(twoF, 6)),     bits(complemented(twoD, 6)), bits(complemented(twoF, 6)),
                                 mark(of(1, emersonUnit))};

// DirecTV_P0
// {40k,600,msb}<1,-1|1,-2|2,-1|2,-2>([10][5],-2,D:4,F:8,C:4,1,-15)+{C=7*(F:2:6)+5*(F:2:4)+3*(F:2:2)+(F:2)}[D:0..15,F:0..255]
// P1 to P5: lead-out -50 for the odd ones, 38k for P2 and P3, 57k for P4 and P5.
constexpr double directvUnit = 600;
constexpr Symbol directvSymbols[] = {{of(1, directvUnit), of(1, directvUnit)},
                                     {of(1, directvUnit), of(2, directvUnit)},
                                     {of(2, directvUnit), of(1, directvUnit)},
                                     {of(2, directvUnit), of(2, directvUnit)}};
constexpr Step directvFirst[] = {mark(of(10, directvUnit)), space(of(2, directvUnit)), bits(field(twoD, 4)),
                                 bits(field(twoF, 8)),      bits(check(0, 4)),         mark(of(1, directvUnit))};
constexpr Step directvRepeat[] = {mark(of(5, directvUnit)), space(of(2, directvUnit)), bits(field(twoD, 4)),
                                  bits(field(twoF, 8)),     bits(check(0, 4)),         mark(of(1, directvUnit))};
constexpr Frame directvShortRepeat{directvRepeat, 0, of(15, directvUnit)};
constexpr Frame directvLongRepeat{directvRepeat, 0, of(50, directvUnit)};
constexpr Pulse::CarrierName directvShortNames[] = {
    {"DirecTV_P0", 40000}, {"DirecTV_P2", 38000}, {"DirecTV_P4", 57000}};
constexpr Pulse::CarrierName directvLongNames[] = {{"DirecTV_P1", 40000}, {"DirecTV_P3", 38000}, {"DirecTV_P5", 57000}};
void directvChecks(Irp::Values &v)
{
    const int f = v[twoF];
    v[Irp::maxFields] = (7 * (f >> 6 & 3) + 5 * (f >> 4 & 3) + 3 * (f >> 2 & 3) + (f & 3)) & 0xF;
}

// Nokia32 {36k,1p,msb}<6,-10|6,-16|6,-22|6,-28>((15,-10,D:8,S:8,T:1,X:7,F:8,6,^100m)*,T=1-T)
// [D:0..255,S:0..255,F:0..255,T@:0..1=0,X:0..127] Nokia12
// {36k,1p,msb}<6,-10|6,-16|6,-22|6,-28>(15,-10,D:4,F:8,6,^100m)*[D:0..15,F:0..255] Nokia
// {36k,1p,msb}<6,-10|6,-16|6,-22|6,-28>(15,-10,D:8,S:8,F:8,6,^100m)* [D:0..255,S:0..255,F:0..255]
constexpr double nokiaUnit = 1e6 / 36000;
constexpr Symbol nokiaSymbols[] = {{of(6, nokiaUnit), of(10, nokiaUnit)},
                                   {of(6, nokiaUnit), of(16, nokiaUnit)},
                                   {of(6, nokiaUnit), of(22, nokiaUnit)},
                                   {of(6, nokiaUnit), of(28, nokiaUnit)}};
constexpr int nokiaExtent = 100000;
constexpr Irp::Field nokia32Fields[] = {{"D", 8, 0}, {"S", 8, 1}, {"F", 8, 2}, {"X", 7, X}, {"T", 1, Irp::toggleByte}};
constexpr Step nokia32Frame[] = {mark(of(15, nokiaUnit)), space(of(10, nokiaUnit)), bits(field(D, 8)),
                                 bits(field(S, 8)),       bits(field(T, 1)),        bits(field(X, 7)),
                                 bits(field(F, 8)),       mark(of(6, nokiaUnit))};
constexpr Irp::Field nokia12Fields[] = {{"D", 4, 0}, {"F", 8, 2}};
constexpr Step nokia12Frame[] = {mark(of(15, nokiaUnit)), space(of(10, nokiaUnit)), bits(field(twoD, 4)),
                                 bits(field(twoF, 8)), mark(of(6, nokiaUnit))};
constexpr Irp::Field threeFields[] = {{"D", 8, 0}, {"S", 8, 1}, {"F", 8, 2}};
constexpr Step nokiaFrame[] = {mark(of(15, nokiaUnit)), space(of(10, nokiaUnit)), bits(field(D, 8)),
                               bits(field(S, 8)),       bits(field(F, 8)),        mark(of(6, nokiaUnit))};

// Tivo {38.4k,564}<1,-1|1,-3>(16,-8,D:8,S:8,F:8,U:4,~F:4:4,1,-78,(16,-4,1,-173)*)
// [D:133..133=133,S:48..48=48,F:0..255,U:0..15]
constexpr double necUnit = 564;
constexpr Symbol necSymbols[] = {{of(1, necUnit), of(1, necUnit)}, {of(1, necUnit), of(3, necUnit)}};
constexpr Irp::Field tivoFields[] = {{"D", 8, 0, 133, 133}, {"S", 8, 1, 48, 48}, {"F", 8, 2}, {"U", 4, 3}};
constexpr int tivoU = 3;
constexpr Step tivoFrame[] = {mark(of(16, necUnit)),       space(of(8, necUnit)), bits(field(D, 8)),
                              bits(field(S, 8)),           bits(field(F, 8)),     bits(field(tivoU, 4)),
                              bits(complemented(F, 4, 4)), mark(of(1, necUnit))};
// NEC's ditto, which Tivo and 48-NEC1 repeat with.
constexpr Step necDitto[] = {mark(of(16, necUnit)), space(of(4, necUnit)), mark(of(1, necUnit))};
constexpr Frame tivoRepeat{necDitto, 0, of(173, necUnit)};

// G.I.4DTV {37.3k,992}<1,-1|1,-3>(5,-2,F:6,D:2,C0:1,C1:1,C2:1,C3:1,1,-60)* { C0=D:1:2 + #(F&25) + #(D&1),
// C1=D:1:2 + #(F&43) + #(D&3), C2=D:1:2 + #(F&22) + #(D&3), C3=D:1:2 + #(F&44) + #(D&2) }[D:0..7, F:0..63]
constexpr double gi4dtvUnit = 992;
constexpr Symbol gi4dtvSymbols[] = {{of(1, gi4dtvUnit), of(1, gi4dtvUnit)}, {of(1, gi4dtvUnit), of(3, gi4dtvUnit)}};
constexpr Irp::Field gi4dtvFields[] = {{"D", 3, 0}, {"F", 6, 2}};
constexpr Step gi4dtvFrame[] = {mark(of(5, gi4dtvUnit)), space(of(2, gi4dtvUnit)), bits(field(twoF, 6)),
                                bits(field(twoD, 2)),    bits(check(0, 1)),        bits(check(1, 1)),
                                bits(check(2, 1)),       bits(check(3, 1)),        mark(of(1, gi4dtvUnit))};
void gi4dtvChecks(Irp::Values &v)
{
    const int d = v[twoD];
    const int f = v[twoF];
    const int high = d >> 2 & 1;
    v[Irp::maxFields] = high + bitCount(f & 25) + bitCount(d & 1);
    v[Irp::maxFields + 1] = high + bitCount(f & 43) + bitCount(d & 3);
    v[Irp::maxFields + 2] = high + bitCount(f & 22) + bitCount(d & 3);
    v[Irp::maxFields + 3] = high + bitCount(f & 44) + bitCount(d & 2);
}

// XMP {38k,136,msb}<210u,-760u|210u,-896u|210u,-1032u|210u,-1168u|210u,-1304u|210u,-1449u|210u,-1576u|210u,-1712u|
// 210u,-1848u|210u,-1984u|210u,-2120u|210u,-2256u|210u,-2392u|210u,-2528u|210u,-2664u|210u,-2800u>
// ([T=0][T=8],S:4:4,C1:4,S:4,15:4,OEM:8,D:8,210u,-13.8m,S:4:4,C2:4,T:4,S:4,F:16,210u,-80.4m)+
// { C1=-(S+S::4+15+OEM+OEM::4+D+D::4), C2=-(S+S::4+T+F+F::4+F::8+F::12) }[F:0..65535,D:0..255,S:0..255,OEM:0..255=68]
constexpr int xmpMark = 210;
constexpr Symbol xmpSymbols[] = {{xmpMark, 760},  {xmpMark, 896},  {xmpMark, 1032}, {xmpMark, 1168},
                                 {xmpMark, 1304}, {xmpMark, 1449}, {xmpMark, 1576}, {xmpMark, 1712},
                                 {xmpMark, 1848}, {xmpMark, 1984}, {xmpMark, 2120}, {xmpMark, 2256},
                                 {xmpMark, 2392}, {xmpMark, 2528}, {xmpMark, 2664}, {xmpMark, 2800}};
constexpr Irp::Field xmpFields[] = {{"D", 8, 0}, {"S", 8, 1}, {"F", 16, 2}, {"OEM", 8, 4}};
constexpr int xmpD = 0, xmpS = 1, xmpF = 2, xmpOem = 3;
constexpr Step xmpFrame[] = {bits(field(xmpS, 4, 4)),
                             bits(check(0, 4)),
                             bits(field(xmpS, 4)),
                             bits(constant(15, 4)),
                             bits(field(xmpOem, 8)),
                             bits(field(xmpD, 8)),
                             mark(xmpMark),
                             space(13800),
                             bits(field(xmpS, 4, 4)),
                             bits(check(1, 4)),
                             bits(field(static_cast<int>(Pulse::markerSlot), 4)),
                             bits(field(xmpS, 4)),
                             bits(field(xmpF, 16)),
                             mark(xmpMark)};
constexpr Frame xmpRepeat{xmpFrame, 0, 80400, 8};
// Remotes end a press with a frame of T=9, 13.8 ms after the last repeat
// when the key is let go then (remote captures, not the definition).
constexpr Frame xmpEnd{xmpFrame, 0, 80400, 9, 13800};
void xmpChecks(Irp::Values &v)
{
    const int s = v[xmpS], oem = v[xmpOem], d = v[xmpD], f = v[xmpF], t = v[Pulse::markerSlot];
    v[Irp::maxFields] = -(s + (s >> 4) + 15 + oem + (oem >> 4) + d + (d >> 4)) & 0xF;
    v[Irp::maxFields + 1] = -(s + (s >> 4) + t + f + (f >> 4) + (f >> 8) + (f >> 12)) & 0xF;
}

// Denon-K {37k,432}<1,-1|1,-3>(8,-4,84:8,50:8,0:4,D:4,S:4,F:12,((D*16)^S^(F*16)^(F:8:4)):8,1,-173)*
// [D:0..15,S:0..15,F:0..4095] JVC-48  {37k,432}<1,-1|1,-3>(8,-4,3:8,1:8,D:8,S:8,F:8,(D^S^F):8,1,-173)*
// [D:0..255,S:0..255,F:0..255]
constexpr double kaseikyoUnit = 432;
constexpr Symbol kaseikyoSymbols[] = {{of(1, kaseikyoUnit), of(1, kaseikyoUnit)},
                                      {of(1, kaseikyoUnit), of(3, kaseikyoUnit)}};
constexpr Irp::Field denonKFields[] = {{"D", 4, 0}, {"S", 4, 1}, {"F", 12, 2}};
constexpr Step denonKFrame[] = {mark(of(8, kaseikyoUnit)), space(of(4, kaseikyoUnit)), bits(constant(84, 8)),
                                bits(constant(50, 8)),     bits(constant(0, 4)),       bits(field(D, 4)),
                                bits(field(S, 4)),         bits(field(F, 12)),         bits(check(0, 8)),
                                mark(of(1, kaseikyoUnit))};
void denonKChecks(Irp::Values &v)
{
    v[Irp::maxFields] = ((v[D] * 16) ^ v[S] ^ (v[F] * 16) ^ (v[F] >> 4)) & 0xFF;
}
constexpr Step jvc48Frame[] = {mark(of(8, kaseikyoUnit)), space(of(4, kaseikyoUnit)), bits(constant(3, 8)),
                               bits(constant(1, 8)),      bits(field(D, 8)),          bits(field(S, 8)),
                               bits(field(F, 8)),         bits(check(0, 8)),          mark(of(1, kaseikyoUnit))};
void jvc48Checks(Irp::Values &v)
{
    v[Irp::maxFields] = v[D] ^ v[S] ^ v[F];
}

// SharpDVD {38k,400}<1,-1|1,-3>(8,-4,170:8,90:8,15:4,D:4,S:8,F:8,E:4,C:4,1,-48)*
// {C = D ^ S:4:0 ^ S:4:4 ^ F:4:0 ^ F:4:4 ^ E:4}[D:0..15,S:0..255,F:0..255,E:0..15=1]
constexpr double sharpDvdUnit = 400;
constexpr Symbol sharpDvdSymbols[] = {{of(1, sharpDvdUnit), of(1, sharpDvdUnit)},
                                      {of(1, sharpDvdUnit), of(3, sharpDvdUnit)}};
constexpr Irp::Field sharpDvdFields[] = {{"D", 4, 0}, {"S", 8, 1}, {"F", 8, 2}, {"E", 4, 3}};
constexpr int E = 3;
constexpr Step sharpDvdFrame[] = {mark(of(8, sharpDvdUnit)), space(of(4, sharpDvdUnit)), bits(constant(170, 8)),
                                  bits(constant(90, 8)),     bits(constant(15, 4)),      bits(field(D, 4)),
                                  bits(field(S, 8)),         bits(field(F, 8)),          bits(field(E, 4)),
                                  bits(check(0, 4)),         mark(of(1, sharpDvdUnit))};
void sharpDvdChecks(Irp::Values &v)
{
    v[Irp::maxFields] = (v[D] ^ v[S] ^ v[S] >> 4 ^ v[F] ^ v[F] >> 4 ^ v[E]) & 0xF;
}

// Panasonic2 {37k,432}<1,-1|1,-3>(8,-4,2:8,32:8,D:8,S:8,X:8,F:8,(D^S^X^F):8,1,-173)*
// [D:0..255,S:0..255,F:0..255,X:0..255]
constexpr Irp::Field panasonic2Fields[] = {{"D", 8, 0}, {"S", 8, 1}, {"F", 8, 2}, {"X", 8, X}};
constexpr Step panasonic2Frame[] = {mark(of(8, kaseikyoUnit)), space(of(4, kaseikyoUnit)), bits(constant(2, 8)),
                                    bits(constant(32, 8)),     bits(field(D, 8)),          bits(field(S, 8)),
                                    bits(field(X, 8)),         bits(field(F, 8)),          bits(check(0, 8)),
                                    mark(of(1, kaseikyoUnit))};
void panasonic2Checks(Irp::Values &v)
{
    v[Irp::maxFields] = v[D] ^ v[S] ^ v[X] ^ v[F];
}

// 48-NEC1
// {38.4k,564}<1,-1|1,-3>(16,-8,D:8,S:8,F:8,~F:8,E:8,~E:8,1,^108m,(16,-4,1,^108m)*)[D:0..255,S:0..255=255-D,F:0..255,E:0..255]
// 48-NEC2 {38.4k,564}<1,-1|1,-3>(16,-8,D:8,S:8,F:8,~F:8,E:8,~E:8,1,^108m)*[D:0..255,S:0..255=255-D,F:0..255,E:0..255]
constexpr Irp::Field nec48Fields[] = {{"D", 8, 0}, {"S", 8, 1}, {"F", 8, 2}, {"E", 8, 3}};
constexpr Step nec48Frame[] = {mark(of(16, necUnit)), space(of(8, necUnit)),    bits(field(D, 8)),
                               bits(field(S, 8)),     bits(field(F, 8)),        bits(complemented(F, 8)),
                               bits(field(E, 8)),     bits(complemented(E, 8)), mark(of(1, necUnit))};
constexpr Frame nec48Repeat{necDitto, 108000};

// Bose {38.0k,500,msb}<1,-1|1,-3>(2,-3,F:8,~F:8,1,-50m)* [F:0..255]
constexpr double boseUnit = 500;
constexpr Symbol boseSymbols[] = {{of(1, boseUnit), of(1, boseUnit)}, {of(1, boseUnit), of(3, boseUnit)}};
constexpr Irp::Field boseFields[] = {{"F", 8, 2}};
constexpr Step boseFrame[] = {mark(of(2, boseUnit)), space(of(3, boseUnit)), bits(field(0, 8)),
                              bits(complemented(0, 8)), mark(of(1, boseUnit))};

// Tried in this order: Thomson7 before Thomson, which sends the same frames
// and which the definitions' own preference drops.
constexpr Pulse::Protocol table[] = {
    {.irp = {"Dish_Network", 1, 57600, dishFields},
     .symbols = dishSymbols,
     .msbFirst = false,
     .first = {dishFrame, 0, of(15, dishUnit)},
     .start = &dishStart},
    {.irp = {"Aiwa", 2, 38123, necFields},
     .symbols = aiwaSymbols,
     .msbFirst = false,
     .first = {aiwaFrame, 0, of(42, aiwaUnit)},
     .repeat = &aiwaRepeat,
     .needsRepeat = true},
    {.irp = {"Thomson7", 3, 33000, thomson7Fields},
     .symbols = thomsonSymbols,
     .msbFirst = false,
     .first = {thomson7Frame, 80000}},
    {.irp = {"Thomson", 4, 33000, thomsonFields},
     .symbols = thomsonSymbols,
     .msbFirst = false,
     .first = {thomsonFrame, 80000}},
    {.irp = {"RECS80", 5, 38000, recsFields}, .symbols = recsSymbols, .msbFirst = true, .first = {recsFrame, 0, 45000}},
    {.irp = {"Panasonic_Old", 6, 57600, panasonicOldFields},
     .symbols = panasonicOldSymbols,
     .msbFirst = false,
     .first = {panasonicOldFrame, 0, 44000}},
    {.irp = {"Proton", 7, 38500, twoFields},
     .symbols = protonSymbols,
     .msbFirst = false,
     .first = {protonFrame, 63000}},
    {.irp = {"G.I.Cable", 8, 38700, d4f8Fields, giChecks},
     .symbols = giSymbols,
     .msbFirst = false,
     .first = {giFrame, 0, of(84, giUnit)},
     .repeat = &giRepeat},
    {.irp = {"Emerson", 9, 36700, emersonFields},
     .symbols = emersonSymbols,
     .msbFirst = false,
     .first = {emersonFrame, 0, of(39, emersonUnit)}},
    {.irp = {"DirecTV_P0", 10, 40000, d4f8Fields, directvChecks},
     .symbols = directvSymbols,
     .msbFirst = true,
     .first = {directvFirst, 0, of(15, directvUnit)},
     .repeat = &directvShortRepeat,
     .carrierNames = directvShortNames},
    {.irp = {"DirecTV_P1", 11, 40000, d4f8Fields, directvChecks},
     .symbols = directvSymbols,
     .msbFirst = true,
     .first = {directvFirst, 0, of(50, directvUnit)},
     .repeat = &directvLongRepeat,
     .carrierNames = directvLongNames},
    {.irp = {"Nokia32", 12, 36000, nokia32Fields},
     .symbols = nokiaSymbols,
     .msbFirst = true,
     .first = {nokia32Frame, nokiaExtent}},
    {.irp = {"Tivo", 13, 38400, tivoFields},
     .symbols = necSymbols,
     .msbFirst = false,
     .first = {tivoFrame, 0, of(78, necUnit)},
     .repeat = &tivoRepeat},
    {.irp = {"Nokia12", 14, 36000, nokia12Fields},
     .symbols = nokiaSymbols,
     .msbFirst = true,
     .first = {nokia12Frame, nokiaExtent}},
    {.irp = {"Nokia", 15, 36000, threeFields},
     .symbols = nokiaSymbols,
     .msbFirst = true,
     .first = {nokiaFrame, nokiaExtent}},
    {.irp = {"G.I.4DTV", 16, 37300, gi4dtvFields, gi4dtvChecks},
     .symbols = gi4dtvSymbols,
     .msbFirst = false,
     .first = {gi4dtvFrame, 0, of(60, gi4dtvUnit)}},
    {.irp = {"XMP", 17, 38000, xmpFields, xmpChecks},
     .symbols = xmpSymbols,
     .msbFirst = true,
     .first = {xmpFrame, 0, 80400, 0},
     .repeat = &xmpRepeat,
     .end = &xmpEnd},
    {.irp = {"Denon-K", 18, 37000, denonKFields, denonKChecks},
     .symbols = kaseikyoSymbols,
     .msbFirst = false,
     .first = {denonKFrame, 0, of(173, kaseikyoUnit)}},
    {.irp = {"JVC-48", 19, 37000, threeFields, jvc48Checks},
     .symbols = kaseikyoSymbols,
     .msbFirst = false,
     .first = {jvc48Frame, 0, of(173, kaseikyoUnit)}},
    {.irp = {"Bose", 20, 38000, boseFields}, .symbols = boseSymbols, .msbFirst = true, .first = {boseFrame, 0, 50000}},
    {.irp = {"SharpDVD", 21, 38000, sharpDvdFields, sharpDvdChecks},
     .symbols = sharpDvdSymbols,
     .msbFirst = false,
     .first = {sharpDvdFrame, 0, of(48, sharpDvdUnit)}},
    {.irp = {"Panasonic2", 22, 37000, panasonic2Fields, panasonic2Checks},
     .symbols = kaseikyoSymbols,
     .msbFirst = false,
     .first = {panasonic2Frame, 0, of(173, kaseikyoUnit)}},
    // A lone frame is 48-NEC1, as a lone NEC frame is NEC1.
    {.irp = {"48-NEC1", 23, 38400, nec48Fields},
     .symbols = necSymbols,
     .msbFirst = false,
     .first = {nec48Frame, 108000},
     .repeat = &nec48Repeat},
    {.irp = {"48-NEC2", 24, 38400, nec48Fields},
     .symbols = necSymbols,
     .msbFirst = false,
     .first = {nec48Frame, 108000},
     .needsRepeat = true},
};
}  // namespace

std::span<const Pulse::Protocol> Pulse::protocols()
{
    return table;
}
