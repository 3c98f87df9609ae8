#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <string>

#include "RemoteTables.h"

class QLabel;
class RemoteDevice;
#include <QThread>
class IBtn;

// The main window ("自学习"). It owns all state shared by the parts of the
// tool: the working copies of the remote's tables, the learning and deleting
// flags, the current device mode, and the threads that talk to the remote.
class Tmainselfstudy : public QWidget
{
    Q_OBJECT
public:
    // Runs the creation handler: identifies the remote and reads its tables.
    explicit Tmainselfstudy(RemoteDevice &device, QWidget *parent = nullptr);
    ~Tmainselfstudy() override;

    RemoteDevice &device() const { return m_device; }

    // --- state set by start-up ---
    bool startfailed = false;
    bool closing = false;
    bool deletemode = false;
    bool studymode = false;
    QPointer<QThread> linkthread;
    QPointer<QThread> collectthread;
    std::string remoteid;
    RemoteTables tables;  // paramaddr, keystates, blockmap, allocrecords, ...
    QList<IBtn *> pendingkeys;
    std::string collectedcode;
    int devicemode = 0;

    QLabel *lab_ykqtype;
    QLabel *lab_softver;
    QLabel *lab_gjbb;

private:
    void FormCreate();
    bool waitForLink();
    // Steps after the link is up; false when the remote was refused.
    void identifyRemote();
    void readParameterBlocks();

    RemoteDevice &m_device;
};
