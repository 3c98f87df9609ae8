#pragma once

#include <chrono>
#include <memory>

class RemoteDevice;
class Tmainselfstudy;

// The program up to its event loop: the splash window, the main window (which
// identifies the remote while the splash is up), a short pause, then the
// splash goes.
class ProcessEntry
{
public:
    // How long the splash stays once the main window's creation handler has returned.
    static constexpr std::chrono::milliseconds splashPause{500};

    // The main window over `device`, not shown yet; also when start-up was refused.
    static std::unique_ptr<Tmainselfstudy> createMainWindow(RemoteDevice &device);
};
