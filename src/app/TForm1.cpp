#include "TForm1.h"

#include <QLabel>
#include <QScreen>

TForm1::TForm1(const QPixmap &picture, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::SplashScreen)
    , m_picture(new QLabel(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("启动界面"));
    setFixedSize(462, 258);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(0, 0, 462, 258);
    m_picture->setScaledContents(true);
    m_picture->setPixmap(picture);
    if (const QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}
