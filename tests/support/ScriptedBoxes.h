#pragma once

#include <QList>
#include <QStringList>
#include <optional>

#include "MessageBoxes.h"

// A presenter for tests: answers boxes from a script, in order, and records
// every box shown. A box that appears with no answer left, or an answer that
// is never used, makes verify() fail. Files, texts and choices the user is
// asked for are answered from the same script, each by an answer of its own
// kind, and recorded as boxes of their caption and label. Installs itself for
// its lifetime.
class ScriptedBoxes : public MessageBoxes::Presenter
{
public:
    ScriptedBoxes();
    ~ScriptedBoxes() override;

    // The next box is answered with `answer`; `action` runs first, as if the
    // user did something (plugged the remote in) before answering.
    ScriptedBoxes &then(MessageBoxes::Button answer, std::function<void()> action = {});
    // The next file asked for is `path`; empty cancels.
    ScriptedBoxes &thenFile(const QString &path);
    // The next text asked for; nothing cancels.
    ScriptedBoxes &thenText(std::optional<QString> text);
    ScriptedBoxes &thenItem(std::optional<int> item);
    MessageBoxes::Button exec(const MessageBoxes::Box &box) override;
    void open(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done) override;
    QString chooseFile(const MessageBoxes::FileRequest &request) override;
    std::optional<QString> enterText(const MessageBoxes::TextRequest &request) override;
    std::optional<int> chooseItem(const MessageBoxes::ItemRequest &request) override;

    const QList<MessageBoxes::Box> &shown() const { return m_shown; }
    QStringList texts() const;
    // Empty when every box had an answer and every answer was used.
    QString problems() const;
    // Forget what was shown and what was left (between phases of a test).
    void clear();

private:
    enum class Kind
    {
        Box,
        File,
        Text,
        Item
    };
    struct Answer
    {
        Kind kind = Kind::Box;
        MessageBoxes::Button button = MessageBoxes::Button::Ok;
        std::function<void()> action;
        std::optional<QString> text;  // a file or a text
        std::optional<int> item;
    };
    // The next answer when it is of `kind`; nothing, counted, otherwise.
    std::optional<Answer> next(Kind kind, const QString &caption, const QString &text);
    QList<Answer> m_answers;
    QList<MessageBoxes::Box> m_shown;
    int m_unscripted = 0;
};

// Use in a test function: QVERIFY2 with the problems text.
#define VERIFY_BOXES(boxes) QVERIFY2((boxes).problems().isEmpty(), qPrintable((boxes).problems()))
