#include <QPainter>
#include <QtTest>

#include "ArtNames.h"
#include "FormPictures.h"
#include "GifDecoder.h"
#include "JpegDecoder.h"
#include "PanelLayout.h"
#include "ResourcePack.h"

// The built packs and window pictures as a user sees them: every named
// picture present, each key picture in its colour, and the keys where their
// buttons lie over the stretched face.
class ArtworkTest : public QObject
{
    Q_OBJECT

private:
    static QImage keyPicture(const QString &stem, int index)
    {
        ResourcePack pack(stem);
        return pack.load() ? GifDecoder::firstFrame(pack.read(ArtNames::keyPicture(index)).value_or(QByteArray()))
                           : QImage();
    }

    // The share of pixels of a clear, saturated colour near `hue`.
    static double shareOfHue(const QImage &image, int hue)
    {
        int matching = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                const int distance = std::abs(colour.hsvHue() - hue);
                if (colour.hsvSaturation() > 110 && colour.value() > 120 && std::min(distance, 360 - distance) < 20)
                    ++matching;
            }
        }
        return double(matching) / (image.width() * image.height());
    }

    // The face as the panel shows it: stretched to the panel's size.
    static QImage stretchedFace()
    {
        QImage panel(PanelLayout::remotePanel.size(), QImage::Format_RGB32);
        QPainter painter(&panel);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(panel.rect(), FormPictures::face());
        return panel;
    }

    static double meanDifference(const QImage &a, const QImage &b)
    {
        double total = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            }
        }
        return total / (3.0 * a.width() * a.height());
    }

private slots:
    void packsHoldEveryNamedPicture_data()
    {
        QTest::addColumn<QString>("stem");
        for (const QString &stem : ArtNames::packs())
            QTest::newRow(qPrintable(stem)) << stem;
    }

    void packsHoldEveryNamedPicture()
    {
        QFETCH(QString, stem);
        ResourcePack pack(stem);
        QVERIFY2(pack.load(), qPrintable(stem + ".rcc is not beside the program's libraries"));
        if (stem == ArtNames::singlesPack) {
            for (const QString &name : ArtNames::singles)
                QVERIFY2(!JpegDecoder::decode(pack.read(name).value_or(QByteArray())).isNull(), qPrintable(name));
            const QList<GifFrame> animation = GifDecoder::frames(pack.read(ArtNames::animation).value_or(QByteArray()));
            QVERIFY(animation.size() >= 3);
            for (const GifFrame &frame : animation)
                QCOMPARE(frame.image.size(), QSize(413, 72));
            QVERIFY(animation[0].image != animation[2].image);
            QVERIFY(!pack.read(ArtNames::keyPicture(0)));
            return;
        }
        for (int index = 0; index < ArtNames::keySetSize; ++index) {
            const QImage picture =
                GifDecoder::firstFrame(pack.read(ArtNames::keyPicture(index)).value_or(QByteArray()));
            QVERIFY2(!picture.isNull(), qPrintable(ArtNames::keyPicture(index)));
            const QString code = QStringLiteral("%1").arg(index, 2, 16, QLatin1Char('0')).toUpper();
            const KeyPlace *key = PanelLayout::key(code);
            if (key)
                QCOMPARE(picture.size(), key->rect.size());
            else
                QVERIFY2(picture.width() <= 8 && picture.height() <= 8, "an entry without a key stays small");
        }
        QVERIFY(!pack.read(ArtNames::keyPicture(ArtNames::keySetSize)));
    }

    void eachSetShowsItsColour_data()
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<int>("hue");
        QTest::newRow("learned: red") << "sn1805" << 3;
        QTest::newRow("chosen: yellow") << "fn1805" << 45;
        QTest::newRow("downloaded: green") << "dn1805" << 137;
    }

    void eachSetShowsItsColour()
    {
        QFETCH(QString, stem);
        QFETCH(int, hue);
        for (const KeyPlace &key : PanelLayout::keys()) {
            const int index = key.code.toInt(nullptr, 16);
            const double coloured = shareOfHue(keyPicture(stem, index), hue);
            const double grey = shareOfHue(keyPicture("on1805", index), hue);
            QVERIFY2(coloured > 0.2 && coloured > 2 * grey,
                     qPrintable(QStringLiteral("%1: %2 of the pixels in %3, %4 in grey")
                                    .arg(key.button)
                                    .arg(coloured)
                                    .arg(stem)
                                    .arg(grey)));
        }
    }

    // A button's picture covers the face under it: a key drawn elsewhere on the
    // face, or at another scale, would show around the button.
    void keyPicturesLineUpWithTheFace()
    {
        const QImage face = stretchedFace();
        for (const KeyPlace &key : PanelLayout::keys()) {
            const QImage picture = keyPicture("on1805", key.code.toInt(nullptr, 16));
            const double same = meanDifference(picture, face.copy(key.rect));
            double shifted = 0;
            for (const QPoint offset : {QPoint(3, 0), QPoint(-3, 0), QPoint(0, 3), QPoint(0, -3)})
                shifted = std::max(shifted, meanDifference(picture, face.copy(key.rect.translated(offset))));
            // Resampling the small face blurs its edges; a misplaced key differs far more.
            QVERIFY2(
                same < 30 && same * 2.5 < shifted,
                qPrintable(
                    QStringLiteral("%1: differs by %2 in place, %3 moved").arg(key.button).arg(same).arg(shifted)));
        }
    }

    void backgroundCarriesTheWindowColourAndLegend()
    {
        const QImage background = FormPictures::background().toImage();
        const QColor corner = background.pixelColor(300, 700);
        QVERIFY(std::abs(corner.red() - 53) <= 3 && std::abs(corner.green() - 124) <= 3
                && std::abs(corner.blue() - 168) <= 3);
        // The three swatches of the legend sit beside the information fields.
        QVERIFY(shareOfHue(background.copy(452, 136, 30, 17), 3) > 0.5);
        QVERIFY(shareOfHue(background.copy(452, 104, 30, 17), 137) > 0.5);
    }
};

QTEST_MAIN(ArtworkTest)
#include "ArtworkTest.moc"
