#pragma once

#include <span>

#include "IrpTable.h"
#include "ProtocolCodec.h"

// Biphase protocols (a bit is two half-bit times of opposite level) written
// down as a table (BiphaseProtocols.cpp): RC5, RC5x, RC6 and MCE under their
// own known format ids, the others under 170000 with their row in part A
// byte 7.
namespace Biphase
{
// One step of a frame in half-bit times: a mark or space of `halves`, or bits
// of two halves each; `width` halves a level for RC6's trailer bit.
struct Step
{
    enum class Kind : std::uint8_t
    {
        Mark,
        Space,
        Bits,
    };
    Kind kind;
    int halves;
    Irp::Bits bits;
    int width = 1;
};
constexpr Step mark(int halves)
{
    return {Step::Kind::Mark, halves, {}};
}
constexpr Step space(int halves)
{
    return {Step::Kind::Space, halves, {}};
}
constexpr Step bits(Irp::Bits bits, int width = 1)
{
    return {Step::Kind::Bits, 0, bits, width};
}

// A frame: its steps, then silence up to `extentUs` from its first mark or,
// without an extent, `gapUs`.
struct Frame
{
    std::span<const Step> steps;
    int extentUs = 0;
    int gapUs = 0;
};

struct Protocol
{
    std::uint32_t formatId;
    Irp::Protocol irp;
    int halfUs;
    // A 1 is a mark then a space (IRP <-1,1|1,-1>), else a space then a mark.
    bool oneMarkFirst;
    bool msbFirst;
    Frame first;
    // Frames a press starts and ends with; null for none.
    const Frame *start = nullptr;
    const Frame *end = nullptr;
    // Another name the protocol goes by.
    std::string_view alias = {};
};

std::span<const Protocol> protocols();
}  // namespace Biphase

class BiphaseTableCodec : public TableCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::vector<KnownCode> candidates(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
