#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;
class QWidget;

// Every dialog the user sees goes through here. The system's boxes are of a
// few fixed kinds; a presenter shows them. The real presenter uses QMessageBox,
// and for the files, texts and choices the added tools ask for, QFileDialog
// and QInputDialog; tests install a scripted one that answers in order and
// records every box.
class MessageBoxes
{
public:
    enum class Button
    {
        Ok,
        Cancel,
        Yes,
        No,
        Retry
    };
    enum class Icon
    {
        Information,
        Question,
        Warning
    };

    struct Box
    {
        QString caption;
        QString text;
        QList<Button> buttons;
        Button defaultButton = Button::Ok;
        Button escapeButton = Button::Ok;  // also the answer when the box is closed
        Icon icon = Icon::Information;
    };

    // A file the user picks: one to read, or a name to write to.
    struct FileRequest
    {
        enum class Purpose
        {
            Open,
            Save
        };
        Purpose purpose = Purpose::Open;
        QString caption;
        QString filter;     // "Backups (*.qlrbak);;All files (*)"
        QString suggested;  // where a save starts
    };
    // Text the user types, of one or more lines.
    struct TextRequest
    {
        QString caption;
        QString label;
        QString text;  // what the field starts with
    };
    // One of a list the user picks.
    struct ItemRequest
    {
        QString caption;
        QString label;
        QStringList items;
    };

    class Presenter
    {
    public:
        virtual ~Presenter() = default;
        // Modal: returns the answer.
        virtual Button exec(const Box &box) = 0;
        // Modeless: the rest of the window stays usable; `done` gets the answer
        // on the user-interface thread.
        virtual void open(const Box &box, std::function<void(Button)> done) = 0;
        // Modeless, and closed unanswered when `owner` is destroyed first. A
        // presenter that cannot close its boxes leaves them to be answered.
        virtual void openOwned(const Box &box, QObject * /*owner*/, std::function<void(Button)> done)
        {
            open(box, std::move(done));
        }
        // Modal like the boxes; empty or nothing when the user cancels.
        virtual QString chooseFile(const FileRequest &request) = 0;
        virtual std::optional<QString> enterText(const TextRequest &request) = 0;
        virtual std::optional<int> chooseItem(const ItemRequest &request) = 0;
    };

    // Notice: "Information", one OK button.
    static void notice(const QString &text);
    // Question: "Information", "&Yes" and "&No"; true only for Yes.
    static bool question(const QString &text);
    // Confirmation: "Confirm", "&Yes" and "&No"; true only for Yes.
    static bool confirmation(const QString &text);
    static Button exec(const Box &box);
    static void open(const Box &box, std::function<void(Button)> done);
    // Modeless box bound to `owner`: when owner goes first the box closes and
    // `done` never runs, so a box can be withdrawn when its question is moot.
    static void open(const Box &box, QObject *owner, std::function<void(Button)> done);

    // The path picked; empty when the user cancels.
    static QString chooseFile(const FileRequest &request);
    static std::optional<QString> enterText(const TextRequest &request);
    // The index of the item picked.
    static std::optional<int> chooseItem(const ItemRequest &request);

    static Box noticeBox(const QString &text);
    static Box questionBox(const QString &text);
    static Box confirmationBox(const QString &text);
    static QString buttonText(Button button);

    // The window a modal box blocks, once it is shown; before that a box
    // blocks the whole application. Other windows' boxes, such as the link
    // monitor's, stay answerable while one is open.
    static void setWindow(QWidget *window);
    static QWidget *window();

    // Null restores the real presenter.
    static void setPresenter(Presenter *presenter);
    static Presenter &presenter();
};
