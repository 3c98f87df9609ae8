#include "MessageBoxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace
{
QMessageBox::Icon toQt(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Information:
        return QMessageBox::Information;
    case MessageBoxes::Icon::Question:
        return QMessageBox::Question;
    case MessageBoxes::Icon::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

// Builds the QMessageBox for a box; `answers` maps each push button back.
QMessageBox *makeBox(const MessageBoxes::Box &box, QList<QPair<QAbstractButton *, MessageBoxes::Button>> &answers,
                     QWidget *parent = nullptr)
{
    auto *dialog = new QMessageBox(toQt(box.icon), box.caption, box.text, QMessageBox::NoButton, parent);
    for (MessageBoxes::Button button : box.buttons) {
        // One role for all: the platform orders buttons by role, and a box shows them in its own order.
        QPushButton *push = dialog->addButton(MessageBoxes::buttonText(button), QMessageBox::ActionRole);
        answers.append(qMakePair(static_cast<QAbstractButton *>(push), button));
        if (button == box.defaultButton)
            dialog->setDefaultButton(push);
        if (button == box.escapeButton)
            dialog->setEscapeButton(push);
    }
    return dialog;
}

MessageBoxes::Button answerOf(QMessageBox *dialog, const MessageBoxes::Box &box,
                              const QList<QPair<QAbstractButton *, MessageBoxes::Button>> &answers)
{
    for (const auto &[push, button] : answers) {
        if (dialog->clickedButton() == push)
            return button;
    }
    return box.escapeButton;
}

// The window the dialogs keep blocked while they are up, once it shows.
QWidget *owner()
{
    QWidget *window = MessageBoxes::window();
    return window && window->isVisible() ? window : nullptr;
}

class QtPresenter : public MessageBoxes::Presenter
{
public:
    MessageBoxes::Button exec(const MessageBoxes::Box &box) override
    {
        QList<QPair<QAbstractButton *, MessageBoxes::Button>> answers;
        QPointer<QMessageBox> dialog = makeBox(box, answers, owner());
        if (dialog->parentWidget())
            dialog->setWindowModality(Qt::WindowModal);
        dialog->exec();
        // Gone with its window, it was not answered.
        if (!dialog)
            return box.escapeButton;
        const MessageBoxes::Button answer = answerOf(dialog, box, answers);
        delete dialog;
        return answer;
    }

    void open(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done) override
    {
        showModeless(box, std::move(done));
    }

    void openOwned(const MessageBoxes::Box &box, QObject *owner,
                   std::function<void(MessageBoxes::Button)> done) override
    {
        QMessageBox *dialog = showModeless(box, std::move(done));
        QObject::connect(owner, &QObject::destroyed, dialog, &QObject::deleteLater);
    }

    QString chooseFile(const MessageBoxes::FileRequest &request) override
    {
        using Purpose = MessageBoxes::FileRequest::Purpose;
        return request.purpose == Purpose::Open
                   ? QFileDialog::getOpenFileName(owner(), request.caption, request.suggested, request.filter)
                   : QFileDialog::getSaveFileName(owner(), request.caption, request.suggested, request.filter);
    }

    std::optional<QString> enterText(const MessageBoxes::TextRequest &request) override
    {
        QInputDialog dialog(owner());
        dialog.setWindowTitle(request.caption);
        dialog.setLabelText(request.label);
        dialog.setOption(QInputDialog::UsePlainTextEditForTextInput);
        dialog.setTextValue(request.text);
        // A long code, such as a Pronto code, wraps at its words instead of running out of sight.
        if (auto *edit = dialog.findChild<QPlainTextEdit *>())
            edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }

    std::optional<int> chooseItem(const MessageBoxes::ItemRequest &request) override
    {
        bool ok = false;
        const QString item =
            QInputDialog::getItem(owner(), request.caption, request.label, request.items, 0, false, &ok);
        const qsizetype index = request.items.indexOf(item);
        return ok && index >= 0 ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
    }

private:
    static QMessageBox *showModeless(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done)
    {
        auto answers = std::make_shared<QList<QPair<QAbstractButton *, MessageBoxes::Button>>>();
        QMessageBox *dialog = makeBox(box, *answers);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::NonModal);
        QObject::connect(dialog, &QMessageBox::finished, dialog,
                         [dialog, box, answers, done] { done(answerOf(dialog, box, *answers)); });
        dialog->show();
        return dialog;
    }
};

MessageBoxes::Presenter *installed = nullptr;
QPointer<QWidget> blocked;
}  // namespace

QString MessageBoxes::buttonText(Button button)
{
    switch (button) {
    case Button::Ok:
        return QStringLiteral("OK");
    case Button::Cancel:
        return QStringLiteral("Cancel");
    case Button::Yes:
        return QStringLiteral("&Yes");
    case Button::No:
        return QStringLiteral("&No");
    case Button::Retry:
        return QStringLiteral("&Retry");
    }
    return {};
}

MessageBoxes::Box MessageBoxes::noticeBox(const QString &text)
{
    return {QStringLiteral("Information"), text, {Button::Ok}, Button::Ok, Button::Ok, Icon::Information};
}

MessageBoxes::Box MessageBoxes::questionBox(const QString &text)
{
    return {QStringLiteral("Information"), text, {Button::Yes, Button::No}, Button::Yes, Button::No, Icon::Information};
}

MessageBoxes::Box MessageBoxes::confirmationBox(const QString &text)
{
    return {QStringLiteral("Confirm"), text, {Button::Yes, Button::No}, Button::Yes, Button::No, Icon::Question};
}

void MessageBoxes::notice(const QString &text)
{
    exec(noticeBox(text));
}

bool MessageBoxes::question(const QString &text)
{
    return exec(questionBox(text)) == Button::Yes;
}

bool MessageBoxes::confirmation(const QString &text)
{
    return exec(confirmationBox(text)) == Button::Yes;
}

MessageBoxes::Button MessageBoxes::exec(const Box &box)
{
    return presenter().exec(box);
}

void MessageBoxes::open(const Box &box, std::function<void(Button)> done)
{
    presenter().open(box, std::move(done));
}

void MessageBoxes::open(const Box &box, QObject *owner, std::function<void(Button)> done)
{
    // Also holds for presenters that leave the box open: a late answer is dropped.
    auto guarded = [guard = QPointer<QObject>(owner), done = std::move(done)](Button answer) {
        if (guard)
            done(answer);
    };
    presenter().openOwned(box, owner, std::move(guarded));
}

void MessageBoxes::setWindow(QWidget *window)
{
    blocked = window;
}

QWidget *MessageBoxes::window()
{
    return blocked;
}

QString MessageBoxes::chooseFile(const FileRequest &request)
{
    return presenter().chooseFile(request);
}

std::optional<QString> MessageBoxes::enterText(const TextRequest &request)
{
    return presenter().enterText(request);
}

std::optional<int> MessageBoxes::chooseItem(const ItemRequest &request)
{
    return presenter().chooseItem(request);
}

void MessageBoxes::setPresenter(Presenter *presenter)
{
    installed = presenter;
}

MessageBoxes::Presenter &MessageBoxes::presenter()
{
    static QtPresenter real;
    return installed ? *installed : real;
}
