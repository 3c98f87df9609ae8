#include "ProtocolCodec.h"

#include <algorithm>

std::vector<KnownCode> ProtocolCodec::candidates(const IrSignal &signal) const
{
    std::optional<KnownCode> code = decode(signal);
    return code ? std::vector<KnownCode>{*code} : std::vector<KnownCode>{};
}

ProtocolCodec::Fields ProtocolCodec::fieldsOf(const KnownCode &code, std::initializer_list<Slot> slots, bool toggle)
{
    Fields out;
    for (const Slot &slot : slots) {
        out.emplace_back(slot.name, code.fields[slot.byte]);
    }
    if (toggle) {
        out.emplace_back("T", code.toggle);
    }
    return out;
}

std::optional<KnownCode> ProtocolCodec::codeOf(std::uint32_t formatId, RepeatKind repeat, int repeats,
                                               const Fields &fields, std::initializer_list<Slot> slots, bool toggle)
{
    if (repeats < 0 || repeats > 255) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = formatId;
    code.repeatCount = static_cast<std::uint8_t>(repeats);
    code.repeat = repeats == 0 ? RepeatKind::None : repeat;
    std::size_t found = 0;
    for (const auto &[key, value] : fields) {
        // Named again for the lambda: clang 14 cannot capture a structured binding.
        const auto slot =
            std::find_if(slots.begin(), slots.end(), [&name = key](const Slot &s) { return name == s.name; });
        if (toggle && key == "T") {
            if (value < 0 || value > 1) {
                return std::nullopt;
            }
            code.toggle = static_cast<std::uint8_t>(value);
            continue;
        }
        if (slot == slots.end() || value < 0 || value > 255) {
            return std::nullopt;
        }
        code.fields[slot->byte] = static_cast<std::uint8_t>(value);
        ++found;
    }
    if (found != slots.size()) {
        return std::nullopt;
    }
    return code;
}

std::optional<int> ProtocolCodec::field(const Fields &fields, std::string_view name)
{
    for (const auto &[key, value] : fields) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<KnownCode> ProtocolCodec::sendable(std::optional<KnownCode> code) const
{
    if (!code || !encode(*code)) {
        return std::nullopt;
    }
    return code;
}

std::optional<KnownCode> ProtocolCodec::sameFrames(
    const IrSignal &signal, const std::function<std::optional<KnownCode>(const IrFrame &)> &frameCode)
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    std::optional<KnownCode> code = frameCode(signal.frames.front());
    if (!code) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        if (frameCode(signal.frames[i]) != code) {
            return std::nullopt;
        }
    }
    code->repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    code->repeat = code->repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
    return code;
}

std::optional<KnownCode> ProtocolCodec::makeAs(std::string_view name, std::string_view wanted, std::uint32_t formatId,
                                               int repeats, const Fields &fields, std::initializer_list<Slot> slots,
                                               bool toggle) const
{
    if (name != wanted) {
        return std::nullopt;
    }
    return sendable(codeOf(formatId, RepeatKind::Full, repeats, fields, slots, toggle));
}
