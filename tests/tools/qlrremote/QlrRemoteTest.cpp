#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "FactoryImage.h"
#include "ServerProcess.h"

namespace
{
constexpr uid_t nobody = 65534;

const QByteArray tvRemote =
    "Filetype: IR signals file\nVersion: 1\n#\n"
    "name: Power\ntype: parsed\nprotocol: NECext\naddress: 00 DF 00 00\ncommand: 1C E3 00 00\n#\n"
    "name: Mute\ntype: raw\nfrequency: 38000\nduty_cycle: 0.33\ndata: 9000 4500 560\n";

int modeOf(const QString &path)
{
    struct stat info;
    return lstat(path.toLocal8Bit().constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

bool isOneErrorLine(const ServerProcess::Run &run)
{
    return run.exitCode == 2 && run.out.isEmpty() && run.err.startsWith("qlr-remote: ") && run.err.endsWith('\n')
           && run.err.count('\n') == 1;
}
}  // namespace

class QlrRemoteTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerProcess> m_server;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_server = std::make_unique<ServerProcess>(m_dir.filePath("main/socket"), m_dir.filePath("main.img"));
        QVERIFY(m_server->start());
    }

    void errorsAreOneLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        const QString malformed = ServerProcess::writeFile(m_dir.filePath("bad.txt"), "9000 4500 abc\n");
        QTest::newRow("no command") << QStringList() << "no command";
        QTest::newRow("unknown command") << QStringList{"format"} << "unknown command";
        QTest::newRow("device operation") << QStringList{"link_state"} << "unknown command";
        QTest::newRow("unknown option") << QStringList{"--verbose", "status"} << "unknown option";
        QTest::newRow("extra argument") << QStringList{"status", "now"} << "status";
        QTest::newRow("identity missing") << QStringList{"identity"} << "identity";
        QTest::newRow("identity unknown") << QStringList{"identity", "third"} << "original or other";
        QTest::newRow("dump malformed hex") << QStringList{"dump", "XYZ", "16"} << "address";
        QTest::newRow("dump no count") << QStringList{"dump", "B000"} << "dump";
        QTest::newRow("dump count 0") << QStringList{"dump", "B000", "0"} << "count";
        QTest::newRow("dump count hex") << QStringList{"dump", "B000", "1A"} << "count";
        QTest::newRow("dump past the end") << QStringList{"dump", "FFFF", "2"} << "end of memory";
        QTest::newRow("fault unknown") << QStringList{"fault", "format", "1"} << "no such operation";
        QTest::newRow("fault no count") << QStringList{"fault", "writedatav20"} << "count";
        QTest::newRow("fault negative count") << QStringList{"fault", "writedatav20", "-1"} << "0 to";
        QTest::newRow("fault detach twice") << QStringList{"fault", "detach-during-capture", "2"} << "once";
        const QString tv = ServerProcess::writeFile(m_dir.filePath("tv.ir"), tvRemote);
        QTest::newRow("press no file") << QStringList{"press"} << "signal file";
        QTest::newRow("press unknown protocol")
            << QStringList{"press", "--protocol", "NEC", "--fields", "D=1,F=1"} << "unknown protocol 'NEC'";
        QTest::newRow("press field out of range") << QStringList{"press", "--protocol=RC5", "--fields=D=32,F=1"}
                                                  << "field D=32 out of range for RC5 (0 to 31)";
        QTest::newRow("press no such button")
            << QStringList{"press", tv, "--button", "Eject"} << "has no button 'Eject'";
        QTest::newRow("press bad pronto")
            << QStringList{"press", "--pronto", "0000 006D 0002 0000 0156 00AB"} << "announces 4";
        QTest::newRow("press option elsewhere") << QStringList{"--button", "Power", "status"} << "belongs to press";
        QTest::newRow("press option without value") << QStringList{"press", tv, "--button"} << "--button needs a value";
        QTest::newRow("press two files") << QStringList{"press", malformed, malformed} << "signal file";
        QTest::newRow("press unreadable") << QStringList{"press", m_dir.filePath("none.txt")} << "cannot read";
        QTest::newRow("press directory") << QStringList{"press", m_dir.path()} << "cannot read";
        QTest::newRow("press malformed") << QStringList{"press", malformed} << "'abc'";
        QTest::newRow("image without serve") << QStringList{"--image", "x.img", "status"} << "serve";
        QTest::newRow("serve with argument") << QStringList{"serve", "now"} << "serve";
        QTest::newRow("newline in argument") << QStringList{"identity", "other\nreset"} << "printable";
    }

    void errorsAreOneLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const auto run = m_server->command(arguments);
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY2(run.err.contains(problem.toUtf8()), run.err.constData());
    }

    void errorsWithoutAServer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        const QString none = m_dir.filePath("none/socket");
        QTest::newRow("no server") << QStringList{"--socket", none, "status"} << "no server";
        QTest::newRow("socket without value") << QStringList{"status", "--socket"} << "needs a value";
        QTest::newRow("socket path too long")
            << QStringList{"--socket=/" + QString(200, 'x'), "attach"} << "socket path";
        QTest::newRow("arguments first") << QStringList{"--socket", none, "dump", "B000", "0"} << "count";
    }

    void errorsWithoutAServer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const auto run = ServerProcess::run(arguments);
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY2(run.err.contains(problem.toUtf8()), run.err.constData());
    }

    void helpPrintsUsage()
    {
        const auto run = ServerProcess::run({"--help"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("Usage: qlr-remote serve"));
        QVERIFY(run.out.contains("fault OP N"));
        QCOMPARE(ServerProcess::run({"help"}).out, run.out);
    }

    void helpOfEveryCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("serve") << "serve" << QStringList{"--socket PATH", "--image PATH", "SIGTERM"};
        QTest::newRow("status") << "status" << QStringList{"capture armed"};
        QTest::newRow("attach") << "attach" << QStringList{"USB"};
        QTest::newRow("detach") << "detach" << QStringList{"USB"};
        QTest::newRow("identity") << "identity" << QStringList{"other|original"};
        QTest::newRow("press") << "press"
                               << QStringList{"FILE",
                                              "--button NAME",
                                              "--pronto CODE",
                                              "--protocol NAME",
                                              "--fields",
                                              "NEC1        D=0..255 S=0..255 (255-D) F=0..255",
                                              "not waiting for a code"};
        QTest::newRow("dump") << "dump" << QStringList{"ADDR COUNT"};
        QTest::newRow("reset") << "reset" << QStringList{"factory image"};
        QTest::newRow("check") << "check" << QStringList{"1 corrupt"};
        QTest::newRow("send") << "send" << QStringList{"MODE KEYCODE", "TV CBL SAT DVD VCR CD AMP AUX"};
        QTest::newRow("roundtrip") << "roundtrip" << QStringList{"[FILE...]", "standard input"};
        QTest::newRow("fault") << "fault" << QStringList{"OP N", "detach-during-capture", "writedatav20"};
        QTest::newRow("original") << "original" << QStringList{"qlr-original", "--socket PATH"};
        QTest::newRow("help") << "help" << QStringList{"[COMMAND]"};
    }

    void helpOfEveryCommand()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, mentions);
        const auto run = ServerProcess::run({command, "--help"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        QVERIFY2(run.out.startsWith("Usage: qlr-remote " + command.toUtf8()), run.out.constData());
        for (const QString &mention : mentions + QStringList{"Exit status: ", "Example:\n  qlr-remote"})
            QVERIFY2(run.out.contains(mention.toUtf8()), qPrintable(mention));
        // Where others may plant files is no place for anything of the remote's.
        QVERIFY(!run.out.mid(run.out.indexOf("Example:")).contains("/tmp"));
        // Every way to ask gives the same page; the overview names the command.
        QCOMPARE(ServerProcess::run({"help", command}).out, run.out);
        QCOMPARE(ServerProcess::run({"--socket", "/nowhere", command, "-h"}).out, run.out);
        QVERIFY(ServerProcess::run({"--help"}).out.contains("\n  " + command.toUtf8() + ' '));
    }

    void helpOfNoCommand()
    {
        const auto run = ServerProcess::run({"help", "format"});
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY(run.err.contains("unknown command format"));
    }

    void pressTakesEveryForm_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        const QString tv = ServerProcess::writeFile(m_dir.filePath("tv.ir"), tvRemote);
        QTest::newRow("protocol and fields")
            << QStringList{"press", "--protocol", "nec1", "--fields", "D=4,F=8"} << QByteArray();
        QTest::newRow("options before the command")
            << QStringList{"--protocol=RC5", "--fields=D=1,F=2", "press"} << QByteArray();
        QTest::newRow("pronto") << QStringList{"press", "--pronto", "0000 006D 0001 0000 0156 00AB"} << QByteArray();
        QTest::newRow("parsed button") << QStringList{"press", tv, "--button", "Power"} << QByteArray();
        QTest::newRow("raw button") << QStringList{"press", "--button", "mute", tv} << QByteArray();
        QTest::newRow("infrared file on standard input") << QStringList{"press", "-", "--button", "Mute"} << tvRemote;
    }

    void pressTakesEveryForm()
    {
        // The remote waits for no code: the signal reaches the server, which
        // says so, after the command line made a valid press of it.
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        const auto run = m_server->command(arguments, input);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("not waiting for a code"), run.err.constData());
    }

    void pressOfAFileOfSeveralButtonsListsThem()
    {
        const QString tv = ServerProcess::writeFile(m_dir.filePath("tv.ir"), tvRemote);
        const auto run = m_server->command({"press", tv});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out,
                 QByteArray("Power  NECext address 0xDF00 command 0xE31C\nMute  raw, 38000 Hz, 3 durations\n"));
        QVERIFY(run.err.contains("holds 2 buttons; nothing was pressed"));
    }

    void originalStartsTheProgramBesideIt()
    {
        // A copy of qlr-remote in a directory of its own, first without
        // qlr-original beside it, then with a stand-in that tells how it was started.
        const QString directory = m_dir.filePath("beside");
        QVERIFY(QDir().mkpath(directory));
        const QString program = directory + "/qlr-remote";
        QVERIFY(QFile::copy(QLR_REMOTE_BINARY, program));
        QProcess process;
        process.start(program, {"original"});
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("cannot start " + directory.toUtf8() + "/qlr-original"));

        const QString told = m_dir.filePath("told.txt");
        ServerProcess::writeFile(directory + "/qlr-original",
                                 "#!/bin/sh\necho \"$* $QLR_REMOTE_SOCKET\" > '" + told.toUtf8() + "'\nexit 3\n");
        QVERIFY(QFile::setPermissions(directory + "/qlr-original", QFile::ReadOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QLR_REMOTE_SOCKET", "/from/environment");
        process.setProcessEnvironment(environment);
        process.start(program, {"original", "--socket", "/given/socket"});
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 3);
        QFile file(told);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("--socket /given/socket /from/environment\n"));
    }

    void statusDescribesTheRemote()
    {
        auto run = m_server->command({"status"});
        QCOMPARE(run.exitCode, 0);
        const QByteArray image = m_dir.filePath("main.img").toUtf8();
        QCOMPARE(run.out, "attached yes\nidentity original\ncapture idle\nimage " + image + "\n");
        QCOMPARE(m_server->command({"detach"}).exitCode, 0);
        QCOMPARE(m_server->command({"identity", "other"}).exitCode, 0);
        run = m_server->command({"status"});
        QVERIFY(run.out.startsWith("attached no\nidentity other\n"));
        QCOMPARE(m_server->command({"attach"}).exitCode, 0);
        QCOMPARE(m_server->command({"identity", "original"}).exitCode, 0);
    }

    void dumpPrintsSixteenBytesALine()
    {
        const auto run = m_server->command({"dump", "0xb000", "40"});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines = run.out.split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[3].isEmpty());
        const auto factory = FactoryImage::build();
        for (int line = 0; line < 3; ++line) {
            QByteArray expected = QByteArray::number(0xB000 + 16 * line, 16).toUpper() + ' ';
            for (int i = 16 * line; i < std::min(40, 16 * line + 16); ++i)
                expected += ' ' + QByteArray::number(factory[0xB000 + i] | 0x100, 16).mid(1).toUpper();
            QCOMPARE(lines[line], expected);
        }
    }

    void resetRestoresTheFactoryImage()
    {
        QCOMPARE(m_server->command({"fault", "readdatav20", "1"}).exitCode, 0);
        QCOMPARE(m_server->command({"reset"}).exitCode, 0);
        const auto run = m_server->command({"dump", "FFF0", "16"});
        QCOMPARE(run.out, QByteArray("FFF0  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"));
    }

    void serveKeepsItsSocketPrivate()
    {
        ServerProcess server(m_dir.filePath("private/deeper/socket"), m_dir.filePath("private.img"));
        QVERIFY(server.start());
        QCOMPARE(modeOf(m_dir.filePath("private")), 0700);
        QCOMPARE(modeOf(m_dir.filePath("private/deeper")), 0700);
        QCOMPARE(modeOf(server.socketPath()), 0600);
        QVERIFY(server.terminate());
        QVERIFY(!QFile::exists(server.socketPath()));
        QVERIFY(QFile::exists(m_dir.filePath("private.img")));
    }

    void serveRefusesWhatItCannotTrust()
    {
        // A second server on a live socket.
        const auto serve = [this](const QString &socket, const QString &image) {
            return ServerProcess::run({"serve", "--socket", socket, "--image", image});
        };
        auto run = serve(m_server->socketPath(), m_dir.filePath("b.img"));
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY(run.err.contains("already running"));
        QCOMPARE(m_server->command({"status"}).exitCode, 0);
        QVERIFY(!QFile::exists(m_dir.filePath("b.img")) && !QFile::exists(m_dir.filePath("b.img.journal")));

        // An image that is no remote's memory.
        const QString image = ServerProcess::writeFile(m_dir.filePath("short.img"), QByteArray(100, '\0'));
        run = serve(m_dir.filePath("short/socket"), image);
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY(!QFile::exists(m_dir.filePath("short/socket")));
        QCOMPARE(QFileInfo(image).size(), 100);

        // A directory others may write to.
        QVERIFY(QDir(m_dir.path()).mkdir("open"));
        QVERIFY(chmod(m_dir.filePath("open").toLocal8Bit().constData(), 0777) == 0);
        run = serve(m_dir.filePath("open/socket"), m_dir.filePath("c.img"));
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY(run.err.contains("writable by other users"));
    }

    void serveRefusesAPlantedDirectory()
    {
        if (geteuid() != 0)
            QSKIP("planting a directory of another user needs root");
        QVERIFY(QDir(m_dir.path()).mkdir("planted"));
        QVERIFY(chown(m_dir.filePath("planted").toLocal8Bit().constData(), nobody, nobody) == 0);
        const auto run = ServerProcess::run(
            {"serve", "--socket", m_dir.filePath("planted/socket"), "--image", m_dir.filePath("d.img")});
        QVERIFY2(isOneErrorLine(run), run.err.constData());
        QVERIFY(run.err.contains("another user"));
    }

    void serveFindsItsDefaultPlaces()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QLR_REMOTE_SOCKET");
        environment.insert("XDG_RUNTIME_DIR", m_dir.filePath("runtime"));
        environment.insert("XDG_DATA_HOME", m_dir.filePath("data"));
        QVERIFY(QDir(m_dir.path()).mkdir("runtime"));
        QProcess server;
        server.setProcessEnvironment(environment);
        server.start(QLR_REMOTE_BINARY, {"serve"});
        QVERIFY(server.waitForReadyRead(5000));
        const QByteArray socket = m_dir.filePath("runtime/qlr-remote/socket").toUtf8();
        const QByteArray image = m_dir.filePath("data/qlr-remote/remote.img").toUtf8();
        QVERIFY(server.readAllStandardOutput().contains(socket));
        QCOMPARE(modeOf(m_dir.filePath("data/qlr-remote")), 0700);
        QCOMPARE(QFileInfo(image).size(), 65536);

        QProcess status;
        status.setProcessEnvironment(environment);
        status.start(QLR_REMOTE_BINARY, {"status"});
        QVERIFY(status.waitForFinished(5000));
        QCOMPARE(status.exitCode(), 0);
        QVERIFY(status.readAllStandardOutput().contains("image " + image));

        server.terminate();
        QVERIFY(server.waitForFinished(5000));
        QCOMPARE(server.exitCode(), 0);
        QVERIFY(!QFile::exists(socket));
    }
};

QTEST_GUILESS_MAIN(QlrRemoteTest)
#include "QlrRemoteTest.moc"
