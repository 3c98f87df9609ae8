#pragma once

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include <sys/types.h>

class RemoteService;

// Serves a RemoteService on a UNIX stream socket: one request line per
// connection, each connection on its own thread (a bounded number at once),
// peers of any other user refused, every connection bounded in time. A
// connection that says nothing gives its place up soon: at its idle timeout,
// or to a new client once it has been idle for half of that.
class RemoteServer
{
public:
    struct Options
    {
        std::string socketPath;
        uid_t allowedUid = 0;
        // From the connection to the reply sent.
        std::chrono::milliseconds requestTimeout{5000};
        std::size_t maxConnections = 32;
        // For the request line to arrive: well below a client's own wait
        // (RemoteClient::defaultTimeout), so that connections held open
        // without a request never keep a client out for long.
        std::chrono::milliseconds idleTimeout{500};
    };

    explicit RemoteServer(Options options);
    ~RemoteServer();
    RemoteServer(const RemoteServer &) = delete;
    RemoteServer &operator=(const RemoteServer &) = delete;

    // Prepares the private directory, takes over a stale socket file (one no
    // server answers on) and binds the socket 0600. False with *error when the
    // directory is unsafe, the path is taken or another server runs there.
    bool listen(std::string *error);
    // Serves `service` until stop() is called or `stopFd` becomes readable,
    // then waits for the connections in progress and removes the socket file.
    void run(RemoteService &service, int stopFd = -1);
    // From any thread.
    void stop();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection
    {
        std::thread thread;
        int fd = -1;
        Clock::time_point accepted;
        bool idle = true;  // no whole request line yet; its descriptor is still open
        bool evicted = false;
        bool done = false;
    };

    void accept();
    bool makeRoom(std::unique_lock<std::mutex> &lock);
    void serve(int fd, Connection &connection);
    void reapFinished(bool all);
    void removeSocketFile();

    RemoteService *m_service = nullptr;
    const Options m_options;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::list<Connection> m_connections;  // oldest first
    std::size_t m_running = 0;
    bool m_stopping = false;
};
