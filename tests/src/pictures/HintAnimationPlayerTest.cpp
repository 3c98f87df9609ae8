#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "GifEncoder.h"
#include "HintAnimationPlayer.h"
#include "TestFiles.h"

// The hint animation player: what it shows, and that a bad movie breaks nothing.
class HintAnimationPlayerTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;
    const QList<QColor> colours{Qt::red, Qt::green, Qt::blue};

    // An animation of one plain colour per frame.
    QString writeMovie(const QString &name, const QList<int> &delays)
    {
        QList<GifFrame> frames;
        for (int i = 0; i < delays.size(); ++i) {
            QImage image(HintAnimationPlayer::movieSize, QImage::Format_RGB32);
            image.fill(colours[i % colours.size()]);
            frames.append({image, delays[i]});
        }
        const QString path = folder.filePath(name);
        return TestFiles::write(path, GifEncoder::encodeAnimation(frames)) ? path : QString();
    }

    // A shown window of plain white, so that a player showing nothing shows white.
    static std::unique_ptr<QWidget> whiteWindow()
    {
        auto window = std::make_unique<QWidget>();
        window->setAutoFillBackground(true);
        window->setPalette(QPalette(Qt::white));
        window->show();
        return window;
    }

    static QColor shown(HintAnimationPlayer &player) { return player.grab().toImage().pixelColor(10, 10); }

private slots:
    void playsEveryFrameInTurnAndLoops()
    {
        const QString movie = writeMovie("three.gif", {40, 60, 80});
        QVERIFY(!movie.isEmpty());
        QWidget window;
        HintAnimationPlayer player(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        player.setMovie(movie);
        QVERIFY(player.play());
        QCOMPARE(player.frameCount(), 3);
        QCOMPARE(player.currentFrame(), 0);
        QCOMPARE(shown(player), QColor(Qt::red));
        const QTimer *timer = player.findChild<QTimer *>("frameTimer");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 40);
        QTRY_COMPARE_WITH_TIMEOUT(player.currentFrame(), 1, 2000);
        QCOMPARE(timer->interval(), 60);
        QCOMPARE(shown(player), QColor(Qt::green));
        QTRY_COMPARE_WITH_TIMEOUT(player.currentFrame(), 2, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(player.currentFrame(), 0, 2000);
    }

    void hiddenPlayerSpendsNoTimer()
    {
        const QString movie = writeMovie("two.gif", {40, 40});
        QWidget window;
        HintAnimationPlayer player(&window);
        window.show();
        player.setMovie(movie);
        QVERIFY(player.play());
        const QTimer *timer = player.findChild<QTimer *>("frameTimer");
        QVERIFY(timer && timer->isActive());
        player.hide();
        QVERIFY(!timer->isActive());
        QVERIFY(player.isPlaying());
        player.show();
        QVERIFY(timer->isActive());
    }

    void stopShowsNothing()
    {
        const std::unique_ptr<QWidget> window = whiteWindow();
        HintAnimationPlayer player(window.get());
        player.show();
        player.setMovie(writeMovie("two.gif", {40, 40}));
        QVERIFY(player.play());
        player.stop();
        QVERIFY(!player.isPlaying());
        QVERIFY(!player.findChild<QTimer *>("frameTimer")->isActive());
        QCOMPARE(window->grab().toImage().pixelColor(10, 10), QColor(Qt::white));
    }

    void badMovieShowsNothingAndBreaksNothing_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("not a GIF") << QByteArray("FWS\x09 a movie of another kind") << true;
        QTest::newRow("truncated GIF") << QByteArray("GIF89a\x9d\x01\x48\x00") << true;
    }

    void badMovieShowsNothingAndBreaksNothing()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, exists);
        const QString movie = folder.filePath("bad.gif");
        QFile::remove(movie);
        if (exists)
            QVERIFY(TestFiles::write(movie, contents));
        const std::unique_ptr<QWidget> window = whiteWindow();
        HintAnimationPlayer player(window.get());
        player.show();
        player.setMovie(movie);
        QVERIFY(!player.play());
        QVERIFY(!player.isPlaying());
        QCOMPARE(window->grab().toImage().pixelColor(10, 10), QColor(Qt::white));
        player.stop();
        player.hide();
        // A good movie afterwards plays as usual.
        player.setMovie(writeMovie("good.gif", {40, 40}));
        player.show();
        QVERIFY(player.play());
        QCOMPARE(player.frameCount(), 2);
    }

    void movieDeletedBetweenPlaysPlaysNothing()
    {
        const QString movie = writeMovie("deleted.gif", {40, 40});
        HintAnimationPlayer player;
        player.setMovie(movie);
        QVERIFY(player.play());
        player.stop();
        QVERIFY(QFile::remove(movie));
        QVERIFY(!player.play());
    }

    void hasTheSizeOfItsControl()
    {
        HintAnimationPlayer player;
        QCOMPARE(player.size(), QSize(413, 72));
    }
};

QTEST_MAIN(HintAnimationPlayerTest)
#include "HintAnimationPlayerTest.moc"
