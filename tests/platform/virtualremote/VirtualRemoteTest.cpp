#include <QtTest>

#include <atomic>
#include <climits>
#include <thread>

#include "FactoryImage.h"
#include "RemoteText.h"
#include "VirtualRemoteDevice.h"

using namespace RemoteText;
using Operation = VirtualRemote::Operation;

Q_DECLARE_METATYPE(Operation)

namespace
{
const InfraredSignal shortCode{38000, {9000, 4500, 560, 1690, 560}};

bool write(VirtualRemote &remote, std::uint16_t address, const std::string &hex)
{
    return remote.writeData("0A", high(address), low(address), hex);
}

// Calls `op` once with well-formed arguments; true when it succeeded.
bool call(VirtualRemote &remote, Operation op)
{
    std::string text;
    switch (op) {
    case Operation::LinkState:
        return remote.linkState();
    case Operation::ReadVersion:
        return remote.readVersion(text);
    case Operation::ReadData:
        return remote.readData(1, "B0", "00", "08", text);
    case Operation::WriteData:
        return write(remote, 0x5000, "A1A2");
    case Operation::WriteCodeTypeData:
        return remote.writeCodeTypeData("5A01");
    case Operation::SetCodeCarrierWave:
        return remote.setCodeCarrierWave();
    case Operation::CollectCodeInfo:
        remote.setCodeCarrierWave();
        remote.press(shortCode);
        return remote.collectCodeInfo(text);
    case Operation::BasicInfo:
        return remote.basicInfo(text);
    }
    return false;
}

void addOperations()
{
    QTest::addColumn<Operation>("op");
    QTest::newRow("link_state") << Operation::LinkState;
    QTest::newRow("ReadVersion") << Operation::ReadVersion;
    QTest::newRow("readdatav20") << Operation::ReadData;
    QTest::newRow("writedatav20") << Operation::WriteData;
    QTest::newRow("WCodeTypeData") << Operation::WriteCodeTypeData;
    QTest::newRow("SetCodeCarrierWave") << Operation::SetCodeCarrierWave;
    QTest::newRow("RCollectCodeInfo") << Operation::CollectCodeInfo;
    QTest::newRow("RBasicInfo") << Operation::BasicInfo;
}
}  // namespace

class VirtualRemoteTest : public QObject
{
    Q_OBJECT

private slots:
    void readRefusesBadRequests_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("hi");
        QTest::addColumn<QString>("lo");
        QTest::addColumn<QString>("selector");
        QTest::newRow("write selector") << 1 << "B0"
                                        << "00"
                                        << "0A";
        QTest::newRow("short selector") << 1 << "B0"
                                        << "00"
                                        << "8";
        QTest::newRow("no selector") << 1 << "B0"
                                     << "00"
                                     << "";
        QTest::newRow("count 0") << 0 << "B0"
                                 << "00"
                                 << "08";
        QTest::newRow("count -1") << -1 << "B0"
                                  << "00"
                                  << "08";
        QTest::newRow("count INT_MAX") << INT_MAX << "00"
                                       << "00"
                                       << "08";
        QTest::newRow("past the end") << 2 << "FF"
                                      << "F8"
                                      << "08";
        QTest::newRow("whole memory and one") << 8193 << "00"
                                              << "00"
                                              << "08";
        QTest::newRow("high not hex") << 1 << "G0"
                                      << "00"
                                      << "08";
        QTest::newRow("high one digit") << 1 << "B"
                                        << "00"
                                        << "08";
        QTest::newRow("low three digits") << 1 << "B0"
                                          << "000"
                                          << "08";
        QTest::newRow("low empty") << 1 << "B0"
                                   << ""
                                   << "08";
    }

    void readRefusesBadRequests()
    {
        QFETCH(int, count);
        QFETCH(QString, hi);
        QFETCH(QString, lo);
        QFETCH(QString, selector);
        auto remote = memoryOnly();
        std::string hex = "stale";
        QVERIFY(!remote->readData(count, hi.toStdString(), lo.toStdString(), selector.toStdString(), hex));
        QVERIFY(hex.empty());
    }

    void readReachesTheEndOfMemory()
    {
        auto remote = memoryOnly();
        QVERIFY(remote->poke(0xFFF8, {1, 2, 3, 4, 5, 6, 7, 0xFF}));
        QCOMPARE(read(*remote, 0xFFF8, 1), QString("01020304050607FF"));
        std::string hex;
        QVERIFY(remote->readData(1, "ff", "f8", "08", hex));
        QCOMPARE(read(*remote, 0x0000, 8192).size(), 131072);
    }

    void writeRefusesBadRequests_data()
    {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QString>("hi");
        QTest::addColumn<QString>("lo");
        QTest::addColumn<QString>("hex");
        QTest::newRow("not hex") << "0A"
                                 << "50"
                                 << "00"
                                 << "A1G2";
        QTest::newRow("odd length") << "0A"
                                    << "50"
                                    << "00"
                                    << "A1A";
        QTest::newRow("empty data") << "0A"
                                    << "50"
                                    << "00"
                                    << "";
        QTest::newRow("blank inside") << "0A"
                                      << "50"
                                      << "00"
                                      << "A1 2";
        QTest::newRow("read selector") << "08"
                                       << "50"
                                       << "00"
                                       << "A1A2";
        QTest::newRow("other selector") << "0B"
                                        << "50"
                                        << "00"
                                        << "A1A2";
        QTest::newRow("selector three digits") << "00A"
                                               << "50"
                                               << "00"
                                               << "A1A2";
        QTest::newRow("past the end") << "0A"
                                      << "FF"
                                      << "FF"
                                      << "A1A2";
        QTest::newRow("bad address") << "0A"
                                     << "5"
                                     << "000"
                                     << "A1A2";
    }

    void writeRefusesBadRequests()
    {
        QFETCH(QString, selector);
        QFETCH(QString, hi);
        QFETCH(QString, lo);
        QFETCH(QString, hex);
        auto remote = memoryOnly();
        const auto before = remote->dump(0, VirtualRemote::memorySize);
        QVERIFY(!remote->writeData(selector.toStdString(), hi.toStdString(), lo.toStdString(), hex.toStdString()));
        QVERIFY(remote->dump(0, VirtualRemote::memorySize) == before);
    }

    void writeChangesExactlyItsBytes()
    {
        auto remote = memoryOnly();
        QVERIFY(write(*remote, 0x5003, "a1B2c3"));
        QCOMPARE(read(*remote, 0x5000, 1), QString("000000A1B2C30000"));
        QVERIFY(write(*remote, 0xFFFF, "EE"));
        QCOMPARE(remote->dump(0xFFFE, 10), std::vector<std::uint8_t>({0x00, 0xEE}));
    }

    void writeSelectorComesFromMemory()
    {
        auto remote = memoryOnly();
        QVERIFY(write(*remote, 0xB03C + 8, "3C"));
        QVERIFY(!write(*remote, 0x5000, "11"));
        QVERIFY(remote->writeData("3C", "50", "00", "11"));
        QCOMPARE(read(*remote, 0x5000, 1).left(2), QString("11"));
    }

    void detachedRemoteAnswersNothing_data() { addOperations(); }

    void detachedRemoteAnswersNothing()
    {
        QFETCH(Operation, op);
        auto remote = memoryOnly();
        remote->detach();
        QVERIFY(!remote->attached());
        QVERIFY(!call(*remote, op));
        QCOMPARE(remote->dump(0x5000, 2), std::vector<std::uint8_t>(2, 0));
        remote->attach();
        QVERIFY(call(*remote, op));
    }

    void detachEndsCaptureMode()
    {
        auto remote = memoryOnly();
        QVERIFY(remote->setCodeCarrierWave());
        remote->detach();
        QVERIFY(!remote->captureArmed());
        QVERIFY(!remote->press(shortCode));
        remote->attach();
        std::string hex;
        QVERIFY(!remote->collectCodeInfo(hex));
    }

    void identityBelongsToTheDevice()
    {
        auto remote = memoryOnly();
        const QString original = read(*remote, 0xB000, 6);
        remote->setIdentity(VirtualRemote::Identity::Other);
        QCOMPARE(remote->identity(), VirtualRemote::Identity::Other);
        const QString other = read(*remote, 0xB000, 6);
        QCOMPARE(other.left(30), ascii("QLR815-00D4E5F6"));
        QCOMPARE(other.mid(30), original.mid(30));
        std::string info;
        QVERIFY(remote->basicInfo(info));
        QCOMPARE(QString::fromStdString(info), other);
        // A read that starts inside the identity sees the same device.
        QCOMPARE(read(*remote, 0xAFF8, 2).mid(16), other.left(16));
        remote->setIdentity(VirtualRemote::Identity::Original);
        QCOMPARE(read(*remote, 0xB000, 6), original);
    }

    void injectedFaultsFailTheNextCalls_data() { addOperations(); }

    void injectedFaultsFailTheNextCalls()
    {
        QFETCH(Operation, op);
        auto remote = memoryOnly();
        remote->injectFault(op, 2);
        QVERIFY(!call(*remote, op));
        QVERIFY(!call(*remote, op));
        QCOMPARE(remote->dump(0x5000, 2), std::vector<std::uint8_t>(2, 0));
        QVERIFY(remote->attached());
        QVERIFY(call(*remote, op));
        remote->injectFault(op, 3);
        remote->injectFault(op, 0);
        QVERIFY(call(*remote, op));
    }

    void faultsCountOnlyTheirOperation()
    {
        auto remote = memoryOnly();
        remote->injectFault(Operation::WriteData, 1);
        QVERIFY(call(*remote, Operation::ReadData));
        QVERIFY(call(*remote, Operation::LinkState));
        QVERIFY(!call(*remote, Operation::WriteData));
        QVERIFY(call(*remote, Operation::WriteData));
    }

    void captureIsDeliveredOnce()
    {
        auto remote = memoryOnly();
        std::string hex;
        QVERIFY(!remote->press(shortCode));  // not in capture mode
        QVERIFY(!remote->collectCodeInfo(hex));
        QVERIFY(remote->setCodeCarrierWave());
        QVERIFY(remote->captureArmed());
        QVERIFY(!remote->collectCodeInfo(hex));
        QVERIFY(!remote->press(InfraredSignal{38000, {}}));
        QVERIFY(remote->captureArmed());
        QVERIFY(remote->press(shortCode));
        QVERIFY(!remote->captureArmed());
        QVERIFY(!remote->press(shortCode));  // the receiver holds its code
        QVERIFY(remote->collectCodeInfo(hex));
        QVERIFY(QString::fromStdString(hex).startsWith("EA26"));  // 9000 us mark
        QVERIFY(!remote->collectCodeInfo(hex));
        QVERIFY(hex.empty());
        // Arming again forgets a capture nobody collected.
        QVERIFY(remote->setCodeCarrierWave());
        QVERIFY(remote->press(shortCode));
        QVERIFY(remote->setCodeCarrierWave());
        QVERIFY(!remote->collectCodeInfo(hex));
    }

    void linkDropsDuringCapture()
    {
        auto remote = memoryOnly();
        std::string hex;
        remote->detachDuringCapture();
        QVERIFY(!remote->collectCodeInfo(hex));  // not armed: the link stays
        QVERIFY(remote->attached());
        QVERIFY(remote->setCodeCarrierWave());
        QVERIFY(remote->press(shortCode));
        QVERIFY(!remote->collectCodeInfo(hex));
        QVERIFY(!remote->attached());
        QVERIFY(!remote->linkState());
        remote->attach();
        QVERIFY(remote->setCodeCarrierWave());
        QVERIFY(remote->press(shortCode));
        QVERIFY(remote->collectCodeInfo(hex));
    }

    void codeTypeData()
    {
        auto remote = memoryOnly();
        QVERIFY(remote->writeCodeTypeData(""));
        QVERIFY(remote->writeCodeTypeData("5a0102"));
        QVERIFY(!remote->writeCodeTypeData("5A0"));
        QVERIFY(!remote->writeCodeTypeData("5X"));
    }

    void transfersOverlap()
    {
        // Three callers of a slow link: each waits its transfer, none waits for
        // another's (serialised they would take 3 x 300 ms).
        auto remote = memoryOnly();
        remote->setTransferTime(std::chrono::milliseconds(300));
        QElapsedTimer timer;
        timer.start();
        std::vector<std::thread> callers;
        for (int i = 0; i < 3; ++i) {
            callers.emplace_back([&remote] { remote->linkState(); });
        }
        for (auto &caller : callers) {
            caller.join();
        }
        QVERIFY2(timer.elapsed() >= 300, "the transfer time was not spent");
        QVERIFY2(timer.elapsed() < 750, qPrintable(QString("took %1 ms").arg(timer.elapsed())));
    }

    void concurrentCallersSeeConsistentMemory()
    {
        // A writer fills a 16-byte block with one value at a time; a reader
        // must never see a mix of two writes; a link poller always sees the link.
        auto remote = memoryOnly();
        std::atomic<bool> done{false};
        std::atomic<int> torn{0};
        std::atomic<int> linkLost{0};
        std::atomic<int> reads{0};
        std::thread writer([&] {
            // Start only once the reader runs, so the two really overlap.
            while (reads.load() == 0) {
                std::this_thread::yield();
            }
            for (int value = 1; value <= 2000; ++value) {
                write(*remote, 0x5000, QString::asprintf("%02X", value & 0xFF).repeated(16).toStdString());
            }
            done = true;
        });
        std::thread reader([&] {
            while (!done) {
                const QString block = read(*remote, 0x5000, 2);
                if (block != block.left(2).repeated(16)) {
                    ++torn;
                }
                ++reads;
            }
        });
        std::thread poller([&] {
            while (!done) {
                if (!remote->linkState()) {
                    ++linkLost;
                }
            }
        });
        writer.join();
        reader.join();
        poller.join();
        QCOMPARE(torn.load(), 0);
        QCOMPARE(linkLost.load(), 0);
        QVERIFY(reads.load() > 0);
        QCOMPARE(read(*remote, 0x5000, 2), QString("D0").repeated(16));
    }
};

// The device-library conventions of the in-process device: buffer sizes and terminators.
class VirtualRemoteDeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void readWritesExactlyTheCount()
    {
        auto remote = memoryOnly();
        VirtualRemoteDevice device(*remote);
        std::vector<char> buffer(40, 'x');
        QVERIFY(device.readdatav20(buffer.data(), 2, "B0", "3C", "08"));
        QCOMPARE(QByteArray(buffer.data(), 32), QByteArray("00100000000000800A00000000000000"));
        QCOMPARE(QByteArray(buffer.data() + 32, 8), QByteArray(8, 'x'));
        QVERIFY(!device.readdatav20(buffer.data(), 2, "B0", "3C", "0A"));
        QVERIFY(!device.readdatav20(buffer.data(), 2, nullptr, "3C", "08"));
    }

    void textsAreTerminated()
    {
        auto remote = memoryOnly();
        VirtualRemoteDevice device(*remote);
        std::vector<char> version(250, 'x');
        QVERIFY(device.ReadVersion(version.data()));
        QCOMPARE(QByteArray(version.data()), QByteArray("1020 QLR-815 USB V1.03"));
        std::vector<char> info(1024, 'x');
        QVERIFY(device.RBasicInfo(info.data()));
        QCOMPARE(std::strlen(info.data()), std::size_t{96});
        QVERIFY(device.writedatav20("0A", "50", "00", "C0FFEE"));
        QCOMPARE(read(*remote, 0x5000, 1).left(6), QString("C0FFEE"));
        QVERIFY(!device.writedatav20("0A", "50", "00", nullptr));
        QVERIFY(!device.WCodeTypeData(nullptr));
    }

    void fullCaptureFillsTheBufferAndNoMore()
    {
        auto remote = memoryOnly();
        VirtualRemoteDevice device(*remote);
        // 2536 one-word durations and a two-word long mark fill the buffer
        // but for the closing twenty-two words.
        InfraredSignal longCode{38000, std::vector<double>(2536, 560.0)};
        longCode.durations.insert(longCode.durations.end(), {15000, 560, 560});
        QVERIFY(device.SetCodeCarrierWave());
        QVERIFY(remote->press(longCode));
        std::vector<char> buffer(10241, 'x');
        QVERIFY(device.RCollectCodeInfo(buffer.data()));
        const QByteArray text(buffer.data(), 10240);
        QCOMPARE(text.indexOf('\0'), -1);
        QVERIFY(text.endsWith(QByteArray("7FFF").repeated(20) + "4F4F4E00"));
        QCOMPARE(buffer[10240], 'x');
        QVERIFY(!device.RCollectCodeInfo(buffer.data()));
    }

    void failedCallsLeaveTheBuffer()
    {
        auto remote = memoryOnly();
        VirtualRemoteDevice device(*remote);
        remote->detach();
        std::vector<char> buffer(1024, 'x');
        QVERIFY(!device.link_state());
        QVERIFY(!device.ReadVersion(buffer.data()));
        QVERIFY(!device.RBasicInfo(buffer.data()));
        QVERIFY(!device.readdatav20(buffer.data(), 1, "B0", "00", "08"));
        QCOMPARE(QByteArray(buffer.data(), 1024), QByteArray(1024, 'x'));
    }
};

int main(int argc, char **argv)
{
    VirtualRemoteTest remote;
    VirtualRemoteDeviceTest device;
    return QTest::qExec(&remote, argc, argv) | QTest::qExec(&device, argc, argv);
}

#include "VirtualRemoteTest.moc"
