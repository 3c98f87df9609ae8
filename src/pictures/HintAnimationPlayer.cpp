#include "HintAnimationPlayer.h"

#include "GifDecoder.h"

#include <QFile>
#include <QPainter>

HintAnimationPlayer::HintAnimationPlayer(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setFixedSize(movieSize);
    m_timer->setSingleShot(true);
    m_timer->setObjectName(QStringLiteral("frameTimer"));
    connect(m_timer, &QTimer::timeout, this, &HintAnimationPlayer::advance);
}

void HintAnimationPlayer::setMovie(const QString &path)
{
    m_movie = path;
}

bool HintAnimationPlayer::play()
{
    stop();
    QFile file(m_movie);
    if (m_movie.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    m_frames = GifDecoder::frames(file.readAll());
    if (m_frames.isEmpty())
        return false;
    scheduleNext();
    update();
    return true;
}

void HintAnimationPlayer::stop()
{
    m_timer->stop();
    m_frames.clear();
    m_current = 0;
    update();
}

void HintAnimationPlayer::paintEvent(QPaintEvent *)
{
    if (m_frames.isEmpty())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_frames.at(m_current).image);
}

// A hidden player keeps its place in the movie but spends no timer on it.
void HintAnimationPlayer::showEvent(QShowEvent *)
{
    scheduleNext();
}

void HintAnimationPlayer::hideEvent(QHideEvent *)
{
    m_timer->stop();
}

void HintAnimationPlayer::advance()
{
    m_current = (m_current + 1) % int(m_frames.size());
    update();
    scheduleNext();
}

void HintAnimationPlayer::scheduleNext()
{
    if (m_frames.size() > 1 && isVisible())
        m_timer->start(m_frames.at(m_current).delayMs);
}
