#pragma once

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FaultingDevice.h"
#include "RandomBoxes.h"
#include "StressSignals.h"
#include "VirtualRemote.h"

class IBtn;
class Tmainselfstudy;

// The real main window, shown offscreen over an in-process virtual remote,
// put through random user operations while faults are aimed at the remote.
// After every operation the window's working copies, key pictures and boxes
// are checked against a fresh read of the remote's memory. The same seed
// gives the same operations and the same faults.
class StressRun
{
public:
    struct Options
    {
        std::uint32_t seed = 1;
        long operations = 1000;
        // An operation, the events it causes included, ends within this.
        std::chrono::milliseconds bound{10000};
        std::size_t recordings = 200;  // corpus recordings among the signals
        std::size_t kept = 8;          // violations described in full
    };
    struct Violation
    {
        long operation = 0;
        std::string what;  // the operation, the fault, then what differed
    };
    struct Report
    {
        long operations = 0;
        long faults = 0;
        long boxes = 0;
        long restarts = 0;
        long violations = 0;
        std::vector<Violation> first;
        std::map<std::string, long> done;  // operations by name
    };

    explicit StressRun(const Options &options);
    ~StressRun();

    Report run();

private:
    void openWindow();
    void closeWindow();
    void restart();
    // One random operation; returns its description.
    std::string operate();
    std::string aimFault();
    std::string clickKey();
    std::string unplug(bool otherRemote);
    // Pumps events until the window is at rest; false at the deadline.
    bool settle(std::chrono::steady_clock::time_point deadline);
    bool atRest() const;
    bool windowGone() const;
    std::vector<std::string> check() const;
    std::vector<std::string> checkPictures() const;
    std::optional<MessageBoxes::Button> boxAction(const MessageBoxes::Box &box);
    void click(const QString &name);
    int below(int count);
    bool chance(double probability);

    Options m_options;
    std::mt19937 m_random;
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
    std::unique_ptr<VirtualRemote> m_remote;
    std::unique_ptr<FaultingDevice> m_device;
    std::unique_ptr<Tmainselfstudy> m_window;
    RandomBoxes m_boxes;
    StressSignals m_signals;
    std::shared_ptr<std::atomic<std::int64_t>> m_seconds;
    bool m_otherRemote = false;  // the next plug-in brings another remote
    int m_reconnectAsks = 0;
    Report m_report;
};
