#include "RoundTrip.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CapturedCodeStore.h"
#include "CodeConverter.h"
#include "HexText.h"
#include "KnownProtocols.h"
#include "LearnedFormat.h"
#include "ParsedSignal.h"
#include "RemoteTablesReader.h"
#include "RemoteTransmitter.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

namespace
{
// A space that fills a whole receiver word ends a frame; twenty of them end the capture.
constexpr double frameGapUs = 0x7FFF / 3.0 + 58;
constexpr double endingUs = 20 * 0x7FFF / 3.0 + 58;
constexpr double relative = 0.05;
constexpr double absoluteUs = 60;
constexpr double gapAbsoluteUs = 1000;
constexpr int carrierToleranceHz = 1000;
constexpr std::size_t recordBytes = 22;
constexpr std::size_t blockBytes = 8;
// A key of the TV mode that takes learned codes.
constexpr const char *keycode = "62";
constexpr int repeatsOfParsed = 1;
constexpr int minimumCarrierHz = 0;

struct Input
{
    InfraredSignal signal;
    std::optional<ParsedSignal::Irp> expected;
};

QJsonObject fieldsJson(const ProtocolCodec::Fields &fields)
{
    QJsonObject object;
    for (const auto &[name, value] : fields) {
        object.insert(QString::fromStdString(name), value);
    }
    return object;
}

std::string lineOf(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::string errorLine(const std::string &what, RoundTrip::Totals &totals)
{
    ++totals.errors;
    return lineOf({{QStringLiteral("error"), QString::fromStdString(what)}});
}

bool isWholeNumber(const QJsonValue &value)
{
    return value.isDouble() && value.toDouble() == std::floor(value.toDouble());
}

std::optional<Input> inputOf(const QJsonObject &line, std::string &why)
{
    Input input;
    const QJsonValue durations = line.value(QStringLiteral("durations"));
    const QJsonValue protocol = line.value(QStringLiteral("protocol"));
    if (!durations.isUndefined()) {
        const QJsonValue frequency = line.value(QStringLiteral("frequency"));
        if (!durations.isArray()
            || (!frequency.isUndefined() && (!frequency.isDouble() || frequency.toDouble() < minimumCarrierHz))) {
            why = "\"durations\" must be an array and \"frequency\" a carrier in Hz";
            return std::nullopt;
        }
        input.signal.carrierHz = frequency.isUndefined() ? 38000 : static_cast<int>(std::lround(frequency.toDouble()));
        for (const QJsonValue value : durations.toArray()) {
            if (!value.isDouble() || !(value.toDouble() > 0)) {
                why = "a duration is not a positive number of microseconds";
                return std::nullopt;
            }
            input.signal.durations.push_back(value.toDouble());
        }
        return input;
    }
    if (!protocol.isString()) {
        why = "neither \"durations\" nor \"protocol\"";
        return std::nullopt;
    }
    const QJsonValue address = line.value(QStringLiteral("address"));
    const QJsonValue command = line.value(QStringLiteral("command"));
    if (!isWholeNumber(address) || !isWholeNumber(command)) {
        why = "a parsed signal needs whole numbers \"address\" and \"command\"";
        return std::nullopt;
    }
    input.expected = ParsedSignal::irpOf(protocol.toString().toStdString(), static_cast<long long>(address.toDouble()),
                                         static_cast<long long>(command.toDouble()), why);
    if (!input.expected) {
        return std::nullopt;
    }
    const std::optional<KnownCode> code =
        KnownProtocols::make(input.expected->protocol, input.expected->fields, repeatsOfParsed);
    const std::optional<IrSignal> signal = code ? KnownProtocols::encode(*code) : std::nullopt;
    if (!signal) {
        why = "the fields do not fit " + input.expected->protocol;
        return std::nullopt;
    }
    input.signal.carrierHz = signal->carrierHz;
    const std::vector<int> flat = signal->flatDurations();
    input.signal.durations.assign(flat.begin(), flat.end());
    return input;
}

// What a capture keeps of a signal: up to the silence that ends it, without
// a closing space.
std::vector<double> captured(const std::vector<double> &durations)
{
    std::vector<double> kept;
    for (std::size_t i = 0; i < durations.size(); ++i) {
        if (i % 2 == 1 && durations[i] >= endingUs) {
            break;
        }
        kept.push_back(durations[i]);
    }
    if (kept.size() % 2 == 0 && !kept.empty()) {
        kept.pop_back();
    }
    return kept;
}

std::string protocolOf(const std::string &converted, ProtocolCodec::Fields &fields, std::size_t &dataBytes)
{
    const std::size_t idEnd = converted.find("::");
    const std::size_t dataStart = converted.find(":::");
    const std::optional<std::vector<std::uint8_t>> id = HexText::bytes(converted.substr(0, idEnd));
    const std::optional<std::vector<std::uint8_t>> parts =
        HexText::bytes(converted.substr(idEnd + 2, 16) + converted.substr(idEnd + 19, 16));
    const std::optional<std::vector<std::uint8_t>> data = HexText::bytes(converted.substr(dataStart + 3));
    if (!id || id->size() != 3 || !parts || parts->size() != 16 || !data) {
        return "raw";
    }
    dataBytes = data->size();
    const std::uint32_t formatId = static_cast<std::uint32_t>((*id)[0]) << 16 | (*id)[1] << 8 | (*id)[2];
    if (KnownFormats::isKnownId(formatId)) {
        std::array<std::uint8_t, 16> bytes{};
        std::copy(parts->begin(), parts->end(), bytes.begin());
        const std::optional<KnownCode> code = KnownCode::fromParts(formatId, bytes);
        const ProtocolCodec *codec = KnownProtocols::codecFor(formatId);
        if (code && codec) {
            fields = codec->fields(*code);
            return codec->name(*code);
        }
        return "raw";
    }
    const std::optional<LearnedFormat> format = LearnedFormat::parse(*data);
    return format && !format->alphabet.empty() ? "learned" : "raw";
}

QJsonObject signalJson(const IrSignal &signal)
{
    QJsonArray durations;
    for (const int d : signal.flatDurations()) {
        durations.append(d);
    }
    return {{QStringLiteral("frequency"), signal.carrierHz}, {QStringLiteral("durations"), durations}};
}
}  // namespace

RoundTrip::Match RoundTrip::compare(const InfraredSignal &original, const IrSignal &sent)
{
    // Frame by frame is mark by mark once the gaps count as the spaces they are.
    const std::vector<double> want = captured(original.durations);
    const std::vector<int> got = sent.flatDurations();
    bool faithful = want.size() == got.size();
    double worst = 0;
    for (std::size_t i = 0; i < want.size() && i < got.size(); ++i) {
        const double miss = std::abs(got[i] - want[i]);
        const bool gap = i % 2 == 1 && want[i] >= frameGapUs;
        worst = std::max(worst, gap ? 0.0 : miss);
        faithful = faithful && miss <= std::max(relative * want[i], gap ? gapAbsoluteUs : absoluteUs);
    }
    Match match;
    match.timingFaithful = faithful;
    match.faithful = faithful && std::abs(original.carrierHz - sent.carrierHz) <= carrierToleranceHz;
    match.worstUs = static_cast<int>(std::lround(worst));
    return match;
}

std::string RoundTrip::run(std::string_view line, Totals &totals)
{
    ++totals.lines;
    QJsonParseError parsing;
    const QJsonDocument json =
        QJsonDocument::fromJson(QByteArray(line.data(), static_cast<qsizetype>(line.size())), &parsing);
    if (parsing.error != QJsonParseError::NoError) {
        return errorLine("not JSON: " + parsing.errorString().toStdString() + " at character "
                             + std::to_string(parsing.offset + 1),
                         totals);
    }
    if (!json.isObject()) {
        return errorLine("not a JSON object", totals);
    }
    std::string why;
    const std::optional<Input> input = inputOf(json.object(), why);
    if (!input) {
        return errorLine(why, totals);
    }
    std::string error;
    const std::unique_ptr<VirtualRemote> remote = VirtualRemote::open({{}, std::chrono::microseconds(0)}, &error);
    if (!remote) {
        return errorLine("no virtual remote: " + error, totals);
    }
    VirtualRemoteDevice device(*remote);
    RemoteTablesReader::Result tables = RemoteTablesReader::read(device);
    std::string capture;
    remote->setCodeCarrierWave();
    if (tables.outcome != RemoteTablesReader::Outcome::Ok || !remote->press(input->signal)
        || !remote->collectCodeInfo(capture)) {
        return errorLine("the receiver took no capture of the signal", totals);
    }
    std::string converted;
    // The carrier reaches the converter as the tool passes it: from the encoded capture's header.
    CapturedCodeStore store(tables.tables, device,
                            [&](const std::string &text, int carrierHz, const std::string &storedFormats) {
                                converted = CodeConverter::convert(text, carrierHz, storedFormats);
                                return Conversion{Conversion::Status::Converted, converted, {}};
                            });
    if (store.store(capture, keycode, 0).outcome != CapturedCodeStore::Outcome::Stored) {
        return errorLine("no code learned from the signal", totals);
    }
    const RemoteTransmitter::Result sent =
        RemoteTransmitter::send(remote->dump(0, VirtualRemote::memorySize), 0, keycode);
    if (!sent.sent()) {
        return errorLine("the transmitter sent nothing: " + sent.reason, totals);
    }
    ProtocolCodec::Fields fields;
    std::size_t dataBytes = 0;
    const std::string protocol = protocolOf(converted, fields, dataBytes);
    const std::size_t bytes = keyBytes(dataBytes);
    const Match match = compare(input->signal, sent.signal);
    totals.bytes += static_cast<long long>(bytes);

    QJsonObject answer{{QStringLiteral("protocol"), QString::fromStdString(protocol)},
                       {QStringLiteral("fields"), fieldsJson(fields)},
                       {QStringLiteral("bytes"), static_cast<qint64>(bytes)},
                       {QStringLiteral("faithful"), match.faithful},
                       {QStringLiteral("worst_us"), match.worstUs},
                       {QStringLiteral("sent"), signalJson(sent.signal)}};
    if (input->expected) {
        ++totals.parsed;
        totals.parsedFaithful += match.faithful ? 1 : 0;
        totals.parsedRecognised += protocol == input->expected->protocol && fields == input->expected->fields ? 1 : 0;
        answer.insert(QStringLiteral("expected"),
                      QJsonObject{{QStringLiteral("protocol"), QString::fromStdString(input->expected->protocol)},
                                  {QStringLiteral("fields"), fieldsJson(input->expected->fields)}});
    } else {
        ++totals.raw;
        totals.rawFaithful += match.faithful ? 1 : 0;
        totals.rawTimingFaithful += match.timingFaithful ? 1 : 0;
        totals.rawKnown += protocol != "learned" && protocol != "raw" ? 1 : 0;
    }
    return lineOf(answer);
}

std::size_t RoundTrip::keyBytes(std::size_t formatBytes)
{
    return recordBytes + (formatBytes + blockBytes - 1) / blockBytes * blockBytes;
}

std::string RoundTrip::summary(const Totals &totals)
{
    const auto percent = [](int part, int whole) { return whole > 0 ? 100.0 * part / whole : 0.0; };
    const int stored = totals.raw + totals.parsed;
    char text[512];
    std::snprintf(
        text, sizeof text,
        "%d lines, %d errors; raw: %d, faithful %.1f %% (%.1f %% but for the carrier), known protocols %.1f %%; "
        "parsed: %d, faithful "
        "%.1f %%, recognised %.1f %%; mean memory per key %.1f bytes",
        totals.lines, totals.errors, totals.raw, percent(totals.rawFaithful, totals.raw),
        percent(totals.rawTimingFaithful, totals.raw), percent(totals.rawKnown, totals.raw), totals.parsed,
        percent(totals.parsedFaithful, totals.parsed), percent(totals.parsedRecognised, totals.parsed),
        stored > 0 ? static_cast<double>(totals.bytes) / stored : 0.0);
    return text;
}
