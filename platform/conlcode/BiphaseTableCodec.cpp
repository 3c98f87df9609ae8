#include "BiphaseTableCodec.h"

#include <algorithm>
#include <numeric>

#include "HalfBits.h"

namespace
{
using Biphase::Frame;
using Biphase::Protocol;
using Biphase::Step;

constexpr std::size_t mostFrames = 256;

const Protocol *rowOf(const KnownCode &code)
{
    for (const Protocol &protocol : Biphase::protocols()) {
        if (protocol.formatId == code.formatId && protocol.irp.row == code.fields[Irp::rowByte]) {
            return &protocol;
        }
    }
    return nullptr;
}

std::uint8_t formsOf(const Protocol &protocol)
{
    return Irp::formsOf(protocol.start != nullptr, protocol.end != nullptr);
}

// The level of each half-bit time of a frame (true for a mark), from its start.
std::vector<bool> levelsOf(const Protocol &protocol, const Frame &frame, const Irp::Values &values)
{
    std::vector<bool> levels;
    for (const Step &step : frame.steps) {
        if (step.kind != Step::Kind::Bits) {
            levels.insert(levels.end(), static_cast<std::size_t>(step.halves), step.kind == Step::Kind::Mark);
            continue;
        }
        const std::uint64_t sent = step.bits.sent(values, protocol.msbFirst);
        for (int i = step.bits.count - 1; i >= 0; --i) {
            const bool markFirst = ((sent >> i & 1) != 0) == protocol.oneMarkFirst;
            levels.insert(levels.end(), static_cast<std::size_t>(step.width), markFirst);
            levels.insert(levels.end(), static_cast<std::size_t>(step.width), !markFirst);
        }
    }
    return levels;
}

// How many half-bits a frame of `frame`'s steps lasts, and how many of them
// come before its first mark: the capture starts with that mark.
struct Layout
{
    std::size_t halves = 0;
    std::size_t silentStart = 0;
};

Layout layoutOf(const Protocol &protocol, const Frame &frame)
{
    Layout layout;
    for (const Step &step : frame.steps) {
        layout.halves +=
            static_cast<std::size_t>(step.kind == Step::Kind::Bits ? 2 * step.width * step.bits.count : step.halves);
    }
    // The first step decides it: a space, or a constant bit sent space first
    // (all the tables' frames start so or with a mark).
    const Step &first = frame.steps.front();
    if (first.kind == Step::Kind::Space) {
        layout.silentStart = static_cast<std::size_t>(first.halves);
    } else if (first.kind == Step::Kind::Bits) {
        const bool one = (first.bits.sent({}, protocol.msbFirst) >> (first.bits.count - 1) & 1) != 0;
        layout.silentStart = one == protocol.oneMarkFirst ? 0 : static_cast<std::size_t>(first.width);
    }
    return layout;
}

// A frame read: its levels, silent start and end filled in, and what each of
// its Bits steps sent.
struct Read
{
    const Frame *frame;
    std::vector<bool> levels;
    std::vector<std::uint64_t> sent;
};

// The half-bit levels of a signal's frames for each half-bit length the
// protocols of the table read them with, each found once. A frame's levels
// must be a protocol's own, so runs as long as six half-bits (RC6's lead-in)
// may be read for all.
class HeardLevels
{
public:
    explicit HeardLevels(const IrSignal &signal)
        : m_signal(signal)
    { }

    const std::optional<std::vector<bool>> &of(std::size_t frame, const Protocol &protocol)
    {
        auto found = std::find_if(m_read.begin(), m_read.end(),
                                  [&](const Reading &reading) { return reading.halfUs == protocol.halfUs; });
        if (found == m_read.end()) {
            m_read.push_back({protocol.halfUs, {}});
            for (const IrFrame &each : m_signal.frames) {
                m_read.back().levels.push_back(HalfBits::levels(each, protocol.halfUs, longestRun));
            }
            found = m_read.end() - 1;
        }
        return found->levels[frame];
    }

private:
    static constexpr int longestRun = 6;
    struct Reading
    {
        int halfUs;
        std::vector<std::optional<std::vector<bool>>> levels;
    };
    const IrSignal &m_signal;
    std::vector<Reading> m_read;
};

std::optional<Read> readFrame(const Protocol &protocol, const Frame &frame,
                              const std::optional<std::vector<bool>> &measured)
{
    const Layout layout = layoutOf(protocol, frame);
    if (!measured || layout.silentStart + measured->size() > layout.halves) {
        return std::nullopt;
    }
    Read read{&frame, std::vector<bool>(layout.silentStart, false), {}};
    read.levels.insert(read.levels.end(), measured->begin(), measured->end());
    read.levels.resize(layout.halves, false);
    std::size_t at = 0;
    for (const Step &step : frame.steps) {
        if (step.kind != Step::Kind::Bits) {
            at += static_cast<std::size_t>(step.halves);
            continue;
        }
        const auto width = static_cast<std::size_t>(step.width);
        std::uint64_t value = 0;
        for (int i = 0; i < step.bits.count; ++i, at += 2 * width) {
            // A bit's two halves differ; the one that is a mark first is 1 or 0.
            const bool markFirst = read.levels[at];
            for (std::size_t h = 0; h < 2 * width; ++h) {
                if (read.levels[at + h] != (h < width ? markFirst : !markFirst)) {
                    return std::nullopt;
                }
            }
            value = value << 1 | (markFirst == protocol.oneMarkFirst ? 1 : 0);
        }
        read.sent.push_back(value);
    }
    return read;
}

std::optional<KnownCode> decodeAs(const Protocol &protocol, HeardLevels &heard, std::size_t count, std::uint8_t form)
{
    const bool withStart = (form & Irp::withStart) != 0;
    const bool withEnd = (form & Irp::withEnd) != 0;
    if (count > mostFrames || count < 1u + (withStart ? 1u : 0u) + (withEnd ? 1u : 0u)) {
        return std::nullopt;
    }
    std::vector<Read> frames;
    for (std::size_t f = 0; f < count; ++f) {
        const Frame &kind = withStart && f == 0         ? *protocol.start
                            : withEnd && f + 1 == count ? *protocol.end
                                                        : protocol.first;
        std::optional<Read> read = readFrame(protocol, kind, heard.of(f, protocol));
        if (!read) {
            return std::nullopt;
        }
        frames.push_back(std::move(*read));
    }
    const Read &first = frames[withStart ? 1 : 0];
    Irp::Values values{};
    Irp::Covered covered{};
    std::size_t index = 0;
    for (const Step &step : protocol.first.steps) {
        if (step.kind == Step::Kind::Bits) {
            Irp::assign(values, covered, step.bits, first.sent[index++], protocol.msbFirst);
        }
    }
    KnownCode code;
    code.formatId = protocol.formatId;
    const auto fits = [&](Irp::Values guess) {
        if (!Irp::store(protocol.irp, guess, code)) {
            return false;
        }
        Irp::computeChecks(protocol.irp, guess);
        return std::all_of(frames.begin(), frames.end(),
                           [&](const Read &read) { return levelsOf(protocol, *read.frame, guess) == read.levels; });
    };
    if (!Irp::complete(protocol.irp, values, covered, fits)) {
        return std::nullopt;
    }
    const std::size_t repeats = count - 1 - (withStart ? 1 : 0) - (withEnd ? 1 : 0);
    Irp::setFrames(code, form, repeats, RepeatKind::Full);
    return code;
}

std::optional<IrSignal> signalOf(const Protocol &protocol, const KnownCode &code)
{
    std::optional<Irp::Values> values = Irp::valuesOf(protocol.irp, code);
    const std::uint8_t form = code.fields[Irp::formByte];
    if (!values || (form & ~formsOf(protocol)) != 0 || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    IrSignal signal;
    signal.carrierHz = protocol.irp.carrierHz;
    const auto send = [&](const Frame &frame) {
        std::vector<int> durations = HalfBits::durations(levelsOf(protocol, frame, *values), protocol.halfUs);
        const int length = std::accumulate(durations.begin(), durations.end(), 0);
        const int gap = frame.extentUs > 0 ? std::max(frame.extentUs - length, 0) : frame.gapUs;
        signal.frames.push_back(IrFrame{std::move(durations), gap});
    };
    if ((form & Irp::withStart) != 0) {
        send(*protocol.start);
    }
    for (int i = 0; i <= code.repeatCount; ++i) {
        send(protocol.first);
    }
    if ((form & Irp::withEnd) != 0) {
        send(*protocol.end);
    }
    signal.frames.back().gapAfterUs = 0;
    return signal;
}
}  // namespace

bool BiphaseTableCodec::owns(std::uint32_t formatId) const
{
    const std::span<const Protocol> all = Biphase::protocols();
    return std::any_of(all.begin(), all.end(), [formatId](const Protocol &p) { return p.formatId == formatId; });
}

std::vector<KnownCode> BiphaseTableCodec::candidates(const IrSignal &signal) const
{
    std::vector<KnownCode> codes;
    HeardLevels heard(signal);
    for (const Protocol &protocol : Biphase::protocols()) {
        for (const std::uint8_t form : Irp::eachForm(formsOf(protocol))) {
            if (std::optional<KnownCode> code = decodeAs(protocol, heard, signal.frames.size(), form)) {
                codes.push_back(*code);
            }
        }
    }
    return codes;
}

std::optional<IrSignal> BiphaseTableCodec::encode(const KnownCode &code) const
{
    const Protocol *protocol = rowOf(code);
    return protocol ? signalOf(*protocol, code) : std::nullopt;
}

std::string BiphaseTableCodec::name(const KnownCode &code) const
{
    const Protocol *protocol = rowOf(code);
    return protocol ? std::string(protocol->irp.name) : std::string();
}

ProtocolCodec::Fields BiphaseTableCodec::fields(const KnownCode &code) const
{
    const Protocol *protocol = rowOf(code);
    return protocol ? Irp::fieldsOf(protocol->irp, code) : Fields{};
}

std::optional<KnownCode> BiphaseTableCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    for (const Protocol &protocol : Biphase::protocols()) {
        if (protocol.irp.name == name || (!protocol.alias.empty() && protocol.alias == name)) {
            return sendable(
                Irp::codeOf(protocol.irp, protocol.formatId, fields, repeats, formsOf(protocol), RepeatKind::Full));
        }
    }
    return std::nullopt;
}
