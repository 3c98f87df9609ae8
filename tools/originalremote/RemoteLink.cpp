#include "RemoteLink.h"

RemoteLink::RemoteLink(std::string socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath))
    , m_worker(new QObject)
{
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

RemoteLink::~RemoteLink()
{
    m_thread.quit();
    m_thread.wait();
}

void RemoteLink::call(const std::string &request, Done done)
{
    QMetaObject::invokeMethod(
        m_worker,
        [this, socketPath = m_socketPath, request, done = std::move(done)] {
            const RemoteClient::Reply reply = RemoteClient::call(socketPath, request);
            // Posted to this object: dropped with it when the window has closed meanwhile.
            QMetaObject::invokeMethod(
                this, [done, reply] { done(reply); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
