#include "OriginalWindow.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "RemoteLink.h"
#include "RemotePicture.h"
#include "ReplyMessages.h"

namespace
{
QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

// The maker's part of a device's name: "NEC TV (NEC1 D=4)" prints "NEC TV".
QString brandOf(const OriginalDevice &device)
{
    return text(device.name.substr(0, device.name.find(" (")));
}
}  // namespace

OriginalWindow::OriginalWindow(const std::string &socketPath, QWidget *parent)
    : QWidget(parent)
    , m_link(new RemoteLink(socketPath, this))
    , m_picture(new RemotePicture)
    , m_devices(new QComboBox)
    , m_linkLabel(new QLabel)
    , m_statusLabel(new QLabel)
    , m_history(new QListWidget)
    , m_attach(new QPushButton(tr("Attach")))
    , m_detach(new QPushButton(tr("Detach")))
    , m_identity(new QPushButton(tr("Swap identity")))
{
    setWindowTitle(tr("Original remote"));
    m_devices->setObjectName("device");
    m_attach->setObjectName("attach");
    m_detach->setObjectName("detach");
    m_identity->setObjectName("identity");
    m_attach->setToolTip(tr("Plug the virtual remote's USB link in"));
    m_detach->setToolTip(tr("Pull the virtual remote's USB plug"));
    m_identity->setToolTip(tr("Become another QLR-815 of the same model, or the original one again"));
    for (const OriginalDevice &device : OriginalDevices::all())
        m_devices->addItem(text(device.name));

    auto *imitates = new QLabel(tr("Imitates"));
    imitates->setBuddy(m_devices);
    auto *hint = new QLabel(tr("Click a key to point the remote at the virtual QLR-815 and press it."));
    hint->setWordWrap(true);

    auto *linkBox = new QGroupBox(tr("Virtual QLR-815"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_detach);
    buttons->addWidget(m_attach);
    buttons->addWidget(m_identity);
    auto *linkLayout = new QVBoxLayout(linkBox);
    m_linkLabel->setWordWrap(true);
    m_linkLabel->setObjectName("link");
    linkLayout->addWidget(m_linkLabel);
    linkLayout->addLayout(buttons);

    m_statusLabel->setObjectName("status");
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setFrameShape(QFrame::StyledPanel);
    m_statusLabel->setMinimumHeight(3 * fontMetrics().height());
    m_statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_history->setObjectName("history");
    m_history->setSelectionMode(QAbstractItemView::NoSelection);
    m_history->setFocusPolicy(Qt::NoFocus);
    m_history->setWordWrap(true);
    m_history->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto *side = new QVBoxLayout;
    side->addWidget(imitates);
    side->addWidget(m_devices);
    side->addWidget(hint);
    side->addSpacing(12);
    side->addWidget(linkBox);
    side->addSpacing(12);
    side->addWidget(new QLabel(tr("Last press")));
    side->addWidget(m_statusLabel);
    side->addWidget(new QLabel(tr("Earlier")));
    side->addWidget(m_history, 1);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_picture);
    layout->addLayout(side, 1);
    resize(640, sizeHint().height());

    connect(m_picture, &RemotePicture::keyPressed, this, &OriginalWindow::press);
    connect(m_devices, &QComboBox::currentIndexChanged, this, &OriginalWindow::selectDevice);
    connect(m_attach, &QPushButton::clicked, this, [this] { changeLink("attach"); });
    connect(m_detach, &QPushButton::clicked, this, [this] { changeLink("detach"); });
    connect(m_identity, &QPushButton::clicked, this, [this] {
        if (m_status)
            changeLink(m_status->swapRequest());
    });
    connect(&m_poll, &QTimer::timeout, this, &OriginalWindow::refreshStatus);

    selectDevice(0);
    setStatusLine("Nothing sent yet");
    m_linkLabel->setText(tr("Asking the virtual remote..."));
    updateButtons();
    m_poll.start(pollIntervalMs);
    refreshStatus();
}

QString OriginalWindow::statusLine() const
{
    return m_statusLabel->text();
}

QString OriginalWindow::linkLine() const
{
    return m_linkLabel->text();
}

void OriginalWindow::selectDevice(int index)
{
    if (index < 0 || !m_remote.select(static_cast<std::size_t>(index)))
        return;
    m_picture->setBrand(brandOf(m_remote.device()));
}

void OriginalWindow::setStatusLine(const std::string &line)
{
    m_statusLabel->setText(text(line));
}

void OriginalWindow::report(const std::string &line)
{
    if (m_lastResult) {
        m_history->insertItem(0, *m_lastResult);
        delete m_history->takeItem(historyLength);
    }
    m_lastResult = text(line);
    setStatusLine(line);
}

void OriginalWindow::press(OriginalKey key)
{
    std::string error;
    const auto pressed = m_remote.press(key, &error);
    if (!pressed) {
        report(error);
        return;
    }
    setStatusLine(pressed->description + " ...");
    m_link->call(pressed->request, [this, description = pressed->description](const RemoteClient::Reply &reply) {
        report(ReplyMessages::pressed(description, reply));
        refreshStatus();
    });
}

void OriginalWindow::changeLink(const std::string &request)
{
    m_link->call(request, [this, request](const RemoteClient::Reply &reply) {
        report(ReplyMessages::linkChanged(request, reply));
        refreshStatus();
    });
}

void OriginalWindow::refreshStatus()
{
    // One question at a time: a slow server is not asked again before it answered.
    if (m_statusPending)
        return;
    m_statusPending = true;
    m_link->call("status", [this](const RemoteClient::Reply &reply) {
        m_statusPending = false;
        showStatus(reply);
    });
}

void OriginalWindow::showStatus(const RemoteClient::Reply &reply)
{
    m_status = reply.status == RemoteClient::Status::Ok ? RemoteStatus::parse(reply.data) : std::nullopt;
    if (m_status)
        m_linkLabel->setText(text(m_status->text()));
    else if (reply.status == RemoteClient::Status::Ok)
        m_linkLabel->setText(tr("The virtual remote's status makes no sense: %1").arg(text(reply.data)));
    else
        m_linkLabel->setText(text(ReplyMessages::trouble(reply)));
    updateButtons();
}

void OriginalWindow::updateButtons()
{
    m_attach->setEnabled(m_status && !m_status->attached);
    m_detach->setEnabled(m_status && m_status->attached);
    m_identity->setEnabled(m_status.has_value());
    m_identity->setText(m_status && m_status->otherIdentity ? tr("Be the original") : tr("Be another remote"));
}
