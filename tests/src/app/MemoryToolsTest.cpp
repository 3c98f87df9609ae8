#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include "BlockLayout.h"
#include "FactoryImage.h"
#include "IBtn.h"
#include "IrFile.h"
#include "LearningRig.h"
#include "MemoryBackup.h"
#include "MemoryCheck.h"
#include "MemoryTools.h"
#include "RemoteTablesReader.h"
#include "TestTime.h"

using Button = MessageBoxes::Button;

namespace
{
const QString received = QStringLiteral("RC code is received!");
const QString failly = QStringLiteral("RC code is learned failly!");

// A remote of no known protocol as a Pronto code: stored as a learned format.
QString learnedPronto(std::uint32_t bits)
{
    const double unit = 0x6D * 0.241246;
    QStringList words;
    const auto add = [&](double us) { words << QString::asprintf("%04X", unsigned(std::lround(us / unit))); };
    add(3400);
    add(1700);
    for (int i = 0; i < 16; ++i) {
        add(420);
        add((bits >> i & 1) != 0 ? 1280 : 420);
    }
    add(420);
    add(40000);
    return QStringLiteral("0000 006D %1 0000 ").arg(words.size() / 2, 4, 16, QLatin1Char('0')).toUpper()
           + words.join(' ');
}

QString gauge(int keys, int formats, int blocks)
{
    return QStringLiteral("Keys %1/384 \u00B7 Slots %2/32 \u00B7 Blocks %3/1020").arg(keys).arg(formats).arg(blocks);
}
}  // namespace

// What the window adds to know and protect what the remote holds: the gauge,
// what keys hold, learning from a code, backup and restore, export.
class MemoryToolsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LearningRig> rig;
    QTemporaryDir folder;

    WindowRig::Window &window() { return rig->window(); }
    ScriptedBoxes &boxes() { return rig->boxes(); }
    MemoryTools &tools() { return window().tools(); }
    QString gaugeText() { return tools().gauge()->text(); }
    std::vector<std::uint8_t> memory() { return rig->remote().dump(0, BlockLayout::memorySize); }
    const std::string &entry(int mode, const QString &code)
    {
        return window().tables.keystates[std::size_t(rig->rig().entry(mode, code))];
    }
    // What each key holds, by kind: as start-up reads the entries and as learning writes them.
    QStringList kinds()
    {
        QStringList all;
        for (const std::string &each : window().tables.keystates)
            all << QString::fromStdString(each.substr(0, 4));
        return all;
    }

    void startLearning()
    {
        rig->click("beginstudyibtn");
        QVERIFY(window().studymode);
    }
    // The key learns the code typed, and the notice of a stored code is answered.
    void teach(const QString &code, const QString &text)
    {
        boxes().thenText(text).then(Button::Ok);
        tools().learnfromcode(rig->key(code));
        QCOMPARE(boxes().texts().last(), received);
        QCOMPARE(entry(0, code)[3], '2');
    }
    QString file(const QString &name) { return folder.filePath(name); }

private slots:
    void init() { rig = std::make_unique<LearningRig>(); }

    void cleanup()
    {
        VERIFY_BOXES(boxes());
        rig.reset();
    }

    void theGaugeFollowsLearningDeletingAndClearing()
    {
        QCOMPARE(gaugeText(), gauge(20, 0, 0));
        startLearning();
        teach("40", "NEC1 D=4 F=8");
        QCOMPARE(gaugeText(), gauge(21, 0, 0));
        teach("41", learnedPronto(0xA5C3));
        QCOMPARE(gaugeText(), gauge(22, 1, 2));
        teach("42", learnedPronto(0x3C5A));
        QCOMPARE(gaugeText(), gauge(23, 1, 2));
        rig->click("beginstudyibtn");

        // Key 42 still uses the format.
        boxes().then(Button::Yes).then(Button::Ok);
        window().deletekey(rig->key("41"));
        QCOMPARE(gaugeText(), gauge(22, 1, 2));
        boxes().then(Button::Yes).then(Button::Ok);
        window().deletekey(rig->key("42"));
        QCOMPARE(gaugeText(), gauge(21, 0, 0));
        // The offer of a backup comes before the question that clearing asks.
        boxes().clear();
        boxes().then(Button::No).then(Button::Yes).then(Button::Ok);
        rig->click("delallstudykey");
        QCOMPARE(boxes().texts(),
                 (QStringList{"Back up the remote's memory before clearing the mode?",
                              "Sure to clear all the learned codes of the buttons?", "Clearing is finished!"}));
        QCOMPARE(gaugeText(), gauge(20, 0, 0));
    }

    void learningFailsForLackOfRoom_data()
    {
        QTest::addColumn<bool>("allSlots");
        QTest::addColumn<QString>("said");
        QTest::newRow("every slot in use") << true << "No allocation slot is free for a new format (slots 32/32).";
        QTest::newRow("every block in use") << false << "No room in the code area for this format (blocks 1020/1020).";
    }

    void learningFailsForLackOfRoom()
    {
        QFETCH(bool, allSlots);
        QFETCH(QString, said);
        // The rig of init() goes first: its boxes would uninstall the new rig's.
        rig.reset();
        rig = std::make_unique<LearningRig>([allSlots](WindowRig &windowRig) {
            VirtualRemote &remote = windowRig.remote();
            const auto area = FactoryImage::allocAreaAddress;
            if (allSlots) {
                for (int slot = 0; slot < 32; ++slot)
                    remote.poke(std::uint16_t(area + FactoryImage::blockMapSize + 6 * slot),
                                {0x30, 0x00, std::uint8_t(slot), std::uint8_t(slot), 0x80, 1});
            }
            remote.poke(area, std::vector<std::uint8_t>(FactoryImage::blockMapSize, 0xFF));
            // The window read the tables when it was made.
            VirtualRemoteDevice device(remote);
            windowRig.window().tables = RemoteTablesReader::read(device).tables;
        });
        startLearning();
        boxes().thenText(learnedPronto(0xA5C3)).then(Button::Ok);
        tools().learnfromcode(rig->key("40"));
        QCOMPARE(boxes().texts().last(), failly);
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("choose one button needs to learn again!\n") + said);
        // The status line is of a fixed width and does not wrap.
        QVERIFY(window().runstate_lab->fontMetrics().horizontalAdvance(said) < window().runstate_lab->width());
        QCOMPARE(entry(0, "40"), "40|0|0|");
    }

    void keysSayWhatTheyHold()
    {
        QCOMPARE(tools().keydetails(rig->key("10")), QStringLiteral("POWER: NEC1 D=4 F=16\nDownloaded code"));
        QCOMPARE(tools().keydetails(rig->key("40")), QString());
        std::unique_ptr<QMenu> menu(tools().keymenu(rig->key("40")));
        for (QAction *action : menu->actions())
            QVERIFY2(!action->isEnabled() || action->isSeparator(), qPrintable(action->text()));

        startLearning();
        menu.reset(tools().keymenu(rig->key("40")));
        QStringList enabled;
        for (QAction *action : menu->actions())
            if (action->isEnabled() && !action->isSeparator())
                enabled << action->text();
        QCOMPARE(enabled, (QStringList{"Learn from a code…", "Learn from an .ir file…"}));
        teach("40", "RC5 D=5 F=33 T=1");
        teach("41", learnedPronto(0xA5C3));
        QCOMPARE(tools().keydetails(rig->key("40")), QStringLiteral("UP: RC5 D=5 F=33 T=1\nLearned code"));
        QCOMPARE(tools().keydetails(rig->key("41")),
                 QStringLiteral("BACK: learned format, slot 0, 2 blocks, 38 kHz\nLearned code"));
        rig->click("beginstudyibtn");
        menu.reset(tools().keymenu(rig->key("41")));
        enabled.clear();
        for (QAction *action : menu->actions())
            if (action->isEnabled() && !action->isSeparator())
                enabled << action->text();
        QCOMPARE(enabled, (QStringList{"What BACK holds…", "Delete the learned code…"}));
    }

    void badCodesChangeNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("notice");
        QTest::newRow("unknown protocol") << "NEC D=4 F=8"
                                          << "This code cannot be learned: unknown protocol 'NEC'";
        QTest::newRow("field out of range") << "NEC1 D=256 F=8"
                                            << "This code cannot be learned: field D=256 out of range for NEC1";
        QTest::newRow("Pronto cut short") << "0000 006D 0002 0000 0157 00AC"
                                          << "This code cannot be learned: Pronto code: Pronto header announces";
    }

    void badCodesChangeNothing()
    {
        QFETCH(QString, text);
        QFETCH(QString, notice);
        startLearning();
        const std::vector<std::string> entries = window().tables.keystates;
        const std::vector<std::uint8_t> before = memory();
        boxes().thenText(text).then(Button::Ok);
        tools().learnfromcode(rig->key("40"));
        QVERIFY2(boxes().texts().last().startsWith(notice), qPrintable(boxes().texts().last()));
        QVERIFY(window().tables.keystates == entries);
        QVERIFY(memory() == before);
        QVERIFY(window().pendingkeys.isEmpty());
    }

    void aKeyWaitingForItsPressTakesACode()
    {
        startLearning();
        rig->clickKey("40");
        QTRY_VERIFY_WITH_TIMEOUT(rig->remote().captureArmed(), TestTime::scaled(3000));
        // The press no longer wanted ends while "RC code is received!" is read:
        // the key just taught is not told that learning failed.
        bool ended = false;
        boxes().thenText(QStringLiteral("Sony12 D=1 F=21")).then(Button::Ok, [&] { ended = rig->captureEnded(); });
        tools().learnfromcode();
        QVERIFY(ended);
        QCOMPARE(boxes().texts().last(), received);
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("RC code has been stored in ButtonUP"));
        QCOMPARE(tools().keydetails(rig->key("40")), QStringLiteral("UP: Sony12 D=1 F=21\nLearned code"));
        QVERIFY(window().pendingkeys.isEmpty());
    }

    void backUpClearAndRestore()
    {
        startLearning();
        teach("40", "NEC1 D=4 F=8");
        teach("41", learnedPronto(0xA5C3));
        rig->click("beginstudyibtn");
        const QStringList learned = kinds();
        const QString saved = gaugeText();
        const QString backup = file("remote.qlrbak");
        boxes().thenFile(backup).then(Button::Ok);
        QVERIFY(tools().backup());
        QCOMPARE(boxes().texts().last(), "The remote's memory is saved in " + backup + ".");

        // Clearing, backed up first on the way.
        boxes().clear();
        boxes()
            .then(Button::Yes)
            .thenFile(file("before-clearing.qlrbak"))
            .then(Button::Ok)
            .then(Button::Yes)
            .then(Button::Ok);
        rig->click("delallstudykey");
        QCOMPARE(boxes().texts().last(), QStringLiteral("Clearing is finished!"));
        QVERIFY(QFile::exists(file("before-clearing.qlrbak")));
        QCOMPARE(entry(0, "41"), "41|0");

        boxes().thenFile(backup).then(Button::Yes).then(Button::Ok);
        tools().restore();
        QVERIFY2(boxes().texts().last().contains("is restored"), qPrintable(boxes().texts().last()));
        QCOMPARE(kinds(), learned);
        QCOMPARE(gaugeText(), saved);
        QVERIFY(rig->keyPicture("41") == LearningRig::entryOf(window().pictures.learnedpics, "41"));
        QVERIFY(window().delallstudykey->isEnabled());
        QVERIFY(MemoryCheck::check(memory()).consistent());
    }

    void restoreRefusesWithoutWriting_data()
    {
        QTest::addColumn<QString>("problem");  // how the backup differs
        QTest::addColumn<QString>("notice");
        QTest::newRow("damaged") << "cut"
                                 << "remote.qlrbak cannot be restored: it holds 65535 bytes of memory";
        QTest::newRow("checksum") << "changed"
                                  << "remote.qlrbak cannot be restored: its checksum does not match";
        QTest::newRow("another remote, not overwritten")
            << "identity"
            << "was made of another remote (PLR815-00A1B2C3; this one is QLR815-00A1B2C3).";
        QTest::newRow("restore not confirmed") << ""
                                               << "Restore the backup of ";
    }

    void restoreRefusesWithoutWriting()
    {
        QFETCH(QString, problem);
        QFETCH(QString, notice);
        std::vector<std::uint8_t> image = memory();
        if (problem == "identity")
            image[FactoryImage::basicBlockAddress] ^= 0x01;
        QByteArray contents = MemoryBackup::of(image, QDateTime::currentDateTimeUtc()).file();
        if (problem == "cut")
            contents.chop(1);
        if (problem == "changed")
            contents[contents.size() - 100] ^= 0x01;
        QFile backup(file("remote.qlrbak"));
        QVERIFY(backup.open(QIODevice::WriteOnly) && backup.write(contents) == contents.size());
        backup.close();
        startLearning();
        teach("40", "NEC1 D=4 F=8");
        rig->click("beginstudyibtn");
        const std::vector<std::uint8_t> before = memory();
        boxes().clear();
        boxes().thenFile(backup.fileName()).then(problem.isEmpty() || problem == "identity" ? Button::No : Button::Ok);
        tools().restore();
        QVERIFY2(boxes().texts().last().contains(notice), qPrintable(boxes().texts().last()));
        QVERIFY(memory() == before);
        QCOMPARE(entry(0, "40")[3], '2');
    }

    void exportedCodesLearnBack()
    {
        startLearning();
        teach("40", "NEC1 D=4 F=8");
        teach("41", learnedPronto(0xA5C3));
        teach("57", "RC5 D=5 F=33 T=1");
        const QString exported = file("TV.ir");
        boxes().thenFile(exported).then(Button::Ok);
        tools().exportcodes(false);
        QCOMPARE(boxes().texts().last(), "The codes of 19 keys are saved in " + exported + ".");
        QFile text(exported);
        QVERIFY(text.open(QIODevice::ReadOnly));
        std::string error;
        const auto buttons = IrFile::parse(text.readAll().toStdString(), &error);
        QVERIFY2(buttons, error.c_str());
        QStringList names;
        for (const IrFile::Button &button : *buttons)
            names << QString::fromStdString(button.name);
        // Two keys are called BACK: each carries its code.
        for (const char *name : {"POWER", "UP", "BACK_41", "BACK_57"})
            QVERIFY2(names.contains(name), qPrintable(names.join(' ')));

        // Each learned key's code, taught from the file to a key without one, holds the same.
        const QStringList from{"UP", "BACK_41", "BACK_57"};
        const QStringList to{"42", "43", "44"};
        for (int i = 0; i < from.size(); ++i) {
            boxes().thenFile(exported).thenItem(int(names.indexOf(from[i]))).then(Button::Ok);
            tools().learnfromfile(rig->key(to[i]));
            QCOMPARE(boxes().texts().last(), received);
            const QString wanted = tools().keydetails(rig->key(QStringList{"40", "41", "57"}[i])).section(':', 1);
            QCOMPARE(tools().keydetails(rig->key(to[i])).section(':', 1), wanted);
        }
    }
};

QTEST_MAIN(MemoryToolsTest)
#include "MemoryToolsTest.moc"
