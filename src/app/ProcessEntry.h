#pragma once

// The program: splash window, main window (which identifies the remote while
// the splash is up), a short pause, then the event loop.
class ProcessEntry
{
public:
    static int run(int argc, char **argv);
};
