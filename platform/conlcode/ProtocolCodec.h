#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "IrSignal.h"
#include "KnownCode.h"

// One protocol the remote knows: recognises its signals and sends its codes.
// Protocols and fields are named as in the public IRP protocol definitions.
class ProtocolCodec
{
public:
    using Fields = std::vector<std::pair<std::string, int>>;

    virtual ~ProtocolCodec() = default;

    virtual bool owns(std::uint32_t formatId) const = 0;
    // The code when every frame of `signal` belongs to this protocol.
    virtual std::optional<KnownCode> decode(const IrSignal &signal) const = 0;
    // Every code the frames of `signal` may be, best first, for the caller
    // to check against the whole signal: the decoded one, or for a codec of
    // several protocols one per protocol whose frames they are.
    virtual std::vector<KnownCode> candidates(const IrSignal &signal) const;
    // The signal of `code` at the protocol's nominal timing; nothing when its
    // fields are not valid for the protocol.
    virtual std::optional<IrSignal> encode(const KnownCode &code) const = 0;
    // The IRP name of the code's protocol variant.
    virtual std::string name(const KnownCode &code) const = 0;
    // The code's fields, T among them where the protocol has a toggle.
    virtual Fields fields(const KnownCode &code) const = 0;
    // The code of protocol `name` with `fields` and `repeats` repeat frames;
    // nothing when this codec does not send `name` or a field is not valid.
    virtual std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const = 0;

protected:
    // Where a field lies in part A.
    struct Slot
    {
        const char *name;
        std::size_t byte;
    };
    static Fields fieldsOf(const KnownCode &code, std::initializer_list<Slot> slots, bool toggle);
    // `fields` put into place; nothing when one of `slots` is missing, a
    // field has no slot, or a value is out of its byte's range.
    static std::optional<KnownCode> codeOf(std::uint32_t formatId, RepeatKind repeat, int repeats, const Fields &fields,
                                           std::initializer_list<Slot> slots, bool toggle);
    static std::optional<int> field(const Fields &fields, std::string_view name);
    // The code of a signal whose frames are all the same, as `frameCode`
    // reads one frame; whole frames repeat.
    static std::optional<KnownCode> sameFrames(
        const IrSignal &signal, const std::function<std::optional<KnownCode>(const IrFrame &)> &frameCode);
    // The code of protocol `wanted` when `name` is it and the protocol can send it.
    std::optional<KnownCode> makeAs(std::string_view name, std::string_view wanted, std::uint32_t formatId, int repeats,
                                    const Fields &fields, std::initializer_list<Slot> slots, bool toggle) const;
    // `code` when the protocol can send it.
    std::optional<KnownCode> sendable(std::optional<KnownCode> code) const;
};
