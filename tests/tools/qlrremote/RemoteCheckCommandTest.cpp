#include <QTemporaryDir>
#include <QTest>

#include "CraftedImage.h"
#include "ServerProcess.h"

Q_DECLARE_METATYPE(CraftedImage)

// `qlr-remote check` against a served remote holding a crafted image.
class RemoteCheckCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void checksTheServedMemory_data();
    void checksTheServedMemory();
    void errors_data();
    void errors();

private:
    QTemporaryDir m_dir;
};

void RemoteCheckCommandTest::checksTheServedMemory_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("lines");  // fragments, one per output line in order

    QTest::newRow("factory image") << CraftedImage() << 0 << QStringList();
    QTest::newRow("a cleared mode leaks")
        << CraftedImage().clearedKey(CraftedImage::keyIndex(4, 0), 3).slot(3, 0x998877, 10, 2) << 0
        << QStringList{"leak: slot 3"};
    QTest::newRow("overlap and dangling key")
        << CraftedImage()
               .learnedKey(1, 1)
               .slot(1, 0x111111, 20, 4)
               .learnedKey(2, 2)
               .slot(2, 0x222222, 22, 4)
               .learnedKey(3, 9)
        << 1 << QStringList{"corrupt: mode TV key 14 (record 3) refers to slot 9", "corrupt: slots 1 and 2"};
    // Blocks the tool only reads: their tables may look consistent, the remote is not.
    const QString basic = "corrupt: the basic block (B00F, 33 bytes) differs from the remote's own at ";
    const QString configuration = "corrupt: the configuration block (B03C, 16 bytes) differs from the remote's own at ";
    QTest::newRow("all zero") << CraftedImage().put(0, std::vector<std::uint8_t>(65536, 0)) << 1
                              << QStringList{"corrupt: the identity (B000, 15 bytes) is not printable text",
                                             basic + "B00F", configuration + "B03D"};
    QTest::newRow("another remote's identity")
        << CraftedImage().put(0xB000, {'Q', 'L', 'R', '8', '1', '5', '-', '0', '0', 'D', '4', 'E', '5', 'F', '6'}) << 0
        << QStringList();
    QTest::newRow("another model") << CraftedImage().put(0xB023, {0x18, 0x06}) << 1 << QStringList{basic + "B024"};
    QTest::newRow("another write selector")
        << CraftedImage().put(0xB044, {0x0B}) << 1 << QStringList{configuration + "B044"};
}

void RemoteCheckCommandTest::checksTheServedMemory()
{
    QFETCH(CraftedImage, image);
    QFETCH(int, status);
    QFETCH(QStringList, lines);
    const QString name = QTest::currentDataTag();
    const QByteArray bytes(reinterpret_cast<const char *>(image.bytes().data()),
                           static_cast<qsizetype>(image.bytes().size()));
    ServerProcess server(m_dir.filePath(name + "/socket"),
                         ServerProcess::writeFile(m_dir.filePath(name + ".img"), bytes));
    QVERIFY(server.start());
    const auto run = server.command({"check"});
    QVERIFY(server.terminate());
    QCOMPARE(run.exitCode, status);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QStringList got = QString::fromUtf8(run.out).split('\n');
    QCOMPARE(got.takeLast(), QString());
    QCOMPARE(got.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(got[i].startsWith(lines[i]), qPrintable(got[i]));
}

void RemoteCheckCommandTest::errors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString none = m_dir.filePath("none/socket");
    QTest::newRow("no server") << QStringList{"--socket", none, "check"} << "";
    QTest::newRow("an argument") << QStringList{"--socket", none, "check", "now"} << "check takes no arguments";
}

void RemoteCheckCommandTest::errors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const auto run = ServerProcess::run(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
}

QTEST_GUILESS_MAIN(RemoteCheckCommandTest)
#include "RemoteCheckCommandTest.moc"
