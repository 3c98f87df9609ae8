#include "LearningRig.h"

#include <QTest>

#include "IBtn.h"
#include "RemotePanel.h"
#include "TestTime.h"

LearningRig::LearningRig(const std::function<void(WindowRig &)> &prepare)
    : m_boxes(std::make_unique<ScriptedBoxes>())
    , m_rig(std::make_unique<WindowRig>())
    , m_seconds_ptr(std::make_shared<std::atomic<std::int64_t>>(0))
    , m_seconds(*m_seconds_ptr)
{
    WindowRig::Window &shown = m_rig->create();
    shown.passkeys = true;
    shown.setCaptureClock([seconds = m_seconds_ptr] { return seconds->load(); });
    if (prepare)
        prepare(*m_rig);
    shown.show();
}

LearningRig::~LearningRig()
{
    // The window stops and waits for a running capture before the remote goes.
    m_rig.reset();
}

IBtn *LearningRig::key(const QString &code)
{
    return window().ykqbox->key(code);
}

void LearningRig::clickKey(const QString &code)
{
    IBtn *found = key(code);
    QTest::mouseClick(found, Qt::LeftButton, {}, found->rect().center());
}

QImage LearningRig::keyPicture(const QString &code)
{
    return key(code)->picture().toImage();
}

QImage LearningRig::entryOf(const QList<QPixmap> &set, const QString &code)
{
    return set.value(Pictures::indexOf(code)).toImage();
}

std::vector<std::uint8_t> LearningRig::record(int index, std::size_t count)
{
    return remote().dump(std::uint16_t(window().tables.keytableaddr + 22 * index), count);
}

bool LearningRig::captureEnded()
{
    return QTest::qWaitFor([this] { return !window().collectthread; }, TestTime::scaled(3000));
}
