#include "CodeDeletion.h"

#include <QLabel>

#include "BlockLayout.h"
#include "CapturedCodeStore.h"
#include "IBtn.h"
#include "LearnedCodeStore.h"
#include "MessageBoxes.h"
#include "ModeSlice.h"
#include "RemoteWrite.h"
#include "Tmainselfstudy.h"

namespace
{
void neverLearned()
{
    MessageBoxes::notice(QStringLiteral("This button is never done for learning before!"));
}
}  // namespace

CodeDeletion::CodeDeletion(Tmainselfstudy &window)
    : w(window)
{ }

void CodeDeletion::IBtn78Click()
{
    if (w.studymode) {
        MessageBoxes::notice(QStringLiteral("It is learning now! Please click on Stop learning for other operations!"));
        return;
    }
    w.deletemode = !w.deletemode;
    if (w.deletemode) {
        w.runstate_lab->setText(QStringLiteral("Please click a button needs to delete on the URC panel left"));
        w.delstudykey->setPicture(w.pictures.stopdeletepicture);
    } else {
        w.runstate_lab->clear();
        w.delstudykey->setPicture(w.pictures.deletepicture);
    }
    w.showhintpanel();
}

void CodeDeletion::deletekey(IBtn *key)
{
    if (!w.pendingkeys.isEmpty())
        w.pendingkeys.removeFirst();
    const std::string code = key->code().toStdString();
    const auto found = ModeSlice(w.tables, w.devicemode).find(code, KeyStateEntry::CodeMatch::Exact);
    if (!found || !KeyStateEntry::isLearned(w.tables.keystates[*found])) {
        neverLearned();
        return;
    }
    w.runstate_lab->clear();
    if (!MessageBoxes::confirmation(QStringLiteral("Sure to delete the learned code of this button?")))
        return;
    // The record to drop is found as the remote's memory names keys: letter case ignored.
    const auto entry = ModeSlice(w.tables, w.devicemode).find(code, KeyStateEntry::CodeMatch::IgnoringCase);
    const int index = entry ? static_cast<int>(*entry) : -1;
    // A code the remote still holds stays the key's, in its entry and on its picture.
    if (LearnedCodeStore(w.tables, w.device()).releasekeycode(index, code)) {
        MessageBoxes::notice(QString::fromLatin1(CapturedCodeStore::deletedFaillyNotice));
        return;
    }
    w.setkeypicture(key, w.pictures.normalpics);
    MessageBoxes::notice(QStringLiteral("Deleting is finished!"));
    w.markunlearned(key->code());
    w.updategauge();
    if (!w.modehaslearned()) {
        w.deletemode = false;
        w.updatedeletebuttons();
        w.showhintpanel();
    }
}

void CodeDeletion::delallstudykeyClick()
{
    if (w.studymode) {
        MessageBoxes::notice(QStringLiteral("It is learning now! Please click on Stop Learning for other operations!"));
        return;
    }
    if (w.deletemode) {
        MessageBoxes::notice(
            QStringLiteral("It is on deleting mode! Please click on Stop Deleting first for other operations!"));
        return;
    }
    RemoteTables &tables = w.tables;
    const std::vector<std::size_t> learned = ModeSlice(tables, w.devicemode).learned();
    if (learned.empty()) {
        MessageBoxes::notice(QStringLiteral("No code can be deleted！"));
        return;
    }
    if (!w.offerbackup())
        return;
    if (!MessageBoxes::question(QStringLiteral("Sure to clear all the learned codes of the buttons?")))
        return;
    // Only the records' first byte goes: the formats they used stay allocated
    // for the keys of other modes. A key whose record the remote kept, or may
    // have kept (a failed write not read back), stays learned.
    bool kept = false;
    for (const std::size_t index : learned) {
        const auto address = static_cast<std::uint32_t>(tables.keytableaddr + BlockLayout::keyRecordBytes * index);
        if (RemoteWrite::write(w.device(), tables.writeselector, address, "00").written())
            tables.keystates[index] = KeyStateEntry::unlearned(tables.keystates[index]);
        else
            kept = true;
    }
    if (kept)
        MessageBoxes::notice(QString::fromLatin1(CapturedCodeStore::deletedFaillyNotice));
    w.refreshkeypictures();
    w.updategauge();
    w.runstate_lab->setText(QStringLiteral("Clearing is finished!"));
    MessageBoxes::notice(QStringLiteral("Clearing is finished!"));
    w.runstate_lab->repaint();
    w.updatedeletebuttons();
    w.showhintpanel();
}
