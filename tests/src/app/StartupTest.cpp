#include <QLabel>
#include <QtTest>
#include <memory>

#include "FactoryImage.h"
#include "FormPictures.h"
#include "InterceptingDevice.h"
#include "ProcessEntry.h"
#include "ScriptedBoxes.h"
#include "Tmainselfstudy.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

using Button = MessageBoxes::Button;

namespace
{
const QString noRemote = QStringLiteral("No URC is found, please check USB Connection!");
const QString m2 = QStringLiteral("This version of learning software does not support learning operation of this kind "
                                  "of RC. Please download the latest version of learning software from "
                                  "https://www.qlr-remote.example/download!");
const QString m3 = QStringLiteral("Low version of RC firmware program! Please download the latest version from "
                                  "https://www.qlr-remote.example/download!");
}  // namespace

// The creation handler against a crafted in-process remote.
class StartupTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VirtualRemote> remote;
    std::unique_ptr<VirtualRemoteDevice> device;
    std::unique_ptr<InterceptingDevice> intercept;

    void pokeBasic(std::size_t offset, std::vector<std::uint8_t> bytes)
    {
        QVERIFY(remote->poke(static_cast<std::uint16_t>(FactoryImage::basicBlockAddress + offset), bytes));
    }

private slots:
    void init()
    {
        std::string error;
        remote = VirtualRemote::open({{}, std::chrono::microseconds(0)}, &error);
        QVERIFY2(remote, error.c_str());
        device = std::make_unique<VirtualRemoteDevice>(*remote);
        intercept = std::make_unique<InterceptingDevice>(*device);
    }

    void factoryRemoteIsAcceptedAndRead()
    {
        ScriptedBoxes boxes;
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QVERIFY(boxes.shown().isEmpty());
        QVERIFY(!window.startfailed);
        QCOMPARE(window.remoteid.size(), std::size_t(30));
        QCOMPARE(window.remoteid.substr(0, 6), std::string("514C52"));  // "QLR"
        QCOMPARE(window.lab_gjbb->text(), QStringLiteral(" 2.0"));
        QCOMPARE(window.lab_ykqtype->text(), QStringLiteral("QLR-815"));
        QCOMPARE(window.tables.keyspermode, 48);
        QCOMPARE(window.tables.keystates.size(), std::size_t(48 * 8));
        QCOMPARE(window.tables.keytableaddr, std::uint16_t(0x2000));
        QCOMPARE(window.tables.formattableaddr, std::uint16_t(0x1100));
        QCOMPARE(window.tables.writeselector, std::string("0A"));
        // The factory's downloaded TV power key.
        QCOMPARE(window.tables.keystates[0].substr(0, 6), std::string("10|1|0"));
        QCOMPARE(intercept->reads, 7);
    }

    void waitsForTheLinkUntilRetrySucceeds()
    {
        remote->detach();
        ScriptedBoxes boxes;
        boxes.then(Button::Retry).then(Button::Retry, [this] { remote->attach(); });
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QCOMPARE(boxes.shown().size(), 2);
        for (const MessageBoxes::Box &box : boxes.shown()) {
            QCOMPARE(box.caption, QStringLiteral("Confirm"));
            QCOMPARE(box.text, noRemote);
            QCOMPARE(box.buttons, (QList<Button>{Button::Cancel, Button::Retry}));
            QCOMPARE(box.icon, MessageBoxes::Icon::Question);
            QCOMPARE(box.escapeButton, Button::Cancel);
        }
        QVERIFY(!window.startfailed);
        QCOMPARE(window.tables.keyspermode, 48);
    }

    void cancelWhileWaitingEndsStartup()
    {
        remote->detach();
        ScriptedBoxes boxes;
        boxes.then(Button::Retry).then(Button::Cancel);
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QVERIFY(window.startfailed);
        QCOMPARE(intercept->reads, 0);
        QVERIFY(window.remoteid.empty());
    }

    void theSplashIsUpWhileTheWindowIsCreated_data()
    {
        QTest::addColumn<bool>("attached");
        QTest::newRow("remote accepted") << true;
        QTest::newRow("start-up cancelled") << false;
    }

    void theSplashIsUpWhileTheWindowIsCreated()
    {
        QFETCH(bool, attached);
        const QImage picture = FormPictures::splash().toImage();
        const auto splashShown = [&picture] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                const auto *shown = window->findChild<QLabel *>(QStringLiteral("Image1"));
                if (window->isVisible() && window->windowTitle() == QStringLiteral("启动界面") && shown
                    && shown->pixmap().toImage() == picture)
                    return true;
            }
            return false;
        };
        // Looked at from inside the creation handler: at its reads, or at its box.
        int seen = 0;
        int missed = 0;
        QElapsedTimer sinceHandler;
        const auto look = [&] {
            ++(splashShown() ? seen : missed);
            sinceHandler.start();
        };
        intercept->failRead = [&look](const std::string &) {
            look();
            return false;
        };
        ScriptedBoxes boxes;
        if (!attached) {
            remote->detach();
            boxes.then(Button::Cancel, look);
        }
        const std::unique_ptr<Tmainselfstudy> window = ProcessEntry::createMainWindow(*intercept);
        VERIFY_BOXES(boxes);
        QCOMPARE(window->startfailed, !attached);
        QVERIFY(seen > 0);
        QCOMPARE(missed, 0);
        QVERIFY(sinceHandler.elapsed() >= ProcessEntry::splashPause.count());
        QVERIFY(!splashShown());
        QVERIFY(!window->isVisible());
    }

    void aKeyCodeOfNoKeyIsReadAsItIs()
    {
        // POWER's code 10, first in the list, becomes 18: no key of the picture carries it.
        QVERIFY(remote->poke(FactoryImage::keyCodeListAddress + 1, {0x18}));
        ScriptedBoxes boxes;
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(window.tables.keystates.size(), std::size_t(48 * 8));
        for (int mode = 0; mode < 8; ++mode)
            QCOMPARE(window.tables.keystates[std::size_t(mode * 48)].substr(0, 3), std::string("18|"));
        QCOMPARE(window.tables.keystates[1].substr(0, 3), std::string("12|"));
    }

    void versionRecord_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1020 and more") << "1020xyz" << true;
        QTest::newRow("exactly 1020") << "1020" << true;
        QTest::newRow("1021") << "1021 QLR" << false;
        QTest::newRow("short") << "102" << false;
        QTest::newRow("empty reply") << "" << false;
    }

    void versionRecord()
    {
        QFETCH(QString, version);
        QFETCH(bool, accepted);
        intercept->version = [version] { return version.toStdString(); };
        ScriptedBoxes boxes;
        if (!accepted)
            boxes.then(Button::Ok);
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QCOMPARE(window.startfailed, !accepted);
        if (!accepted) {
            QCOMPARE(boxes.texts(), QStringList{m2});
            QCOMPARE(intercept->reads, 0);
        }
    }

    void firmwareAndModel_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("message");
        QTest::newRow("01.03 accepted") << 1 << 3 << 0x1805 << QString();
        QTest::newRow("02.03 newer major") << 2 << 3 << 0x1805 << m2;
        QTest::newRow("01.04 newer minor") << 1 << 4 << 0x1805 << m2;
        QTest::newRow("00.03 older major") << 0 << 3 << 0x1805 << m3;
        QTest::newRow("01.02 older minor") << 1 << 2 << 0x1805 << m3;
        QTest::newRow("02.02 major decides") << 2 << 2 << 0x1805 << m2;
        QTest::newRow("model 1806, good firmware") << 1 << 3 << 0x1806 << m2;
        QTest::newRow("model 1806, old firmware") << 0 << 3 << 0x1806 << m2;
    }

    void firmwareAndModel()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, model);
        QFETCH(QString, message);
        pokeBasic(FactoryImage::firmwareOffset, {std::uint8_t(major), std::uint8_t(minor)});
        pokeBasic(FactoryImage::modelCodeOffset, {std::uint8_t(model >> 8), std::uint8_t(model & 0xFF)});
        ScriptedBoxes boxes;
        if (!message.isEmpty())
            boxes.then(Button::Ok);
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QCOMPARE(window.startfailed, !message.isEmpty());
        QCOMPARE(window.lab_gjbb->text(), QStringLiteral(" 2.0"));
        if (message.isEmpty()) {
            QCOMPARE(window.lab_ykqtype->text(), QStringLiteral("QLR-815"));
            QCOMPARE(window.tables.keystates.size(), std::size_t(384));
        } else {
            QCOMPARE(boxes.texts(), QStringList{message});
            QCOMPARE(boxes.shown().first().caption, QStringLiteral("Information"));
            QVERIFY(window.lab_ykqtype->text().isEmpty());
            QVERIFY(window.tables.keystates.empty());
        }
    }

    void unreadableBlockOpensWithoutKeyData_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("identified");
        QTest::newRow("basic block") << "B000" << false;
        QTest::newRow("configuration block") << "B03C" << true;
        QTest::newRow("parameter table") << "1000" << true;
        QTest::newRow("allocation area") << "4800" << true;
    }

    void unreadableBlockOpensWithoutKeyData()
    {
        QFETCH(QString, address);
        QFETCH(bool, identified);
        intercept->failRead = [address](const std::string &at) { return at == address.toStdString(); };
        ScriptedBoxes boxes;
        boxes.then(Button::Ok);
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QCOMPARE(boxes.shown().first().caption, QStringLiteral("Information"));
        QCOMPARE(boxes.texts(), QStringList{noRemote});
        QVERIFY(!window.startfailed);
        QVERIFY(window.tables.keystates.empty());
        QCOMPARE(window.remoteid.empty(), !identified);
        QCOMPARE(window.lab_ykqtype->text().isEmpty(), !identified);
    }

    void implausibleTablesAreRefused_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("bytes");
        const int params = FactoryImage::paramAddress;
        QTest::newRow("too few key records") << params << QByteArray::fromHex("0001");
        QTest::newRow("allocation read too large") << params + 8 << QByteArray::fromHex("FF7F");
        QTest::newRow("parameter table past memory")
            << int(FactoryImage::configBlockAddress) << QByteArray::fromHex("F0FF");
    }

    void implausibleTablesAreRefused()
    {
        QFETCH(int, address);
        QFETCH(QByteArray, bytes);
        QVERIFY(
            remote->poke(static_cast<std::uint16_t>(address), std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
        ScriptedBoxes boxes;
        boxes.then(Button::Ok);
        Tmainselfstudy window(*intercept);
        VERIFY_BOXES(boxes);
        QCOMPARE(boxes.texts(), QStringList{noRemote});
        QVERIFY(!window.startfailed);
        QVERIFY(window.tables.keystates.empty());
        QVERIFY(window.tables.blockmap.empty());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
