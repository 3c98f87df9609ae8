#include <QtTest>

#include "CodeConverter.h"
#include "ConverterInput.h"
#include "CraftedImage.h"
#include "FactoryImage.h"
#include "LearnedRemote.h"
#include "RemoteClient.h"
#include "RemoteTransmitter.h"
#include "ServerProcess.h"
#include "TestSignals.h"

namespace
{
struct LearnedKey
{
    const char *mode;
    int modeNumber;
    const char *keycode;
    InfraredSignal signal;
};

const LearnedKey learnedKeys[] = {
    {"AMP", 6, "45", TestSignals::pulseDistance({}, TestSignals::bitsOf(0x123456789ABCull, 48))},
    {"TV", 0, "23", TestSignals::nec(0x04, 0xFB, 0x08, TestSignals::NecRepeat::Ditto, 2)},
    {"VCR", 4, "50", TestSignals::rc5(5, 0x35, 1, 1)},
};

bool isOneErrorLine(const ServerProcess::Run &run, int exitCode)
{
    return run.exitCode == exitCode && run.out.isEmpty() && run.err.startsWith("qlr-remote: ") && run.err.endsWith('\n')
           && run.err.count('\n') == 1;
}

QByteArray bytesOf(const std::vector<std::uint8_t> &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), static_cast<qsizetype>(image.size()));
}
}  // namespace

// `qlr-remote send` against a served remote that learned keys by the tool's road.
class SendCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printsTheKeysSignal_data();
    void printsTheKeysSignal();
    void pressedBackItIsLearnedAgain_data();
    void pressedBackItIsLearnedAgain();
    void nothingToSend_data();
    void nothingToSend();
    void badArguments_data();
    void badArguments();

private:
    QTemporaryDir m_dir;
    std::vector<std::uint8_t> m_image;
    std::unique_ptr<ServerProcess> m_server;
};

void SendCommandTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    LearnedRemote remote;
    for (const LearnedKey &key : learnedKeys)
        QCOMPARE(remote.learn(key.signal, key.modeNumber, key.keycode).outcome, CapturedCodeStore::Outcome::Stored);
    // CBL 45 refers to a slot that nothing fills; AUX 10 holds a downloaded code
    // of a format the remote knows and no protocol here sends.
    QVERIFY(remote.remote().poke(static_cast<std::uint16_t>(remote.recordAddress(1, "45")),
                                 {0xC0, 0x00, 0x80, 0x05, 0xFF, 0xFF}));
    QVERIFY(remote.remote().poke(static_cast<std::uint16_t>(remote.recordAddress(7, "10")),
                                 {0x80, 0x00, 0x00, 0x21, 0x00, 0x00}));
    m_image = remote.image();
    const QString imagePath = ServerProcess::writeFile(m_dir.filePath("r.img"), bytesOf(m_image));
    m_server = std::make_unique<ServerProcess>(m_dir.filePath("s/socket"), imagePath);
    QVERIFY(m_server->start());
}

void SendCommandTest::printsTheKeysSignal_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("keycode");
    for (const LearnedKey &key : learnedKeys)
        QTest::newRow(QByteArray(key.mode) + " " + key.keycode)
            << QStringList{key.mode, key.keycode} << key.modeNumber << key.keycode;
    QTest::newRow("mode in lower case") << QStringList{"amp", "45"} << 6 << "45";
    QTest::newRow("mode by number") << QStringList{"6", "45"} << 6 << "45";
    QTest::newRow("downloaded power key") << QStringList{"TV", "10"} << 0 << "10";
    QTest::newRow("downloaded DVD key") << QStringList{"dvd", "53"} << 3 << "53";
}

void SendCommandTest::printsTheKeysSignal()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, mode);
    QFETCH(QString, keycode);
    const auto run = m_server->command(QStringList{"send"} + arguments);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QCOMPARE(run.exitCode, 0);
    const auto sent = RemoteTransmitter::send(m_image, mode, keycode.toStdString());
    QVERIFY(sent.sent());
    QCOMPARE(run.out, QByteArray::fromStdString(RemoteTransmitter::signalText(sent.signal)));
}

void SendCommandTest::pressedBackItIsLearnedAgain_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("keycode");
    QTest::addColumn<QString>("code");  // what the converter makes of the original signal
    for (const LearnedKey &key : learnedKeys) {
        const std::string code =
            CodeConverter::convert(ConverterInput::of(key.signal), ConverterInput::carrierOf(key.signal));
        QTest::newRow(QByteArray(key.mode) + " " + key.keycode)
            << key.mode << key.keycode << QString::fromStdString(code);
    }
    // The factory's record: its format id and parts as the converter lays them out, part B's first
    // byte now with the carrier heard, NEC's 38.4 kHz as the receiver reads it: 38 kHz above T.
    const auto power = FactoryImage::downloadedRecord(0, 0x10);
    const QString parts = QString::fromStdString(CraftedImage::hex({power.begin() + 6, power.end()}));
    const QString heard = QString("%1").arg(power[14] | 38 << 1, 2, 16, QChar('0')).toUpper();
    QTest::newRow("TV 10") << "TV"
                           << "10"
                           << "010000::" + parts.left(16) + ":" + heard + parts.mid(18) + ":::";
}

void SendCommandTest::pressedBackItIsLearnedAgain()
{
    QFETCH(QString, mode);
    QFETCH(QString, keycode);
    QFETCH(QString, code);
    QVERIFY(!code.isEmpty());
    const auto sent = m_server->command({"send", mode, keycode});
    QCOMPARE(sent.exitCode, 0);

    const std::string socket = m_server->socketPath().toStdString();
    QCOMPARE(RemoteClient::call(socket, "SetCodeCarrierWave").status, RemoteClient::Status::Ok);
    const auto pressed = m_server->command({"press", "-"}, sent.out);
    QVERIFY2(pressed.exitCode == 0, pressed.err.constData());
    const auto capture = RemoteClient::call(socket, "RCollectCodeInfo");
    QCOMPARE(capture.status, RemoteClient::Status::Ok);
    QCOMPARE(QString::fromStdString(LearnedRemote::convertCapture(capture.data)), code);
}

void SendCommandTest::nothingToSend_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no code") << QStringList{"CBL", "10"} << "mode CBL key 10 holds no code";
    QTest::newRow("slot free") << QStringList{"CBL", "45"} << "mode CBL key 45 refers to slot 5, which is free";
    QTest::newRow("key not listed") << QStringList{"TV", "11"} << "key 11 is not in the remote's key-code list";
    QTest::newRow("format without protocol") << QStringList{"AUX", "10"} << "format 210000";
}

void SendCommandTest::nothingToSend()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    const auto run = m_server->command(QStringList{"send"} + arguments);
    QVERIFY2(isOneErrorLine(run, 1), run.err.constData());
    QVERIFY2(run.err.contains(reason.toUtf8()), run.err.constData());
}

void SendCommandTest::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("server");  // against the running server, else against none
    QTest::newRow("no arguments") << QStringList{"send"} << "send takes a device mode and a key code" << true;
    QTest::newRow("no key code") << QStringList{"send", "TV"} << "send takes" << true;
    QTest::newRow("an extra argument") << QStringList{"send", "TV", "10", "now"} << "send takes" << true;
    QTest::newRow("unknown mode") << QStringList{"send", "TVX", "10"} << "no device mode TVX" << true;
    QTest::newRow("mode past the last") << QStringList{"send", "8", "10"} << "no device mode 8" << true;
    QTest::newRow("key code of one digit") << QStringList{"send", "TV", "1"} << "no key code 1" << true;
    QTest::newRow("key code digit 8") << QStringList{"send", "TV", "18"} << "no key code 18" << true;
    QTest::newRow("key code in hex") << QStringList{"send", "TV", "1A"} << "no key code 1A" << true;
    QTest::newRow("no server") << QStringList{"send", "TV", "10"} << "no server" << false;
}

void SendCommandTest::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    QFETCH(bool, server);
    const QStringList noServer{"--socket", m_dir.filePath("none/socket")};
    const auto run = server ? m_server->command(arguments) : ServerProcess::run(noServer + arguments);
    QVERIFY2(isOneErrorLine(run, 2), run.err.constData());
    QVERIFY2(run.err.contains(problem.toUtf8()), run.err.constData());
}

QTEST_GUILESS_MAIN(SendCommandTest)
#include "SendCommandTest.moc"
