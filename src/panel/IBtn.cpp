#include "IBtn.h"

#include "CursorRegistry.h"
#include "ShellPath.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QUrl>
#include <cerrno>
#include <unistd.h>

namespace
{
IBtn::Opener &installedOpener()
{
    static IBtn::Opener opener;
    return opener;
}

IBtn::ErrorHandler &installedErrorHandler()
{
    static IBtn::ErrorHandler handler;
    return handler;
}
}  // namespace

IBtn::IBtn(QWidget *parent)
    : QWidget(parent)
{
    setCursorNumber(defaultCursorNumber);
    resize(80, 25);
}

void IBtn::setIsEnable(bool enable)
{
    if (enable) {
        m_picture = m_saved;
    } else {
        m_saved = m_picture;
        m_picture = m_disablePic;
    }
    m_isEnable = enable;
    update();
}

void IBtn::setDisablePic(const QPixmap &picture)
{
    // QPixmap copies on write: the caller painting on its own later detaches it.
    m_disablePic = picture;
}

void IBtn::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void IBtn::setCursorNumber(int number)
{
    m_cursorNumber = number;
    setCursor(CursorRegistry::cursor(number));
}

void IBtn::setOpener(Opener opener)
{
    installedOpener() = std::move(opener);
}

void IBtn::setErrorHandler(ErrorHandler handler)
{
    installedErrorHandler() = std::move(handler);
}

void IBtn::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void IBtn::mousePressEvent(QMouseEvent *event)
{
    // The owner may close or delete the button from its own hook.
    QPointer<IBtn> self(this);
    emit pressed(event->button(), event->modifiers(), event->position().toPoint());
    if (!self)
        return;
    move(x() + m_moveRight, y() + m_moveDown);
    if (!m_path.isEmpty())
        openPath();
}

void IBtn::mouseReleaseEvent(QMouseEvent *event)
{
    QPointer<IBtn> self(this);
    // The position is relative to the shifted button, so a press on its top row
    // or left column, released on the same spot, lies outside and is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        if (!self)
            return;
    }
    emit released(event->button(), event->modifiers(), event->position().toPoint());
    if (!self)
        return;
    move(x() - m_moveRight, y() - m_moveDown);
}

void IBtn::openPath()
{
    // A program is started from its own folder, so it finds the files beside it.
    if (ShellPath::changesFolder(m_path) && ::chdir(QFile::encodeName(ShellPath::folder(m_path)).constData()) != 0) {
        const QString message = QStringLiteral("I/O error %1").arg(errno);
        if (installedErrorHandler())
            installedErrorHandler()(message);
        else
            qWarning().noquote() << message;
        return;
    }
    const QUrl url = QUrl::fromLocalFile(QFileInfo(m_path).absoluteFilePath());
    if (installedOpener())
        installedOpener()(url);
    else
        QDesktopServices::openUrl(url);
}
