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
    m_answers.append({Kind::Box, answer, std::move(action), {}, {}});
    return *this;
}

ScriptedBoxes &ScriptedBoxes::thenFile(const QString &path)
{
    m_answers.append({Kind::File, {}, {}, path, {}});
    return *this;
}

ScriptedBoxes &ScriptedBoxes::thenText(std::optional<QString> text)
{
    m_answers.append({Kind::Text, {}, {}, std::move(text), {}});
    return *this;
}

ScriptedBoxes &ScriptedBoxes::thenItem(std::optional<int> item)
{
    m_answers.append({Kind::Item, {}, {}, {}, item});
    return *this;
}

std::optional<ScriptedBoxes::Answer> ScriptedBoxes::next(Kind kind, const QString &caption, const QString &text)
{
    m_shown.append(
        {caption, text, {}, MessageBoxes::Button::Ok, MessageBoxes::Button::Ok, MessageBoxes::Icon::Question});
    if (m_answers.isEmpty() || m_answers.first().kind != kind) {
        ++m_unscripted;
        return std::nullopt;
    }
    const Answer answer = m_answers.takeFirst();
    if (answer.action)
        answer.action();
    return answer;
}

MessageBoxes::Button ScriptedBoxes::exec(const MessageBoxes::Box &box)
{
    const std::optional<Answer> answer = next(Kind::Box, box.caption, box.text);
    m_shown.last() = box;
    return answer ? answer->button : box.escapeButton;
}

QString ScriptedBoxes::chooseFile(const MessageBoxes::FileRequest &request)
{
    const std::optional<Answer> answer = next(Kind::File, request.caption, request.suggested);
    return answer ? answer->text.value_or(QString()) : QString();
}

std::optional<QString> ScriptedBoxes::enterText(const MessageBoxes::TextRequest &request)
{
    const std::optional<Answer> answer = next(Kind::Text, request.caption, request.label);
    return answer ? answer->text : std::nullopt;
}

std::optional<int> ScriptedBoxes::chooseItem(const MessageBoxes::ItemRequest &request)
{
    const std::optional<Answer> answer = next(Kind::Item, request.caption, request.label);
    return answer ? answer->item : std::nullopt;
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
