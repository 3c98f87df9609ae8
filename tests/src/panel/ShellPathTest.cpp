#include <QtTest>

#include "ShellPath.h"

// How a button's path splits into folder and extension.
class ShellPathTest : public QObject
{
    Q_OBJECT

private slots:
    void splits_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("changesFolder");
        QTest::newRow("full path") << "/opt/tools/prog.exe"
                                   << ".exe"
                                   << "/opt/tools/" << true;
        QTest::newRow("bare name") << "prog.exe"
                                   << ".exe"
                                   << "" << true;
        QTest::newRow("backslashes") << "C:\\Tools\\prog.exe"
                                     << ".exe"
                                     << "C:\\Tools\\" << true;
        QTest::newRow("drive only") << "C:prog.exe"
                                    << ".exe"
                                    << "C:" << true;
        QTest::newRow("upper case") << "/opt/PROG.EXE"
                                    << ".EXE"
                                    << "/opt/" << false;
        QTest::newRow("mixed case") << "prog.Exe"
                                    << ".Exe"
                                    << "" << false;
        QTest::newRow("dot in the folder only") << "/opt/v1.exe/readme"
                                                << ""
                                                << "/opt/v1.exe/" << false;
        QTest::newRow("last dot counts") << "setup.exe.txt"
                                         << ".txt"
                                         << "" << false;
        QTest::newRow("trailing dot") << "prog."
                                      << "."
                                      << "" << false;
        QTest::newRow("no extension") << "play"
                                      << ""
                                      << "" << false;
        QTest::newRow("key name with slash") << "POWER/TV"
                                             << ""
                                             << "POWER/" << false;
        QTest::newRow("empty") << ""
                               << ""
                               << "" << false;
    }

    void splits()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(QString, folder);
        QFETCH(bool, changesFolder);
        QCOMPARE(ShellPath::extension(path), extension);
        QCOMPARE(ShellPath::folder(path), folder);
        QCOMPARE(ShellPath::changesFolder(path), changesFolder);
    }
};

QTEST_MAIN(ShellPathTest)
#include "ShellPathTest.moc"
