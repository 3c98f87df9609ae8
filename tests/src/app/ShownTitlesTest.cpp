#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "IBtn.h"
#include "ProcessEntry.h"
#include "RemoteMessages.h"
#include "RemotePanel.h"
#include "TestTime.h"
#include "Tmainselfstudy.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

namespace
{
// An X server of the test's own (Xvfb), for as long as it lives.
class VirtualScreen
{
public:
    VirtualScreen()
    {
        int display[2];
        if (pipe(display) != 0) {
            m_why = "no pipe for Xvfb";
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            // Xvfb writes the display number it took to descriptor 3.
            dup2(display[1], 3);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24", nullptr);
            _exit(127);
        }
        close(display[1]);
        QByteArray number;
        pollfd wait{display[0], POLLIN, 0};
        char c = 0;
        while (m_pid > 0 && poll(&wait, 1, 10000) > 0 && read(display[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(display[0]);
        if (number.isEmpty()) {
            m_why = "Xvfb could not be started";
            return;
        }
        qputenv("DISPLAY", ":" + number);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    ~VirtualScreen()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    // Empty when the screen is there.
    const QString &why() const { return m_why; }

private:
    pid_t m_pid = -1;
    QString m_why;
};

// The title the X server holds for a window, as a window manager shows it.
QString shownTitle(QWidget *window)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(window->winId())});
    if (!xdotool.waitForFinished(5000) || xdotool.exitCode() != 0)
        return QStringLiteral("(no title: %1)").arg(xdotool.errorString());
    return QString::fromUtf8(xdotool.readAllStandardOutput()).chopped(1);
}

QWidget *shownWindow(const QString &caption)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == caption)
            return window;
    }
    return nullptr;
}

// A box as the X server shows it: its caption, its title and its buttons from left to right.
struct ShownBox
{
    QString caption;
    QString title;
    QStringList buttons;
    bool operator==(const ShownBox &) const = default;
};

QString describe(const QList<ShownBox> &boxes)
{
    QStringList lines;
    for (const ShownBox &box : boxes)
        lines << box.caption + " shown as \"" + box.title + "\" [" + box.buttons.join(" | ") + "]";
    return lines.join('\n');
}
}  // namespace

// What the X server shows as the titles of the program's windows and of
// every kind of box, each its own caption alone, and the boxes' buttons in
// their own order. Every box comes up through the real presenter, once
// each kind, on a virtual screen without a window manager, as scripts/run
// starts the tool where there is no display.
class ShownTitlesTest : public QObject
{
    Q_OBJECT

public:
    explicit ShownTitlesTest(QString noScreen)
        : m_noScreen(std::move(noScreen))
    { }

private:
    QString m_noScreen;

private slots:
    void windowsAndBoxesShowTheirCaptions()
    {
        if (!m_noScreen.isEmpty())
            QSKIP(qPrintable(m_noScreen));
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        std::string error;
        const auto remote = VirtualRemote::open({{}, std::chrono::microseconds(0)}, &error);
        QVERIFY2(remote, error.c_str());
        VirtualRemoteDevice device(*remote);

        // The user: answers each box as it comes up, after noting how it is shown.
        QList<ShownBox> shown;
        QString splashTitle;
        int reconnects = 0;
        const auto answer = [&](QMessageBox *box) -> QString {
            const QString text = box->text();
            if (text == RemoteMessages::noRemote()) {
                if (QWidget *splash = shownWindow(QStringLiteral("启动界面")))
                    splashTitle = shownTitle(splash);
                remote->attach();
                return QStringLiteral("&Retry");
            }
            if (text == QStringLiteral("未检测到遥控器，请重新连接遥控器！")) {
                if (++reconnects == 1)
                    return QStringLiteral("Cancel");
                remote->attach();
                return QStringLiteral("&Retry");
            }
            return box->buttons().size() == 1 ? QStringLiteral("OK") : box->buttons().last()->text();
        };
        // Marked on the box itself: a box deleted after its answer may leave its address to the next one.
        const char *answered = "answeredByTheUser";
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(window);
                if (!box || !box->isVisible() || box->property(answered).toBool())
                    continue;
                box->setProperty(answered, true);
                QList<QAbstractButton *> buttons = box->buttons();
                std::sort(buttons.begin(), buttons.end(),
                          [](QAbstractButton *a, QAbstractButton *b) { return a->x() < b->x(); });
                ShownBox seen{box->windowTitle(), shownTitle(box), {}};
                for (QAbstractButton *button : buttons)
                    seen.buttons << button->text();
                shown << seen;
                const QString choice = answer(box);
                for (QAbstractButton *button : buttons) {
                    if (button->text() == choice) {
                        button->click();
                        break;
                    }
                }
                return;
            }
        });
        user.start(20);

        remote->detach();
        const std::unique_ptr<Tmainselfstudy> window = ProcessEntry::createMainWindow(device);
        QVERIFY(!window->startfailed);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QString windowTitle = shownTitle(window.get());

        IBtn *key = window->ykqbox->key(QStringLiteral("12"));
        const auto click = [](QWidget *widget) {
            QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
        };
        click(key);  // a notice: learning is off
        window->tables.keystates[1][3] = '2';
        window->updatedeletebuttons();
        click(window->beginstudyibtn);
        click(key);  // a question: learn it again?
        click(window->beginstudyibtn);
        click(window->delstudykey);
        click(key);  // a confirmation: delete it?
        remote->detach();
        QTRY_VERIFY2_WITH_TIMEOUT(reconnects == 2 && window->ykqbox->isVisible(), qPrintable(describe(shown)),
                                  TestTime::scaled(15000));
        QVERIFY(window->close());

        const QStringList retryCancel{"&Retry", "Cancel"};
        const QStringList yesNo{"&Yes", "&No"};
        const QList<ShownBox> expected{
            {"Confirm", "Confirm", {"Cancel", "&Retry"}},
            {"Information", "Information", {"OK"}},
            {"Information", "Information", yesNo},
            {"Confirm", "Confirm", yesNo},
            {"提示", "提示", retryCancel},
            {"提示", "提示", {"OK", "Cancel"}},
            {"提示", "提示", retryCancel},
        };
        QVERIFY2(shown == expected, qPrintable("boxes shown:\n" + describe(shown)));
        QCOMPARE(splashTitle, QStringLiteral("启动界面"));
        QCOMPARE(windowTitle, QStringLiteral("自学习"));
    }
};

int main(int argc, char **argv)
{
    // Before the application: it connects to the screen as it starts.
    VirtualScreen screen;
    if (!screen.why().isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ShownTitlesTest test(screen.why());
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "ShownTitlesTest.moc"
