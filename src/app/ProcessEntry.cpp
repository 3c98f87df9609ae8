#include "ProcessEntry.h"

#include <QApplication>
#include <QPixmap>
#include <QThread>
#include <memory>

#include "RcportDevice.h"
#include "TForm1.h"
#include "Tmainselfstudy.h"

int ProcessEntry::run(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qlr-learn"));

    QPixmap splashPicture(462, 258);
    splashPicture.fill(QColor(53, 124, 168));
    auto splash = std::make_unique<TForm1>(splashPicture);
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    RcportDevice device;
    Tmainselfstudy window(device);

    QThread::msleep(500);
    splash->hide();
    splash.reset();

    window.show();
    return application.exec();
}
