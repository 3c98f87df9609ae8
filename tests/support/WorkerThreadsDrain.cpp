// Linked into every test program. QThread::wait() returns once run() is over,
// while the system thread still has its exit to do; a test that ends right
// after stopping a capture, the link monitor or Qt's thread pool can leave the
// process while such a thread is still going. Qt then deletes its thread-data
// key first, the thread never drops its share of its QThreadData, and
// LeakSanitizer reports that as a leak. So the program waits here, after
// main() returns and before Qt's own clean-up, until those threads have left.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "TestTime.h"

namespace
{
// By name: Qt names a thread after the class of its QThread, and a sanitizer's
// runtime may keep a thread of its own to the end.
bool qtWorkerRunning()
{
    std::error_code failed;
    for (auto task = std::filesystem::directory_iterator("/proc/self/task", failed);
         task != std::filesystem::directory_iterator(); task.increment(failed)) {
        std::ifstream comm(task->path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name == "TCollectCode" || name == "linkstate" || name == "Thread (pooled)")
            return true;
    }
    return false;
}

struct WorkerThreadsDrain
{
    ~WorkerThreadsDrain()
    {
        const auto deadline = std::chrono::steady_clock::now() + TestTime::scaled(std::chrono::milliseconds(2000));
        while (qtWorkerRunning() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
} drain;
}  // namespace
