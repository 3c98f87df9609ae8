#include "PulseTableCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "PulseTolerance.h"
#include "ReceiverSkew.h"

namespace
{
using Pulse::Frame;
using Pulse::Protocol;
using Pulse::Step;

constexpr std::uint32_t tableId = KnownFormats::pulseTable;
constexpr std::size_t mostFrames = 256;

int bitsPerSymbol(const Protocol &protocol)
{
    return protocol.symbols.size() == 16 ? 4 : protocol.symbols.size() == 4 ? 2 : 1;
}

const Frame &repeatOf(const Protocol &protocol)
{
    return protocol.repeat ? *protocol.repeat : protocol.first;
}

// The optional frames a code of `protocol` may hold (Irp::withStart, withEnd).
std::uint8_t formsOf(const Protocol &protocol)
{
    return Irp::formsOf(protocol.start != nullptr, protocol.end != nullptr);
}

RepeatKind repeatKindOf(const Protocol &protocol)
{
    return protocol.repeat ? RepeatKind::Ditto : RepeatKind::Full;
}

const Protocol *rowOf(const KnownCode &code)
{
    if (code.formatId != tableId) {
        return nullptr;
    }
    for (const Protocol &protocol : Pulse::protocols()) {
        if (protocol.irp.row == code.fields[Irp::rowByte]) {
            return &protocol;
        }
    }
    return nullptr;
}

// The values a frame's checks see: the code's, with what the frame carries.
Irp::Values frameValues(const Protocol &protocol, const Frame &frame, Irp::Values values)
{
    if (frame.marker >= 0) {
        values[Pulse::markerSlot] = frame.marker;
    }
    Irp::computeChecks(protocol.irp, values);
    return values;
}

// The marks and spaces of frames, divided where a capture divides them: at
// the end of each frame and at a silence within one as long as a capture's
// frame gap.
class Sender
{
public:
    explicit Sender(const Protocol &protocol)
        : m_protocol(protocol)
    {
        m_signal.carrierHz = protocol.irp.carrierHz;
    }

    void send(const Frame &frame, const Irp::Values &code)
    {
        const Irp::Values values = frameValues(m_protocol, frame, code);
        if (frame.gapBeforeUs > 0 && !m_signal.frames.empty()) {
            m_signal.frames.back().gapAfterUs = frame.gapBeforeUs;
        }
        m_signal.frames.emplace_back();
        int length = 0;
        for (const Step &step : frame.steps) {
            if (step.kind == Step::Kind::Bits) {
                const std::uint64_t sent = step.bits.sent(values, m_protocol.msbFirst);
                for (int i = step.bits.count - 1; i >= 0; --i) {
                    m_bits.push_back((sent >> i & 1) != 0);
                }
                continue;
            }
            length += flush();
            if (step.kind == Step::Kind::Space && step.us >= captureFrameGapUs) {
                m_signal.frames.back().gapAfterUs = step.us;
                m_signal.frames.emplace_back();
            } else {
                m_signal.frames.back().durations.push_back(step.us);
            }
            length += step.us;
        }
        length += flush();
        m_signal.frames.back().gapAfterUs = frame.extentUs > 0 ? std::max(frame.extentUs - length, 0) : frame.gapUs;
    }

    IrSignal finished()
    {
        m_signal.frames.back().gapAfterUs = 0;
        return std::move(m_signal);
    }

private:
    // The bits waiting, as symbols; their length.
    int flush()
    {
        const std::size_t each = static_cast<std::size_t>(bitsPerSymbol(m_protocol));
        int length = 0;
        for (std::size_t i = 0; i + each <= m_bits.size(); i += each) {
            std::size_t symbol = 0;
            for (std::size_t b = 0; b < each; ++b) {
                symbol = symbol << 1 | (m_bits[i + b] ? 1 : 0);
            }
            const PulseBits::Symbol &sent = m_protocol.symbols[symbol];
            m_signal.frames.back().durations.push_back(sent.mark);
            m_signal.frames.back().durations.push_back(sent.space);
            length += sent.mark + sent.space;
        }
        m_bits.clear();
        return length;
    }

    const Protocol &m_protocol;
    IrSignal m_signal;
    std::vector<bool> m_bits;
};

// Frames read one after the other from a signal's marks, spaces and gaps,
// and what the signal has shown so far of the receiver's skew and the
// remote's clock (for alphabets of more than two symbols).
class Reader
{
public:
    Reader(const Protocol &protocol, const std::vector<int> &durations)
        : m_protocol(protocol)
        , m_durations(durations)
    { }

    bool done() const { return m_pos == m_durations.size(); }

    // What each Bits step of `frame` sent; the reader moves past the frame
    // and the silence after it.
    std::optional<std::vector<std::uint64_t>> frame(const Frame &frame)
    {
        if (!endsWhereFrameEnds(frame)) {
            return std::nullopt;
        }
        std::vector<std::uint64_t> sent;
        std::vector<const Irp::Bits *> waiting;
        const Step *previous = nullptr;
        for (const Step &step : frame.steps) {
            if (step.kind == Step::Kind::Bits) {
                waiting.push_back(&step.bits);
                continue;
            }
            if (!read(waiting, sent) || m_pos >= m_durations.size()
                || (m_pos % 2 == 0) != (step.kind == Step::Kind::Mark)
                || !plausibleLength(m_durations[m_pos], step.us)) {
                return std::nullopt;
            }
            // A lead-in's pair; a silence a capture gives to the millisecond (XMP's
            // 13.8 ms) tells too little.
            if (step.kind == Step::Kind::Space && previous && previous->kind == Step::Kind::Mark
                && step.us < captureFrameGapUs) {
                learnClock(m_durations[m_pos - 1], m_durations[m_pos], {previous->us, step.us});
            }
            previous = &step;
            ++m_pos;
        }
        if (!read(waiting, sent)) {
            return std::nullopt;
        }
        if (!done()) {
            ++m_pos;
        }
        return sent;
    }

private:
    bool manySymbols() const { return m_protocol.symbols.size() > 2; }

    // Where the frame's marks and spaces end from here, the signal ends or
    // falls silent for longer than any space of the protocol's symbols.
    bool endsWhereFrameEnds(const Frame &frame) const
    {
        std::size_t count = 0;
        int bits = 0;
        for (const Step &step : frame.steps) {
            count += step.kind == Step::Kind::Bits ? 0 : 1;
            bits += step.kind == Step::Kind::Bits ? step.bits.count : 0;
        }
        count += 2 * static_cast<std::size_t>(bits / bitsPerSymbol(m_protocol));
        const std::size_t end = m_pos + count;
        const auto longest = std::max_element(m_protocol.symbols.begin(), m_protocol.symbols.end(),
                                              [](const auto &a, const auto &b) { return a.space < b.space; });
        return end == m_durations.size() || (end < m_durations.size() && m_durations[end] > longest->space);
    }

    // A pair of known nominal lengths shows the clock and skew.
    void learnClock(int mark, int space, const PulseBits::Symbol &nominal)
    {
        if (!manySymbols()) {
            return;
        }
        ReceiverSkew skew;
        skew.scale = (mark + space) / static_cast<double>(nominal.mark + nominal.space);
        skew.offsetUs = mark - skew.scale * nominal.mark;
        if (ReceiverBounds::plausible(skew.scale, skew.offsetUs)) {
            m_skew = skew;
            m_clockKnown = true;
        }
    }

    // Before symbols of an alphabet of many are read without a clock: a
    // constant among them that fills a whole symbol shows it.
    void clockFromConstant(const std::vector<const Irp::Bits *> &waiting)
    {
        const int each = bitsPerSymbol(m_protocol);
        int bit = 0;
        for (const Irp::Bits *bits : waiting) {
            if (bits->source == Irp::Bits::Source::Constant && bits->count == each && bit % each == 0) {
                const std::size_t at = m_pos + 2 * static_cast<std::size_t>(bit / each);
                if (at + 1 < m_durations.size()) {
                    const std::uint64_t symbol = bits->sent({}, m_protocol.msbFirst);
                    learnClock(m_durations[at], m_durations[at + 1], m_protocol.symbols[symbol]);
                }
                return;
            }
            bit += bits->count;
        }
    }

    // The bits of the waiting steps, as symbols; their values to `sent`.
    bool read(std::vector<const Irp::Bits *> &waiting, std::vector<std::uint64_t> &sent)
    {
        int count = 0;
        for (const Irp::Bits *bits : waiting) {
            count += bits->count;
        }
        const int each = bitsPerSymbol(m_protocol);
        if (count == 0) {
            return true;
        }
        if (count % each != 0) {
            return false;
        }
        if (manySymbols() && !m_clockKnown) {
            clockFromConstant(waiting);
        }
        std::vector<bool> stream;
        for (int i = 0; i < count / each; ++i) {
            if (m_pos + 1 >= m_durations.size()) {
                return false;
            }
            const std::optional<std::size_t> symbol =
                PulseBits::symbolOf(m_durations[m_pos], m_durations[m_pos + 1], m_protocol.symbols,
                                    manySymbols() ? m_skew : ReceiverSkew{});
            if (!symbol) {
                return false;
            }
            for (int b = each - 1; b >= 0; --b) {
                stream.push_back((*symbol >> b & 1) != 0);
            }
            m_pos += 2;
        }
        std::size_t at = 0;
        for (const Irp::Bits *bits : waiting) {
            std::uint64_t value = 0;
            for (int i = 0; i < bits->count; ++i) {
                value = value << 1 | (stream[at++] ? 1 : 0);
            }
            sent.push_back(value);
        }
        waiting.clear();
        return true;
    }

    const Protocol &m_protocol;
    const std::vector<int> &m_durations;
    std::size_t m_pos = 0;
    ReceiverSkew m_skew;
    bool m_clockKnown = false;
};

// The Bits steps of a frame, in order.
std::vector<const Irp::Bits *> bitsOf(const Frame &frame)
{
    std::vector<const Irp::Bits *> out;
    for (const Step &step : frame.steps) {
        if (step.kind == Step::Kind::Bits) {
            out.push_back(&step.bits);
        }
    }
    return out;
}

// Whether a frame read sent what `values` make it send.
bool sentAs(const Protocol &protocol, const Frame &frame, const Irp::Values &code,
            const std::vector<std::uint64_t> &sent)
{
    const Irp::Values values = frameValues(protocol, frame, code);
    const std::vector<const Irp::Bits *> steps = bitsOf(frame);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i]->sent(values, protocol.msbFirst) != sent[i]) {
            return false;
        }
    }
    return true;
}

struct Read
{
    const Frame *frame;
    std::vector<std::uint64_t> sent;
};

// The code of `durations` as frames of `protocol`, with or without its start
// and end frames (form, Irp::withStart and withEnd); the frames after the
// first are repeats, but for an end frame last.
std::optional<KnownCode> decodeAs(const Protocol &protocol, const std::vector<int> &durations, std::uint8_t form)
{
    Reader reader(protocol, durations);
    std::vector<Read> frames;
    const auto take = [&](const Frame &frame) {
        std::optional<std::vector<std::uint64_t>> sent = reader.frame(frame);
        if (sent) {
            frames.push_back({&frame, std::move(*sent)});
        }
        return sent.has_value();
    };
    if (((form & Irp::withStart) != 0 && !take(*protocol.start)) || !take(protocol.first)) {
        return std::nullopt;
    }
    const std::size_t firstRepeat = frames.size();
    while (!reader.done() && frames.size() < mostFrames) {
        if (!take(repeatOf(protocol))) {
            return std::nullopt;
        }
    }
    // The end frame sends the repeat frame's steps: the last one read is it.
    if ((form & Irp::withEnd) != 0) {
        if (frames.size() == firstRepeat) {
            return std::nullopt;
        }
        frames.back().frame = protocol.end;
    }
    const std::size_t repeats = frames.size() - firstRepeat - ((form & Irp::withEnd) != 0 ? 1 : 0);
    if (!reader.done() || (protocol.needsRepeat && repeats == 0)) {
        return std::nullopt;
    }
    const Read &first = frames[firstRepeat - 1];
    Irp::Values values{};
    Irp::Covered covered{};
    const std::vector<const Irp::Bits *> steps = bitsOf(protocol.first);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        Irp::assign(values, covered, *steps[i], first.sent[i], protocol.msbFirst);
    }
    KnownCode code;
    code.formatId = tableId;
    const auto fits = [&](const Irp::Values &guess) {
        return Irp::store(protocol.irp, guess, code)
               && std::all_of(frames.begin(), frames.end(),
                              [&](const Read &read) { return sentAs(protocol, *read.frame, guess, read.sent); });
    };
    if (!Irp::complete(protocol.irp, values, covered, fits)) {
        return std::nullopt;
    }
    Irp::setFrames(code, form, repeats, repeatKindOf(protocol));
    return code;
}

std::optional<IrSignal> signalOf(const Protocol &protocol, const KnownCode &code)
{
    const std::optional<Irp::Values> values = Irp::valuesOf(protocol.irp, code);
    const RepeatKind repeat = repeatKindOf(protocol);
    const std::uint8_t form = code.fields[Irp::formByte];
    if (!values || (form & ~formsOf(protocol)) != 0 || !code.repeatsConsistent()
        || (code.repeat != RepeatKind::None && code.repeat != repeat)) {
        return std::nullopt;
    }
    Sender sender(protocol);
    if ((form & Irp::withStart) != 0) {
        sender.send(*protocol.start, *values);
    }
    sender.send(protocol.first, *values);
    for (int i = 0; i < code.repeatCount; ++i) {
        sender.send(repeatOf(protocol), *values);
    }
    if ((form & Irp::withEnd) != 0) {
        sender.send(*protocol.end, *values);
    }
    return sender.finished();
}
}  // namespace

bool PulseTableCodec::owns(std::uint32_t formatId) const
{
    return formatId == tableId;
}

std::vector<KnownCode> PulseTableCodec::candidates(const IrSignal &signal) const
{
    std::vector<KnownCode> codes;
    const std::vector<int> durations = signal.flatDurations();
    for (const Protocol &protocol : Pulse::protocols()) {
        for (const std::uint8_t form : Irp::eachForm(formsOf(protocol))) {
            if (std::optional<KnownCode> code = decodeAs(protocol, durations, form)) {
                codes.push_back(*code);
            }
        }
    }
    return codes;
}

std::optional<IrSignal> PulseTableCodec::encode(const KnownCode &code) const
{
    const Protocol *protocol = rowOf(code);
    return protocol ? signalOf(*protocol, code) : std::nullopt;
}

std::string PulseTableCodec::name(const KnownCode &code) const
{
    const Protocol *protocol = rowOf(code);
    if (!protocol) {
        return {};
    }
    if (protocol->carrierNames.empty()) {
        return std::string(protocol->irp.name);
    }
    const int carrierHz = code.carrierKHz != 0 ? 1000 * code.carrierKHz : protocol->irp.carrierHz;
    const auto nearest = std::min_element(
        protocol->carrierNames.begin(), protocol->carrierNames.end(), [carrierHz](const auto &a, const auto &b) {
            return std::abs(a.carrierHz - carrierHz) < std::abs(b.carrierHz - carrierHz);
        });
    return std::string(nearest->name);
}

ProtocolCodec::Fields PulseTableCodec::fields(const KnownCode &code) const
{
    const Protocol *protocol = rowOf(code);
    return protocol ? Irp::fieldsOf(protocol->irp, code) : Fields{};
}

std::optional<KnownCode> PulseTableCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    for (const Protocol &protocol : Pulse::protocols()) {
        const auto named = std::find_if(protocol.carrierNames.begin(), protocol.carrierNames.end(),
                                        [name](const auto &each) { return each.name == name; });
        if (protocol.irp.name != name && named == protocol.carrierNames.end()) {
            continue;
        }
        // The start frame goes with a press, the end frame only with some.
        std::optional<KnownCode> code =
            Irp::codeOf(protocol.irp, tableId, fields, repeats, Irp::formsOf(protocol.start != nullptr, false),
                        repeatKindOf(protocol));
        if (code && named != protocol.carrierNames.end() && named->carrierHz != protocol.irp.carrierHz) {
            code->carrierKHz = KnownCode::carrierKHzOf(named->carrierHz);
        }
        return sendable(code);
    }
    return std::nullopt;
}
