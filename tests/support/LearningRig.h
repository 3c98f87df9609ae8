#pragma once

#include <QImage>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "ScriptedBoxes.h"
#include "WindowRig.h"

// The shown main window with key clicks passed on to learning and deleting,
// scripted boxes and a capture clock the test moves by hand.
class LearningRig
{
public:
    // `prepare` runs on the created window before it is shown.
    explicit LearningRig(const std::function<void(WindowRig &)> &prepare = {});
    ~LearningRig();

    WindowRig &rig() { return *m_rig; }
    WindowRig::Window &window() { return m_rig->window(); }
    VirtualRemote &remote() { return m_rig->remote(); }
    ScriptedBoxes &boxes() { return *m_boxes; }

    IBtn *key(const QString &code);
    void clickKey(const QString &code);
    void click(const QString &name) { m_rig->click(name); }
    QImage keyPicture(const QString &code);
    // The key's picture in a set of the window's pictures.
    static QImage entryOf(const QList<QPixmap> &set, const QString &code);
    // Ends every running capture window at its next check.
    void expireCapture() { m_seconds += 1000; }
    // Bytes of the key record of `index` on the remote.
    std::vector<std::uint8_t> record(int index, std::size_t count = 22);
    // Waits for the capture thread to be gone.
    bool captureEnded();

private:
    std::unique_ptr<ScriptedBoxes> m_boxes;
    std::unique_ptr<WindowRig> m_rig;
    std::shared_ptr<std::atomic<std::int64_t>> m_seconds_ptr;
    std::atomic<std::int64_t> &m_seconds;
};
