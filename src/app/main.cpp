#include <QApplication>

#include "ProcessEntry.h"
#include "RcportDevice.h"
#include "Tmainselfstudy.h"

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    RcportDevice device;
    const std::unique_ptr<Tmainselfstudy> window = ProcessEntry::createMainWindow(device);
    window->show();
    return application.exec();
}
