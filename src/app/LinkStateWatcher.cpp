#include "LinkStateWatcher.h"

namespace
{
using Button = MessageBoxes::Button;

MessageBoxes::Box reconnectBox()
{
    return {QStringLiteral("提示"),
            QStringLiteral("未检测到遥控器，请重新连接遥控器！"),
            {Button::Retry, Button::Cancel},
            Button::Retry,
            Button::Cancel,
            MessageBoxes::Icon::Warning};
}

MessageBoxes::Box quitBox()
{
    return {QStringLiteral("提示"),
            QStringLiteral("您需要关闭自学习软件吗！"),
            {Button::Ok, Button::Cancel},
            Button::Ok,
            Button::Cancel,
            MessageBoxes::Icon::Question};
}
}  // namespace

LinkStateWatcher::LinkStateWatcher(RemoteDevice &device, const Panel &panel, std::function<bool()> closing,
                                   std::function<void()> closeWindow, QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_panel(panel)
    , m_closing(std::move(closing))
    , m_closeWindow(std::move(closeWindow))
{ }

LinkStateWatcher::~LinkStateWatcher()
{
    if (!m_thread)
        return;
    m_thread->requestStop();
    m_thread->wait();
    delete m_thread.data();
}

void LinkStateWatcher::start(const std::string &remoteid, std::chrono::milliseconds interval)
{
    if (m_thread)
        return;
    m_thread = new linkstate(m_device, remoteid, interval);
    connect(m_thread, &linkstate::linkLost, this, [this] { setPanelPresent(false); });
    connect(m_thread, &linkstate::linkRestored, this, [this] { setPanelPresent(true); });
    connect(m_thread, &linkstate::reconnectQuestion, this, [this] { ask(reconnectBox(), Button::Retry); });
    connect(m_thread, &linkstate::quitQuestion, this, [this] { ask(quitBox(), Button::Ok); });
    connect(m_thread, &QThread::finished, this, &LinkStateWatcher::monitorEnded);
    m_thread->start();
}

void LinkStateWatcher::stop()
{
    if (m_thread)
        m_thread->requestStop();
    delete m_question.data();
}

void LinkStateWatcher::setPanelPresent(bool present)
{
    if (m_panel.ykqbox)
        m_panel.ykqbox->setVisible(present);
    for (QWidget *button : {m_panel.beginstudyibtn, m_panel.delstudykey, m_panel.delallstudykey}) {
        if (button)
            button->setEnabled(present);
    }
}

void LinkStateWatcher::ask(const MessageBoxes::Box &box, MessageBoxes::Button accept)
{
    // A question queued before a stop is moot.
    if (!m_thread || m_thread->stopRequested())
        return;
    auto *question = new QObject(this);
    m_question = question;
    MessageBoxes::open(box, question, [this, question, accept](Button answer) {
        question->deleteLater();
        if (m_thread)
            m_thread->reply(answer == accept);
    });
}

void LinkStateWatcher::monitorEnded()
{
    if (!m_closing())
        m_closeWindow();
}
