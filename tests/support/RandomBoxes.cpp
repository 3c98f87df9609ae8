#include "RandomBoxes.h"

#include <QObject>
#include <QTimer>

RandomBoxes::RandomBoxes(std::uint32_t seed)
    : m_random(seed)
{
    MessageBoxes::setPresenter(this);
}

RandomBoxes::~RandomBoxes()
{
    MessageBoxes::setPresenter(nullptr);
}

MessageBoxes::Button RandomBoxes::answer(const MessageBoxes::Box &box)
{
    ++m_shown;
    ++m_texts[box.text];
    if (beforeAnswer) {
        if (const auto chosen = beforeAnswer(box))
            return *chosen;
    }
    if (box.buttons.isEmpty())
        return box.escapeButton;
    std::uniform_int_distribution<qsizetype> pick(0, box.buttons.size() - 1);
    return box.buttons.at(pick(m_random));
}

MessageBoxes::Button RandomBoxes::exec(const MessageBoxes::Box &box)
{
    return answer(box);
}

void RandomBoxes::open(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done)
{
    later(nullptr, box, std::move(done));
}

void RandomBoxes::openOwned(const MessageBoxes::Box &box, QObject *owner,
                            std::function<void(MessageBoxes::Button)> done)
{
    later(owner, box, std::move(done));
}

void RandomBoxes::later(QObject *context, const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done)
{
    ++m_unanswered;
    auto answered = [this, box, done = std::move(done)] {
        --m_unanswered;
        done(answer(box));
    };
    if (!context) {
        QTimer::singleShot(0, std::move(answered));
        return;
    }
    const QMetaObject::Connection withdrawn =
        QObject::connect(context, &QObject::destroyed, [this] { --m_unanswered; });
    // Answered only while the owner lives; its end withdraws the box.
    QTimer::singleShot(0, context, [withdrawn, answered = std::move(answered)] {
        QObject::disconnect(withdrawn);
        answered();
    });
}
