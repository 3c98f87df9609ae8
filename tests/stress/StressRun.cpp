#include "StressRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <thread>

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
    case Operation::LinkState: return "LinkState";
    case Operation::ReadVersion: return "ReadVersion";
    case Operation::ReadData: return "ReadData";
    case Operation::WriteData: return "WriteData";
    case Operation::WriteCodeTypeData: return "WriteCodeTypeData";
    case Operation::SetCodeCarrierWave: return "SetCodeCarrierWave";
    case Operation::CollectCodeInfo: return "CollectCodeInfo";
    case Operation::BasicInfo: return "BasicInfo";
    }
    return "?";
}

const QList<QPixmap> &pictureSet(const Pictures &pictures, ModeSlice::Kind kind)
{
    switch (kind) {
    case ModeSlice::Kind::Learned:
        return pictures.learnedpics;
    case ModeSlice::Kind::Downloaded:
        return pictures.downloadedpics;
    case ModeSlice::Kind::None:
        break;
    }
    return pictures.normalpics;
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
    m_window->show();
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

void StressRun::restart()
{
    closeWindow();
    m_device->disarm();
    m_remote->setTransferTime(std::chrono::microseconds(0));
    m_remote->setIdentity(VirtualRemote::Identity::Original);
    m_remote->attach();
    m_otherRemote = false;
    ++m_report.restarts;
    openWindow();
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
    auto fail = [&](Operation op, int calls) {
        m_device->failCall(op, nth, calls);
        return std::string("call ") + std::to_string(nth) + " of " + operationName(op) + " fails x"
               + std::to_string(calls);
    };
    switch (below(12)) {
    case 0:
    case 1:
    case 2:
        return fail(Operation::WriteData, count);
    case 3:
    case 4:
        return fail(Operation::ReadData, 1);
    case 5:
        return fail(Operation::SetCodeCarrierWave, 1);
    case 6:
        return fail(Operation::CollectCodeInfo, count);
    case 7:
        return fail(Operation::LinkState, 1);
    case 8:
        return fail(Operation::BasicInfo, 1);
    case 9:
        if (chance(0.3)) {
            m_device->detachBeforeCall(nth);
            return "unplugged before device call " + std::to_string(nth);
        }
        return fail(Operation::WriteData, 1);
    default: {
        const int ms = 1 + below(12);
        m_remote->setTransferTime(std::chrono::milliseconds(ms));
        return "slow calls (" + std::to_string(ms) + " ms)";
    }
    }
}

std::string StressRun::clickKey()
{
    QList<IBtn *> keys = m_window->ykqbox->findChildren<IBtn *>();
    keys.removeIf([](IBtn *key) { return key->code().isEmpty(); });
    if (keys.isEmpty() || m_window->ykqbox->isHidden())
        return "key click (no key shown)";
    // Most clicks go to a few keys, so that keys are learned again and deleted.
    IBtn *key = chance(0.75) ? keys.at(below(std::min<int>(6, int(keys.size())))) : keys.at(below(int(keys.size())));
    QTest::mouseClick(key, Qt::LeftButton, {}, key->rect().center());
    return "click key " + key->code().toStdString();
}

std::string StressRun::unplug(bool otherRemote)
{
    m_otherRemote = otherRemote;
    if (!otherRemote && m_window->collectthread && m_remote->captureArmed() && chance(0.5)) {
        m_remote->detachDuringCapture();
        return "unplug during the capture";
    }
    m_remote->detach();
    return otherRemote ? "plug another remote in" : "unplug";
}

std::string StressRun::operate()
{
    const int roll = below(1000);
    if (roll < 80) {
        const ModeButtonPlace &place = PanelLayout::modeButtons().at(below(int(PanelLayout::modeButtons().size())));
        click(place.button);
        return "mode " + place.button.toStdString();
    }
    if (roll < 170) {
        click(QStringLiteral("beginstudyibtn"));
        return "start/stop learning";
    }
    if (roll < 230) {
        click(QStringLiteral("delstudykey"));
        return "delete mode on/off";
    }
    if (roll < 260) {
        click(QStringLiteral("delallstudykey"));
        return "clear the mode";
    }
    if (roll < 600)
        return clickKey();
    if (roll < 900) {
        if (!m_window->collectthread || !m_remote->captureArmed())
            return clickKey();
        const bool heard = m_remote->press(m_signals.pick(m_random));
        return heard ? "press a signal" : "press a signal (not heard)";
    }
    if (roll < 960) {
        *m_seconds += 1000;
        return "capture time runs out";
    }
    if (roll < 975)
        return unplug(false);
    if (roll < 980)
        return unplug(true);
    if (roll < 995) {
        restart();
        return "close and start the tool again";
    }
    closeWindow();
    m_remote->reset();
    restart();
    return "factory reset, start again";
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
    const std::map<std::string, ModeSlice::Kind> kinds =
        ModeSlice(tables.keystates, m_window->devicemode, tables.keyspermode).kinds();
    for (IBtn *key : m_window->ykqbox->findChildren<IBtn *>()) {
        const auto kind = kinds.find(key->code().toStdString());
        if (kind == kinds.end())
            continue;
        const bool pending = m_window->pendingkeys.contains(key);
        const QList<QPixmap> &set =
            pending ? m_window->pictures.selectedpics : pictureSet(m_window->pictures, kind->second);
        const QPixmap expected = set.value(Pictures::indexOf(key->code()));
        if (expected.isNull() || key->picture().cacheKey() == expected.cacheKey()
            || key->picture().toImage() == expected.toImage())
            continue;
        wrong.push_back("key " + key->code().toStdString() + " does not show its "
                        + (pending ? std::string("selected") : "kind " + std::to_string(int(kind->second)))
                        + " picture");
    }
    return wrong;
}

std::vector<std::string> StressRun::check() const
{
    std::vector<std::string> differences =
        RemoteStateChecker::compare(m_window->tables, m_remote->dump(0, VirtualRemote::memorySize));
    for (std::string &line : checkPictures())
        differences.push_back(std::move(line));
    if (m_window->pendingkeys.size() > 1)
        differences.push_back(std::to_string(m_window->pendingkeys.size()) + " keys pending");
    return differences;
}

StressRun::Report StressRun::run()
{
    m_report = {};
    openWindow();
    for (long n = 1; n <= m_options.operations; ++n) {
        if (windowGone())
            restart();
        const long faultsBefore = m_device->injected();
        const std::string fault = chance(0.35) ? aimFault() : std::string();
        const std::string what = operate();
        ++m_report.done[what.substr(0, what.find(' ', what.find(' ') + 1))];
        const bool rested = settle(std::chrono::steady_clock::now() + m_options.bound);
        m_device->disarm();
        m_remote->setTransferTime(std::chrono::microseconds(0));
        if (!fault.empty() && fault.rfind("slow", 0) == 0)
            ++m_report.faults;
        m_report.faults += m_device->injected() - faultsBefore;
        ++m_report.operations;

        std::vector<std::string> differences;
        if (!rested)
            differences.push_back("not at rest after " + std::to_string(m_options.bound.count()) + " ms");
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
    closeWindow();
    return m_report;
}
