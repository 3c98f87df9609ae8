#pragma once

#include <span>

#include "IrpTable.h"
#include "ProtocolCodec.h"
#include "PulseBits.h"

// Protocols of (mark, space) pairs written down as a table (PulseProtocols.cpp)
// rather than a class each: known format 160000 with the protocol's row in
// part A byte 7.
namespace Pulse
{
// One step of a frame: a mark or space of fixed length, or bits sent as
// symbols of the protocol's alphabet.
struct Step
{
    enum class Kind : std::uint8_t
    {
        Mark,
        Space,
        Bits,
    };
    Kind kind;
    int us;
    Irp::Bits bits;
};
constexpr Step mark(int us)
{
    return {Step::Kind::Mark, us, {}};
}
constexpr Step space(int us)
{
    return {Step::Kind::Space, us, {}};
}
constexpr Step bits(Irp::Bits bits)
{
    return {Step::Kind::Bits, 0, bits};
}

// A frame: its steps (the last a mark), then silence up to `extentUs` from
// its start or, without an extent, `gapUs`. `marker` is a value the frame
// itself carries (Irp::Values slot markerSlot, for checks), -1 for none.
// `gapBeforeUs`, when set, is the silence before it instead of the frame
// before's own.
struct Frame
{
    std::span<const Step> steps;
    int extentUs = 0;
    int gapUs = 0;
    int marker = -1;
    int gapBeforeUs = 0;
};
constexpr std::size_t markerSlot = Irp::maxFields - 1;

// A name the protocol goes by at another carrier (DirecTV_P0 to P5).
struct CarrierName
{
    std::string_view name;
    int carrierHz;
};

struct Protocol
{
    Irp::Protocol irp;
    // 2, 4 or 16 symbols: one, two or four bits each, the first bit sent the
    // highest of a symbol's.
    std::span<const PulseBits::Symbol> symbols;
    bool msbFirst;
    Frame first;
    // The frame a held key repeats: `first` itself, or one of its own.
    const Frame *repeat = nullptr;
    // A frame a press starts with, before the first, and one it ends with
    // when the key is let go (of the repeat frame's steps); null for none.
    const Frame *start = nullptr;
    const Frame *end = nullptr;
    // A signal of the first frame alone is not taken as this protocol.
    bool needsRepeat = false;
    // Its names at the carriers it is sent at, when those name it (the
    // nearest to the carrier heard); the row's own carrier among them.
    std::span<const CarrierName> carrierNames = {};
};

std::span<const Protocol> protocols();
}  // namespace Pulse

class PulseTableCodec : public TableCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::vector<KnownCode> candidates(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
