#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "InfraredSignal.h"

// A QLR-815 learning remote in software: 64 KiB of persistent memory laid out
// as the real remote's, a USB link that can be pulled, an identity that can be
// swapped for another remote of the same model, and an infrared receiver.
//
// The eight device operations take and return text exactly as the device
// library passes it: hex digits, two per byte, upper case, address bytes and
// selectors as two-digit texts. Every operation is safe to call from several
// threads at once; each takes about `transferTime` like a USB transfer.
class VirtualRemote
{
public:
    // Device operations that fault injection can name.
    enum class Operation
    {
        LinkState,
        ReadVersion,
        ReadData,
        WriteData,
        WriteCodeTypeData,
        SetCodeCarrierWave,
        CollectCodeInfo,
        BasicInfo
    };
    enum class Identity
    {
        Original,
        Other
    };

    struct Options
    {
        std::string imagePath;  // empty: memory only, nothing persists
        std::chrono::microseconds transferTime{1000};
        // Told what opening the image did besides succeeding, one line each
        // (such as journal records it would not replay); may be empty.
        std::function<void(const std::string &)> log{};
    };

    // Opens the image at options.imagePath, creating it from the factory image
    // when it does not exist, and finishes the change its journal holds. A
    // file that is not exactly 65,536 bytes, cannot be read, is open in
    // another virtual remote or is not the user's alone (a symbolic link, of
    // another user, writable by others) is refused and left as it is, as is an
    // image whose journal cannot be used: returns null and sets *error (naming
    // the path).
    static std::unique_ptr<VirtualRemote> open(const Options &options, std::string *error);
    ~VirtualRemote();

    // --- the eight device operations ---
    bool linkState();
    bool readVersion(std::string &text);  // "1020..." text
    // 16 x count hex digits of memory from hi:lo upward; selector must be "08".
    bool readData(int count, const std::string &hi, const std::string &lo, const std::string &selector,
                  std::string &hex);
    // Writes the bytes of `hex` from hi:lo upward. The selector must be the
    // configuration block's write selector. All or nothing, on disk before true.
    bool writeData(const std::string &selector, const std::string &hi, const std::string &lo, const std::string &hex);
    bool writeCodeTypeData(const std::string &hex);
    bool setCodeCarrierWave();  // arms the receiver
    // True once a code was captured since arming: the capture's words as hex
    // text (at most 10240 characters). Disarms the receiver.
    bool collectCodeInfo(std::string &hex);
    bool basicInfo(std::string &hex);  // hex text of the basic block

    // --- control, for tests and the command line; they work while detached ---
    void attach();
    void detach();
    bool attached() const;
    void setIdentity(Identity identity);
    Identity identity() const;
    // What the receiver hears. Returns false (and ignores the signal) when the
    // remote is not waiting for a code, or the signal has no durations or one
    // that is not a positive finite number, or a negative carrier.
    bool press(const InfraredSignal &signal);
    // Waiting for a code: capture mode is on and nothing was heard yet.
    bool captureArmed() const;
    // The next `count` calls of `op` fail (a failed write changes nothing);
    // a count of zero cancels the faults planned for `op`.
    void injectFault(Operation op, int count);
    // Detach the link at the next collectCodeInfo poll of an armed receiver.
    void detachDuringCapture();
    void setTransferTime(std::chrono::microseconds time);
    // Back to the factory image (persisted). False when the disk refused it;
    // memory is then unchanged.
    bool reset();
    // Memory as readData shows it (identity included), cut at the end of memory.
    std::vector<std::uint8_t> dump(std::uint16_t address, std::size_t count) const;
    // Raw memory write for tests that craft a remote; persisted like a device
    // write. False (nothing written) past the end of memory or when the disk fails.
    bool poke(std::uint16_t address, const std::vector<std::uint8_t> &bytes);

    static constexpr std::size_t memorySize = 65536;

private:
    VirtualRemote();
    struct State;
    std::unique_ptr<State> d;
};
