// How many keys of real remotes one remote holds: eight remotes of the corpus,
// one per device mode, 48 keys each (a remote with fewer keys repeats them),
// learned into one fresh virtual remote through the tool's own road: the
// remote's receiver captures each press, the tool trims and encodes the
// capture, the conversion library (loaded as the tool loads it) converts it,
// offered the formats the remote holds, and CapturedCodeStore stores it. Then
// every key is learned twice more: the second time shows what a new capture
// of every key costs, the third whether learning again goes on costing (a
// leak) or not. Without jitter every press is the recording;
// with it every duration of every press is stretched or shrunk by up to 3 %.
//   bench_capacity [--draws N] [--by-remote] [--library FILE]
//     N random draws of eight remotes, 50 by default; --by-remote: per draw,
//     each remote's keys stored, the formats they take, the limits that
//     refused the others and, with jitter, the keys of a known protocol as
//     recorded that were not stored as one; --library: another conversion
//     library than the one built beside it
// Draws are of remotes whose keys carry at most 128 data bits; remotes of wider
// codes (air conditioners and the like, every key a state of its own) are drawn
// apart and reported apart.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BlockAllocator.h"
#include "CaptureEncoding.h"
#include "CapturedCodeStore.h"
#include "ConvertedCode.h"
#include "ConverterLibrary.h"
#include "DurationText.h"
#include "EncodedCapture.h"
#include "IrCorpus.h"
#include "MemoryCheck.h"
#include "ModeSlice.h"
#include "RemoteTablesReader.h"
#include "RemoteTransmitter.h"
#include "RoundTrip.h"
#include "TCollectCode.h"
#include "TestSignals.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

namespace
{
constexpr int modes = 8;
constexpr int keysPerRemote = 48;
constexpr double jitter = 0.03;
constexpr std::size_t partBits = 128;
// A space this long ends a frame in the remote's receiver.
constexpr double frameGapUs = 10980;
// Frames alike within this are one frame sent again.
constexpr double repeatSpread = 0.1;
// Fewer marks and spaces are noise, not a code.
constexpr std::size_t minDurations = 7;

// The data a signal carries, counted without the converter: the (mark, space)
// pairs of its frames but the first of each (a lead-in), a frame that repeats
// the one before it counted once. A pair carries a bit.
std::size_t dataPairs(const InfraredSignal &signal)
{
    std::vector<std::vector<double>> frames(1);
    for (std::size_t i = 0; i < signal.durations.size(); ++i) {
        if (i % 2 == 1 && signal.durations[i] >= frameGapUs)
            frames.emplace_back();
        else
            frames.back().push_back(signal.durations[i]);
    }
    const auto alike = [](const std::vector<double> &a, const std::vector<double> &b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::abs(a[i] - b[i]) > repeatSpread * std::max(a[i], b[i]))
                return false;
        }
        return true;
    };
    std::size_t pairs = 0;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        if (f > 0 && alike(frames[f], frames[f - 1]))
            continue;
        pairs += frames[f].size() / 2 > 0 ? frames[f].size() / 2 - 1 : 0;
    }
    return pairs;
}

struct Remote
{
    std::string path;
    std::vector<InfraredSignal> keys;
    bool wide = false;
};

std::vector<Remote> corpusRemotes()
{
    std::map<std::string, Remote> byPath;
    for (const IrCorpus::Recording &recording : IrCorpus::rawRecordings(0)) {
        // The corpus's damaged entries are no code at all.
        if (recording.signal.durations.size() < minDurations
            || std::any_of(recording.signal.durations.begin(), recording.signal.durations.end(),
                           [](double d) { return !(d > 0); }))
            continue;
        Remote &remote = byPath[recording.remote.toStdString()];
        remote.path = recording.remote.toStdString();
        remote.keys.push_back(recording.signal);
        remote.wide = remote.wide || dataPairs(recording.signal) > partBits;
    }
    std::vector<Remote> remotes;
    for (auto &[path, remote] : byPath)
        remotes.push_back(std::move(remote));
    return remotes;
}

// What the remote's tables hold.
struct Use
{
    int usedSlots = 0;
    int slotCount = 0;
    int usedBlocks = 0;
    int records = 0;  // key records holding a learned code
};

Use useOf(RemoteTables &tables)
{
    Use use;
    use.slotCount = tables.allocrecordcount;
    const BlockAllocator allocator(tables);
    for (int slot = 0; slot < tables.allocrecordcount; ++slot) {
        const auto record = allocator.record(slot);
        use.usedSlots += record && record->inuse ? 1 : 0;
    }
    use.usedBlocks =
        static_cast<int>(std::count(tables.blockmap.begin(), tables.blockmap.begin() + tables.blockcount, '1'));
    for (const std::string &entry : tables.keystates)
        use.records += entry.size() > 3 && entry[3] == '2' ? 1 : 0;
    return use;
}

// One key of a draw and how its last press went.
struct Key
{
    int mode = 0;
    std::string keycode;
    const InfraredSignal *recording = nullptr;
    InfraredSignal pressed;
    InfraredSignal captured;  // what the receiver kept of it, as the converter reads it
    bool stored = false;
    std::string refusal;           // the limit that refused its last press; empty when stored
    bool knownAsRecorded = false;  // its recording, pressed as it is, converts to a known protocol
    std::string reference;         // what its entry names: "0|" and a known format's id, or "1|" and the slot
};

struct Pass
{
    int tried = 0;
    int stored = 0;
    int known = 0;  // of them, keys of a format the remote knows
    int faithful = 0;
    int faithfulToCapture = 0;
    int knownFaithfulToCapture = 0;
    Use use;
    std::string firstRefusal;  // empty: none refused
    bool consistent = true;
};

struct DrawResult
{
    Pass learn;
    Pass relearn;
    Pass third;  // every key learned a third time
    int storedTwice = 0;
    int keptFormat = 0;  // of them, keys whose second capture kept the first one's format
};

std::string limitOf(CapturedCodeStore::Outcome outcome)
{
    switch (outcome) {
    case CapturedCodeStore::Outcome::NoFreeSlot:
        return "allocation slots";
    case CapturedCodeStore::Outcome::NoRoom:
        return "code-area blocks";
    case CapturedCodeStore::Outcome::NotConverted:
        return "conversion";
    default:
        return "other";
    }
}

std::string referenceOf(const std::string &entry)
{
    if (entry.size() < 6 || entry[3] != '2')
        return {};
    return entry[5] == '1' ? entry.substr(5, 4) : entry.substr(5);
}

InfraredSignal capturedOf(const std::string &capture)
{
    const std::string encoded = CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(capture));
    InfraredSignal signal;
    if (const auto read = DurationText::parse(EncodedCapture::converterinput(encoded))) {
        for (const int duration : read->flatDurations())
            signal.durations.push_back(duration);
    }
    signal.carrierHz = EncodedCapture::carrierHz(encoded);
    return signal;
}

bool byRemote = false;

// One fresh remote and the tool's store on it.
class Learning
{
public:
    explicit Learning(ConverterLibrary &library)
        : m_library(library)
        , m_remote(VirtualRemote::open({{}, std::chrono::microseconds(0)}, nullptr))
        , m_device(*m_remote)
        , m_tables(RemoteTablesReader::read(m_device).tables)
        , m_store(m_tables, m_device, [&library](const std::string &input, int carrierHz, const std::string &formats) {
            return library.convert(input, carrierHz, formats);
        })
    { }

    std::string keycode(int position) const
    {
        return m_tables.keystates[static_cast<std::size_t>(position)].substr(0, 2);
    }

    // Presses the key on the original remote while the remote listens, and stores what it captured.
    CapturedCodeStore::Outcome learn(Key &key)
    {
        const std::string capture = captureOf(key.pressed);
        key.captured = capturedOf(capture);
        const auto outcome = m_store.store(capture, key.keycode, key.mode).outcome;
        key.stored = outcome == CapturedCodeStore::Outcome::Stored;
        const auto position = ModeSlice::keyPosition(m_tables, key.keycode);
        key.reference =
            key.stored && position
                ? referenceOf(m_tables.keystates[static_cast<std::size_t>(key.mode * m_tables.keyspermode) + *position])
                : std::string();
        return outcome;
    }

    // Whether the signal, captured, converts to a known protocol whatever formats the remote holds.
    bool convertsToKnown(const InfraredSignal &signal)
    {
        const std::string encoded = CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(captureOf(signal)));
        const auto code = ConvertedCode::parse(
            m_library.convert(EncodedCapture::converterinput(encoded), EncodedCapture::carrierHz(encoded)).text);
        return code && code->formatdata.empty();
    }

    // The keys stored, what the remote sends of them, and what it holds.
    void finish(const std::vector<Key> &keys, Pass &pass)
    {
        const std::vector<std::uint8_t> image = m_remote->dump(0, VirtualRemote::memorySize);
        for (const Key &key : keys) {
            if (!key.stored)
                continue;
            ++pass.stored;
            pass.known += key.reference.rfind("0|", 0) == 0 ? 1 : 0;
            const RemoteTransmitter::Result sent = RemoteTransmitter::send(image, key.mode, key.keycode);
            pass.faithful += sent.sent() && RoundTrip::compare(key.pressed, sent.signal).faithful ? 1 : 0;
            const bool toCapture = sent.sent() && RoundTrip::compare(key.captured, sent.signal).faithful;
            pass.faithfulToCapture += toCapture ? 1 : 0;
            pass.knownFaithfulToCapture += toCapture && key.reference.rfind("0|", 0) == 0 ? 1 : 0;
            if (byRemote && !toCapture)
                std::printf("    unfaithful to its capture: mode %d key %s (%s), worst %d us\n", key.mode,
                            key.keycode.c_str(), key.reference.c_str(),
                            sent.sent() ? RoundTrip::compare(key.captured, sent.signal).worstUs : -1);
        }
        pass.use = useOf(m_tables);
        pass.consistent = MemoryCheck::check(image).consistent();
    }

private:
    std::string captureOf(const InfraredSignal &signal)
    {
        if (!m_device.SetCodeCarrierWave() || !m_remote->press(signal))
            return {};
        std::vector<char> buffer(TCollectCode::bufferSize, '\0');
        return m_device.RCollectCodeInfo(buffer.data()) ? std::string(buffer.data()) : std::string();
    }

    ConverterLibrary &m_library;
    std::unique_ptr<VirtualRemote> m_remote;
    VirtualRemoteDevice m_device;
    RemoteTables m_tables;
    CapturedCodeStore m_store;
};

DrawResult runDraw(ConverterLibrary &library, const std::vector<const Remote *> &remotes, double spread,
                   std::uint32_t seed)
{
    Learning learning(library);
    std::vector<Key> keys;
    for (int mode = 0; mode < modes && mode < static_cast<int>(remotes.size()); ++mode) {
        const Remote &remote = *remotes[static_cast<std::size_t>(mode)];
        for (int i = 0; i < keysPerRemote; ++i) {
            Key key;
            key.mode = mode;
            key.keycode = learning.keycode(i);
            key.recording = &remote.keys[static_cast<std::size_t>(i) % remote.keys.size()];
            key.knownAsRecorded = byRemote && spread > 0 && learning.convertsToKnown(*key.recording);
            keys.push_back(key);
        }
    }
    DrawResult result;
    std::vector<std::string> first(keys.size());
    std::uint32_t press = seed * 100003u;
    for (Pass *pass : {&result.learn, &result.relearn, &result.third}) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            Key &key = keys[k];
            key.pressed = spread > 0 ? TestSignals::jittered(*key.recording, spread, ++press) : *key.recording;
            const auto outcome = learning.learn(key);
            ++pass->tried;
            key.refusal = key.stored ? std::string() : limitOf(outcome);
            if (!key.stored && pass->firstRefusal.empty())
                pass->firstRefusal = key.refusal;
            if (pass == &result.learn) {
                first[k] = key.reference;
            } else if (pass == &result.relearn && key.stored && !first[k].empty()) {
                ++result.storedTwice;
                result.keptFormat += key.reference == first[k] ? 1 : 0;
            }
        }
        learning.finish(keys, *pass);
    }
    for (int mode = 0; byRemote && mode < static_cast<int>(remotes.size()); ++mode) {
        std::map<std::string, int> formats, refusals;
        int stored = 0, protocolLost = 0;
        for (const Key &key : keys) {
            if (key.mode != mode)
                continue;
            stored += key.stored ? 1 : 0;
            formats[key.reference] += key.stored ? 1 : 0;
            refusals[key.refusal] += key.stored ? 0 : 1;
            protocolLost += key.knownAsRecorded && key.reference.rfind("0|", 0) != 0 ? 1 : 0;
        }
        std::erase_if(formats, [](const auto &format) { return format.second == 0; });
        std::printf("    draw %u, %s: %d keys stored, %zu formats", seed,
                    remotes[static_cast<std::size_t>(mode)]->path.c_str(), stored, formats.size());
        for (const auto &[limit, count] : refusals)
            std::printf(count > 0 ? "; %d refused by %s" : "", count, limit.c_str());
        std::printf(spread > 0 ? "; %d of a known protocol as recorded not stored as one\n" : "\n", protocolLost);
    }
    return result;
}

double percent(double part, double whole)
{
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? T{} : values[values.size() / 2];
}

double growth(int before, int after)
{
    return before > 0 ? percent(after - before, before) : 0.0;
}

void report(const char *title, const std::vector<DrawResult> &draws)
{
    std::vector<double> storedShare, slotGrowth, blockGrowth, fullBlockGrowth, thirdBlockGrowth;
    std::vector<int> usedSlots, usedBlocks, records, slotsAfter, blocksAfter;
    std::map<std::string, int> refusals;
    long tried = 0, stored = 0, known = 0, slotUses = 0, faithful = 0, toCapture = 0, knownToCapture = 0, kept = 0,
         twice = 0, storedAgain = 0, faithfulAgain = 0;
    int unchanged = 0, larger = 0, inconsistent = 0;
    for (const DrawResult &draw : draws) {
        storedShare.push_back(percent(draw.learn.stored, draw.learn.tried));
        usedSlots.push_back(draw.learn.use.usedSlots);
        usedBlocks.push_back(draw.learn.use.usedBlocks);
        records.push_back(draw.learn.use.records);
        slotsAfter.push_back(draw.relearn.use.usedSlots);
        blocksAfter.push_back(draw.relearn.use.usedBlocks);
        slotGrowth.push_back(growth(draw.learn.use.usedSlots, draw.relearn.use.usedSlots));
        blockGrowth.push_back(growth(draw.learn.use.usedBlocks, draw.relearn.use.usedBlocks));
        ++refusals[draw.learn.firstRefusal.empty() ? "none" : draw.learn.firstRefusal];
        tried += draw.learn.tried;
        stored += draw.learn.stored;
        known += draw.learn.known;
        slotUses += draw.learn.use.usedSlots;
        faithful += draw.learn.faithful;
        toCapture += draw.learn.faithfulToCapture;
        knownToCapture += draw.learn.knownFaithfulToCapture;
        storedAgain += draw.relearn.stored;
        faithfulAgain += draw.relearn.faithful;
        kept += draw.keptFormat;
        twice += draw.storedTwice;
        unchanged += draw.learn.use.usedSlots == draw.relearn.use.usedSlots
                             && draw.learn.use.usedBlocks == draw.relearn.use.usedBlocks
                         ? 1
                         : 0;
        larger += draw.relearn.use.usedSlots > draw.learn.use.usedSlots
                          || draw.relearn.use.usedBlocks > draw.learn.use.usedBlocks
                      ? 1
                      : 0;
        // Where the first pass refused keys, the second stores some of them: more use, but no leak.
        if (draw.learn.stored == draw.learn.tried && draw.relearn.stored == draw.relearn.tried)
            fullBlockGrowth.push_back(blockGrowth.back());
        thirdBlockGrowth.push_back(growth(draw.relearn.use.usedBlocks, draw.third.use.usedBlocks));
        inconsistent += draw.learn.consistent && draw.relearn.consistent && draw.third.consistent ? 0 : 1;
    }
    const auto [least, most] = std::minmax_element(storedShare.begin(), storedShare.end());
    const int perDraw = draws.empty() ? 0 : draws.front().learn.tried;
    std::printf("%s, %zu draws:\n", title, draws.size());
    std::printf("  keys stored: median %.1f %% of %d a draw (least %.1f %%, most %.1f %%); all draws %ld of %ld "
                "(%.1f %%); draws with 99 %% or more: %ld, 97 %% or more: %ld\n",
                median(storedShare), perDraw, *least, *most, stored, tried, percent(stored, tried),
                std::count_if(storedShare.begin(), storedShare.end(), [](double s) { return s >= 99; }),
                std::count_if(storedShare.begin(), storedShare.end(), [](double s) { return s >= 97; }));
    std::printf("  in use (median of the draws): %d slots of %d, %d blocks, %d key records of learned codes\n",
                median(usedSlots), draws.empty() ? 0 : draws.front().learn.use.slotCount, median(usedBlocks),
                median(records));
    std::printf("  of the keys stored: %ld of formats the remote knows (no slot), %ld learned, in %ld slot uses\n",
                known, stored - known, slotUses);
    std::printf("  first key refused by:");
    for (const auto &[limit, count] : refusals)
        std::printf(" %s %d draws;", limit.c_str(), count);
    std::printf("\n  faithful: %.2f %% of the keys stored to the press (%ld of %ld), %.2f %% to what the receiver "
                "captured of it (learned keys %.2f %%, keys of known formats %s); after learning again %.2f %% "
                "to the press\n",
                percent(faithful, stored), faithful, stored, percent(toCapture, stored),
                percent(toCapture - knownToCapture, stored - known),
                known > 0 ? (std::to_string(percent(knownToCapture, known)).substr(0, 5) + " %").c_str() : "none",
                percent(faithfulAgain, storedAgain));
    std::printf("  learning every key again: the second capture kept the first one's format for %.2f %% of %ld keys; "
                "slots and blocks unchanged in %d of %zu draws, more in %d; growth median %.1f %% slots, %.1f %% "
                "blocks, largest %.1f %% slots, %.1f %% blocks (median after: %d slots, %d blocks); in the %zu draws "
                "that stored every key both times, blocks growth median %.1f %%, largest %.1f %%\n",
                percent(kept, twice), twice, unchanged, draws.size(), larger, median(slotGrowth), median(blockGrowth),
                slotGrowth.empty() ? 0.0 : *std::max_element(slotGrowth.begin(), slotGrowth.end()),
                blockGrowth.empty() ? 0.0 : *std::max_element(blockGrowth.begin(), blockGrowth.end()),
                median(slotsAfter), median(blocksAfter), fullBlockGrowth.size(), median(fullBlockGrowth),
                fullBlockGrowth.empty() ? 0.0 : *std::max_element(fullBlockGrowth.begin(), fullBlockGrowth.end()));
    std::printf("  learning every key a third time: blocks growth against the second time median %.1f %%, largest "
                "%.1f %%\n",
                median(thirdBlockGrowth),
                thirdBlockGrowth.empty() ? 0.0 : *std::max_element(thirdBlockGrowth.begin(), thirdBlockGrowth.end()));
    std::printf("  memory check: %d draws inconsistent\n", inconsistent);
}
}  // namespace

int main(int argc, char **argv)
{
    int drawCount = 50;
    std::string libraryFile = QLR_CONLCODE_PATH;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--draws") == 0 && i + 1 < argc)
            drawCount = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc)
            libraryFile = argv[i + 1];
        byRemote = byRemote || std::strcmp(argv[i], "--by-remote") == 0;
    }
    const std::vector<Remote> remotes = corpusRemotes();
    if (remotes.empty()) {
        std::fprintf(stderr, "the infrared corpus is not there\n");
        return 1;
    }
    ConverterLibrary library(libraryFile);
    std::vector<const Remote *> narrow, wide;
    for (const Remote &remote : remotes)
        (remote.wide ? wide : narrow).push_back(&remote);
    std::printf("corpus: %zu remotes, %zu whose keys carry up to %zu data bits, %zu with wider keys\n", remotes.size(),
                narrow.size(), partBits, wide.size());

    std::mt19937 random(19);
    for (const auto &[title, pool] :
         {std::pair{"remotes of keys up to 128 bits", &narrow}, std::pair{"remotes of wider keys", &wide}}) {
        std::vector<std::vector<const Remote *>> draws;
        for (int d = 0; d < drawCount; ++d) {
            std::vector<const Remote *> draw;
            std::sample(pool->begin(), pool->end(), std::back_inserter(draw), modes, random);
            std::shuffle(draw.begin(), draw.end(), random);
            draws.push_back(draw);
        }
        for (const double spread : {0.0, jitter}) {
            std::vector<DrawResult> results;
            for (std::size_t d = 0; d < draws.size(); ++d)
                results.push_back(runDraw(library, draws[d], spread, static_cast<std::uint32_t>(d + 1)));
            const std::string heading =
                std::string(title) + (spread > 0 ? ", captures jittered by +-3 %" : ", captures as recorded");
            report(heading.c_str(), results);
        }
    }
    return 0;
}
