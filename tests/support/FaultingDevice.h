#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

// The device in front of a virtual remote, able to aim the remote's fault
// plan at a later call: "the 3rd write from now fails", "the remote is
// unplugged just before the 5th call from now". Calls come from the window's
// thread, the capture thread and the link monitor alike.
class FaultingDevice : public RemoteDevice
{
public:
    using Operation = VirtualRemote::Operation;

    explicit FaultingDevice(VirtualRemote &remote)
        : m_inner(remote)
        , m_remote(remote)
    { }

    // The `nth` call of `op` from now (1 = the next) and the `count` - 1 after it fail.
    void failCall(Operation op, int nth, int count);
    // The same calls reach the remote and are carried out, but report failure:
    // their replies are lost on the way back.
    void loseReplies(Operation op, int nth, int count);
    // The remote is detached just before the `nth` device call from now, of any kind.
    void detachBeforeCall(int nth);
    // While held, polls for a captured code wait before they reach the remote, as in
    // a slow call; `heldPolls` counts the polls waiting.
    void holdPolls(bool hold);
    int heldPolls() const;
    // Cancels everything aimed and planned that has not happened yet.
    void disarm();
    // Faults that fired (a planned failure, a lost reply, or a detach).
    long injected() const { return m_injected.load(); }
    // Of them, the planned failures of `op`, and the detaches.
    long failures(Operation op) const { return m_failures.at(static_cast<std::size_t>(op)).load(); }
    // Calls of `op` carried out whose replies were lost.
    long lostReplies(Operation op) const { return m_lost.at(static_cast<std::size_t>(op)).load(); }
    // The addresses the remote carried writes out at since the last call, lost replies included.
    std::set<std::uint32_t> takeWrittenAddresses();
    long detaches() const { return m_detaches.load(); }

    bool link_state() override;
    bool ReadVersion(char *buffer) override;
    bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector) override;
    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override;
    bool WCodeTypeData(const char *data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char *buffer) override;
    bool RBasicInfo(char *buffer) override;

private:
    static constexpr std::size_t operationCount = 8;

    // Counts the call down and fires what is aimed at it; true when the call's
    // reply is to be lost.
    bool before(Operation op);
    // Calls of one operation whose replies are to be lost.
    struct Losses
    {
        int countdown = 0;  // the first of them, counted down
        int count = 0;      // how many in a row
        int left = 0;       // of them, still to lose after the first
    };

    VirtualRemoteDevice m_inner;
    VirtualRemote &m_remote;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_hold = false;
    int m_held = 0;
    std::array<int, operationCount> m_countdown{};
    std::array<int, operationCount> m_count{};
    std::array<Losses, operationCount> m_losses{};
    int m_detachCountdown = 0;
    std::atomic<long> m_injected{0};
    std::array<std::atomic<long>, operationCount> m_failures{};
    std::array<std::atomic<long>, operationCount> m_lost{};
    std::set<std::uint32_t> m_written;
    std::atomic<long> m_detaches{0};
};
