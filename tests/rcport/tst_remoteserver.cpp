#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "LineChannel.h"
#include "RemoteClient.h"
#include "RemoteRequest.h"
#include "RemoteServer.h"
#include "RemoteService.h"
#include "SocketPath.h"
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

// A server on its own thread for the length of a test.
class RunningServer
{
public:
    RunningServer(RemoteService &service, const std::string &path, uid_t uid = geteuid(),
                  std::size_t maxConnections = 32)
        : m_server(service, {path, uid, std::chrono::milliseconds(2000), maxConnections})
    {
        m_listening = m_server.listen(&m_error);
        if (m_listening)
            m_thread = std::thread([this] { m_server.run(); });
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
        QTest::newRow("override wins") << "/x/s" << "/run/user/7" << "/x/s";
        QTest::newRow("runtime dir") << "" << "/run/user/7" << "/run/user/7/qlr-remote/socket";
        QTest::newRow("nothing set") << QString() << QString() << "/tmp/qlr-remote-7/socket";
        QTest::newRow("relative runtime dir") << QString() << "run/user/7" << "/tmp/qlr-remote-7/socket";
        QTest::newRow("empty runtime dir") << QString() << "" << "/tmp/qlr-remote-7/socket";
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
#include "tst_remoteserver.moc"
