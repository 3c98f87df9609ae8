#pragma once

#include <QTemporaryDir>
#include <memory>

#include "FaultingDevice.h"
#include "Tmainselfstudy.h"
#include "VirtualRemote.h"

class FakeDisplayMode;

// The main window over an in-process factory remote, on a screen of our
// choice, with the animation file kept in a folder of its own.
class WindowRig
{
public:
    // A main window whose key clicks are counted, and stop there unless
    // `passkeys` lets them on to learning and deleting.
    class Window : public Tmainselfstudy
    {
    public:
        using Tmainselfstudy::Tmainselfstudy;
        void keyclick(IBtn *key) override
        {
            clicked.append(key);
            if (passkeys)
                Tmainselfstudy::keyclick(key);
        }
        QList<IBtn *> clicked;
        bool passkeys = false;
    };

    WindowRig();
    ~WindowRig();

    // Creates the window (start-up runs); not shown yet.
    Window &create(QSize screen = {1024, 768});
    Window &window() { return *m_window; }
    FakeDisplayMode &display() { return *m_display; }
    VirtualRemote &remote() { return *m_remote; }
    // The window's device, which can lose the replies of calls it carries out.
    FaultingDevice &device() { return *m_device; }

    // The button of that object name; fails the test through QVERIFY when missing.
    IBtn *button(const QString &name) const;
    // A left click in the middle of the named button.
    void click(const QString &name) const;
    // Sets the kind digit of `code`'s entry in `mode`; false when the mode has no such entry.
    bool setKind(int mode, const QString &code, char kind);
    // Index of `code`'s entry in `mode`, -1 when none.
    int entry(int mode, const QString &code) const;

private:
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
    std::unique_ptr<VirtualRemote> m_remote;
    std::unique_ptr<FaultingDevice> m_device;
    std::unique_ptr<Window> m_window;
    FakeDisplayMode *m_display = nullptr;
};
