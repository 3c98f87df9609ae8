#pragma once

#include "GifFrame.h"

#include <QList>
#include <QTimer>
#include <QWidget>

// Plays the hint animation, an animated GIF read from a movie file, in its
// 413 x 72 rectangle. The file is read when playing starts, so a file deleted
// or damaged meanwhile plays nothing: the widget then shows nothing, and what
// lies under it stays visible.
class HintAnimationPlayer : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize movieSize{413, 72};

    explicit HintAnimationPlayer(QWidget *parent = nullptr);

    void setMovie(const QString &path);
    QString movie() const { return m_movie; }
    // Starts from the first frame and loops; false when the movie cannot be read.
    bool play();
    // Stops and shows nothing.
    void stop();
    bool isPlaying() const { return !m_frames.isEmpty(); }
    int frameCount() const { return int(m_frames.size()); }
    int currentFrame() const { return m_current; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void advance();
    void scheduleNext();

    QString m_movie;
    QList<GifFrame> m_frames;
    int m_current = 0;
    QTimer *m_timer;  // a child, so that tests can find it
};
