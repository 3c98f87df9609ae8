#include <QtTest>

#include <random>

#include "FactoryImage.h"
#include "RemoteRequest.h"
#include "RemoteService.h"
#include "VirtualRemote.h"

using Op = RemoteRequest::Op;
Q_DECLARE_METATYPE(Op)

namespace
{
std::unique_ptr<VirtualRemote> memoryOnly()
{
    std::string error;
    return VirtualRemote::open({std::string(), std::chrono::microseconds(0)}, &error);
}

QString hexOf(const std::vector<std::uint8_t> &bytes)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size())).toHex().toUpper());
}
}  // namespace

class RemoteRequestTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VirtualRemote> m_remote;
    std::unique_ptr<RemoteService> m_service;

    QString ask(const QString &line) { return QString::fromStdString(m_service->handle(line.toStdString())); }

private slots:
    void init()
    {
        m_remote = memoryOnly();
        QVERIFY(m_remote);
        m_service = std::make_unique<RemoteService>(*m_remote, "/images/remote one.img");
    }

    void parsesArguments_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Op>("op");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("address");
        QTest::newRow("link_state") << "link_state" << Op::LinkState << "" << 0 << 0;
        QTest::newRow("read") << "readdatav20 6 B0 00 08" << Op::ReadData << "B0|00|08" << 6 << 0;
        QTest::newRow("read all") << "readdatav20 8192 00 00 08" << Op::ReadData << "00|00|08" << 8192 << 0;
        QTest::newRow("write") << "writedatav20 0A 50 00 a1B2" << Op::WriteData << "0A|50|00|a1B2" << 0 << 0;
        QTest::newRow("write nothing") << "writedatav20 0A 50 00 " << Op::WriteData << "0A|50|00|" << 0 << 0;
        QTest::newRow("code type") << "WCodeTypeData 5A01" << Op::WriteCodeTypeData << "5A01" << 0 << 0;
        QTest::newRow("dump") << "dump b000 48" << Op::Dump << "" << 48 << 0xB000;
        QTest::newRow("dump to the end") << "dump FFF0 16" << Op::Dump << "" << 16 << 0xFFF0;
        QTest::newRow("fault") << "fault WRITEDATAV20 3" << Op::Fault << "" << 3 << 0;
    }

    void parsesArguments()
    {
        QFETCH(QString, line);
        QFETCH(Op, op);
        QFETCH(QString, texts);
        QFETCH(int, count);
        QFETCH(int, address);
        std::string error;
        const auto request = RemoteRequest::parse(line.toStdString(), &error);
        QVERIFY2(request, error.c_str());
        QCOMPARE(request->op, op);
        QStringList given;
        for (const auto &text : request->texts)
            given << QString::fromStdString(text);
        QCOMPARE(given.join('|'), texts);
        QCOMPARE(request->count, count);
        QCOMPARE(int(request->address), address);
    }

    void parsesControlArguments()
    {
        std::string error;
        auto request = RemoteRequest::parse("fault rcollectcodeinfo 0", &error);
        QVERIFY(request && request->fault == VirtualRemote::Operation::CollectCodeInfo);
        QVERIFY(!request->detachDuringCapture);
        request = RemoteRequest::parse("fault Detach-During-Capture", &error);
        QVERIFY(request && request->detachDuringCapture);
        request = RemoteRequest::parse("identity other", &error);
        QVERIFY(request && request->identity == VirtualRemote::Identity::Other);
        request = RemoteRequest::parse("press carrier=36000 9000 4500.5 560", &error);
        QVERIFY(request);
        QCOMPARE(request->signal.carrierHz, 36000);
        QCOMPARE(request->signal.durations, std::vector<double>({9000, 4500.5, 560}));
    }

    void refusesBadRequests_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << "";
        QTest::newRow("unknown") << "format";
        QTest::newRow("wrong case") << "LINK_STATE";
        QTest::newRow("leading space") << " link_state";
        QTest::newRow("trailing space") << "status ";
        QTest::newRow("extra argument") << "link_state 1";
        QTest::newRow("missing argument") << "readdatav20 6 B0 00";
        QTest::newRow("double space") << "readdatav20 6 B0  00 08";
        QTest::newRow("count 0") << "readdatav20 0 B0 00 08";
        QTest::newRow("count too large") << "readdatav20 8193 00 00 08";
        QTest::newRow("count negative") << "readdatav20 -1 B0 00 08";
        QTest::newRow("count not decimal") << "readdatav20 0x6 B0 00 08";
        QTest::newRow("count huge") << "readdatav20 99999999999999999999 B0 00 08";
        QTest::newRow("address odd length") << "readdatav20 6 B 00 08";
        QTest::newRow("address malformed hex") << "readdatav20 6 G0 00 08";
        QTest::newRow("selector long") << "readdatav20 6 B0 00 008";
        QTest::newRow("data odd length") << "writedatav20 0A 50 00 ABC";
        QTest::newRow("data malformed hex") << "writedatav20 0A 50 00 XY";
        QTest::newRow("code type malformed") << "WCodeTypeData 5A0Z";
        QTest::newRow("identity unknown") << "identity third";
        QTest::newRow("identity missing") << "identity";
        QTest::newRow("dump address too long") << "dump 10000 1";
        QTest::newRow("dump address signed") << "dump -1 1";
        QTest::newRow("dump past the end") << "dump FFFF 2";
        QTest::newRow("dump nothing") << "dump B000 0";
        QTest::newRow("fault unknown") << "fault format 1";
        QTest::newRow("fault without count") << "fault writedatav20";
        QTest::newRow("fault negative") << "fault writedatav20 -1";
        QTest::newRow("fault too many") << "fault writedatav20 1000001";
        QTest::newRow("fault detach with count") << "fault detach-during-capture 1";
        QTest::newRow("fault three arguments") << "fault writedatav20 1 2";
        QTest::newRow("press nothing") << "press";
        QTest::newRow("press carrier only") << "press carrier=38000";
        QTest::newRow("press negative") << "press 100 -5";
        QTest::newRow("press not a number") << "press 100 five";
        QTest::newRow("tab") << "status\t";
        QTest::newRow("carriage return") << "link_state\r";
        QTest::newRow("zero byte") << QString::fromLatin1("link_state\0", 11);
        QTest::newRow("8-bit") << QString::fromLatin1("status \xE9");
    }

    void refusesBadRequests()
    {
        QFETCH(QString, line);
        const std::string before = m_service->handle("dump 0 65535");
        const QString reply = ask(line);
        QVERIFY2(reply.startsWith("ERR ") && reply.size() > 4, qPrintable(reply));
        QCOMPARE(m_service->handle("dump 0 65535"), before);
    }

    void refusesOversizedLineWithoutReadingIt()
    {
        std::string line = "writedatav20 0A 50 00 ";
        line.resize(RemoteRequest::maxLineLength, 'A');
        QVERIFY(QString::fromStdString(m_service->handle(line)).startsWith("FAIL"));
        line += "AA";
        QCOMPARE(QString::fromStdString(m_service->handle(line)), QString("ERR request too long"));
    }

    void readsAsTheRemoteDoes()
    {
        std::string hex;
        QVERIFY(m_remote->readData(6, "B0", "00", "08", hex));
        QCOMPARE(ask("readdatav20 6 B0 00 08"), "OK " + QString::fromStdString(hex));
        QVERIFY(m_remote->basicInfo(hex));
        QCOMPARE(ask("RBasicInfo"), "OK " + QString::fromStdString(hex));
        QCOMPARE(ask("ReadVersion"),
                 "OK " + QString::fromLatin1(FactoryImage::versionText.data(), FactoryImage::versionText.size()));
        QCOMPARE(ask("readdatav20 6 B0 00 0A"), QString("FAIL"));
        QCOMPARE(ask("readdatav20 8192 00 08 08"), QString("FAIL"));
    }

    void writesAsTheRemoteDoes()
    {
        QCOMPARE(ask("writedatav20 0A 50 02 A1B2C3"), QString("OK"));
        QCOMPARE(hexOf(m_remote->dump(0x5000, 6)), QString("0000A1B2C300"));
        QCOMPARE(ask("writedatav20 08 50 02 FFFF"), QString("FAIL"));
        QCOMPARE(ask("dump 5000 6"), QString("OK 0000A1B2C300"));
        QCOMPARE(ask("WCodeTypeData 5A01"), QString("OK"));
    }

    void linkAndControls()
    {
        QCOMPARE(ask("status"), QString("OK attached=yes identity=original capture=idle image=/images/remote one.img"));
        QCOMPARE(ask("link_state"), QString("OK"));
        QCOMPARE(ask("detach"), QString("OK"));
        QCOMPARE(ask("link_state"), QString("FAIL"));
        QCOMPARE(ask("RBasicInfo"), QString("FAIL"));
        QVERIFY(ask("status").startsWith("OK attached=no "));
        QCOMPARE(ask("attach"), QString("OK"));
        QCOMPARE(ask("identity other"), QString("OK"));
        QCOMPARE(m_remote->identity(), VirtualRemote::Identity::Other);
        QVERIFY(ask("status").startsWith("OK attached=yes identity=other "));
        QCOMPARE(ask("writedatav20 0A 50 00 77"), QString("OK"));
        QCOMPARE(ask("reset"), QString("OK"));
        QCOMPARE(hexOf(m_remote->dump(0x5000, 1)), QString("00"));
    }

    void pressNeedsArmedReceiver()
    {
        const QString press = "press carrier=38000 9000 4500 560 1690 560";
        QCOMPARE(ask(press), QString("FAIL"));
        QCOMPARE(ask("RCollectCodeInfo"), QString("FAIL"));
        QCOMPARE(ask("SetCodeCarrierWave"), QString("OK"));
        QVERIFY(ask("status").contains(" capture=armed "));
        QCOMPARE(ask(press), QString("OK"));
        QCOMPARE(ask(press), QString("FAIL"));

        auto direct = memoryOnly();
        QVERIFY(direct->setCodeCarrierWave());
        QVERIFY(direct->press({38000, {9000, 4500, 560, 1690, 560}}));
        std::string capture;
        QVERIFY(direct->collectCodeInfo(capture));
        QCOMPARE(ask("RCollectCodeInfo"), "OK " + QString::fromStdString(capture));
        QCOMPARE(ask("RCollectCodeInfo"), QString("FAIL"));
    }

    void faultsFailTheNextCalls()
    {
        QCOMPARE(ask("fault WriteDataV20 2"), QString("OK"));
        QCOMPARE(ask("writedatav20 0A 50 00 11"), QString("FAIL"));
        QCOMPARE(ask("writedatav20 0A 50 00 22"), QString("FAIL"));
        QCOMPARE(hexOf(m_remote->dump(0x5000, 1)), QString("00"));
        QCOMPARE(ask("writedatav20 0A 50 00 33"), QString("OK"));
        QCOMPARE(ask("fault link_state 1"), QString("OK"));
        QCOMPARE(ask("link_state"), QString("FAIL"));
        QCOMPARE(ask("link_state"), QString("OK"));

        QCOMPARE(ask("SetCodeCarrierWave"), QString("OK"));
        QCOMPARE(ask("fault detach-during-capture"), QString("OK"));
        QCOMPARE(ask("RCollectCodeInfo"), QString("FAIL"));
        QCOMPARE(ask("link_state"), QString("FAIL"));
    }

    // Mangled requests, as a fuzzer would send them: every reply is one of
    // the three forms and fits on one line.
    void survivesMangledRequests()
    {
        const QStringList seeds = {"readdatav20 6 B0 00 08", "writedatav20 0A 50 00 A1B2",
                                   "dump B000 48",           "press carrier=38000 9000 4500 560",
                                   "fault readdatav20 1",    "identity other",
                                   "WCodeTypeData 5A01"};
        std::mt19937 random(815);
        for (int round = 0; round < 3000; ++round) {
            std::string line = seeds[int(random() % seeds.size())].toStdString();
            for (int change = int(random() % 4); change >= 0; --change) {
                const std::size_t at = line.empty() ? 0 : random() % line.size();
                switch (random() % 3) {
                case 0:
                    line.insert(at, 1, static_cast<char>(random() % 256));
                    break;
                case 1:
                    line.erase(at, 1);
                    break;
                default:
                    line.resize(at);
                }
            }
            const QString reply = QString::fromStdString(m_service->handle(line));
            QVERIFY2(reply == "OK" || reply.startsWith("OK ") || reply == "FAIL" || reply.startsWith("ERR "),
                     line.c_str());
            QVERIFY(!reply.contains('\n'));
            m_remote->attach();
        }
    }
};

QTEST_APPLESS_MAIN(RemoteRequestTest)
#include "RemoteRequestTest.moc"
