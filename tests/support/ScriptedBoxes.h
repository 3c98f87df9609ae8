#pragma once

#include <QList>
#include <QStringList>

#include "MessageBoxes.h"

// A presenter for tests: answers boxes from a script, in order, and records
// every box shown. A box that appears with no answer left, or an answer that
// is never used, makes verify() fail. Installs itself for its lifetime.
class ScriptedBoxes : public MessageBoxes::Presenter
{
public:
    ScriptedBoxes();
    ~ScriptedBoxes() override;

    // The next box is answered with `answer`; `action` runs first, as if the
    // user did something (plugged the remote in) before answering.
    ScriptedBoxes &then(MessageBoxes::Button answer, std::function<void()> action = {});
    MessageBoxes::Button exec(const MessageBoxes::Box &box) override;
    void open(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done) override;

    const QList<MessageBoxes::Box> &shown() const { return m_shown; }
    QStringList texts() const;
    // Empty when every box had an answer and every answer was used.
    QString problems() const;
    // Forget what was shown and what was left (between phases of a test).
    void clear();

private:
    struct Answer
    {
        MessageBoxes::Button button;
        std::function<void()> action;
    };
    QList<Answer> m_answers;
    QList<MessageBoxes::Box> m_shown;
    int m_unscripted = 0;
};

// Use in a test function: QVERIFY2 with the problems text.
#define VERIFY_BOXES(boxes) QVERIFY2((boxes).problems().isEmpty(), qPrintable((boxes).problems()))
