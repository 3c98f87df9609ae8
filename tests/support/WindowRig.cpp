#include "WindowRig.h"

#include <QFile>
#include <QTest>

#include "FakeDisplayMode.h"
#include "IBtn.h"
#include "ModeSlice.h"

WindowRig::WindowRig()
    : m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    std::string error;
    m_remote = VirtualRemote::open({{}, std::chrono::microseconds(0)}, &error);
    if (!m_remote)
        qFatal("virtual remote: %s", error.c_str());
    m_device = std::make_unique<FaultingDevice>(*m_remote);
}

WindowRig::~WindowRig()
{
    m_window.reset();
    qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

WindowRig::Window &WindowRig::create(QSize screen)
{
    m_window = std::make_unique<Window>(*m_device);
    auto display = std::make_unique<FakeDisplayMode>(screen);
    m_display = display.get();
    m_window->setDisplayMode(std::move(display));
    return *m_window;
}

IBtn *WindowRig::button(const QString &name) const
{
    IBtn *found = m_window->findChild<IBtn *>(name);
    if (!found)
        qWarning("no button %s", qPrintable(name));
    return found;
}

void WindowRig::click(const QString &name) const
{
    if (IBtn *found = button(name))
        QTest::mouseClick(found, Qt::LeftButton, {}, found->rect().center());
}

int WindowRig::entry(int mode, const QString &code) const
{
    const auto index = ModeSlice(m_window->tables, mode).find(code.toStdString(), KeyStateEntry::CodeMatch::Exact);
    return index ? int(*index) : -1;
}

bool WindowRig::setKind(int mode, const QString &code, char kind)
{
    const int index = entry(mode, code);
    if (index < 0)
        return false;
    m_window->tables.keystates[std::size_t(index)][3] = kind;
    return true;
}
