#pragma once

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
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
    struct Report;
    struct Options
    {
        std::uint32_t seed = 1;
        long operations = 1000;
        // An operation, the events it causes included, ends within this.
        std::chrono::milliseconds bound{10000};
        std::size_t recordings = 200;  // corpus recordings among the signals
        std::size_t kept = 8;          // violations described in full
        double faultRate = 0.25;       // operations with a fault aimed at them
        // Of the faults aimed, the share that lets a write reach the remote and
        // loses its reply: the remote holds what the tool was told failed.
        double lostReplies = 0.0;
        std::chrono::milliseconds linkInterval{1};
        // Called with the figures so far after every `progressEvery` operations.
        long progressEvery = 0;
        std::function<void(const Report &)> progress;
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
        long learned = 0;    // keys without a learned code that got one
        long relearned = 0;  // learned keys that got a new code
        long deleted = 0;
        long cleared = 0;  // clearings of a mode that removed learned codes
        long keyless = 0;  // start-ups that could not read the remote's key data
        std::vector<Violation> first;
        std::map<std::string, long> done;    // operations by name
        std::map<std::string, double> took;  // seconds by operation name
        std::map<std::string, long> faultsByKind;
    };

    explicit StressRun(const Options &options);
    ~StressRun();

    Report run();

private:
    void openWindow();
    void closeWindow();
    // Starts the tool again on the remote as it is; `faulty` may aim a fault at the start-up.
    // Returns that fault.
    std::string restart(bool faulty = false);
    // One random operation, more likely the ones that fit the window's state;
    // returns its description.
    std::string operate();
    std::string whileCaptureWaits();
    std::string whileLearning();
    std::string whileDeleting();
    std::string atLeisure();
    // Picks one of `choices` by weight and runs it.
    std::string pick(std::initializer_list<std::pair<int, std::function<std::string()>>> choices);
    std::string aimFault();
    std::string aimStartupFault();
    // The keys of the remote picture but the device keys.
    QList<IBtn *> learnableKeys() const;
    std::string clickKey();
    // Prefers the keys of the mode that hold a learned code (learning again, deleting).
    std::string clickLearnedKey();
    std::string press();
    std::string changeMode();
    std::string clearMode();
    std::string startAgain(bool factoryReset);
    std::string unplug(bool otherRemote);
    std::string misc();
    std::string toggleLearning();
    std::string toggleDeleting();
    std::string runOutCaptureTime();
    bool captureWaits() const;
    int learnedInMode() const;
    bool isLearned(const QString &code) const;
    void count(const std::string &what, long receivedBefore, long deletedBefore);
    void countFaults();
    // Pumps events until the window is at rest; false at the deadline.
    bool settle(std::chrono::steady_clock::time_point deadline);
    bool atRest() const;
    // What keeps the window from rest.
    std::string unrest() const;
    bool windowGone() const;
    std::vector<std::string> check();
    std::vector<std::string> checkPictures() const;
    // The pending key shows its selected picture from its click until a mode change.
    void followSelectedKey(const IBtn *pendingBefore, int modeBefore);
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
    bool m_otherRemote = false;                // the next plug-in brings another remote
    std::vector<std::uint8_t> m_keylessImage;  // the memory when a window opened without key data
    std::vector<std::uint8_t> m_lastImage;     // the memory after the operation before
    bool m_relearning = false;                 // the key a signal was pressed for held a learned code
    const IBtn *m_selectedKey = nullptr;       // the key that shows its selected picture
    long m_slowCalls = 0;
    int m_reconnectAsks = 0;
    Report m_report;
};
