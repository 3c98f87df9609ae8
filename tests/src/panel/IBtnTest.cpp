#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "CursorRegistry.h"
#include "IBtn.h"

Q_DECLARE_METATYPE(Qt::MouseButton)

// The image button: the press shift and the click between the two moves, its
// alternate picture with the switch's known quirks, and the opening of `Path`.
class IBtnTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> window;
    IBtn *button = nullptr;
    QStringList events;
    QList<QPair<QUrl, QString>> opened;  // what was opened, and the current folder then
    QStringList errors;
    QString startFolder;

    static QPixmap filled(QSize size, const QColor &colour)
    {
        QPixmap picture(size);
        picture.fill(colour);
        return picture;
    }

    QColor shown() const { return button->grab().toImage().pixelColor(2, 2); }

    void record(const QString &what)
    {
        events.append(QStringLiteral("%1@%2,%3").arg(what).arg(button->x()).arg(button->y()));
    }

    // A press and a release on the same spot of the screen: the button has
    // moved in between, so the release lies elsewhere in its own pixels.
    void pressAndRelease(Qt::MouseButton mouse, QPoint at)
    {
        const QPoint shift(button->moveRight(), button->moveDown());
        QTest::mousePress(button, mouse, {}, at);
        QTest::mouseRelease(button, mouse, {}, at - shift);
    }

private slots:
    void init()
    {
        startFolder = QDir::currentPath();
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        button = new IBtn(window.get());
        button->move(10, 20);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        events.clear();
        opened.clear();
        errors.clear();
        connect(button, &IBtn::pressed, this, [this] { record("pressed"); });
        connect(button, &IBtn::clicked, this, [this] { record("clicked"); });
        connect(button, &IBtn::released, this, [this] { record("released"); });
        IBtn::setOpener([this](const QUrl &url) { opened.append({url, QDir::currentPath()}); });
        IBtn::setErrorHandler([this](const QString &message) { errors.append(message); });
    }

    void cleanup()
    {
        window.reset();
        IBtn::setOpener({});
        IBtn::setErrorHandler({});
        QDir::setCurrent(startFolder);
    }

    void startsAsItsOwnerExpects()
    {
        QCOMPARE(button->size(), QSize(80, 25));
        QCOMPARE(button->moveDown(), quint8(1));
        QCOMPARE(button->moveRight(), quint8(1));
        QVERIFY(button->isEnable());
        QVERIFY(button->path().isEmpty() && button->code().isEmpty());
        QVERIFY(button->disablePic().isNull() && button->picture().isNull());
        QCOMPARE(button->cursorNumber(), 31);
        QCOMPARE(button->cursor().shape(), Qt::ArrowCursor);
    }

    void cursorThirtyOneIsTheRegisteredOne()
    {
        CursorRegistry::set(31, QCursor(Qt::CrossCursor));
        IBtn registered;
        CursorRegistry::remove(31);
        IBtn unregistered;
        QCOMPARE(registered.cursor().shape(), Qt::CrossCursor);
        QCOMPARE(unregistered.cursor().shape(), Qt::ArrowCursor);
    }

    void pressShiftsAndReleaseReturns_data()
    {
        QTest::addColumn<Qt::MouseButton>("mouse");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("down");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("left") << Qt::LeftButton << 1 << 1
                              << QStringList{"pressed@10,20", "clicked@11,21", "released@11,21"};
        QTest::newRow("right") << Qt::RightButton << 1 << 1 << QStringList{"pressed@10,20", "released@11,21"};
        QTest::newRow("middle") << Qt::MiddleButton << 1 << 1 << QStringList{"pressed@10,20", "released@11,21"};
        QTest::newRow("left, larger moves")
            << Qt::LeftButton << 3 << 5 << QStringList{"pressed@10,20", "clicked@13,25", "released@13,25"};
        QTest::newRow("left, no moves") << Qt::LeftButton << 0 << 0
                                        << QStringList{"pressed@10,20", "clicked@10,20", "released@10,20"};
        QTest::newRow("right, no moves") << Qt::RightButton << 0 << 0 << QStringList{"pressed@10,20", "released@10,20"};
    }

    void pressShiftsAndReleaseReturns()
    {
        QFETCH(Qt::MouseButton, mouse);
        QFETCH(int, right);
        QFETCH(int, down);
        QFETCH(QStringList, expected);
        button->setMoveRight(quint8(right));
        button->setMoveDown(quint8(down));
        pressAndRelease(mouse, QPoint(40, 12));
        QCOMPARE(events, expected);
        QCOMPARE(button->pos(), QPoint(10, 20));
    }

    void clickNeedsTheReleaseInsideTheShiftedButton_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("moves");
        QTest::addColumn<bool>("clicks");
        QTest::newRow("top row") << QPoint(40, 0) << 1 << false;
        QTest::newRow("left column") << QPoint(0, 12) << 1 << false;
        QTest::newRow("top-left corner") << QPoint(0, 0) << 1 << false;
        QTest::newRow("second row and column") << QPoint(1, 1) << 1 << true;
        QTest::newRow("bottom-right corner") << QPoint(79, 24) << 1 << true;
        QTest::newRow("top row, no moves") << QPoint(40, 0) << 0 << true;
    }

    void clickNeedsTheReleaseInsideTheShiftedButton()
    {
        QFETCH(QPoint, at);
        QFETCH(int, moves);
        QFETCH(bool, clicks);
        button->setMoveRight(quint8(moves));
        button->setMoveDown(quint8(moves));
        QSignalSpy clicked(button, &IBtn::clicked);
        pressAndRelease(Qt::LeftButton, at);
        QCOMPARE(clicked.size(), clicks ? 1 : 0);
        QCOMPARE(button->pos(), QPoint(10, 20));
    }

    void releaseAwayFromTheButtonGivesNoClick()
    {
        QSignalSpy clicked(button, &IBtn::clicked);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(40, 12));
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 100));
        QCOMPARE(clicked.size(), 0);
        QCOMPARE(button->pos(), QPoint(10, 20));
    }

    void pictureIsDrawnFromTheTopLeftAndClipped()
    {
        QPixmap picture(200, 100);
        picture.fill(Qt::blue);
        {
            QPainter painter(&picture);
            painter.fillRect(0, 0, 5, 5, Qt::red);
        }
        button->setPicture(picture);
        const QImage image = button->grab().toImage();
        QCOMPARE(image.size(), QSize(80, 25));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(image.pixelColor(79, 24), QColor(Qt::blue));
    }

    void isEnableSwitchesLooks()
    {
        button->setPicture(filled(button->size(), Qt::blue));
        button->setDisablePic(filled(button->size(), Qt::yellow));
        button->setIsEnable(false);
        QVERIFY(!button->isEnable());
        QCOMPARE(shown(), QColor(Qt::yellow));
        button->setIsEnable(true);
        QCOMPARE(shown(), QColor(Qt::blue));
        QCOMPARE(button->picture().toImage(), filled(button->size(), Qt::blue).toImage());
    }

    void falseTwiceLosesTheNormalLook()
    {
        button->setPicture(filled(button->size(), Qt::blue));
        button->setDisablePic(filled(button->size(), Qt::yellow));
        button->setIsEnable(false);
        button->setIsEnable(false);
        button->setIsEnable(true);
        QCOMPARE(shown(), QColor(Qt::yellow));
    }

    void trueOnANeverFalseButtonBlanksIt()
    {
        button->setPicture(filled(button->size(), Qt::blue));
        button->setIsEnable(true);
        QVERIFY(button->picture().isNull());
    }

    void emptyDisablePicBlanksUntilTheNextPicture()
    {
        button->setPicture(filled(button->size(), Qt::blue));
        button->setIsEnable(false);
        QVERIFY(button->picture().isNull());
        button->setPicture(filled(button->size(), Qt::green));
        QCOMPARE(shown(), QColor(Qt::green));
        // The normal look was saved and comes back.
        button->setIsEnable(true);
        QCOMPARE(shown(), QColor(Qt::blue));
    }

    void disablePicIsTheButtonsOwnCopy()
    {
        QPixmap picture = filled(button->size(), Qt::yellow);
        button->setDisablePic(picture);
        {
            QPainter painter(&picture);
            painter.fillRect(picture.rect(), Qt::red);
        }
        QCOMPARE(button->disablePic().toImage().pixelColor(2, 2), QColor(Qt::yellow));
        button->setIsEnable(false);
        QCOMPARE(shown(), QColor(Qt::yellow));
    }

    void pathIsOpenedOnEveryPress_data()
    {
        QTest::addColumn<QString>("path");        // below a temporary folder when it starts with "@"
        QTest::addColumn<QString>("folderThen");  // the current folder when opened; "" for unchanged
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("error");
        QTest::newRow("program with its folder") << "@tools/prog.exe"
                                                 << "@tools" << true << "";
        QTest::newRow("bare program name") << "prog.exe"
                                           << "" << false << "I/O error 2";
        QTest::newRow("program in a missing folder") << "/nonexistent/prog.exe"
                                                     << "" << false << "I/O error 2";
        QTest::newRow("program in a backslash folder") << "C:\\Tools\\prog.exe"
                                                       << "" << false << "I/O error 2";
        QTest::newRow("upper-case EXE") << "@tools/PROG.EXE"
                                        << "" << true << "";
        QTest::newRow("dot in a folder name only") << "@tools.exe/readme"
                                                   << "" << true << "";
        QTest::newRow("document name") << "play"
                                       << "" << true << "";
        QTest::newRow("empty") << ""
                               << "" << false << "";
    }

    void pathIsOpenedOnEveryPress()
    {
        QFETCH(QString, path);
        QFETCH(QString, folderThen);
        QFETCH(bool, opens);
        QFETCH(QString, error);
        QTemporaryDir temporary;
        QVERIFY(QDir(temporary.path()).mkpath("tools") && QDir(temporary.path()).mkpath("tools.exe"));
        const auto resolve = [&](QString text) {
            return text.startsWith('@') ? temporary.filePath(text.mid(1)) : text;
        };
        button->setPath(resolve(path));
        const QString before = QDir::currentPath();

        QTest::mousePress(button, Qt::RightButton, {}, QPoint(40, 12));
        // A failed change of folder ends the press with the button shifted.
        QCOMPARE(button->pos(), QPoint(11, 21));
        QCOMPARE(errors, error.isEmpty() ? QStringList() : QStringList{error});
        QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(39, 11));
        QCOMPARE(button->pos(), QPoint(10, 20));
        QCOMPARE(opened.size(), opens ? 1 : 0);
        if (opens) {
            QCOMPARE(opened.first().second, folderThen.isEmpty() ? before : resolve(folderThen));
            QCOMPARE(opened.first().first,
                     QUrl::fromLocalFile(QFileInfo(QDir(opened.first().second), resolve(path)).absoluteFilePath()));
        }
        if (folderThen.isEmpty())
            QCOMPARE(QDir::currentPath(), before);

        pressAndRelease(Qt::LeftButton, QPoint(40, 12));
        QCOMPARE(opened.size(), opens ? 2 : 0);
    }

    void failedFolderChangeWithoutAHandlerIsLogged()
    {
        IBtn::setErrorHandler({});
        button->setPath("prog.exe");
        QTest::ignoreMessage(QtWarningMsg, "I/O error 2");
        pressAndRelease(Qt::LeftButton, QPoint(40, 12));
        QVERIFY(opened.isEmpty());
    }
};

QTEST_MAIN(IBtnTest)
#include "IBtnTest.moc"
