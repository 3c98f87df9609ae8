#include <QtTest>

#include <atomic>
#include <random>
#include <thread>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LineChannel.h"
#include "RemoteClient.h"
#include "RemoteRequest.h"
#include "RemoteServer.h"
#include "RemoteService.h"
#include "ServerProcess.h"
#include "SocketPath.h"
#include "TestTime.h"
#include "VirtualRemote.h"

using Status = RemoteClient::Status;
Q_DECLARE_METATYPE(Status)

namespace
{
constexpr uid_t nobody = 65534;

int modeOf(const QString &path)
{
    struct stat info;
    return lstat(path.toLocal8Bit().constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// A socket bound (and listening, when asked) at `path` that never accepts.
int boundSocket(const std::string &path, bool listening)
{
    sockaddr_un address;
    std::string error;
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (!SocketPath::address(path, address, &error)
        || bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || (listening && listen(fd, 4) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

// A connection to `path`, or -1.
int connectTo(const std::string &path)
{
    sockaddr_un address;
    std::string error;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (!SocketPath::address(path, address, &error)
        || ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// How a client of user `nobody` fares with `request`, in a child process that
// gives up root: exit code 10 refused at connect, 11 refused by the server,
// 12 any other reply, 13 the child could not set itself up or connect.
int askAsNobody(const std::string &path, const std::string &request)
{
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(13);
        const int fd = connectTo(path);
        if (fd < 0)
            _exit(errno == EACCES ? 10 : 13);
        const timeval timeout{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        // The server may have refused and closed before the request is out: its reply is read all the same.
        const std::string line = request + '\n';
        [[maybe_unused]] const auto sent = send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        char reply[64] = {};
        std::size_t got = 0;
        while (got < sizeof reply - 1) {
            const ssize_t n = recv(fd, reply + got, sizeof reply - 1 - got, 0);
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        _exit(std::string_view(reply, got) == "ERR permission denied\n" ? 11 : 12);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A server on its own thread for the length of a test.
class RunningServer
{
public:
    RunningServer(RemoteService &service, const std::string &path, uid_t uid = geteuid(),
                  std::size_t maxConnections = 32)
        : m_server(options(path, uid, maxConnections))
    {
        m_listening = m_server.listen(&m_error);
        if (m_listening)
            m_thread = std::thread([this, &service] { m_server.run(service); });
    }
    ~RunningServer() { stop(); }

    bool listening() const { return m_listening; }
    const std::string &error() const { return m_error; }
    void stop()
    {
        m_server.stop();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    static RemoteServer::Options options(const std::string &path, uid_t uid, std::size_t maxConnections)
    {
        RemoteServer::Options options;
        options.socketPath = path;
        options.allowedUid = uid;
        options.maxConnections = maxConnections;
        return options;
    }

    RemoteServer m_server;
    std::string m_error;
    bool m_listening = false;
    std::thread m_thread;
};
}  // namespace

class RemoteServerTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<VirtualRemote> m_remote;
    std::unique_ptr<RemoteService> m_service;

    std::string path(const QString &name) const { return m_dir->filePath(name).toStdString(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        std::string error;
        m_remote = VirtualRemote::open({std::string(), std::chrono::microseconds(0)}, &error);
        m_service = std::make_unique<RemoteService>(*m_remote, "memory");
    }

    void resolvesTheDefaultPath_data()
    {
        QTest::addColumn<QString>("override");
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<QString>("expected");
        QTest::newRow("override wins") << "/x/s"
                                       << "/run/user/7"
                                       << "/x/s";
        QTest::newRow("runtime dir") << ""
                                     << "/run/user/7"
                                     << "/run/user/7/qlr-remote/socket";
        QTest::newRow("nothing set") << QString() << QString() << "/tmp/qlr-remote-7/socket";
        QTest::newRow("relative runtime dir") << QString() << "run/user/7"
                                              << "/tmp/qlr-remote-7/socket";
        QTest::newRow("empty runtime dir") << QString() << ""
                                           << "/tmp/qlr-remote-7/socket";
    }

    void resolvesTheDefaultPath()
    {
        QFETCH(QString, override);
        QFETCH(QString, runtime);
        QFETCH(QString, expected);
        const QByteArray o = override.toLocal8Bit(), r = runtime.toLocal8Bit();
        QCOMPARE(QString::fromStdString(SocketPath::resolve(override.isNull() ? nullptr : o.constData(),
                                                            runtime.isNull() ? nullptr : r.constData(), 7)),
                 expected);
    }

    void createsPrivateDirectories()
    {
        std::string error;
        const std::string socket = path("a/b/socket");
        QVERIFY2(SocketPath::prepareDirectory(socket, &error), error.c_str());
        QCOMPARE(modeOf(m_dir->filePath("a")), 0700);
        QCOMPARE(modeOf(m_dir->filePath("a/b")), 0700);
        // Readable by others is harmless: the socket itself is 0600.
        QVERIFY(chmod(path("a/b").c_str(), 0755) == 0);
        QVERIFY2(SocketPath::prepareDirectory(socket, &error), error.c_str());
    }

    void refusesUnsafeDirectories_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("problem");
        QTest::newRow("writable by all") << 0777 << "writable by other users";
        QTest::newRow("writable by the group") << 0770 << "writable by other users";
        QTest::newRow("sticky but open") << 01777 << "writable by other users";
    }

    void refusesUnsafeDirectories()
    {
        QFETCH(int, mode);
        QFETCH(QString, problem);
        QVERIFY(mkdir(path("open").c_str(), 0700) == 0 && chmod(path("open").c_str(), mode_t(mode)) == 0);
        std::string error;
        QVERIFY(!SocketPath::prepareDirectory(path("open/socket"), &error));
        QVERIFY2(QString::fromStdString(error).contains(problem), error.c_str());
        RunningServer server(*m_service, path("open/socket"));
        QVERIFY(!server.listening());
        QVERIFY(!QFile::exists(m_dir->filePath("open/socket")));
    }

    void refusesWhatIsNoDirectory()
    {
        std::string error;
        QVERIFY(mkdir(path("real").c_str(), 0700) == 0);
        QVERIFY(symlink(path("real").c_str(), path("link").c_str()) == 0);
        QVERIFY(!SocketPath::prepareDirectory(path("link/socket"), &error));
        QVERIFY(QString::fromStdString(error).contains("not a directory"));
        QFile file(m_dir->filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(!SocketPath::prepareDirectory(path("file/socket"), &error));
    }

    void refusesAnotherUsersDirectory()
    {
        if (geteuid() != 0)
            QSKIP("planting a directory of another user needs root");
        QVERIFY(mkdir(path("planted").c_str(), 0700) == 0);
        QVERIFY(chown(path("planted").c_str(), nobody, nobody) == 0);
        std::string error;
        QVERIFY(!SocketPath::prepareDirectory(path("planted/socket"), &error));
        QVERIFY2(QString::fromStdString(error).contains("another user"), error.c_str());
    }

    void servesAndCleansUp()
    {
        const std::string socket = path("run/socket");
        {
            RunningServer server(*m_service, socket);
            QVERIFY2(server.listening(), server.error().c_str());
            QCOMPARE(modeOf(QString::fromStdString(socket)), 0600);
            const auto reply = RemoteClient::call(socket, "dump B000 2");
            QCOMPARE(reply.status, Status::Ok);
            QCOMPARE(reply.data, std::string("514C"));
            QCOMPARE(RemoteClient::call(socket, "format").status, Status::Error);
            server.stop();
            QVERIFY(!QFile::exists(QString::fromStdString(socket)));
        }
        QCOMPARE(RemoteClient::call(socket, "status").status, Status::Unreachable);
    }

    void refusesPeersOfOtherUsers()
    {
        RunningServer server(*m_service, path("socket"), geteuid() + 1);
        QVERIFY(server.listening());
        const auto reply = RemoteClient::call(path("socket"), "detach");
        QCOMPARE(reply.status, Status::Error);
        QCOMPARE(reply.data, std::string("permission denied"));
        QVERIFY(m_remote->attached());
        // A request larger than the socket's buffer cannot be written before
        // the server closes on it; the refusal must still be heard.
        std::string large = "detach ";
        large.resize(RemoteRequest::maxLineLength - 1, 'A');
        const auto refused = RemoteClient::call(path("socket"), large);
        QCOMPARE(refused.status, Status::Error);
        QCOMPARE(refused.data, std::string("permission denied"));
    }

    void boundsTheRequestLine()
    {
        RunningServer server(*m_service, path("socket"));
        // At the limit the request is read and carried out...
        std::string request = "writedatav20 0A 50 00 ";
        request.resize(RemoteRequest::maxLineLength, 'A');
        QCOMPARE(RemoteClient::call(path("socket"), request).status, Status::Fail);
        // ...one byte more, without a newline in sight, is refused.
        sockaddr_un address;
        std::string error;
        QVERIFY(SocketPath::address(path("socket"), address, &error));
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);
        LineChannel channel(fd, LineChannel::Clock::now() + std::chrono::seconds(2));
        channel.write(request + "AAAAAAAA");
        std::string reply;
        QCOMPARE(channel.readLine(1000, reply), LineChannel::Result::Line);
        QCOMPARE(reply, std::string("ERR request too long"));
    }

    // The peer check itself, with a real client of another user: behind the
    // socket's 0600 the connect fails, and with the socket opened to all the
    // server still refuses the request.
    void refusesAnotherUsersClient_data()
    {
        QTest::addColumn<int>("socketMode");
        QTest::addColumn<int>("outcome");
        QTest::newRow("socket as the server made it") << 0600 << 10;
        QTest::newRow("socket opened to everyone") << 0666 << 11;
    }

    void refusesAnotherUsersClient()
    {
        QFETCH(int, socketMode);
        QFETCH(int, outcome);
        if (geteuid() != 0)
            QSKIP("a client of another user needs root to become `nobody`");
        QVERIFY(chmod(m_dir->path().toLocal8Bit().constData(), 0711) == 0);
        RunningServer server(*m_service, path("socket"));
        QVERIFY2(server.listening(), server.error().c_str());
        QVERIFY(chmod(path("socket").c_str(), mode_t(socketMode)) == 0);
        QCOMPARE(askAsNobody(path("socket"), "detach"), outcome);
        QVERIFY(m_remote->attached());
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);
    }

    // Whatever arrives, the reply is an error, nothing changes and the server
    // answers the next client.
    void refusesMalformedRequests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("reply");
        std::mt19937 random(815);
        QByteArray junk;
        for (int i = 0; i < 4000; ++i)
            junk += char(random() % 256);
        junk.replace('\n', '\0');
        QTest::newRow("binary junk") << junk + '\n' << "ERR requests are printable ASCII";
        QTest::newRow("no newline") << QByteArray("detach") << "ERR request without a newline";
        QTest::newRow("junk without a newline") << junk << "ERR request without a newline";
        QTest::newRow("empty line") << QByteArray("\n") << "ERR unknown operation: ";
        QTest::newRow("huge count") << QByteArray("readdatav20 99999999999999999999999999 B0 00 08\n")
                                    << "ERR count must be 1 to 8192";
        QTest::newRow("negative count") << QByteArray("dump 5000 -16\n") << "ERR count must be 1 to 65536";
        QTest::newRow("negative fault count")
            << QByteArray("fault writedatav20 -1\n") << "ERR fault count must be 0 to 1000000";
        QTest::newRow("huge address") << QByteArray("dump 100000000000000000000 1\n")
                                      << "ERR address must be 1 to 4 hex digits";
        QTest::newRow("second line ignored") << QByteArray("dump 5000 -1\ndetach\n") << "ERR count must be 1 to 65536";
    }

    void refusesMalformedRequests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, reply);
        RunningServer server(*m_service, path("socket"));
        const auto before = m_remote->dump(0, VirtualRemote::memorySize);
        const int fd = connectTo(path("socket"));
        QVERIFY(fd >= 0);
        LineChannel channel(fd, LineChannel::Clock::now() + std::chrono::seconds(2));
        QVERIFY(channel.write(std::string_view(request.constData(), std::size_t(request.size()))));
        shutdown(fd, SHUT_WR);
        std::string line;
        QCOMPARE(channel.readLine(1000, line), LineChannel::Result::Line);
        QCOMPARE(QString::fromStdString(line), reply);
        QVERIFY(m_remote->attached());
        QVERIFY(m_remote->dump(0, VirtualRemote::memorySize) == before);
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);
    }

    // 16 MiB without a newline: the server stops reading at the bound and
    // answers, so the client cannot even hand it all over.
    void stopsReadingAtTheBound()
    {
        RunningServer server(*m_service, path("socket"));
        const int fd = connectTo(path("socket"));
        QVERIFY(fd >= 0);
        LineChannel channel(fd, LineChannel::Clock::now() + std::chrono::seconds(5));
        QVERIFY(!channel.write(std::string(16 << 20, 'A')));
        std::string line;
        QCOMPARE(channel.readLine(1000, line), LineChannel::Result::Line);
        QCOMPARE(line, std::string("ERR request too long"));
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);
    }

    // A client that never finishes its line is dropped well before a
    // client's own wait ends, and others are served meanwhile.
    void dropsAStalledClient()
    {
        RunningServer server(*m_service, path("socket"));
        const int fd = connectTo(path("socket"));
        QVERIFY(fd >= 0);
        LineChannel channel(fd, LineChannel::Clock::now() + std::chrono::seconds(3));
        QVERIFY(channel.write("deta"));
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);
        QElapsedTimer timer;
        timer.start();
        std::string line;
        QCOMPARE(channel.readLine(1000, line), LineChannel::Result::Closed);
        QVERIFY2(timer.elapsed() < TestTime::scaled(int(RemoteClient::defaultTimeout.count()) / 2),
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(m_remote->attached());
    }

    // Connections that say nothing, as many as the server takes: a client
    // that asks is served all the same, at the cost of the oldest.
    void idleConnectionsLockNobodyOut()
    {
        constexpr int most = 4;
        RunningServer server(*m_service, path("socket"), geteuid(), most);
        std::vector<int> idle;
        for (int i = 0; i < most; ++i) {
            idle.push_back(connectTo(path("socket")));
            QVERIFY(idle.back() >= 0);
        }
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);
        LineChannel oldest(idle.front(), LineChannel::Clock::now() + TestTime::scaled(std::chrono::milliseconds(300)));
        std::string line;
        QCOMPARE(oldest.readLine(1000, line), LineChannel::Result::Closed);
        for (std::size_t i = 1; i < idle.size(); ++i)
            close(idle[i]);
    }

    // A client gone by the time its request's turn comes cannot learn what
    // became of it: a write it takes for failed is not carried out.
    void dropsARequestWhoseClientHasGone()
    {
        std::string error;
        const auto slow =
            VirtualRemote::open({std::string(), TestTime::scaled(std::chrono::milliseconds(300))}, &error);
        RemoteService service(*slow, "memory");
        RunningServer server(service, path("socket"), geteuid(), 1);
        std::thread busy([&] { RemoteClient::call(path("socket"), "link_state"); });
        QThread::msleep(TestTime::scaled(100));
        const int gone = connectTo(path("socket"));
        QVERIFY(gone >= 0);
        const std::string write = "writedatav20 0A 50 00 AB\n";
        QCOMPARE(send(gone, write.data(), write.size(), MSG_NOSIGNAL), ssize_t(write.size()));
        close(gone);
        busy.join();
        // Served once the request before it is done with.
        const auto reply =
            RemoteClient::call(path("socket"), "dump 5000 1", TestTime::scaled(std::chrono::milliseconds(5000)));
        QCOMPARE(reply.status, Status::Ok);
        QCOMPARE(reply.data, std::string("00"));
    }

    // The real program: its socket's directory, the socket, the image and the
    // journal are the user's alone.
    void serverKeepsItsFilesPrivate()
    {
        const QString socket = m_dir->filePath("run/qlr/socket");
        const QString image = m_dir->filePath("remote.img");
        ServerProcess server(socket, image);
        QVERIFY(server.start());
        QCOMPARE(modeOf(m_dir->filePath("run")), 0700);
        QCOMPARE(modeOf(m_dir->filePath("run/qlr")), 0700);
        QCOMPARE(modeOf(socket), 0600);
        QCOMPARE(modeOf(image), 0600);
        QCOMPARE(modeOf(image + ".journal"), 0600);
        QVERIFY(server.terminate());
    }

    void takesOverAStaleSocket()
    {
        const int fd = boundSocket(path("socket"), false);
        QVERIFY(fd >= 0);
        close(fd);
        RunningServer server(*m_service, path("socket"));
        QVERIFY2(server.listening(), server.error().c_str());
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);
    }

    void leavesOthersInPeace()
    {
        RunningServer first(*m_service, path("socket"));
        RunningServer second(*m_service, path("socket"));
        QVERIFY(first.listening());
        QVERIFY(!second.listening());
        QVERIFY(QString::fromStdString(second.error()).contains("already running"));
        second.stop();
        QCOMPARE(RemoteClient::call(path("socket"), "link_state").status, Status::Ok);

        QFile file(m_dir->filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        RunningServer third(*m_service, path("file"));
        QVERIFY(!third.listening());
        QVERIFY(QFileInfo(file).isFile());
    }

    void stalledServerTimesOut()
    {
        const int fd = boundSocket(path("socket"), true);
        QVERIFY(fd >= 0);
        QElapsedTimer timer;
        timer.start();
        const auto reply = RemoteClient::call(path("socket"), "link_state", std::chrono::milliseconds(300));
        const qint64 elapsed = timer.elapsed();
        close(fd);
        QCOMPARE(reply.status, Status::Unreachable);
        QVERIFY2(elapsed >= 290 && elapsed < 1500, qPrintable(QString::number(elapsed)));
    }

    void parsesReplies_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("data");
        QTest::newRow("ok") << "OK" << Status::Ok << "";
        QTest::newRow("ok with data") << "OK 1020 QLR" << Status::Ok << "1020 QLR";
        QTest::newRow("fail") << "FAIL" << Status::Fail << "";
        QTest::newRow("error") << "ERR bad count" << Status::Error << "bad count";
        QTest::newRow("okay") << "OKAY" << Status::Unreachable << "";
        QTest::newRow("fail with data") << "FAIL 1" << Status::Unreachable << "";
        QTest::newRow("empty") << "" << Status::Unreachable << "";
    }

    void parsesReplies()
    {
        QFETCH(QString, line);
        QFETCH(Status, status);
        QFETCH(QString, data);
        const auto reply = RemoteClient::parseReply(line.toStdString());
        QCOMPARE(reply.status, status);
        if (status != Status::Unreachable)
            QCOMPARE(QString::fromStdString(reply.data), data);
    }

    void servesManyClientsAtOnce()
    {
        RunningServer server(*m_service, path("socket"), geteuid(), 4);
        std::atomic<int> failures{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < 12; ++c) {
            clients.emplace_back([&, c] {
                const std::string hex = QString::asprintf("%02X", c).toStdString();
                for (int i = 0; i < 40; ++i) {
                    const std::string write = "writedatav20 0A 50 " + hex + " " + hex;
                    const auto written = RemoteClient::call(path("socket"), write);
                    const auto read = RemoteClient::call(path("socket"), "dump 50" + hex + " 1");
                    if (written.status != Status::Ok || read.data != hex)
                        ++failures;
                }
            });
        }
        for (auto &client : clients)
            client.join();
        QCOMPARE(failures.load(), 0);
    }
};

QTEST_GUILESS_MAIN(RemoteServerTest)
#include "RemoteServerTest.moc"
