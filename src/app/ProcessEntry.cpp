#include "ProcessEntry.h"

#include <QApplication>
#include <QThread>

#include "FormPictures.h"
#include "TForm1.h"
#include "Tmainselfstudy.h"

std::unique_ptr<Tmainselfstudy> ProcessEntry::createMainWindow(RemoteDevice &device)
{
    auto splash = std::make_unique<TForm1>(FormPictures::splash());
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    auto window = std::make_unique<Tmainselfstudy>(device);

    QThread::msleep(static_cast<unsigned long>(splashPause.count()));
    splash->hide();
    return window;
}
