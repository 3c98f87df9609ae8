#include "VirtualRemote.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "FactoryImage.h"
#include "FaultPlan.h"
#include "HexText.h"
#include "InfraredReceiver.h"
#include "MemoryImage.h"

static_assert(VirtualRemote::memorySize == FactoryImage::memorySize);

struct VirtualRemote::State
{
    explicit State(std::unique_ptr<MemoryImage> image)
        : memory(std::move(image))
    { }

    // Serialises changes of memory, which go to disk first and then into
    // memory, so that readers are not held up by the disk.
    std::mutex changeMutex;
    // Guards everything below but transferTime; never held while sleeping or
    // waiting for the disk.
    mutable std::mutex mutex;
    std::unique_ptr<MemoryImage> memory;
    InfraredReceiver receiver;
    FaultPlan faults;
    bool attached = true;
    Identity identity = Identity::Original;
    bool detachAtCollect = false;
    std::string codeTypeData;
    std::atomic<std::chrono::microseconds::rep> transferTime{0};

    // Like a USB transfer: the caller waits, other callers go on.
    void transfer() const
    {
        const std::chrono::microseconds time{transferTime.load(std::memory_order_relaxed)};
        if (time.count() > 0) {
            std::this_thread::sleep_for(time);
        }
    }

    // A device operation once its transfer time is spent: `body` runs under
    // the lock when the call reaches the remote. Every call counts against a
    // planned fault, attached or not.
    template <typename Body> bool operate(Operation op, Body body)
    {
        std::lock_guard lock(mutex);
        const bool faulted = faults.take(op);
        return attached && !faulted && body();
    }

    // With `mutex` held: memory as the attached remote shows it; its identity
    // belongs to the device, not to the stored bytes.
    std::vector<std::uint8_t> view(std::size_t address, std::size_t count) const
    {
        const auto &bytes = memory->bytes();
        std::vector<std::uint8_t> result(bytes.begin() + static_cast<std::ptrdiff_t>(address),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(address + count));
        if (identity == Identity::Other) {
            const std::string_view other = FactoryImage::otherIdentity;
            for (std::size_t i = 0; i < other.size(); ++i) {
                const std::size_t at = FactoryImage::basicBlockAddress + i;
                if (at >= address && at < address + count) {
                    result[at - address] = static_cast<std::uint8_t>(other[i]);
                }
            }
        }
        return result;
    }

    // With `changeMutex` held, `mutex` not: on disk, then in memory.
    bool store(std::size_t address, const std::vector<std::uint8_t> &bytes)
    {
        if (!memory->persist(address, bytes)) {
            return false;
        }
        std::lock_guard lock(mutex);
        memory->apply(address, bytes);
        return true;
    }

    void detachLink()
    {
        attached = false;
        detachAtCollect = false;
        receiver.disarm();
    }
};

namespace
{
// An address byte or a selector: exactly two hex digits.
std::optional<std::uint8_t> parseByte(const std::string &text)
{
    return text.size() == 2 ? HexText::byteAt(text, 0) : std::nullopt;
}

std::string format(const std::vector<std::uint8_t> &bytes)
{
    return HexText::formatBytes(bytes.data(), bytes.size());
}

std::optional<std::size_t> parseAddress(const std::string &high, const std::string &low)
{
    const auto h = parseByte(high);
    const auto l = parseByte(low);
    if (!h || !l) {
        return std::nullopt;
    }
    return std::size_t{*h} << 8 | *l;
}

bool fits(std::size_t address, std::size_t count)
{
    return count <= VirtualRemote::memorySize && address <= VirtualRemote::memorySize - count;
}
}  // namespace

VirtualRemote::VirtualRemote() = default;
VirtualRemote::~VirtualRemote()
{
    // A call another thread has just made ends before the state it used goes:
    // taking the lock orders its last step before the state's end.
    if (d) {
        const std::lock_guard lock(d->mutex);
    }
}

std::unique_ptr<VirtualRemote> VirtualRemote::open(const Options &options, std::string *error)
{
    std::string ignored;
    auto image = MemoryImage::open(options.imagePath, options.log, error ? error : &ignored);
    if (!image) {
        return nullptr;
    }
    std::unique_ptr<VirtualRemote> remote(new VirtualRemote);
    remote->d = std::make_unique<State>(std::move(image));
    remote->setTransferTime(options.transferTime);
    return remote;
}

bool VirtualRemote::linkState()
{
    d->transfer();
    return d->operate(Operation::LinkState, [] { return true; });
}

bool VirtualRemote::readVersion(std::string &text)
{
    text.clear();
    d->transfer();
    return d->operate(Operation::ReadVersion, [&] {
        text = FactoryImage::versionText;
        return true;
    });
}

bool VirtualRemote::readData(int count, const std::string &hi, const std::string &lo, const std::string &selector,
                             std::string &hex)
{
    hex.clear();
    d->transfer();
    const auto address = parseAddress(hi, lo);
    const std::size_t size = count > 0 ? FactoryImage::blockSize * static_cast<std::size_t>(count) : 0;
    std::vector<std::uint8_t> bytes;
    const bool ok = d->operate(Operation::ReadData, [&] {
        if (!address || selector != FactoryImage::readSelector || count < 1 || !fits(*address, size)) {
            return false;
        }
        bytes = d->view(*address, size);
        return true;
    });
    // Formatting a large read need not hold up the other callers.
    if (ok) {
        hex = format(bytes);
    }
    return ok;
}

bool VirtualRemote::writeData(const std::string &selector, const std::string &hi, const std::string &lo,
                              const std::string &hex)
{
    d->transfer();
    const auto given = parseByte(selector);
    const auto address = parseAddress(hi, lo);
    const auto bytes = HexText::bytes(hex);
    std::lock_guard change(d->changeMutex);
    const bool admitted = d->operate(Operation::WriteData, [&] {
        // The selector lives in memory: a crafted remote may ask for another.
        const std::uint8_t wanted =
            d->memory->bytes()[FactoryImage::configBlockAddress + FactoryImage::writeSelectorOffset];
        return given && *given == wanted && address && bytes && !bytes->empty() && fits(*address, bytes->size());
    });
    return admitted && d->store(*address, *bytes);
}

bool VirtualRemote::writeCodeTypeData(const std::string &hex)
{
    d->transfer();
    return d->operate(Operation::WriteCodeTypeData, [&] {
        if (!HexText::bytes(hex)) {
            return false;
        }
        d->codeTypeData = hex;
        return true;
    });
}

bool VirtualRemote::setCodeCarrierWave()
{
    d->transfer();
    return d->operate(Operation::SetCodeCarrierWave, [&] {
        d->receiver.arm();
        return true;
    });
}

bool VirtualRemote::collectCodeInfo(std::string &hex)
{
    hex.clear();
    d->transfer();
    return d->operate(Operation::CollectCodeInfo, [&] {
        if (d->detachAtCollect && d->receiver.armed()) {
            d->detachLink();
            return false;
        }
        auto capture = d->receiver.collect();
        if (capture) {
            hex = std::move(*capture);
        }
        return capture.has_value();
    });
}

bool VirtualRemote::basicInfo(std::string &hex)
{
    hex.clear();
    d->transfer();
    return d->operate(Operation::BasicInfo, [&] {
        hex = format(d->view(FactoryImage::basicBlockAddress, FactoryImage::basicBlockSize));
        return true;
    });
}

void VirtualRemote::attach()
{
    std::lock_guard lock(d->mutex);
    d->attached = true;
}

void VirtualRemote::detach()
{
    std::lock_guard lock(d->mutex);
    d->detachLink();
}

bool VirtualRemote::attached() const
{
    std::lock_guard lock(d->mutex);
    return d->attached;
}

void VirtualRemote::setIdentity(Identity identity)
{
    std::lock_guard lock(d->mutex);
    d->identity = identity;
}

VirtualRemote::Identity VirtualRemote::identity() const
{
    std::lock_guard lock(d->mutex);
    return d->identity;
}

bool VirtualRemote::press(const InfraredSignal &signal)
{
    std::lock_guard lock(d->mutex);
    return d->receiver.hear(signal);
}

bool VirtualRemote::captureArmed() const
{
    std::lock_guard lock(d->mutex);
    return d->receiver.waiting();
}

void VirtualRemote::injectFault(Operation op, int count)
{
    std::lock_guard lock(d->mutex);
    d->faults.plan(op, count);
}

void VirtualRemote::detachDuringCapture()
{
    std::lock_guard lock(d->mutex);
    d->detachAtCollect = true;
}

void VirtualRemote::setTransferTime(std::chrono::microseconds time)
{
    d->transferTime.store(std::max<std::chrono::microseconds::rep>(time.count(), 0), std::memory_order_relaxed);
}

bool VirtualRemote::reset()
{
    std::lock_guard change(d->changeMutex);
    return d->store(0, FactoryImage::build());
}

std::vector<std::uint8_t> VirtualRemote::dump(std::uint16_t address, std::size_t count) const
{
    std::lock_guard lock(d->mutex);
    return d->view(address, std::min(count, memorySize - address));
}

bool VirtualRemote::poke(std::uint16_t address, const std::vector<std::uint8_t> &bytes)
{
    if (!fits(address, bytes.size())) {
        return false;
    }
    std::lock_guard change(d->changeMutex);
    return d->store(address, bytes);
}
