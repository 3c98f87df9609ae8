#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "KnownCode.h"
#include "ProtocolCodec.h"

// Protocols written down the way their public IRP definitions give them: the
// fields of a code, checks computed from them, and which of their bits a
// frame sends in what order. The table codecs (PulseTableCodec,
// BiphaseTableCodec) read and send frames of such definitions.
namespace Irp
{
constexpr std::size_t maxFields = 6;
constexpr std::size_t maxChecks = 4;
// A code's fields, then the checks computed from them.
using Values = std::array<int, maxFields + maxChecks>;
using Checks = void (*)(Values &values);

// Part A of a table protocol's code: its fields from byte 0, then
constexpr std::size_t formByte = 6;  // which of the press's optional frames it holds
constexpr std::size_t rowByte = 7;   // the protocol's row number in its table
// Bits of the form byte.
constexpr std::uint8_t withStart = 0x01;
constexpr std::uint8_t withEnd = 0x02;

// A field and where the code keeps it: from part A byte `byte` on, low byte
// first; T, the toggle, in part B (toggleByte).
struct Field
{
    std::string_view name;
    int bits;
    int byte;
    int least = 0;
    int most = -1;  // -1: every value of `bits` bits
};
constexpr int toggleByte = -1;

// Bits of a value as a frame sends them: X:n:o, ~X:n:o, X:-n (the other
// order than the protocol's), or a constant.
struct Bits
{
    enum class Source : std::uint8_t
    {
        Field,
        Check,
        Constant,
    };
    Source source;
    int index;  // into Values, or the constant
    int count;
    int offset = 0;
    bool complement = false;
    bool reversed = false;

    // The `count` bits, the first sent as the highest when `msbFirst`.
    std::uint64_t sent(const Values &values, bool msbFirst) const;
};

constexpr Bits field(int index, int count, int offset = 0)
{
    return {Bits::Source::Field, index, count, offset, false, false};
}
constexpr Bits complemented(int index, int count, int offset = 0)
{
    return {Bits::Source::Field, index, count, offset, true, false};
}
constexpr Bits reversed(int index, int count)
{
    return {Bits::Source::Field, index, count, 0, false, true};
}
constexpr Bits check(int index, int count)
{
    return {Bits::Source::Check, static_cast<int>(maxFields) + index, count, 0, false, false};
}
constexpr Bits constant(int value, int count)
{
    return {Bits::Source::Constant, value, count, 0, false, false};
}

// What a table protocol shares with the others: its name, row, fields and
// checks.
struct Protocol
{
    std::string_view name;
    std::uint8_t row;
    int carrierHz;
    std::span<const Field> fields;
    Checks checks = nullptr;
};

// Which bits of each field the frames read carry.
using Covered = std::array<std::uint64_t, maxFields>;
// The field bits `bits` carries into `values` from the value it sent
// (complemented back where sent complemented); `covered` notes them.
void assign(Values &values, Covered &covered, const Bits &bits, std::uint64_t sent, bool msbFirst);
// `values` with the field bits no Bits carried (at most four: G.I.4DTV's
// D:1:2, which its checks alone tell) set so that `fits` takes them; false
// when no setting fits.
bool complete(const Protocol &protocol, Values &values, const Covered &covered,
              const std::function<bool(const Values &)> &fits);
// The code's values; nothing when the code is not of `protocol`'s row or a
// field is out of range.
std::optional<Values> valuesOf(const Protocol &protocol, const KnownCode &code);
// `values` (fields only) into `code`'s part A and T; false when out of range.
bool store(const Protocol &protocol, const Values &values, KnownCode &code);
// The optional frames of a protocol with (or without) start and end frames.
constexpr std::uint8_t formsOf(bool start, bool end)
{
    return static_cast<std::uint8_t>((start ? withStart : 0) | (end ? withEnd : 0));
}
// Every form of `forms`' frames, those with most of them first.
std::vector<std::uint8_t> eachForm(std::uint8_t forms);
// `code` holding the optional frames `form` and `repeats` repeat frames of
// kind `repeat` (None without repeats).
void setFrames(KnownCode &code, std::uint8_t form, std::size_t repeats, RepeatKind repeat);
// The code of `protocol`, known format `formatId`, with `fields` (each once)
// and `repeats` repeat frames; nothing when a field is missing or out of
// range.
std::optional<KnownCode> codeOf(const Protocol &protocol, std::uint32_t formatId, const ProtocolCodec::Fields &fields,
                                int repeats, std::uint8_t form, RepeatKind repeat);
void computeChecks(const Protocol &protocol, Values &values);
ProtocolCodec::Fields fieldsOf(const Protocol &protocol, const KnownCode &code);
// The values of named fields: every field of the protocol once (T may be
// left out, for 0), nothing else.
std::optional<Values> valuesFrom(const Protocol &protocol, const ProtocolCodec::Fields &fields);
}  // namespace Irp

// A codec of a table of protocols, each tried in the table's order.
class TableCodec : public ProtocolCodec
{
public:
    // The first of candidates().
    std::optional<KnownCode> decode(const IrSignal &signal) const final;
    // A code of each protocol of the table, and of each of its forms, whose
    // frames the signal is.
    std::vector<KnownCode> candidates(const IrSignal &signal) const override = 0;
};
