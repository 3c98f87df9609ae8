#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "FactoryImage.h"
#include "LineChannel.h"
#include "RemoteClient.h"
#include "ServerProcess.h"
#include "SignalFile.h"
#include "SocketPath.h"
#include "VirtualRemote.h"
#include "rcport.h"

namespace
{
constexpr char canary = 0x55;

std::unique_ptr<VirtualRemote> factoryRemote()
{
    std::string error;
    return VirtualRemote::open({std::string(), std::chrono::microseconds(0)}, &error);
}

// `count` 8-byte units read through the library; empty when the call fails.
QByteArray read(std::uint16_t address, int count)
{
    QByteArray buffer(16 * count, '\0');
    const QByteArray hi = QByteArray::number(address >> 8, 16).rightJustified(2, '0').toUpper();
    const QByteArray lo = QByteArray::number(address & 0xFF, 16).rightJustified(2, '0').toUpper();
    return readdatav20(buffer.data(), count, hi.constData(), lo.constData(), "08") ? buffer : QByteArray();
}

// The selector writes need, as the configuration block holds it.
QByteArray writeSelector()
{
    return read(FactoryImage::configBlockAddress, 2).mid(2 * FactoryImage::writeSelectorOffset, 2);
}

bool write(std::uint16_t address, const QByteArray &hex)
{
    const QByteArray hi = QByteArray::number(address >> 8, 16).rightJustified(2, '0').toUpper();
    const QByteArray lo = QByteArray::number(address & 0xFF, 16).rightJustified(2, '0').toUpper();
    return writedatav20(writeSelector().constData(), hi.constData(), lo.constData(), hex.constData());
}

// A buffer of `size` zero bytes followed by a guard of canaries.
QByteArray guarded(int size)
{
    return QByteArray(size, '\0') + QByteArray(64, canary);
}

bool guardIntact(const QByteArray &buffer, int size)
{
    return buffer.mid(size) == QByteArray(64, canary);
}

// Answers every request with one fixed line, as a broken or hostile server might.
class FixedReplyServer
{
public:
    FixedReplyServer(const std::string &path, std::string reply)
        : m_reply(std::move(reply))
    {
        sockaddr_un address;
        std::string error;
        SocketPath::address(path, address, &error);
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bind(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        listen(m_fd, 8);
        m_thread = std::thread([this] {
            for (;;) {
                const int client = accept(m_fd, nullptr, nullptr);
                if (client < 0 || m_stop)
                    return;
                LineChannel channel(client, LineChannel::Clock::now() + std::chrono::seconds(2));
                std::string request;
                channel.readLine(1 << 20, request);
                channel.write(m_reply + "\n");
            }
        });
    }
    ~FixedReplyServer()
    {
        m_stop = true;
        shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        close(m_fd);
    }

private:
    std::string m_reply;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
}  // namespace

class RcportTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerProcess> m_server;

    QString socketPath() const { return m_dir.filePath("run/socket"); }
    void useSocket(const QString &path) { qputenv("QLR_REMOTE_SOCKET", path.toLocal8Bit()); }
    void control(const std::string &request)
    {
        QCOMPARE(RemoteClient::call(socketPath().toStdString(), request).status, RemoteClient::Status::Ok);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_server = std::make_unique<ServerProcess>(socketPath(), m_dir.filePath("remote.img"));
        QVERIFY(m_server->start());
    }

    void init()
    {
        useSocket(socketPath());
        control("reset");
        control("attach");
        control("identity original");
    }

    void readsTheFactoryRemote()
    {
        const auto factory = factoryRemote();
        std::string expected;
        QVERIFY(factory->basicInfo(expected));
        QVERIFY(link_state());

        QByteArray info = guarded(1024);
        QVERIFY(RBasicInfo(info.data()));
        QCOMPARE(QByteArray(info.constData()), QByteArray::fromStdString(expected));
        QVERIFY(guardIntact(info, 1024));
        QCOMPARE(read(FactoryImage::basicBlockAddress, 6), QByteArray::fromStdString(expected));

        QByteArray version = guarded(250);
        QVERIFY(ReadVersion(version.data()));
        QCOMPARE(QByteArray(version.constData()), QByteArray(FactoryImage::versionText.data()));
        QVERIFY(version.startsWith("1020"));
        QVERIFY(WCodeTypeData("5A01"));
    }

    void writesAndReadsBack()
    {
        QCOMPARE(writeSelector(), QByteArray("0A"));
        QVERIFY(write(0x5000, "0123456789ABCDEF"));
        QCOMPARE(read(0x5000, 1), QByteArray("0123456789ABCDEF"));
        QVERIFY(!writedatav20("08", "50", "00", "FFFF"));
        QVERIFY(!writedatav20(writeSelector().constData(), "50", "00", "F"));
        QCOMPARE(read(0x5000, 1), QByteArray("0123456789ABCDEF"));
        QCOMPARE(read(0x0000, 8192).size(), 131072);
    }

    void keepsWritesAcrossAKilledServer()
    {
        QVERIFY(write(0x5100, "C0FFEE0000BEEF01"));
        m_server->kill();
        QVERIFY(!link_state());
        QVERIFY(read(0x5100, 1).isEmpty());
        // The killed server left its socket file: the new one takes it over.
        QVERIFY(QFile::exists(socketPath()));
        QVERIFY(m_server->start());
        QVERIFY(link_state());
        QCOMPARE(read(0x5100, 1), QByteArray("C0FFEE0000BEEF01"));
    }

    void absentServerMeansDetached()
    {
        useSocket(m_dir.filePath("nowhere/socket"));
        QElapsedTimer timer;
        timer.start();
        QByteArray buffer = guarded(10240);
        QVERIFY(!link_state());
        QVERIFY(!ReadVersion(buffer.data()));
        QVERIFY(!readdatav20(buffer.data(), 6, "B0", "00", "08"));
        QVERIFY(!writedatav20("0A", "50", "00", "11"));
        QVERIFY(!WCodeTypeData("5A01"));
        QVERIFY(!SetCodeCarrierWave());
        QVERIFY(!RCollectCodeInfo(buffer.data()));
        QVERIFY(!RBasicInfo(buffer.data()));
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(buffer, guarded(10240));
    }

    void stalledServerIsBounded()
    {
        const QString path = m_dir.filePath("stalled");
        sockaddr_un address;
        std::string error;
        QVERIFY(SocketPath::address(path.toStdString(), address, &error));
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(listen(fd, 4) == 0);
        useSocket(path);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!link_state());
        const qint64 elapsed = timer.elapsed();
        close(fd);
        QVERIFY2(elapsed >= RemoteClient::defaultTimeout.count() - 10
                     && elapsed < RemoteClient::defaultTimeout.count() + 1000,
                 qPrintable(QString::number(elapsed)));
    }

    void neverWritesPastTheBuffers()
    {
        const QString path = m_dir.filePath("flood");
        FixedReplyServer flood(path.toStdString(), "OK " + std::string(20000, 'A'));
        useSocket(path);
        const auto filled = [](const QByteArray &buffer, int characters) {
            return buffer.left(characters) == QByteArray(characters, 'A');
        };
        QByteArray version = guarded(250);
        QVERIFY(ReadVersion(version.data()));
        QVERIFY(filled(version, 249) && version[249] == '\0' && guardIntact(version, 250));
        QByteArray info = guarded(1024);
        QVERIFY(RBasicInfo(info.data()));
        QVERIFY(filled(info, 1023) && info[1023] == '\0' && guardIntact(info, 1024));
        // A full capture fills its buffer; the caller reads all 10240 bytes.
        QByteArray capture = guarded(10240);
        QVERIFY(RCollectCodeInfo(capture.data()));
        QVERIFY(filled(capture, 10240) && guardIntact(capture, 10240));
        // readdatav20 writes its 16 x count characters and no terminator.
        QByteArray data = guarded(32);
        QVERIFY(readdatav20(data.data(), 2, "B0", "00", "08"));
        QVERIFY(filled(data, 32) && guardIntact(data, 32));
    }

    void distrustsShortAndStrangeReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("short data") << "OK 0123";
        QTest::newRow("no data") << "OK";
        QTest::newRow("not the protocol") << "HELLO";
        QTest::newRow("error") << "ERR no";
    }

    void distrustsShortAndStrangeReplies()
    {
        QFETCH(QString, reply);
        const QString path = m_dir.filePath("short");
        FixedReplyServer server(path.toStdString(), reply.toStdString());
        useSocket(path);
        QByteArray data = guarded(16);
        QVERIFY(!readdatav20(data.data(), 1, "B0", "00", "08"));
        QCOMPARE(data, guarded(16));
    }

    void refusesArgumentsThatBreakTheProtocol_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("newline") << QByteArray("11\ndetach");
        QTest::newRow("space") << QByteArray("11 22");
        QTest::newRow("tab") << QByteArray("11\t22");
    }

    void refusesArgumentsThatBreakTheProtocol()
    {
        QFETCH(QByteArray, data);
        QVERIFY(!writedatav20("0A", "50", "00", data.constData()));
        QVERIFY(!WCodeTypeData(data.constData()));
        QVERIFY(link_state());
        QCOMPARE(read(0x5000, 1), QByteArray(16, '0'));
    }

    void refusesBadCountsAndMissingBuffers()
    {
        QByteArray buffer = guarded(16);
        QVERIFY(!readdatav20(buffer.data(), 0, "B0", "00", "08"));
        QVERIFY(!readdatav20(buffer.data(), -1, "B0", "00", "08"));
        QVERIFY(!readdatav20(buffer.data(), 8193, "00", "00", "08"));
        QVERIFY(!readdatav20(buffer.data(), 1, nullptr, "00", "08"));
        QCOMPARE(buffer, guarded(16));
        QVERIFY(!readdatav20(nullptr, 1, "B0", "00", "08"));
        QVERIFY(!ReadVersion(nullptr));
        QVERIFY(!RCollectCodeInfo(nullptr));
        QVERIFY(!RBasicInfo(nullptr));
        QVERIFY(!writedatav20("0A", "50", "00", nullptr));
        QVERIFY(!WCodeTypeData(nullptr));
    }

    // The program's three threads at once: the user-interface thread reading
    // and writing, the link monitor polling, for a second.
    void concurrentCallsStayConsistent()
    {
        const QByteArray patterns[] = {"1111111111111111", "2222222222222222"};
        QVERIFY(write(0x5200, patterns[0]));
        const QByteArray selector = writeSelector();
        std::atomic<bool> stop{false};
        std::atomic<int> reads{0}, writes{0}, polls{0}, wrong{0};
        std::thread writer([&] {
            for (int i = 0; !stop; ++i, ++writes)
                wrong += !writedatav20(selector.constData(), "52", "00", patterns[i % 2].constData());
        });
        std::thread reader([&] {
            for (; !stop; ++reads) {
                const QByteArray got = read(0x5200, 1);
                wrong += got != patterns[0] && got != patterns[1];
            }
        });
        std::thread poller([&] {
            for (; !stop; ++polls)
                wrong += !link_state();
        });
        QThread::msleep(1000);
        stop = true;
        writer.join();
        reader.join();
        poller.join();
        QCOMPARE(wrong.load(), 0);
        QVERIFY(reads > 50 && writes > 50 && polls > 50);
    }

    void faultsComeThroughTheCommandLine()
    {
        QCOMPARE(m_server->command({"fault", "writedatav20", "1"}).exitCode, 0);
        QVERIFY(!write(0x5300, "AB"));
        QCOMPARE(read(0x5300, 1), QByteArray(16, '0'));
        QVERIFY(write(0x5300, "AB"));
        QCOMPARE(m_server->command({"fault", "Link_State", "2"}).exitCode, 0);
        QVERIFY(!link_state());
        QVERIFY(!link_state());
        QVERIFY(link_state());

        QCOMPARE(m_server->command({"detach"}).exitCode, 0);
        QVERIFY(!link_state());
        QByteArray info = guarded(1024);
        QVERIFY(!RBasicInfo(info.data()));
        QCOMPARE(m_server->command({"attach"}).exitCode, 0);
        QVERIFY(link_state());

        QVERIFY(SetCodeCarrierWave());
        QCOMPARE(m_server->command({"fault", "detach-during-capture"}).exitCode, 0);
        QVERIFY(!RCollectCodeInfo(info.data()));
        QVERIFY(!link_state());
    }

    void identityComesThroughTheCommandLine()
    {
        QCOMPARE(m_server->command({"identity", "other"}).exitCode, 0);
        QByteArray info = guarded(1024);
        QVERIFY(RBasicInfo(info.data()));
        QCOMPARE(QByteArray::fromHex(info.left(30)), QByteArray(FactoryImage::otherIdentity.data(), 15));
        QCOMPARE(m_server->command({"identity", "original"}).exitCode, 0);
        QVERIFY(RBasicInfo(info.data()));
        QCOMPARE(QByteArray::fromHex(info.left(30)), QByteArray(FactoryImage::identity.data(), 15));
    }

    void capturesPressedSignals_data()
    {
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<bool>("fromStdin");
        const QByteArray durations = "carrier=38000\n9000 4500\n560 560 560 1690 560 40000 9000 2250 560\n";
        const QByteArray pronto = "0000 006D 0002 0001 0156 00AB 0015 0040 0156 0055\n";
        QTest::newRow("durations file") << durations << false;
        QTest::newRow("Pronto file") << pronto << false;
        QTest::newRow("durations on stdin") << durations << true;
        QTest::newRow("long signal") << QByteArray("560 ").repeated(3000) << false;
    }

    void capturesPressedSignals()
    {
        QFETCH(QByteArray, signal);
        QFETCH(bool, fromStdin);
        const QString file = fromStdin ? "-" : ServerProcess::writeFile(m_dir.filePath("signal.txt"), signal);
        // Nobody waits for a code yet.
        const auto early = m_server->command({"press", file}, signal);
        QCOMPARE(early.exitCode, 1);
        QCOMPARE(early.err.count('\n'), 1);

        QVERIFY(SetCodeCarrierWave());
        QVERIFY(m_server->command({"status"}).out.contains("capture armed\n"));
        QByteArray capture = guarded(10240);
        QVERIFY(!RCollectCodeInfo(capture.data()));
        const auto pressed = m_server->command({"press", file}, signal);
        QCOMPARE(pressed.exitCode, 0);
        QVERIFY(RCollectCodeInfo(capture.data()));

        // What the remote itself captures for the signal the file describes.
        InfraredSignal expected;
        std::string error;
        QVERIFY(SignalFile::parse(signal.toStdString(), expected, &error));
        const auto direct = factoryRemote();
        QVERIFY(direct->setCodeCarrierWave() && direct->press(expected));
        std::string words;
        QVERIFY(direct->collectCodeInfo(words));
        const int length = std::min<int>(int(words.size()), 10240);
        QCOMPARE(capture.left(length), QByteArray::fromStdString(words));
        QCOMPARE(capture.mid(length, 10240 - length), QByteArray(10240 - length, '\0'));
        QVERIFY(guardIntact(capture, 10240));
        QVERIFY(!RCollectCodeInfo(capture.data()));
    }
};

QTEST_GUILESS_MAIN(RcportTest)
#include "RcportTest.moc"
