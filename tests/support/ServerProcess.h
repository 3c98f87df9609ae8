#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>

#include <sys/types.h>

// The built qlr-remote program, as a server on a socket and image of a test's
// choosing and as a command line. Started with fork and exec of its own, not
// QProcess: Qt starts a child in the parent's memory until the exec, which
// ThreadSanitizer takes for a fork of the test itself, refusing it threads from then on.
class ServerProcess
{
public:
    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    ServerProcess(QString socketPath, QString imagePath);
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Starts `qlr-remote serve` and waits until it answers.
    bool start();
    // SIGTERM; true when the server ended cleanly.
    bool terminate();
    // SIGKILL: no clean-up at all.
    void kill();
    QString socketPath() const { return m_socketPath; }
    // For a kill from another thread, which must not touch the process object; 0 when not running.
    qint64 pid() const { return m_pid; }

    // `qlr-remote --socket SOCKET arguments...` against this server.
    Run command(const QStringList &arguments, const QByteArray &input = {}) const;
    // `qlr-remote arguments...` as given.
    static Run run(const QStringList &arguments, const QByteArray &input = {});
    // A file for the program to read; returns `path`.
    static QString writeFile(const QString &path, const QByteArray &contents);

private:
    QString m_socketPath;
    QString m_imagePath;
    std::atomic<pid_t> m_pid{0};
};
