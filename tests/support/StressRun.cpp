#include "StressRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <thread>

#include "CapturedCodeStore.h"
#include "FakeDisplayMode.h"
#include "IBtn.h"
#include "ModeSlice.h"
#include "PanelLayout.h"
#include "Pictures.h"
#include "RemotePanel.h"
#include "RemoteStateChecker.h"
#include "Tmainselfstudy.h"

namespace
{
using Operation = VirtualRemote::Operation;
using Button = MessageBoxes::Button;

const char *operationName(Operation op)
{
    switch (op) {
    case Operation::LinkState:
        return "LinkState";
    case Operation::ReadVersion:
        return "ReadVersion";
    case Operation::ReadData:
        return "ReadData";
    case Operation::WriteData:
        return "WriteData";
    case Operation::WriteCodeTypeData:
        return "WriteCodeTypeData";
    case Operation::SetCodeCarrierWave:
        return "SetCodeCarrierWave";
    case Operation::CollectCodeInfo:
        return "CollectCodeInfo";
    case Operation::BasicInfo:
        return "BasicInfo";
    }
    return "?";
}

std::unique_ptr<VirtualRemote> openRemote()
{
    std::string error;
    auto remote = VirtualRemote::open({{}, std::chrono::microseconds(0)}, &error);
    if (!remote)
        qFatal("virtual remote: %s", error.c_str());
    return remote;
}
}  // namespace

StressRun::StressRun(const Options &options)
    : m_options(options)
    , m_random(options.seed)
    , m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
    , m_remote(openRemote())
    , m_device(std::make_unique<FaultingDevice>(*m_remote))
    , m_boxes(options.seed ^ 0x9E3779B9u)
    , m_signals(options.recordings)
    , m_seconds(std::make_shared<std::atomic<std::int64_t>>(0))
{
    // The window writes its animation file into the runtime folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    m_boxes.beforeAnswer = [this](const MessageBoxes::Box &box) { return boxAction(box); };
}

StressRun::~StressRun()
{
    closeWindow();
    qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

int StressRun::below(int count)
{
    return std::uniform_int_distribution<int>(0, count - 1)(m_random);
}

bool StressRun::chance(double probability)
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < probability;
}

void StressRun::openWindow()
{
    m_window = std::make_unique<Tmainselfstudy>(*m_device);
    m_window->setDisplayMode(std::make_unique<FakeDisplayMode>(QSize(1024, 768)));
    m_window->setCaptureClock([seconds = m_seconds] { return seconds->load(); });
    // A monitor that notices an unplugged remote at once keeps unplugging cheap.
    m_window->setLinkInterval(m_options.linkInterval);
    m_window->show();
    m_selectedKey = nullptr;
    // A remote that could not be read at start-up opens the window without key data:
    // from then on the window must leave the remote's memory alone.
    m_keylessImage.clear();
    if (m_window->tables.keystates.empty()) {
        m_keylessImage = m_remote->dump(0, VirtualRemote::memorySize);
        ++m_report.keyless;
    }
}

void StressRun::closeWindow()
{
    if (!m_window)
        return;
    // The user stops learning first, or the window refuses to close.
    if (m_window->studymode && m_window->isVisible())
        click(QStringLiteral("beginstudyibtn"));
    m_window->close();
    // The window waits for its capture thread and its monitor.
    m_window.reset();
    QCoreApplication::processEvents();
}

std::string StressRun::restart(bool faulty)
{
    closeWindow();
    m_device->disarm();
    m_remote->setTransferTime(std::chrono::microseconds(0));
    m_remote->setIdentity(VirtualRemote::Identity::Original);
    m_remote->attach();
    m_otherRemote = false;
    ++m_report.restarts;
    const std::string fault = faulty && chance(0.3) ? aimStartupFault() : std::string();
    openWindow();
    return fault;
}

void StressRun::click(const QString &name)
{
    IBtn *button = m_window->findChild<IBtn *>(name);
    if (button && button->isVisible())
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

std::optional<MessageBoxes::Button> StressRun::boxAction(const MessageBoxes::Box &box)
{
    // The link monitor's "plug the remote in again" box.
    if (box.buttons.contains(Button::Retry)) {
        ++m_reconnectAsks;
        if (m_otherRemote) {
            m_remote->setIdentity(VirtualRemote::Identity::Other);
            m_otherRemote = false;
        } else if (m_reconnectAsks < 3 && chance(0.3)) {
            return std::nullopt;  // Retry or Cancel with the plug still out
        }
        m_remote->attach();
        m_reconnectAsks = 0;
        return Button::Retry;
    }
    return std::nullopt;
}

std::string StressRun::aimFault()
{
    const int nth = 1 + below(4);
    const int count = 1 + below(2);
    auto fail = [this, nth](Operation op, int calls) {
        // A store reads one or two records: later reads are rarely reached.
        const int at = op == Operation::ReadData ? 1 + (nth - 1) % 2 : nth;
        return [this, at, op, calls] {
            m_device->failCall(op, at, calls);
            return std::string("call ") + std::to_string(at) + " of " + operationName(op) + " fails x"
                   + std::to_string(calls);
        };
    };
    auto detach = [this, nth] {
        m_device->detachBeforeCall(nth);
        return "unplugged before device call " + std::to_string(nth);
    };
    auto slow = [this] {
        const int ms = 1 + below(12);
        m_remote->setTransferTime(std::chrono::milliseconds(ms));
        ++m_slowCalls;
        return "slow calls (" + std::to_string(ms) + " ms)";
    };
    if (m_options.lostReplies > 0 && chance(m_options.lostReplies)) {
        // A store writes up to five times: the format data, the allocation area, the drop,
        // the record and the allocation area again.
        const int at = 1 + below(5);
        m_device->loseReplies(Operation::WriteData, at, count);
        return "reply to call " + std::to_string(at) + " of WriteData lost x" + std::to_string(count);
    }
    // Aimed at the calls the coming operation is likely to make.
    if (captureWaits())
        return pick({{35, fail(Operation::WriteData, count)},
                     {20, fail(Operation::ReadData, 1)},
                     {15, fail(Operation::CollectCodeInfo, count)},
                     {10, fail(Operation::LinkState, 1)},
                     {10, detach},
                     {10, slow}});
    if (m_window->studymode)
        return pick({{30, fail(Operation::SetCodeCarrierWave, 1)},
                     {25, fail(Operation::CollectCodeInfo, count)},
                     {10, fail(Operation::WriteData, 1)},
                     {10, fail(Operation::LinkState, 1)},
                     {10, detach},
                     {10, slow}});
    return pick({{40, fail(Operation::WriteData, count)},
                 {20, fail(Operation::ReadData, 1)},
                 {15, fail(Operation::LinkState, 1)},
                 {10, detach},
                 {15, slow}});
}

std::string StressRun::aimStartupFault()
{
    static constexpr Operation startup[] = {Operation::LinkState, Operation::ReadVersion, Operation::ReadData,
                                            Operation::BasicInfo};
    const Operation op = startup[below(4)];
    const int nth = 1 + below(op == Operation::ReadData ? 12 : 2);
    m_device->failCall(op, nth, 1);
    return " [start-up: call " + std::to_string(nth) + " of " + operationName(op) + " fails]";
}

std::string StressRun::pick(std::initializer_list<std::pair<int, std::function<std::string()>>> choices)
{
    int total = 0;
    for (const auto &choice : choices)
        total += choice.first;
    int roll = below(total);
    for (const auto &[weight, run] : choices) {
        if (roll < weight)
            return run();
        roll -= weight;
    }
    return {};
}

bool StressRun::isLearned(const QString &code) const
{
    const RemoteTables &tables = m_window->tables;
    const auto kinds = ModeSlice(tables, m_window->devicemode).kinds();
    const auto kind = kinds.find(code.toStdString());
    return kind != kinds.end() && kind->second == KeyStateEntry::Kind::Learned;
}

int StressRun::learnedInMode() const
{
    const RemoteTables &tables = m_window->tables;
    const auto kinds = ModeSlice(tables, m_window->devicemode).kinds();
    return int(std::count_if(kinds.begin(), kinds.end(),
                             [](const auto &kind) { return kind.second == KeyStateEntry::Kind::Learned; }));
}

QList<IBtn *> StressRun::learnableKeys() const
{
    QList<IBtn *> keys = m_window->ykqbox->findChildren<IBtn *>();
    keys.removeIf([this](IBtn *key) {
        if (key->code().isEmpty())
            return true;
        for (int mode = 0; mode < PanelLayout::modeCount; ++mode) {
            if (key == m_window->ykqbox->deviceKey(mode))
                return true;
        }
        return false;
    });
    return keys;
}

std::string StressRun::clickKey()
{
    if (m_window->ykqbox->isHidden())
        return "key click (no key shown)";
    // Now and then a device key at the top, which changes the mode.
    if (chance(0.1)) {
        IBtn *device = m_window->ykqbox->deviceKey(below(PanelLayout::modeCount));
        if (device)
            QTest::mouseClick(device, Qt::LeftButton, {}, device->rect().center());
        return "click device key";
    }
    const QList<IBtn *> keys = learnableKeys();
    if (keys.isEmpty())
        return "key click (no key shown)";
    // Most clicks go to a few keys, so that keys are learned again and deleted.
    const int among = chance(0.75) ? std::min<int>(6, int(keys.size())) : int(keys.size());
    IBtn *key = keys.at(below(among));
    QTest::mouseClick(key, Qt::LeftButton, {}, key->rect().center());
    return "click key " + key->code().toStdString();
}

std::string StressRun::clickLearnedKey()
{
    QList<IBtn *> keys = learnableKeys();
    keys.removeIf([this](IBtn *key) { return !isLearned(key->code()); });
    if (keys.isEmpty() || m_window->ykqbox->isHidden())
        return clickKey();
    IBtn *key = keys.at(below(int(keys.size())));
    QTest::mouseClick(key, Qt::LeftButton, {}, key->rect().center());
    return "click learned key " + key->code().toStdString();
}

std::string StressRun::press()
{
    IBtn *key = m_window->pendingkeys.value(0);
    m_relearning = key && isLearned(key->code());
    const bool heard = m_remote->press(m_signals.pick(m_random));
    return heard ? "press a signal" : "press a signal (not heard)";
}

std::string StressRun::changeMode()
{
    const auto &buttons = PanelLayout::modeButtons();
    const ModeButtonPlace &place = buttons.at(below(int(buttons.size())));
    click(place.button);
    return "mode " + place.button.toStdString();
}

std::string StressRun::clearMode()
{
    const int before = learnedInMode();
    // The question is answered at once: the clearing is over when the click returns.
    click(QStringLiteral("delallstudykey"));
    if (!windowGone() && learnedInMode() < before)
        ++m_report.cleared;
    return "clear the mode";
}

std::string StressRun::startAgain(bool factoryReset)
{
    closeWindow();
    if (factoryReset)
        m_remote->reset();
    const std::string fault = restart(true);
    return (factoryReset ? "factory reset, start again" : "close and start the tool again") + fault;
}

std::string StressRun::unplug(bool otherRemote)
{
    m_otherRemote = otherRemote;
    if (!otherRemote && m_window->collectthread && m_remote->captureArmed() && chance(0.5)) {
        m_remote->detachDuringCapture();
        return "unplug during the capture";
    }
    m_remote->detach();
    // The monitor reads the remote's identity when it comes back.
    if (!otherRemote && chance(m_options.faultRate)) {
        m_device->failCall(Operation::BasicInfo, 1, 1);
        return "unplug [its identity cannot be read when it comes back]";
    }
    return otherRemote ? "plug another remote in" : "unplug";
}

// The rare operations of every state.
std::string StressRun::misc()
{
    return pick({{30, [this] { return unplug(false); }},
                 {3, [this] { return unplug(true); }},
                 {12, [this] { return startAgain(false); }},
                 {3, [this] { return startAgain(true); }}});
}

std::string StressRun::toggleLearning()
{
    click(QStringLiteral("beginstudyibtn"));
    return "start/stop learning";
}

std::string StressRun::toggleDeleting()
{
    click(QStringLiteral("delstudykey"));
    return "delete mode on/off";
}

std::string StressRun::runOutCaptureTime()
{
    *m_seconds += 1000;
    return "capture time runs out";
}

std::string StressRun::whileCaptureWaits()
{
    return pick({{85, [this] { return press(); }},
                 {4, [this] { return runOutCaptureTime(); }},
                 {3, [this] { return clickKey(); }},
                 {2, [this] { return toggleLearning(); }},
                 {3, [this] { return changeMode(); }},
                 {3, [this] { return misc(); }}});
}

std::string StressRun::whileLearning()
{
    return pick({{40, [this] { return clickKey(); }},
                 {30, [this] { return clickLearnedKey(); }},
                 {8, [this] { return toggleLearning(); }},
                 {8, [this] { return changeMode(); }},
                 {4, [this] { return misc(); }}});
}

std::string StressRun::whileDeleting()
{
    return pick({{60, [this] { return clickLearnedKey(); }},
                 {8, [this] { return clickKey(); }},
                 {10, [this] { return toggleDeleting(); }},
                 {8, [this] { return clearMode(); }},
                 {8, [this] { return changeMode(); }},
                 {4, [this] { return misc(); }}});
}

std::string StressRun::atLeisure()
{
    return pick({{40, [this] { return toggleLearning(); }},
                 {15, [this] { return toggleDeleting(); }},
                 {8, [this] { return clearMode(); }},
                 {15, [this] { return changeMode(); }},
                 {8, [this] { return clickKey(); }},
                 {6, [this] { return misc(); }}});
}

bool StressRun::captureWaits() const
{
    return m_window->collectthread && m_remote->captureArmed();
}

std::string StressRun::operate()
{
    if (captureWaits())
        return whileCaptureWaits();
    if (m_window->studymode)
        return whileLearning();
    if (m_window->deletemode)
        return whileDeleting();
    return atLeisure();
}

bool StressRun::windowGone() const
{
    // The monitor ends for another remote; a window that then refuses to close is a dead end too.
    return !m_window || !m_window->isVisible() || !m_window->linkthread;
}

bool StressRun::atRest() const
{
    if (windowGone())
        return true;
    if (m_boxes.unanswered() > 0 || !m_remote->attached() || m_window->ykqbox->isHidden())
        return false;
    const QThread *capture = m_window->collectthread;
    return !capture || (m_remote->captureArmed() && !capture->isInterruptionRequested());
}

std::string StressRun::unrest() const
{
    std::string why;
    if (m_boxes.unanswered() > 0)
        why += std::to_string(m_boxes.unanswered()) + " box(es) open, ";
    if (!m_remote->attached())
        why += "remote unplugged, ";
    if (m_window->ykqbox->isHidden())
        why += "panel hidden, ";
    if (const QThread *capture = m_window->collectthread)
        why += std::string("capture thread ") + (capture->isInterruptionRequested() ? "stopping, " : "running, ")
               + (m_remote->captureArmed() ? "armed" : "not armed");
    return why;
}

bool StressRun::settle(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (atRest())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

std::vector<std::string> StressRun::checkPictures() const
{
    std::vector<std::string> wrong;
    const RemoteTables &tables = m_window->tables;
    const std::map<std::string, KeyStateEntry::Kind> kinds = ModeSlice(tables, m_window->devicemode).kinds();
    for (IBtn *key : m_window->ykqbox->findChildren<IBtn *>()) {
        const auto kind = kinds.find(key->code().toStdString());
        if (kind == kinds.end())
            continue;
        const bool selected = key == m_selectedKey;
        const QList<QPixmap> &set = selected ? m_window->pictures.selectedpics : m_window->keypictureset(kind->second);
        const QPixmap expected = set.value(Pictures::indexOf(key->code()));
        if (expected.isNull() || key->picture().cacheKey() == expected.cacheKey()
            || key->picture().toImage() == expected.toImage())
            continue;
        wrong.push_back(
            "key " + key->code().toStdString() + " does not show its "
            + (selected ? std::string("selected") : "kind " + std::string(1, static_cast<char>(kind->second)))
            + " picture");
    }
    return wrong;
}

void StressRun::followSelectedKey(const IBtn *pendingBefore, int modeBefore)
{
    const IBtn *pending = m_window->pendingkeys.value(0);
    if (pending != pendingBefore)
        m_selectedKey = pending;
    else if (m_window->devicemode != modeBefore)
        m_selectedKey = nullptr;
}

std::vector<std::string> StressRun::check()
{
    std::vector<std::uint8_t> image = m_remote->dump(0, VirtualRemote::memorySize);
    std::vector<std::string> differences;
    if (!m_window->tables.keystates.empty())
        differences = RemoteStateChecker::compare(m_window->tables, image);
    else if (image != m_keylessImage)
        differences.push_back("the window without key data changed the remote's memory");
    for (std::string &line : RemoteStateChecker::repointedKeys(m_lastImage, image, m_device->takeWrittenAddresses()))
        differences.push_back(std::move(line));
    m_lastImage = std::move(image);
    for (std::string &line : checkPictures())
        differences.push_back(std::move(line));
    if (m_window->pendingkeys.size() > 1)
        differences.push_back(std::to_string(m_window->pendingkeys.size()) + " keys pending");
    return differences;
}

void StressRun::count(const std::string &what, long receivedBefore, long deletedBefore)
{
    if (m_boxes.shown(QString::fromLatin1(CapturedCodeStore::receivedNotice)) > receivedBefore
        && what.rfind("press", 0) == 0)
        ++(m_relearning ? m_report.relearned : m_report.learned);
    m_report.deleted += m_boxes.shown(QStringLiteral("Deleting is finished!")) - deletedBefore;
}

void StressRun::countFaults()
{
    for (std::size_t op = 0; op < 8; ++op) {
        const long failures = m_device->failures(static_cast<Operation>(op));
        if (failures > 0)
            m_report.faultsByKind[operationName(static_cast<Operation>(op)) + std::string(" fails")] = failures;
        const long lost = m_device->lostReplies(static_cast<Operation>(op));
        if (lost > 0)
            m_report.faultsByKind[operationName(static_cast<Operation>(op)) + std::string(" reply lost")] = lost;
    }
    m_report.faultsByKind["unplugged before a call"] = m_device->detaches();
    m_report.faultsByKind["slow calls"] = m_slowCalls;
}

StressRun::Report StressRun::run()
{
    m_report = {};
    openWindow();
    for (long n = 1; n <= m_options.operations; ++n) {
        if (windowGone())
            restart();
        const long faultsBefore = m_device->injected();
        const long slowBefore = m_slowCalls;
        const long receivedBefore = m_boxes.shown(QString::fromLatin1(CapturedCodeStore::receivedNotice));
        const long deletedBefore = m_boxes.shown(QStringLiteral("Deleting is finished!"));
        const auto began = std::chrono::steady_clock::now();
        const Tmainselfstudy *windowBefore = m_window.get();
        const IBtn *pendingBefore = m_window->pendingkeys.value(0);
        const int modeBefore = m_window->devicemode;
        const std::string fault = chance(m_options.faultRate) ? aimFault() : std::string();
        const std::string what = operate();
        const bool rested = settle(began + m_options.bound);
        if (!windowGone() && m_window.get() == windowBefore)
            followSelectedKey(pendingBefore, modeBefore);
        const std::string name = what.substr(0, what.find(' ', what.find(' ') + 1));
        ++m_report.done[name];
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
        m_report.took[name] += took.count();
        m_device->disarm();
        m_remote->setTransferTime(std::chrono::microseconds(0));
        m_report.faults += m_device->injected() - faultsBefore + (m_slowCalls - slowBefore);
        ++m_report.operations;
        count(what, receivedBefore, deletedBefore);
        if (m_options.progress && m_options.progressEvery > 0 && n % m_options.progressEvery == 0) {
            m_report.boxes = m_boxes.shown();
            countFaults();
            m_options.progress(m_report);
        }

        std::vector<std::string> differences;
        if (!rested)
            differences.push_back("not at rest after " + std::to_string(m_options.bound.count()) + " ms (" + unrest()
                                  + ")");
        if (!windowGone()) {
            for (std::string &line : check())
                differences.push_back(std::move(line));
        }
        if (differences.empty())
            continue;
        ++m_report.violations;
        if (m_report.first.size() < m_options.kept) {
            std::string text = what + (fault.empty() ? "" : " [" + fault + "]") + " ->";
            for (std::size_t i = 0; i < differences.size() && i < 4; ++i)
                text += " " + differences[i] + (i + 1 < differences.size() ? ";" : "");
            m_report.first.push_back({n, text});
        }
        // Start from what the remote holds, so that one fault is counted once.
        restart();
    }
    m_report.boxes = m_boxes.shown();
    countFaults();
    closeWindow();
    return m_report;
}
