#include <QApplication>

#include <cstdio>
#include <cstring>

#include "ProcessEntry.h"
#include "RcportDevice.h"
#include "Tmainselfstudy.h"

namespace
{
// Also the text of the manual page, which the build makes of it.
constexpr const char *help =
    "Usage: qlr-learn [--help] [QT-OPTIONS]\n"
    "\n"
    "The self-learning tool of the QLR-815 learning remote: teaches the remote's keys the\n"
    "infrared codes of an original remote, deletes and clears learned codes, backs the\n"
    "remote's memory up and restores it, and exports the codes to an .ir file.\n"
    "\n"
    "It reaches the remote through the device library librcport.so, which talks to the\n"
    "remote's server on the socket $QLR_REMOTE_SOCKET, else $XDG_RUNTIME_DIR/qlr-remote/socket,\n"
    "else /tmp/qlr-remote-UID/socket. Without the hardware, `qlr-remote serve` is that server;\n"
    "qlr-learn-virtual starts it when none runs, opens the tool and stops the server it\n"
    "started when the tool ends.\n"
    "\n"
    "Options:\n"
    "  --help       print this text\n"
    "Qt's own options apply too, e.g. -platform offscreen.\n";
}  // namespace

int main(int argc, char **argv)
{
    // Before the application: the help needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(help, stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    RcportDevice device;
    const std::unique_ptr<Tmainselfstudy> window = ProcessEntry::createMainWindow(device);
    window->show();
    return application.exec();
}
