#include "ServerProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "RemoteClient.h"
#include "TestTime.h"

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int none = -1;

// qlr-remote with `arguments`, its standard streams on the given descriptors
// (none: /dev/null for input and output, the test's own for errors). The
// descriptors given are the child's ends; the caller closes its copies.
pid_t startProgram(const QStringList &arguments, int input, int output, int error)
{
    // A child whose reader went away must not take the test with it.
    [[maybe_unused]] static const bool ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    std::vector<std::string> words{QLR_REMOTE_BINARY};
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // Only what is safe between fork and exec. A test that dies takes its
        // children along instead of leaving a server running.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent
            || ::dup2(input != none ? input : nothing, 0) < 0 || ::dup2(output != none ? output : nothing, 1) < 0
            || (error != none && ::dup2(error, 2) < 0))
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(nothing);
    return child;
}

// Waits for `pid` until `deadline` ms of `timer`; true with its status once it ended.
bool reap(pid_t pid, const QElapsedTimer &timer, qint64 deadline, int *status)
{
    for (;;) {
        const pid_t done = ::waitpid(pid, status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR)
            return false;
        if (timer.elapsed() >= deadline)
            return false;
        QThread::msleep(2);
    }
}

// Feeds `input` to `in` and collects `out` and `err` until both close or the deadline passes.
bool exchange(int in, int out, int err, const QByteArray &input, ServerProcess::Run &run, const QElapsedTimer &timer,
              qint64 deadline)
{
    qsizetype written = 0;
    if (input.isEmpty()) {
        ::close(in);
        in = none;
    }
    while (out != none || err != none) {
        pollfd watched[3] = {{in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
        const qint64 left = deadline - timer.elapsed();
        if (left <= 0)
            break;
        if (::poll(watched, 3, int(left)) < 0 && errno != EINTR)
            break;
        if (in != none && watched[0].revents != 0) {
            const ssize_t n = ::write(in, input.constData() + written, std::size_t(input.size() - written));
            written += n > 0 ? n : 0;
            if (n < 0 || written == input.size()) {
                ::close(in);
                in = none;
            }
        }
        for (int i = 1; i < 3; ++i) {
            if (watched[i].fd == none || watched[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(watched[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 1 ? run.out : run.err).append(buffer, n);
            } else if (n == 0 || errno != EINTR) {
                ::close(watched[i].fd);
                (i == 1 ? out : err) = none;
            }
        }
    }
    for (const int fd : {in, out, err})
        if (fd != none)
            ::close(fd);
    return out == none && err == none;
}
}  // namespace

ServerProcess::ServerProcess(QString socketPath, QString imagePath)
    : m_socketPath(std::move(socketPath))
    , m_imagePath(std::move(imagePath))
{ }

ServerProcess::~ServerProcess()
{
    if (m_pid > 0)
        kill();
}

bool ServerProcess::start()
{
    const pid_t child = startProgram({"serve", "--socket", m_socketPath, "--image", m_imagePath}, none, none, none);
    if (child < 0)
        return false;
    m_pid = child;
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (timer.elapsed() < TestTime::scaled(5000)) {
        if (RemoteClient::call(m_socketPath.toStdString(), "status").status == RemoteClient::Status::Ok)
            return true;
        if (::waitpid(child, &status, WNOHANG) == child) {
            m_pid = 0;
            return false;
        }
        QThread::msleep(10);
    }
    return false;
}

bool ServerProcess::terminate()
{
    const pid_t child = m_pid;
    if (child <= 0 || ::kill(child, SIGTERM) != 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    if (!reap(child, timer, TestTime::scaled(5000), &status))
        return false;
    m_pid = 0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ServerProcess::kill()
{
    const pid_t child = m_pid.exchange(0);
    if (child <= 0)
        return;
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
}

ServerProcess::Run ServerProcess::command(const QStringList &arguments, const QByteArray &input) const
{
    return run(QStringList{"--socket", m_socketPath} + arguments, input);
}

ServerProcess::Run ServerProcess::run(const QStringList &arguments, const QByteArray &input)
{
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return {};
    const pid_t child = startProgram(arguments, in[0], out[1], err[1]);
    for (const int fd : {in[0], out[1], err[1]})
        ::close(fd);
    if (child < 0) {
        for (const int fd : {in[1], out[0], err[0]})
            ::close(fd);
        return {};
    }
    Run result;
    QElapsedTimer timer;
    timer.start();
    const qint64 deadline = TestTime::scaled(10000);
    int status = 0;
    const bool whole = exchange(in[1], out[0], err[0], input, result, timer, deadline);
    if (!whole || !reap(child, timer, deadline, &status)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return {};
    }
    if (!WIFEXITED(status))
        return {};
    result.exitCode = WEXITSTATUS(status);
    return result;
}

QString ServerProcess::writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
    return path;
}
