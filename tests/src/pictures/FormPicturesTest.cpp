#include <QtTest>

#include "FormPictures.h"
#include "PanelLayout.h"
#include "PictureLoader.h"

using ArtNames::HintPanel;

// The pictures compiled into the program: present, decodable, and of the sizes
// of the controls that show them.
class FormPicturesTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir runtime;  // for the animation file the loader writes

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())); }

    void windowPicturesHaveTheirControlsSizes_data()
    {
        QTest::addColumn<QPixmap>("picture");
        QTest::addColumn<QSize>("size");
        QTest::newRow("face") << FormPictures::face() << QSize(190, 730);
        QTest::newRow("start") << FormPictures::startLearning() << QSize(161, 58);
        QTest::newRow("stop") << FormPictures::stopLearning() << QSize(161, 58);
        QTest::newRow("close") << FormPictures::closeButton() << QSize(38, 27);
        QTest::newRow("background") << FormPictures::background() << QSize(1016, 729);
        QTest::newRow("splash") << FormPictures::splash() << QSize(462, 258);
        for (HintPanel panel : {HintPanel::Idle, HintPanel::LearnOnly, HintPanel::Learning, HintPanel::Deleting})
            QTest::newRow(qPrintable(ArtNames::hintPanel(panel))) << FormPictures::hintPanel(panel) << QSize(409, 166);
        for (const ModeButtonPlace &place : PanelLayout::modeButtons()) {
            QTest::newRow(qPrintable(place.button)) << FormPictures::modeButton(place.mode, false) << place.rect.size();
            QTest::newRow(qPrintable(place.button + " highlighted"))
                << FormPictures::modeButton(place.mode, true) << place.rect.size();
        }
        for (const KeyPlace &key : PanelLayout::keys()) {
            QTest::newRow(qPrintable(key.button)) << FormPictures::keyButton(key.code) << key.rect.size();
            if (key.deviceMode >= 0)
                QTest::newRow(qPrintable(key.button + " highlighted"))
                    << FormPictures::deviceKeyHighlighted(key.deviceMode) << key.rect.size();
        }
    }

    void windowPicturesHaveTheirControlsSizes()
    {
        QFETCH(QPixmap, picture);
        QFETCH(QSize, size);
        QCOMPARE(picture.size(), size);
    }

    void highlightedLooksDifferFromNormal()
    {
        for (int mode = 0; mode < PanelLayout::modeCount; ++mode) {
            QVERIFY(FormPictures::modeButton(mode, true).toImage() != FormPictures::modeButton(mode, false).toImage());
            const KeyPlace *key = PanelLayout::deviceKey(mode);
            QVERIFY(key);
            QVERIFY(FormPictures::deviceKeyHighlighted(mode).toImage() != FormPictures::keyButton(key->code).toImage());
        }
    }

    // A key shows its stored look until its state is known; a grey key must
    // not change when the window gives it its no-code picture.
    void initialKeyLooksAreTheNoCodePictures()
    {
        const std::optional<Pictures> pictures = PictureLoader::load();
        QVERIFY(pictures);
        for (const KeyPlace &key : PanelLayout::keys())
            QCOMPARE(FormPictures::keyButton(key.code).toImage(),
                     pictures->normalpics[Pictures::indexOf(key.code)].toImage());
    }

    void unknownNamesGiveNoPicture()
    {
        QVERIFY(FormPictures::keyButton("72").isNull());
        QVERIFY(FormPictures::modeButton(8, false).isNull());
        QVERIFY(FormPictures::deviceKeyHighlighted(-1).isNull());
    }
};

QTEST_MAIN(FormPicturesTest)
#include "FormPicturesTest.moc"
