#include "KnownProtocols.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "BiphaseTableCodec.h"
#include "JvcCodec.h"
#include "KaseikyoCodec.h"
#include "MitsubishiCodec.h"
#include "Nec42Codec.h"
#include "NecCodec.h"
#include "PulseTableCodec.h"
#include "PulseTolerance.h"
#include "Rca38Codec.h"
#include "RcaCodec.h"
#include "ReceiverSkew.h"
#include "Samsung36Codec.h"
#include "SharpCodec.h"
#include "SonyCodec.h"
#include "TimingFit.h"

namespace
{
// No known protocol has a space this long inside a frame (NEC's 4.5 ms lead-in
// space stays below it on remotes up to 28 % slow), but the gaps of
// some (RCA's 7.4 ms, a long Sony frame's 6 ms) are shorter than the
// receiver's frame gap and reach the converter as spaces inside a frame.
constexpr int frameBreakUs = 5800;

IrSignal splitAtGaps(const IrSignal &signal)
{
    IrSignal split;
    split.carrierHz = signal.carrierHz;
    for (const IrFrame &frame : signal.frames) {
        split.frames.emplace_back();
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            if (i % 2 == 1 && frame.durations[i] >= frameBreakUs) {
                split.frames.back().gapAfterUs = frame.durations[i];
                split.frames.emplace_back();
            } else {
                split.frames.back().durations.push_back(frame.durations[i]);
            }
        }
        split.frames.back().gapAfterUs = frame.gapAfterUs;
    }
    return split;
}

const NecCodec nec;
const BiphaseTableCodec biphaseTable;
const SonyCodec sony;
const KaseikyoCodec kaseikyo;
const RcaCodec rca;
const Samsung36Codec samsung36;
const JvcCodec jvc;
const Nec42Codec nec42;
const SharpCodec sharp;
const MitsubishiCodec mitsubishi;
const Rca38Codec rca38;
const PulseTableCodec pulseTable;
// RCA-38 before RCA: with a carrier near 38.7 kHz a signal of RCA's timing is
// RCA-38. The pulse table before NEC and Kaseikyo: Tivo and Denon-K are the
// more particular names for codes those would name too.
const std::array<const ProtocolCodec *, 12> codecs{&pulseTable, &nec, &biphaseTable, &sony,  &kaseikyo,  &rca38, &rca,
                                                   &samsung36,  &jvc, &nec42,        &sharp, &mitsubishi};

// A code heard in a capture, and its signal at the protocol's own timing.
struct Heard
{
    KnownCode code;
    IrSignal nominal;
};

// `code` when the capture is its signal: its lengths, in the code's own
// frames (which may divide them elsewhere than the receiver's gaps did), heard
// as the nominal ones (decoders take each length loosely), and copied
// faithfully by the remote's own timing.
std::optional<Heard> heardAs(const ProtocolCodec &codec, KnownCode code, const IrSignal &signal)
{
    std::optional<IrSignal> nominal = codec.encode(code);
    const std::optional<IrSignal> measured = nominal ? signal.inFramesOf(*nominal) : std::nullopt;
    const bool heard = measured && ReceiverSkew::heardAs(*nominal, *measured);
    const std::optional<TimingFit::Timing> timing = heard ? TimingFit::fit(*nominal, *measured) : std::nullopt;
    if (!timing) {
        return std::nullopt;
    }
    code.timing = *timing;
    return Heard{code, std::move(*nominal)};
}

// Two protocols' signals of much one timing: every mark and space within
// what a remote's clock moves it (gaps aside).
bool alike(const IrSignal &a, const IrSignal &b)
{
    std::vector<int> first;
    std::vector<int> second;
    for (const IrFrame &frame : a.frames) {
        first.insert(first.end(), frame.durations.begin(), frame.durations.end());
    }
    for (const IrFrame &frame : b.frames) {
        second.insert(second.end(), frame.durations.begin(), frame.durations.end());
    }
    return first.size() == second.size() && std::equal(first.begin(), first.end(), second.begin(), [](int x, int y) {
               return std::abs(x - y) <= ReceiverBounds::clockOff * std::max(x, y);
           });
}
}  // namespace

std::optional<KnownCode> KnownProtocols::decode(const IrSignal &captured)
{
    const IrSignal signal = splitAtGaps(captured);
    // The first code heard wins over later ones of much its timing (the more
    // particular name: Tivo over NEC1-f16, Denon-K over Kaseikyo); a later one
    // of other timing that the capture fits as well leaves it no protocol:
    // another remote's clock and another receiver's skew would be what told
    // them apart (JVC{2} and Mitsubishi).
    std::optional<Heard> found;
    for (const ProtocolCodec *codec : codecs) {
        for (const KnownCode &candidate : codec->candidates(signal)) {
            std::optional<Heard> heard = heardAs(*codec, candidate, signal);
            if (!heard) {
                continue;
            }
            if (found && !alike(found->nominal, heard->nominal)) {
                return std::nullopt;
            }
            if (!found) {
                found = std::move(heard);
            }
        }
    }
    return found ? std::optional<KnownCode>(found->code) : std::nullopt;
}

std::optional<IrSignal> KnownProtocols::encode(const KnownCode &code)
{
    const ProtocolCodec *codec = codecFor(code.formatId);
    const std::optional<IrSignal> nominal = codec ? codec->encode(code) : std::nullopt;
    if (!nominal) {
        return std::nullopt;
    }
    IrSignal signal = TimingFit::apply(*nominal, code.timing);
    if (code.carrierKHz != 0) {
        signal.carrierHz = 1000 * code.carrierKHz;
    }
    return signal;
}

const ProtocolCodec *KnownProtocols::codecFor(std::uint32_t formatId)
{
    for (const ProtocolCodec *codec : codecs) {
        if (codec->owns(formatId)) {
            return codec;
        }
    }
    return nullptr;
}

std::optional<KnownCode> KnownProtocols::make(std::string_view name, const ProtocolCodec::Fields &fields, int repeats)
{
    for (const ProtocolCodec *codec : codecs) {
        if (std::optional<KnownCode> code = codec->make(name, fields, repeats)) {
            return code;
        }
    }
    return std::nullopt;
}
