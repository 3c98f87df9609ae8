#include "DisplayMode.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

QSize DisplayMode::screenSize() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

bool DisplayMode::request(const QSize &size)
{
    // Only an X session has a way to change the mode for itself alone; xrandr
    // picks the size's own rate and leaves the saved settings alone.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    return QProcess::startDetached(
        QStringLiteral("xrandr"),
        {QStringLiteral("--size"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height())});
}
