#include <QtTest>
#include <gif_lib.h>

#include "GifDecoder.h"
#include "GifEncoder.h"
#include "JpegDecoder.h"
#include "JpegEncoder.h"

// Our GIF and JPEG writers and readers against each other, and the readers
// against damaged data.
class CodecTest : public QObject
{
    Q_OBJECT

private:
    // Flat areas of a few colours, as the artwork has.
    static QImage flatPicture()
    {
        QImage image(37, 18, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x < 12 ? 200 : 30, y < 9 ? 60 : 190, (x + y) % 3 * 100));
        }
        return image;
    }

    // Every pixel a colour of its own: far more than a GIF palette holds.
    static QImage gradient()
    {
        QImage image(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x)
                image.setPixel(x, y, qRgb(x * 4, y * 4, 128));
        }
        return image;
    }

    static int largestDifference(const QImage &a, const QImage &b)
    {
        int largest = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            }
        }
        return largest;
    }

    static int appendTo(GifFileType *gif, const GifByteType *bytes, int length)
    {
        static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
        return length;
    }

    // A 4 x 4 GIF of two frames: a red screen, then a 2 x 2 frame at (1, 2)
    // whose colour index 0 is transparent and index 1 blue.
    static QByteArray partialFrameGif(int disposal)
    {
        QByteArray out;
        int error = 0;
        GifFileType *gif = EGifOpen(&out, appendTo, &error);
        EGifSetGifVersion(gif, true);
        GifColorType colours[2] = {{255, 0, 0}, {0, 0, 255}};
        ColorMapObject *map = GifMakeMapObject(2, colours);
        EGifPutScreenDesc(gif, 4, 4, 8, 0, map);
        GraphicsControlBlock first{disposal, false, 5, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&first, extension)), extension);
        EGifPutImageDesc(gif, 0, 0, 4, 4, false, nullptr);
        GifPixelType red[4] = {0, 0, 0, 0};
        for (int y = 0; y < 4; ++y)
            EGifPutLine(gif, red, 4);
        GraphicsControlBlock second{DISPOSE_DO_NOT, false, 7, 0};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&second, extension)), extension);
        EGifPutImageDesc(gif, 1, 2, 2, 2, false, nullptr);
        GifPixelType rows[2][2] = {{1, 0}, {0, 1}};
        EGifPutLine(gif, rows[0], 2);
        EGifPutLine(gif, rows[1], 2);
        EGifCloseFile(gif, &error);
        GifFreeMapObject(map);
        return out;
    }

private slots:
    void flatPictureSurvivesGifExactly()
    {
        const QImage original = flatPicture();
        const QByteArray gif = GifEncoder::encode(original);
        QVERIFY(gif.startsWith("GIF8"));
        const QImage decoded = GifDecoder::firstFrame(gif);
        QCOMPARE(decoded.size(), original.size());
        QCOMPARE(largestDifference(decoded, original), 0);
    }

    void manyColoursAreReducedClosely()
    {
        const QImage original = gradient();
        const QImage decoded = GifDecoder::firstFrame(GifEncoder::encode(original));
        QCOMPARE(decoded.size(), original.size());
        const int difference = largestDifference(decoded, original);
        QVERIFY2(difference <= 40, qPrintable(QString::number(difference)));
    }

    void animationKeepsFramesAndDelays()
    {
        QList<GifFrame> frames;
        for (int i = 0; i < 4; ++i) {
            QImage image(40, 10, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 80, 200, 200));
            frames.append({image, 30 + i * 50});
        }
        const QList<GifFrame> decoded = GifDecoder::frames(GifEncoder::encodeAnimation(frames));
        QCOMPARE(decoded.size(), frames.size());
        for (int i = 0; i < frames.size(); ++i) {
            QCOMPARE(decoded[i].delayMs, frames[i].delayMs);
            QCOMPARE(largestDifference(decoded[i].image, frames[i].image), 0);
        }
        QCOMPARE(largestDifference(GifDecoder::firstFrame(GifEncoder::encodeAnimation(frames)), frames[0].image), 0);
    }

    void framesOfOtherSizesAreRefused()
    {
        QImage big(20, 20, QImage::Format_RGB32);
        QImage small(10, 10, QImage::Format_RGB32);
        QVERIFY(GifEncoder::encodeAnimation({{big, 100}, {small, 100}}).isEmpty());
        QVERIFY(GifEncoder::encodeAnimation({}).isEmpty());
        QVERIFY(GifEncoder::encode(QImage()).isEmpty());
    }

    void partialFramesAreComposedOverTheScreen_data()
    {
        QTest::addColumn<int>("disposal");
        QTest::addColumn<QColor>("under");
        QTest::newRow("kept") << int(DISPOSE_DO_NOT) << QColor(Qt::red);
        QTest::newRow("cleared to background") << int(DISPOSE_BACKGROUND) << QColor(Qt::transparent);
    }

    void partialFramesAreComposedOverTheScreen()
    {
        QFETCH(int, disposal);
        QFETCH(QColor, under);
        const QList<GifFrame> frames = GifDecoder::frames(partialFrameGif(disposal));
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].delayMs, 50);
        QCOMPARE(frames[1].delayMs, 70);
        const QImage &first = frames[0].image;
        const QImage &second = frames[1].image;
        QCOMPARE(first.pixelColor(1, 2), QColor(Qt::red));
        QCOMPARE(second.pixelColor(1, 2), QColor(Qt::blue));
        QCOMPARE(second.pixelColor(2, 3), QColor(Qt::blue));
        // The transparent pixels of the second frame show what the first left.
        QCOMPARE(second.pixelColor(2, 2), under);
        QCOMPARE(second.pixelColor(1, 3), under);
        // Outside the second frame the first frame's disposal decides as well.
        QCOMPARE(second.pixelColor(0, 0), under);
        // The first frame is not changed by what came after it.
        QCOMPARE(first.pixelColor(2, 3), QColor(Qt::red));
    }

    void jpegKeepsThePictureClosely()
    {
        QImage original(161, 58, QImage::Format_RGB32);
        original.fill(QColor(40, 140, 70));
        const QImage decoded = JpegDecoder::decode(JpegEncoder::encode(original));
        QCOMPARE(decoded.size(), original.size());
        QVERIFY(largestDifference(decoded, original) <= 4);
    }

    void damagedGifGivesNothing_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray whole = GifEncoder::encodeAnimation({{flatPicture(), 100}, {flatPicture().mirrored(), 100}});
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a GIF") << QByteArray("\x89PNG\r\n\x1a\n.....");
        QTest::newRow("signature only") << whole.left(6);
        QTest::newRow("header only") << whole.left(13);
        QTest::newRow("cut in the first frame") << whole.left(whole.size() / 3);
        QTest::newRow("cut in the second frame") << whole.left(whole.size() * 3 / 4);
        QTest::newRow("without the trailer") << whole.chopped(1);
        QByteArray huge = whole;
        huge[6] = char(0xff);
        huge[7] = char(0xff);
        huge[8] = char(0xff);
        huge[9] = char(0xff);
        QTest::newRow("screen of 65535 x 65535") << huge;
        QByteArray scrambled = whole;
        for (qsizetype i = 40; i < scrambled.size(); i += 3)
            scrambled[i] = char(scrambled[i] ^ 0x5a);
        QTest::newRow("scrambled image data") << scrambled;
    }

    void damagedGifGivesNothing()
    {
        QFETCH(QByteArray, data);
        QVERIFY(GifDecoder::firstFrame(data).isNull());
        QVERIFY(GifDecoder::frames(data).isEmpty());
    }

    void damagedJpegGivesNothing_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray whole = JpegEncoder::encode(gradient());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a JPEG") << QByteArray("just some text, not a picture");
        QTest::newRow("a GIF") << GifEncoder::encode(flatPicture());
        QTest::newRow("start of image only") << whole.left(2);
        QTest::newRow("cut in the header") << whole.left(100);
        QTest::newRow("cut in the image data") << whole.left(whole.size() * 2 / 3);
        QByteArray scrambled = whole;
        for (qsizetype i = whole.size() / 2; i < scrambled.size() - 2; i += 5)
            scrambled[i] = char(0xff);
        QTest::newRow("markers in the image data") << scrambled;
    }

    void damagedJpegGivesNothing()
    {
        QFETCH(QByteArray, data);
        QVERIFY(JpegDecoder::decode(data).isNull());
    }
};

QTEST_MAIN(CodecTest)
#include "CodecTest.moc"
