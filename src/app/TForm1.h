#pragma once

#include <QWidget>

class QLabel;

// The splash window shown while the main window identifies the remote.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(const QPixmap &picture, QWidget *parent = nullptr);

private:
    QLabel *m_picture;
};
