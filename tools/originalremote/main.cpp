#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "OriginalOptions.h"
#include "OriginalWindow.h"

namespace
{
// True when the options are sound; otherwise the reason goes to the error stream.
bool sound(const OriginalOptions &options)
{
    if (!options.error.empty())
        std::cerr << "qlr-original: " << options.error << std::endl;
    return options.error.empty();
}
}  // namespace

int main(int argc, char *argv[])
{
    // Help and our own mistakes are answered before a display is needed.
    const std::vector<std::string> given(argv + 1, argv + argc);
    if (OriginalOptions::asksForHelp(given)) {
        std::cout << OriginalOptions::usage();
        return 0;
    }
    if (!sound(OriginalOptions::parse(given, true)))
        return 2;
    QApplication application(argc, argv);
    // The toolkit has taken its own options out of argv by now.
    const OriginalOptions options = OriginalOptions::parse({argv + 1, argv + argc});
    if (!sound(options))
        return 2;
    OriginalWindow window(options.socketPath);
    window.show();
    return application.exec();
}
