#pragma once

#include <functional>
#include <string>

#include <QObject>
#include <QThread>

#include "RemoteClient.h"

// Requests to the virtual remote's server off the window's thread: a server
// that stalls holds up its reply for the client's timeout, never the window.
// Requests go out one after another, in the order they were made.
class RemoteLink : public QObject
{
public:
    using Done = std::function<void(const RemoteClient::Reply &)>;

    explicit RemoteLink(std::string socketPath, QObject *parent = nullptr);
    ~RemoteLink() override;

    const std::string &socketPath() const { return m_socketPath; }
    // `done` runs on this object's thread with the reply; not at all once
    // this object is gone.
    void call(const std::string &request, Done done);

private:
    std::string m_socketPath;
    QThread m_thread;
    QObject *m_worker;
};
