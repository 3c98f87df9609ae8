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
// peers of any other user refused, every connection bounded in time.
class RemoteServer
{
public:
    struct Options
    {
        std::string socketPath;
        uid_t allowedUid = 0;
        std::chrono::milliseconds requestTimeout{5000};
        std::size_t maxConnections = 32;
    };

    RemoteServer(RemoteService &service, Options options);
    ~RemoteServer();
    RemoteServer(const RemoteServer &) = delete;
    RemoteServer &operator=(const RemoteServer &) = delete;

    // Prepares the private directory, takes over a stale socket file (one no
    // server answers on) and binds the socket 0600. False with *error when the
    // directory is unsafe, the path is taken or another server runs there.
    bool listen(std::string *error);
    // Serves until stop() is called or `stopFd` becomes readable, then waits
    // for the connections in progress and removes the socket file.
    void run(int stopFd = -1);
    // From any thread.
    void stop();

private:
    struct Connection
    {
        std::thread thread;
        bool done = false;
    };

    void accept();
    void serve(int fd, Connection &connection);
    void reapFinished(bool all);
    void removeSocketFile();

    RemoteService &m_service;
    const Options m_options;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::list<Connection> m_connections;
    std::size_t m_running = 0;
    bool m_stopping = false;
};
