#include "ScriptedBoxes.h"

#include <QTimer>

ScriptedBoxes::ScriptedBoxes()
{
    MessageBoxes::setPresenter(this);
}

ScriptedBoxes::~ScriptedBoxes()
{
    // One made after it stays: a test that failed before dropping its rig must not meet a real box.
    if (&MessageBoxes::presenter() == this)
        MessageBoxes::setPresenter(nullptr);
}

ScriptedBoxes &ScriptedBoxes::then(MessageBoxes::Button answer, std::function<void()> action)
{
    m_answers.append({answer, std::move(action)});
    return *this;
}

MessageBoxes::Button ScriptedBoxes::exec(const MessageBoxes::Box &box)
{
    m_shown.append(box);
    if (m_answers.isEmpty()) {
        ++m_unscripted;
        return box.escapeButton;
    }
    const Answer answer = m_answers.takeFirst();
    if (answer.action)
        answer.action();
    return answer.button;
}

void ScriptedBoxes::open(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done)
{
    // Answered from the event loop, as a user would answer a modeless box.
    const MessageBoxes::Button answer = exec(box);
    QTimer::singleShot(0, [done, answer] { done(answer); });
}

QStringList ScriptedBoxes::texts() const
{
    QStringList result;
    for (const MessageBoxes::Box &box : m_shown)
        result.append(box.text);
    return result;
}

QString ScriptedBoxes::problems() const
{
    QStringList issues;
    if (m_unscripted > 0)
        issues.append(QStringLiteral("%1 box(es) shown without a scripted answer").arg(m_unscripted));
    if (!m_answers.isEmpty())
        issues.append(QStringLiteral("%1 scripted answer(s) never used").arg(m_answers.size()));
    if (!issues.isEmpty())
        issues.append(QStringLiteral("boxes shown: ") + texts().join(QStringLiteral(" | ")));
    return issues.join(QStringLiteral("; "));
}

void ScriptedBoxes::clear()
{
    m_answers.clear();
    m_shown.clear();
    m_unscripted = 0;
}
