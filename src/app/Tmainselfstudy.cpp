#include "Tmainselfstudy.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "AnimationFile.h"
#include "BasicBlock.h"
#include "BlockReader.h"
#include "CodeDeletion.h"
#include "DeviceModeSelector.h"
#include "DisplayMode.h"
#include "FormPictures.h"
#include "HandCursor.h"
#include "HintAnimationPlayer.h"
#include "IBtn.h"
#include "LearningSession.h"
#include "LinkStateWatcher.h"
#include "MemoryTools.h"
#include "MessageBoxes.h"
#include "ModeSlice.h"
#include "PictureLoader.h"
#include "RemoteAcceptance.h"
#include "RemoteDevice.h"
#include "RemoteMessages.h"
#include "RemotePanel.h"
#include "RemoteTablesReader.h"

namespace
{
constexpr std::uint16_t basicBlockAddress = 0xB000;
const QColor windowColour(53, 124, 168);
constexpr QSize requiredScreen{1024, 768};

QLabel *makeLabel(QWidget *parent, const char *name, int x, int y)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    return label;
}

QLabel *makePicture(QWidget *parent, const char *name, const QRect &place, const QPixmap &picture)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setScaledContents(true);
    label->setPixmap(picture);
    return label;
}

IBtn *makeButton(QWidget *parent, const QString &name, const QRect &place, const QPixmap &picture = {})
{
    auto *button = new IBtn(parent);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setPicture(picture);
    return button;
}

}  // namespace

Tmainselfstudy::Tmainselfstudy(RemoteDevice &device, QWidget *parent)
    : QWidget(parent)
    , lab_ykqtype(makeLabel(this, "lab_ykqtype", 813, 68))
    , lab_softver(makeLabel(this, "lab_softver", 812, 104))
    , lab_gjbb(makeLabel(this, "lab_gjbb", 812, 136))
    , m_device(device)
    , m_displaymode(std::make_unique<DisplayMode>())
    , m_session(std::make_unique<LearningSession>(*this))
    , m_deletion(std::make_unique<CodeDeletion>(*this))
{
    setObjectName(QStringLiteral("mainselfstudy"));
    setWindowTitle(QStringLiteral("自学习"));
    // A button whose path fails to open says so in a notice, like every box of the program.
    IBtn::setErrorHandler(&MessageBoxes::notice);
    createControls();
    FormCreate();
}

Tmainselfstudy::~Tmainselfstudy()
{
    // A capture still running would talk to a device that may go with the window.
    if (collectthread) {
        collectthread->requestInterruption();
        collectthread->wait();
    }
}

void Tmainselfstudy::setDisplayMode(std::unique_ptr<DisplayMode> displaymode)
{
    m_displaymode = std::move(displaymode);
}

void Tmainselfstudy::createControls()
{
    setWindowFlag(Qt::FramelessWindowHint);
    setFixedSize(clientSize);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, windowColour);
    setPalette(colours);
    setAutoFillBackground(true);

    // Made first, it lies under everything; the labels were made before it.
    Image1 = makePicture(this, "Image1", {0, 0, 1016, 729}, FormPictures::background());
    Image1->lower();

    const RemotePanel::Looks looks{FormPictures::face(), FormPictures::keyButton, FormPictures::deviceKeyHighlighted};
    ykqbox = new RemotePanel(looks, this);
    connect(ykqbox, &RemotePanel::keyClicked, this, &Tmainselfstudy::keyclick);
    createModeButtons();

    beginstudyibtn =
        makeButton(this, QStringLiteral("beginstudyibtn"), {400, 617, 161, 58}, FormPictures::startLearning());
    beginstudyibtn->setDisablePic(FormPictures::stopLearning());
    // Their looks come with the pictures, when the window is shown.
    delstudykey = makeButton(this, QStringLiteral("delstudykey"), {596, 618, 152, 49});
    delallstudykey = makeButton(this, QStringLiteral("delallstudykey"), {779, 618, 150, 49});
    IBtn79 = makeButton(this, QStringLiteral("IBtn79"), {969, 8, 38, 27}, FormPictures::closeButton());
    IBtn79->setToolTip(QStringLiteral("关闭软件"));
    connect(IBtn79, &IBtn::clicked, this, &QWidget::close);
    connect(beginstudyibtn, &IBtn::clicked, this, &Tmainselfstudy::beginstudyibtnClick);
    connect(delstudykey, &IBtn::clicked, this, &Tmainselfstudy::IBtn78Click);
    connect(delallstudykey, &IBtn::clicked, this, &Tmainselfstudy::delallstudykeyClick);
    for (IBtn *button : {IBtn79, beginstudyibtn, delstudykey, delallstudykey})
        HandCursor::onMove(button);

    runstate_lab = new QLabel(this);
    runstate_lab->setObjectName(QStringLiteral("runstate_lab"));
    runstate_lab->setGeometry(440, 283, 409, 99);
    runstate_lab->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    runstate_lab->setStyleSheet(QStringLiteral("color: red;"));

    Imagehint = makePicture(this, "Imagehint", {439, 319, 409, 72}, {});
    donghuaflash2 = new HintAnimationPlayer(this);
    donghuaflash2->setObjectName(QStringLiteral("donghuaflash2"));
    donghuaflash2->move(437, 316);
    donghuaflash2->hide();

    const QRect hints(440, 391, 409, 166);
    Image4 = makePicture(this, "Image4", hints, FormPictures::hintPanel(ArtNames::HintPanel::Idle));
    Image5 = makePicture(this, "Image5", hints, FormPictures::hintPanel(ArtNames::HintPanel::Learning));
    Image7 = makePicture(this, "Image7", hints, FormPictures::hintPanel(ArtNames::HintPanel::Deleting));
    Image8 = makePicture(this, "Image8", hints, FormPictures::hintPanel(ArtNames::HintPanel::LearnOnly));

    m_tools = new MemoryTools(*this);

    m_linkwatcher = new LinkStateWatcher(
        m_device, {ykqbox, beginstudyibtn, delstudykey, delallstudykey}, [this] { return closing; },
        [this] {
            // The monitor is gone and the panel with it: learning cannot go on, and would refuse the close.
            m_session->leavelearning();
            close();
        },
        this);

    centre();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::geometryChanged, this, &Tmainselfstudy::centre);
}

void Tmainselfstudy::createModeButtons()
{
    DeviceModeSelector::Pairs pairs;
    for (const ModeButtonPlace &place : PanelLayout::modeButtons()) {
        IBtn *button = makeButton(this, place.button, place.rect, FormPictures::modeButton(place.mode, false));
        button->setDisablePic(FormPictures::modeButton(place.mode, true));
        pairs[std::size_t(place.mode)] = {button, ykqbox->deviceKey(place.mode)};
    }
    for (int mode : {0, 1, 3})  // TV, CBL and DVD
        HandCursor::onMove(pairs[std::size_t(mode)].modeButton);
    m_modeselector = new DeviceModeSelector(pairs, this);
    connect(m_modeselector, &DeviceModeSelector::selected, this, &Tmainselfstudy::selectmode);
}

void Tmainselfstudy::centre()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // On a screen smaller than the window its top-left corner stays visible.
    const QRect area = screen->geometry();
    move(area.x() + std::max(0, (area.width() - width()) / 2), area.y() + std::max(0, (area.height() - height()) / 2));
}

void Tmainselfstudy::FormCreate()
{
    // The application's title. Not its display name, which X11 would append to every window's title.
    QCoreApplication::setApplicationName(QStringLiteral("QLR-815"));
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
    const MessageBoxes::Box box{QStringLiteral("Confirm"),
                                RemoteMessages::noRemote(),
                                {MessageBoxes::Button::Cancel, MessageBoxes::Button::Retry},
                                MessageBoxes::Button::Retry,
                                MessageBoxes::Button::Cancel,
                                MessageBoxes::Icon::Question};
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

void Tmainselfstudy::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_formShown) {
        m_formShown = true;
        FormShow();
    }
}

void Tmainselfstudy::FormShow()
{
    if (startfailed) {
        closeSoon();
        return;
    }
    if (!linkthread) {
        m_linkwatcher->start(remoteid, m_linkinterval);
        linkthread = m_linkwatcher->thread();
        // An unplugged remote forgets its capture mode: the capture is over, also when the
        // capture thread, busy in a slow call, only looks at the link once it is back.
        connect(m_linkwatcher->thread(), &linkstate::linkLost, this, [this] {
            if (collectthread)
                collectthread->requestInterruption();
        });
    }

    QString whyNot;
    std::optional<Pictures> loaded = PictureLoader::load(&whyNot);
    if (!loaded) {
        qWarning("Pictures not loaded: %s", qPrintable(whyNot));
        MessageBoxes::notice(QStringLiteral("load picture failly"));
        startfailed = true;
        closeSoon();
        return;
    }
    pictures = std::move(*loaded);
    donghuaflash2->setMovie(AnimationFile::path());
    MessageBoxes::setWindow(this);

    checkscreensize();
    refreshkeypictures();
    Imagehint->setPixmap(pictures.hintpicture);
    updatedeletebuttons();
    if (!modehaslearned())
        deletemode = false;
    showhintpanel();
    lab_softver->setText(QStringLiteral("V 2.2"));
    lab_softver->adjustSize();
    devicemode = 0;
    m_modeselector->highlight(devicemode);
    runstate_lab->setText(QStringLiteral("You select tv device"));
    updategauge();
}

void Tmainselfstudy::checkscreensize()
{
    const QSize screen = m_displaymode->screenSize();
    if (screen.width() >= requiredScreen.width())
        return;
    MessageBoxes::notice(QStringLiteral("Current differentiate rate of your display is%1*%2\r\n"
                                        "To run this software, please change it to  1024*768")
                             .arg(screen.width())
                             .arg(screen.height()));
    // The user may have changed it while the notice was up.
    if (m_displaymode->screenSize().width() < requiredScreen.width())
        m_displaymode->request(requiredScreen);
}

void Tmainselfstudy::closeSoon()
{
    QTimer::singleShot(0, this, &QWidget::close);
}

void Tmainselfstudy::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool Tmainselfstudy::FormCloseQuery()
{
    if (studymode && m_device.link_state()) {
        MessageBoxes::notice(
            QStringLiteral("It is learning now! Please stop learning first if you want to quit operational system！"));
        return false;
    }
    closing = true;
    m_linkwatcher->stop();
    return true;
}

void Tmainselfstudy::FormClose()
{
    donghuaflash2->stop();
    if (startfailed)
        return;
    pictures = Pictures();
    pendingkeys.clear();
    AnimationFile::remove();
}

void Tmainselfstudy::selectmode(int mode, const QString &text)
{
    if (devicemode == mode)
        return;
    devicemode = mode;
    m_modeselector->highlight(mode);
    runstate_lab->setText(text);
    refreshkeypictures();
    updatedeletebuttons();
}

void Tmainselfstudy::refreshkeypictures()
{
    const std::map<std::string, KeyStateEntry::Kind> kinds = ModeSlice(tables, devicemode).kinds();
    for (IBtn *button : findChildren<IBtn *>()) {
        const auto found = kinds.find(button->code().toStdString());
        if (found == kinds.end())
            continue;
        setkeypicture(button, keypictureset(found->second));
    }
}

const QList<QPixmap> &Tmainselfstudy::keypictureset(KeyStateEntry::Kind kind) const
{
    switch (kind) {
    case KeyStateEntry::Kind::Learned:
        return pictures.learnedpics;
    case KeyStateEntry::Kind::Downloaded:
        return pictures.downloadedpics;
    case KeyStateEntry::Kind::None:
        break;
    }
    return pictures.normalpics;
}

bool Tmainselfstudy::modehaslearned() const
{
    return ModeSlice(tables, devicemode).hasLearned();
}

void Tmainselfstudy::updatedeletebuttons()
{
    // Deleting with the remote away would change the working copies only.
    const bool learned = modehaslearned();
    const bool usable = learned && !ykqbox->isHidden();
    delstudykey->setPicture(learned ? pictures.deletepicture : pictures.deletegreypicture);
    delstudykey->setEnabled(usable);
    delallstudykey->setPicture(learned ? pictures.clearpicture : pictures.cleargreypicture);
    delallstudykey->setEnabled(usable);
}

void Tmainselfstudy::keyclick(IBtn *key)
{
    if (deletemode) {
        m_deletion->deletekey(key);
    } else if (!pendingkeys.isEmpty()) {
        MessageBoxes::notice(RemotePanel::displayName(pendingkeys.first())
                             + QStringLiteral("buttonis learning now! Click on Stop learning to stop "
                                              "learning operation!"));
    } else if (!studymode) {
        MessageBoxes::notice(QStringLiteral("Please click on Start to learn first!"));
    } else {
        m_session->learnkey(key);
    }
}

void Tmainselfstudy::beginstudyibtnClick()
{
    m_session->beginstudyibtnClick();
}

void Tmainselfstudy::IBtn78Click()
{
    m_deletion->IBtn78Click();
}

void Tmainselfstudy::delallstudykeyClick()
{
    m_deletion->delallstudykeyClick();
}

void Tmainselfstudy::capturefailed(const QString &reason)
{
    m_session->capturefailed(reason);
}

void Tmainselfstudy::storecapturedcode()
{
    m_session->storecapturedcode();
}

void Tmainselfstudy::learnfromcapture(IBtn *key, const std::string &capture)
{
    m_session->learnfromcapture(key, capture);
}

void Tmainselfstudy::deletekey(IBtn *key)
{
    m_deletion->deletekey(key);
}

void Tmainselfstudy::updategauge()
{
    m_tools->updategauge();
}

bool Tmainselfstudy::offerbackup()
{
    return m_tools->offerbackup();
}

void Tmainselfstudy::contextMenuEvent(QContextMenuEvent *event)
{
    m_tools->commandsmenu()->popup(event->globalPos());
}

void Tmainselfstudy::setCaptureClock(TCollectCode::Clock clock)
{
    m_session->setCaptureClock(std::move(clock));
}

void Tmainselfstudy::setLinkInterval(std::chrono::milliseconds interval)
{
    m_linkinterval = interval;
}

void Tmainselfstudy::markunlearned(const QString &code)
{
    if (const auto index = ModeSlice(tables, devicemode).find(code.toStdString(), KeyStateEntry::CodeMatch::Exact))
        tables.keystates[*index] = KeyStateEntry::unlearned(tables.keystates[*index]);
}

void Tmainselfstudy::showhintpanel()
{
    const bool learned = modehaslearned();
    Image5->setVisible(studymode);
    Image7->setVisible(!studymode && deletemode);
    Image4->setVisible(!studymode && !deletemode && learned);
    Image8->setVisible(!studymode && !deletemode && !learned);
}

void Tmainselfstudy::setkeypicture(IBtn *key, const QList<QPixmap> &set)
{
    const QPixmap picture = set.value(Pictures::indexOf(key->code()));
    if (!picture.isNull())
        key->setPicture(picture);
}
