#include "KnownProtocols.h"

#include <array>

#include "BiphaseTableCodec.h"
#include "JvcCodec.h"
#include "KaseikyoCodec.h"
#include "MitsubishiCodec.h"
#include "Nec42Codec.h"
#include "NecCodec.h"
#include "PulseTableCodec.h"
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
}  // namespace

std::optional<KnownCode> KnownProtocols::decode(const IrSignal &captured)
{
    const IrSignal signal = splitAtGaps(captured);
    for (const ProtocolCodec *codec : codecs) {
        for (KnownCode &code : codec->candidates(signal)) {
            const std::optional<IrSignal> nominal = codec->encode(code);
            // The capture's lengths in the code's own frames, which may divide
            // them elsewhere than the receiver's gaps did.
            const std::optional<IrSignal> measured = nominal ? signal.inFramesOf(*nominal) : std::nullopt;
            // Decoders take each length loosely; the code's whole signal must
            // be heard as the code's nominal one.
            const bool heard = measured && ReceiverSkew::heardAs(*nominal, *measured);
            const std::optional<TimingFit::Timing> timing = heard ? TimingFit::fit(*nominal, *measured) : std::nullopt;
            if (timing) {
                code.timing = *timing;
                return code;
            }
        }
    }
    return std::nullopt;
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
