#include "Tmainselfstudy.h"

#include <QApplication>
#include <QLabel>

#include "BasicBlock.h"
#include "BlockReader.h"
#include "MessageBoxes.h"
#include "RemoteAcceptance.h"
#include "RemoteDevice.h"
#include "RemoteMessages.h"
#include "RemoteTablesReader.h"

namespace
{
constexpr std::uint16_t basicBlockAddress = 0xB000;

QLabel *makeLabel(QWidget *parent, const char *name, int x, int y)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    return label;
}
}  // namespace

Tmainselfstudy::Tmainselfstudy(RemoteDevice &device, QWidget *parent)
    : QWidget(parent)
    , lab_ykqtype(makeLabel(this, "lab_ykqtype", 813, 68))
    , lab_softver(makeLabel(this, "lab_softver", 812, 104))
    , lab_gjbb(makeLabel(this, "lab_gjbb", 812, 136))
    , m_device(device)
{
    setObjectName(QStringLiteral("mainselfstudy"));
    setWindowTitle(QStringLiteral("自学习"));
    FormCreate();
}

Tmainselfstudy::~Tmainselfstudy() = default;

void Tmainselfstudy::FormCreate()
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("QLR-815"));
    pendingkeys.clear();
    linkthread = nullptr;
    collectthread = nullptr;
    closing = deletemode = startfailed = false;

    if (!waitForLink()) {
        startfailed = true;
        return;
    }
    QCoreApplication::processEvents();
    identifyRemote();
}

bool Tmainselfstudy::waitForLink()
{
    const MessageBoxes::Box box{QStringLiteral("Confirm"), RemoteMessages::noRemote(),
                                {MessageBoxes::Button::Retry, MessageBoxes::Button::Cancel},
                                MessageBoxes::Button::Retry, MessageBoxes::Button::Cancel,
                                MessageBoxes::Icon::Warning};
    while (!m_device.link_state()) {
        if (MessageBoxes::exec(box) != MessageBoxes::Button::Retry)
            return false;
    }
    return true;
}

void Tmainselfstudy::identifyRemote()
{
    if (!RemoteAcceptance::isSupportedVersion(BlockReader::readVersion(m_device))) {
        startfailed = true;
        MessageBoxes::notice(RemoteMessages::unsupportedRemote());
        return;
    }
    const std::string basic = BlockReader::read(m_device, basicBlockAddress, 6, 1024);
    if (basic.size() < 68) {
        MessageBoxes::notice(RemoteMessages::noRemote());
        return;
    }
    remoteid = BasicBlock::identity(basic);
    lab_gjbb->setText(QStringLiteral(" 2.0"));

    switch (RemoteAcceptance::checkBasicBlock(basic)) {
    case RemoteAcceptance::Support::Supported:
        break;
    case RemoteAcceptance::Support::Unsupported:
        startfailed = true;
        MessageBoxes::notice(RemoteMessages::unsupportedRemote());
        return;
    case RemoteAcceptance::Support::FirmwareTooOld:
        startfailed = true;
        MessageBoxes::notice(RemoteMessages::lowFirmware());
        return;
    }
    lab_ykqtype->setText(QStringLiteral("QLR-815"));
    readParameterBlocks();
}

void Tmainselfstudy::readParameterBlocks()
{
    RemoteTablesReader::Result read = RemoteTablesReader::read(m_device);
    if (read.outcome != RemoteTablesReader::Outcome::Ok) {
        // An unreadable or implausible remote opens the window without key data.
        if (!read.reason.empty())
            qWarning("Remote tables refused: %s", read.reason.c_str());
        MessageBoxes::notice(RemoteMessages::noRemote());
        return;
    }
    tables = std::move(read.tables);
}
