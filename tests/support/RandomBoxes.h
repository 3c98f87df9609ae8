#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <random>

#include "MessageBoxes.h"

// A presenter that answers every box at random among its buttons, as a user
// who clicks anything would. Modal boxes are answered at once, modeless ones
// from the event loop; `unanswered` counts the modeless boxes still open.
// `beforeAnswer` runs first (the user may unplug or plug in the remote while
// a box is up) and may choose the answer itself.
class RandomBoxes : public MessageBoxes::Presenter
{
public:
    using Choice = std::function<std::optional<MessageBoxes::Button>(const MessageBoxes::Box &box)>;

    explicit RandomBoxes(std::uint32_t seed);
    ~RandomBoxes() override;

    MessageBoxes::Button exec(const MessageBoxes::Box &box) override;
    void open(const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done) override;
    // A box withdrawn with its owner is not answered, and not counted as open.
    void openOwned(const MessageBoxes::Box &box, QObject *owner,
                   std::function<void(MessageBoxes::Button)> done) override;
    // The random user asks for no file, text or choice, and cancels any.
    QString chooseFile(const MessageBoxes::FileRequest &) override { return {}; }
    std::optional<QString> enterText(const MessageBoxes::TextRequest &) override { return std::nullopt; }
    std::optional<int> chooseItem(const MessageBoxes::ItemRequest &) override { return std::nullopt; }

    Choice beforeAnswer;
    int unanswered() const { return m_unanswered; }
    long shown() const { return m_shown; }
    // Boxes shown with exactly this text.
    long shown(const QString &text) const { return m_texts.value(text); }

private:
    void later(QObject *context, const MessageBoxes::Box &box, std::function<void(MessageBoxes::Button)> done);
    MessageBoxes::Button answer(const MessageBoxes::Box &box);

    std::mt19937 m_random;
    int m_unanswered = 0;
    long m_shown = 0;
    QHash<QString, long> m_texts;
};
