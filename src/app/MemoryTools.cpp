#include "MemoryTools.h"

#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <set>

#include "CapturedCodeStore.h"
#include "IBtn.h"
#include "IrFile.h"
#include "KeyDetails.h"
#include "MemoryBackup.h"
#include "MemoryGauge.h"
#include "MemoryRestore.h"
#include "MessageBoxes.h"
#include "ModeSlice.h"
#include "PanelLayout.h"
#include "ReceiverCapture.h"
#include "RemoteImage.h"
#include "RemotePanel.h"
#include "RemoteTablesReader.h"
#include "Tmainselfstudy.h"
#include "TypedCode.h"

namespace
{
// In the strip between the hints panel and the command buttons, which the
// specified window leaves empty.
const QRect gaugePlace(440, 572, 409, 18);
const QRect menuButtonPlace(868, 568, 132, 28);

const QString backupFilter = QStringLiteral("QLR-815 memory backups (*.qlrbak);;All files (*)");
const QString signalFileFilter = QStringLiteral("Infrared signal files (*.ir);;All files (*)");

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

// A remote's identity as its bytes spell it where they are all printable
// ("QLR815-00A1B2C3"), else as the hex digits it is kept in.
QString shownIdentity(const std::string &identity)
{
    const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(identity));
    const bool printable =
        !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= ' ' && c <= '~'; });
    return printable ? QString::fromLatin1(bytes) : qs(identity);
}

// What a key is called in a file of exported codes: its name on the remote,
// one word, told apart from a key of the same name by its code.
std::string exportName(const QString &name, const QString &code, const std::set<QString> &shared)
{
    QString word = name.isEmpty() ? QStringLiteral("KEY") : name;
    word.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9+-]")), QStringLiteral("_"));
    if (name.isEmpty() || shared.count(name) > 0)
        word += QLatin1Char('_') + code;
    return word.toStdString();
}

// Display names that two keys of the remote share ("BACK", "NEXT").
std::set<QString> sharedNames()
{
    std::set<QString> seen;
    std::set<QString> shared;
    for (const KeyPlace &place : PanelLayout::keys()) {
        if (!seen.insert(place.path).second)
            shared.insert(place.path);
    }
    return shared;
}
}  // namespace

MemoryTools::MemoryTools(Tmainselfstudy &window)
    : QObject(&window)
    , w(window)
{
    m_gauge = new QLabel(&w);
    m_gauge->setObjectName(QStringLiteral("memorygauge"));
    m_gauge->setGeometry(gaugePlace);
    m_gauge->setAlignment(Qt::AlignCenter);
    m_gauge->setStyleSheet(QStringLiteral("color: white;"));
    m_gauge->setToolTip(QStringLiteral("In use, in all modes: key records holding a code, allocation slots of "
                                       "learned formats, blocks of the code area"));

    m_commands = new QMenu(&w);
    m_commands->setObjectName(QStringLiteral("memorycommands"));
    m_commands->addAction(QStringLiteral("Back up the remote…"), this, [this] { backup(); });
    m_commands->addAction(QStringLiteral("Restore a backup…"), this, [this] { restore(); });
    m_commands->addSeparator();
    m_commands->addAction(QStringLiteral("Learn from a code…"), this, [this] { learnfromcode(); });
    m_commands->addAction(QStringLiteral("Learn from an .ir file…"), this, [this] { learnfromfile(); });
    m_commands->addSeparator();
    m_commands->addAction(QStringLiteral("Export this mode's codes…"), this, [this] { exportcodes(false); });
    m_commands->addAction(QStringLiteral("Export all modes' codes…"), this, [this] { exportcodes(true); });
    // Away, the remote has nothing to read or write; the link monitor hides its picture then.
    connect(m_commands, &QMenu::aboutToShow, this, [this] {
        for (QAction *action : m_commands->actions())
            action->setEnabled(!w.ykqbox->isHidden());
    });

    m_menubutton = new QToolButton(&w);
    m_menubutton->setObjectName(QStringLiteral("memorymenu"));
    m_menubutton->setText(QStringLiteral("Backup && codes"));
    m_menubutton->setGeometry(menuButtonPlace);
    m_menubutton->setPopupMode(QToolButton::InstantPopup);
    m_menubutton->setMenu(m_commands);
    // The look of the window's panels: light, rounded, dark blue text.
    m_menubutton->setStyleSheet(QStringLiteral(
        "QToolButton { background: #f4f8fb; color: #1d3f5a; border: 1px solid #9fb9cc; border-radius: 6px;"
        " padding: 2px 18px 2px 8px; font-weight: bold; }"
        "QToolButton:hover { background: #ffffff; }"
        "QToolButton::menu-indicator { subcontrol-position: right center; right: 6px; }"));

    // What a key holds shows also while another window has the focus, as after
    // a box closes on a desktop without a window manager.
    w.setAttribute(Qt::WA_AlwaysShowToolTips);
    // A right press moves a key and its release moves it back, as for every
    // button; the key's menu opens once the key is back in place.
    for (const KeyPlace &place : PanelLayout::keys()) {
        IBtn *key = w.ykqbox->key(place.code);
        if (!key || place.deviceMode >= 0)
            continue;
        key->installEventFilter(this);
        key->setContextMenuPolicy(Qt::PreventContextMenu);
        connect(key, &IBtn::released, this, [this, key](Qt::MouseButton button) {
            if (button != Qt::RightButton)
                return;
            QTimer::singleShot(0, this, [this, key, at = QCursor::pos()] {
                QMenu *menu = keymenu(key);
                menu->setAttribute(Qt::WA_DeleteOnClose);
                menu->popup(at);
            });
        });
    }
}

void MemoryTools::updategauge()
{
    m_gauge->setText(qs(MemoryGauge::of(w.tables).text()));
}

QString MemoryTools::roomshortage(CapturedCodeStore::Outcome outcome) const
{
    const MemoryGauge gauge = MemoryGauge::of(w.tables);
    const auto counted = [](const MemoryGauge::Count &count) {
        return QStringLiteral("%1/%2").arg(count.used).arg(count.total);
    };
    switch (outcome) {
    case CapturedCodeStore::Outcome::NoFreeSlot:
        return QStringLiteral("No allocation slot is free for a new format (slots %1).")
            .arg(counted(gauge.formatSlots));
    case CapturedCodeStore::Outcome::NoRoom:
        return QStringLiteral("No room in the code area for this format (blocks %1).").arg(counted(gauge.blocks));
    default:
        return {};
    }
}

int MemoryTools::entryindex(IBtn *key) const
{
    const auto found =
        ModeSlice(w.tables, w.devicemode).find(key->code().toStdString(), KeyStateEntry::CodeMatch::Exact);
    return found ? static_cast<int>(*found) : -1;
}

std::optional<KeyStateEntry::Kind> MemoryTools::kindof(IBtn *key) const
{
    const std::map<std::string, KeyStateEntry::Kind> kinds = ModeSlice(w.tables, w.devicemode).kinds();
    const auto found = kinds.find(key->code().toStdString());
    return found == kinds.end() ? std::nullopt : std::optional<KeyStateEntry::Kind>(found->second);
}

QString MemoryTools::keydetails(IBtn *key)
{
    const std::optional<KeyStateEntry::Kind> kind = kindof(key);
    if (!kind || *kind == KeyStateEntry::Kind::None)
        return {};
    const QString how =
        *kind == KeyStateEntry::Kind::Learned ? QStringLiteral("learned code") : QStringLiteral("downloaded code");
    std::string why;
    const std::optional<KeyDetails> details =
        KeyDetails::read(w.device(), w.tables, m_converter, entryindex(key), &why);
    const QString name = RemotePanel::displayName(key);
    if (!details)
        return name + QStringLiteral(": a ") + how + QStringLiteral("; what it holds cannot be told: ") + qs(why);
    return name + QStringLiteral(": ") + qs(details->holds()) + QStringLiteral("\n") + how.left(1).toUpper()
           + how.mid(1);
}

void MemoryTools::showdetails(IBtn *key)
{
    const QString details = keydetails(key);
    MessageBoxes::notice(details.isEmpty() ? RemotePanel::displayName(key) + QStringLiteral(": no code") : details);
}

bool MemoryTools::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<IBtn *>(watched);
    const QString details = keydetails(key);
    if (details.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), details, key);
    return true;
}

QMenu *MemoryTools::keymenu(IBtn *key)
{
    auto *menu = new QMenu(&w);
    menu->setObjectName(QStringLiteral("keymenu"));
    const std::optional<KeyStateEntry::Kind> kind = kindof(key);
    const bool listed = kind.has_value();
    const bool holds = listed && *kind != KeyStateEntry::Kind::None;
    const bool learned = listed && *kind == KeyStateEntry::Kind::Learned;
    // Another key waiting for its press keeps the learning for itself.
    const bool learnable = listed && w.studymode && (w.pendingkeys.isEmpty() || w.pendingkeys.first() == key);
    const QString name = RemotePanel::displayName(key);

    menu->addAction(QStringLiteral("What %1 holds…").arg(name), this, [this, key] { showdetails(key); })
        ->setEnabled(holds);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Learn from a code…"), this, [this, key] { learnfromcode(key); })
        ->setEnabled(learnable);
    menu->addAction(QStringLiteral("Learn from an .ir file…"), this, [this, key] { learnfromfile(key); })
        ->setEnabled(learnable);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Delete the learned code…"), this, [this, key] { w.deletekey(key); })
        ->setEnabled(learned && !w.studymode);
    return menu;
}

IBtn *MemoryTools::codetarget(IBtn *key)
{
    if (!w.studymode) {
        MessageBoxes::notice(QStringLiteral("Please click on Start to learn first!"));
        return nullptr;
    }
    IBtn *waiting = w.pendingkeys.value(0);
    if (!key && !waiting) {
        MessageBoxes::notice(QStringLiteral("Click the key to teach on the remote picture first, or right-click it."));
        return nullptr;
    }
    if (waiting && key && key != waiting) {
        MessageBoxes::notice(RemotePanel::displayName(waiting)
                             + QStringLiteral(" waits for its code: give it that first, or click on Stop learning."));
        return nullptr;
    }
    return key ? key : waiting;
}

void MemoryTools::learnfromcode(IBtn *key)
{
    IBtn *target = codetarget(key);
    if (!target)
        return;
    const std::optional<QString> text = MessageBoxes::enterText(
        {QStringLiteral("Learn from a code"),
         QStringLiteral("The code for %1, as a Pronto hex code (0000 006D …)\nor as a protocol and its fields "
                        "(NEC1 D=4 F=8):")
             .arg(RemotePanel::displayName(target)),
         {}});
    if (!text)
        return;
    const TypedCode::Made made = TypedCode::signalOf(text->toStdString(), m_converter);
    learnsignal(target, made.signal, made.error);
}

void MemoryTools::learnfromfile(IBtn *key)
{
    IBtn *target = codetarget(key);
    if (!target)
        return;
    const auto chosen =
        readchosen(QStringLiteral("Learn %1 from an infrared signal file").arg(RemotePanel::displayName(target)),
                   signalFileFilter);
    if (!chosen)
        return;
    const auto &[path, contents] = *chosen;
    std::string error;
    const auto buttons = IrFile::parse(contents.toStdString(), &error);
    if (!buttons || buttons->empty()) {
        MessageBoxes::notice(QStringLiteral("%1 is no infrared signal file with buttons: %2")
                                 .arg(path, buttons ? QStringLiteral("it holds none") : qs(error)));
        return;
    }
    std::size_t button = 0;
    if (buttons->size() > 1) {
        QStringList items;
        for (const IrFile::Button &each : *buttons)
            items << qs(IrFile::summary(each));
        const std::optional<int> item =
            MessageBoxes::chooseItem({QStringLiteral("Learn from an infrared signal file"),
                                      QStringLiteral("The button of %1 to teach %2:")
                                          .arg(QFileInfo(path).fileName(), RemotePanel::displayName(target)),
                                      items});
        if (!item)
            return;
        button = std::size_t(*item);
    }
    const TypedCode::Made made = TypedCode::signalOf((*buttons)[button], m_converter);
    learnsignal(target, made.signal, made.error);
}

void MemoryTools::learnsignal(IBtn *key, const std::optional<InfraredSignal> &signal, const std::string &error)
{
    // Nothing is changed by a code that makes no signal.
    const std::optional<std::string> capture = signal ? ReceiverCapture::text(*signal) : std::nullopt;
    if (!capture) {
        MessageBoxes::notice(QStringLiteral("This code cannot be learned: %1")
                                 .arg(signal ? QStringLiteral("its signal is empty") : qs(error)));
        return;
    }
    w.learnfromcapture(key, *capture);
}

bool MemoryTools::backup()
{
    const auto image = RemoteImage::read(w.device());
    if (!image) {
        MessageBoxes::notice(QStringLiteral("The remote's memory could not be read; nothing was saved."));
        return false;
    }
    const QString suggested =
        QStringLiteral("qlr-815-%1.qlrbak").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
    const QString path = savechosen(QStringLiteral("Back up the remote"), backupFilter, suggested,
                                    MemoryBackup::of(*image, QDateTime::currentDateTimeUtc()).file());
    if (path.isEmpty())
        return false;
    MessageBoxes::notice(QStringLiteral("The remote's memory is saved in %1.").arg(path));
    return true;
}

bool MemoryTools::offerbackup()
{
    if (!MessageBoxes::question(QStringLiteral("Back up the remote's memory before clearing the mode?")))
        return true;
    return backup();
}

void MemoryTools::restore()
{
    if (w.studymode || w.deletemode) {
        MessageBoxes::notice(w.studymode ? QStringLiteral("Please click on Stop learning before restoring a backup.")
                                         : QStringLiteral("Please click on Stop deleting before restoring a backup."));
        return;
    }
    const auto chosen = readchosen(QStringLiteral("Restore a backup"), backupFilter);
    if (!chosen)
        return;
    const auto &[path, contents] = *chosen;
    const MemoryBackup::Read read = MemoryBackup::read(contents);
    if (!read.backup) {
        MessageBoxes::notice(QStringLiteral("%1 cannot be restored: %2. Nothing was written.")
                                 .arg(QFileInfo(path).fileName(), qs(read.detail)));
        return;
    }
    const MemoryBackup &backup = *read.backup;
    const QString when = backup.date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (backup.identity != w.remoteid
        && !MessageBoxes::question(QStringLiteral("This backup of %1 was made of another remote (%2; this one is "
                                                  "%3). Put its learned codes on this remote all the same?")
                                       .arg(when, shownIdentity(backup.identity), shownIdentity(w.remoteid))))
        return;
    if (!MessageBoxes::confirmation(QStringLiteral("Restore the backup of %1? Every key then holds what it held "
                                                   "then; what was learned since is lost.")
                                        .arg(when)))
        return;

    const MemoryRestore::Result result = MemoryRestore::restore(w.device(), w.tables, backup.image);
    if (result.outcome != MemoryRestore::Outcome::TablesUnusable)
        reloadtables();
    switch (result.outcome) {
    case MemoryRestore::Outcome::Restored:
        MessageBoxes::notice(QStringLiteral("The backup of %1 is restored. The remote holds: %2.")
                                 .arg(when, qs(result.restored.text())));
        break;
    case MemoryRestore::Outcome::Differs: {
        QStringList differences;
        for (const std::string &difference : result.differences)
            differences << qs(difference);
        MessageBoxes::notice(QStringLiteral("The backup of %1 was written, but the remote now differs from it in %2.")
                                 .arg(when, differences.join(QStringLiteral(", "))));
        break;
    }
    case MemoryRestore::Outcome::TablesUnusable:
        MessageBoxes::notice(QStringLiteral("This backup cannot be put on this remote: %1. Nothing was written.")
                                 .arg(qs(result.detail)));
        break;
    case MemoryRestore::Outcome::WriteRefused:
        MessageBoxes::notice(QStringLiteral("Restoring stopped: the remote refused a write while %1. What it holds is "
                                            "sound; restore again to finish.")
                                 .arg(qs(result.detail)));
        break;
    case MemoryRestore::Outcome::ReadBackFailed:
        MessageBoxes::notice(QStringLiteral("The backup of %1 was written, but the remote could not be read back to "
                                            "compare.")
                                 .arg(when));
        break;
    }
}

void MemoryTools::reloadtables()
{
    // As start-up reads them: the window then shows what the remote holds now.
    RemoteTablesReader::Result read = RemoteTablesReader::read(w.device());
    if (read.outcome != RemoteTablesReader::Outcome::Ok) {
        MessageBoxes::notice(QStringLiteral("The remote's tables could not be read again: %1").arg(qs(read.reason)));
        return;
    }
    w.tables = std::move(read.tables);
    w.refreshkeypictures();
    w.updatedeletebuttons();
    w.showhintpanel();
    updategauge();
}

void MemoryTools::exportcodes(bool allModes)
{
    const std::set<QString> shared = sharedNames();
    std::vector<IrFile::Button> buttons;
    QStringList unread;
    const int first = allModes ? 0 : w.devicemode;
    const int last = allModes ? PanelLayout::modeCount - 1 : w.devicemode;
    for (int mode = first; mode <= last; ++mode) {
        const std::size_t begin = std::size_t(mode) * std::size_t(w.tables.keyspermode);
        const std::size_t end = std::min(w.tables.keystates.size(), begin + std::size_t(w.tables.keyspermode));
        for (std::size_t i = begin; i < end; ++i) {
            const std::string &entry = w.tables.keystates[i];
            const auto kind = KeyStateEntry::kind(entry);
            if (!kind || *kind == KeyStateEntry::Kind::None)
                continue;
            const QString code = qs(entry.substr(0, 2));
            const KeyPlace *place = PanelLayout::key(code);
            const QString name = place ? place->path : QString();
            std::string why;
            const std::optional<KeyDetails> details =
                KeyDetails::read(w.device(), w.tables, m_converter, static_cast<int>(i), &why);
            if (!details) {
                unread << QStringLiteral("%1 %2: %3").arg(PanelLayout::modeName(mode), name, qs(why));
                continue;
            }
            const std::string word = exportName(name, code, shared);
            buttons.push_back(
                details->button(allModes ? PanelLayout::modeName(mode).toStdString() + "_" + word : word));
        }
    }
    if (buttons.empty()) {
        MessageBoxes::notice(unread.isEmpty() ? QStringLiteral("No key holds a code to export.")
                                              : QStringLiteral("No code could be exported: ") + unread.join("; "));
        return;
    }
    const QString path =
        savechosen(allModes ? QStringLiteral("Export all modes' codes")
                            : QStringLiteral("Export the codes of %1").arg(PanelLayout::modeName(w.devicemode)),
                   signalFileFilter,
                   (allModes ? QStringLiteral("QLR-815") : PanelLayout::modeName(w.devicemode)) + QStringLiteral(".ir"),
                   QByteArray::fromStdString(IrFile::write(buttons)));
    if (path.isEmpty())
        return;
    QString said = QStringLiteral("The codes of %1 keys are saved in %2.").arg(buttons.size()).arg(path);
    if (!unread.isEmpty())
        said += QStringLiteral("\nLeft out: ") + unread.join(QStringLiteral("; "));
    MessageBoxes::notice(said);
}

std::optional<std::pair<QString, QByteArray>> MemoryTools::readchosen(const QString &caption, const QString &filter)
{
    const QString path =
        MessageBoxes::chooseFile({MessageBoxes::FileRequest::Purpose::Open, caption, filter, QDir::homePath()});
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBoxes::notice(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return std::make_pair(path, file.readAll());
}

QString MemoryTools::savechosen(const QString &caption, const QString &filter, const QString &suggested,
                                const QByteArray &contents)
{
    const QString path = MessageBoxes::chooseFile(
        {MessageBoxes::FileRequest::Purpose::Save, caption, filter, QDir::home().filePath(suggested)});
    if (path.isEmpty())
        return {};
    // Written whole or not at all: a cut file is no backup.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        MessageBoxes::notice(QStringLiteral("Nothing could be saved in %1: %2").arg(path, file.errorString()));
        return {};
    }
    return path;
}
