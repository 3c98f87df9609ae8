#include "LearningSession.h"

#include <QLabel>
#include <QScopedValueRollback>

#include "AnimationFile.h"
#include "HintAnimationPlayer.h"
#include "IBtn.h"
#include "MemoryTools.h"
#include "MessageBoxes.h"
#include "ModeSlice.h"
#include "RemotePanel.h"
#include "Tmainselfstudy.h"

namespace
{
QString name(const IBtn *key)
{
    return RemotePanel::displayName(key);
}
}  // namespace

LearningSession::LearningSession(Tmainselfstudy &window)
    : w(window)
    , m_store(window.tables, window.device(),
              [this](const std::string &input, int carrierHz, const std::string &storedFormats) {
                  return m_converter.convert(input, carrierHz, storedFormats);
              })
{ }

void LearningSession::beginstudyibtnClick()
{
    if (w.deletemode) {
        MessageBoxes::notice(
            QStringLiteral("It is deleting now! Please stop deleting first if you want to stop to learn！"));
        return;
    }
    w.studymode = !w.studymode;
    if (w.studymode)
        startlearning();
    else
        stoplearning();
}

void LearningSession::leavelearning()
{
    if (!w.studymode)
        return;
    w.studymode = false;
    stoplearning();
}

void LearningSession::startlearning()
{
    w.beginstudyibtn->setIsEnable(false);  // shows "Stop learning"
    w.Imagehint->setPixmap(w.pictures.staticpicture);
    w.runstate_lab->setText(QStringLiteral("click one button needs to learn left."));
    w.showhintpanel();
}

void LearningSession::stoplearning()
{
    hideanimation(w.pictures.hintpicture);
    w.runstate_lab->clear();
    w.showhintpanel();
    // The pending key shows what it holds again; its capture's outcome, when it
    // comes, finds no key waiting and is dropped.
    if (!w.pendingkeys.isEmpty())
        w.setkeypicture(w.pendingkeys.takeFirst(), w.pictures.normalpics);
    w.refreshkeypictures();
    w.beginstudyibtn->setIsEnable(true);
    if (w.collectthread)
        w.collectthread->requestInterruption();
}

void LearningSession::learnkey(IBtn *key)
{
    if (ModeSlice(w.tables, w.devicemode).isLearned(key->code().toStdString())
        && !MessageBoxes::question(name(key) + QStringLiteral("button has learnt, do you need to learn again?")))
        return;
    w.setkeypicture(key, w.pictures.selectedpics);
    w.runstate_lab->setText(QStringLiteral("press a button to be learnt on original RC"));
    showanimation();
    w.pendingkeys.append(key);
    // A stopped capture still winding down will report to this key instead.
    if (w.collectthread)
        return;
    w.collectthread = TCollectCode::start(
        w.device(), w.collectedcode, &w, [this] { storecapturedcode(); }, m_clock);
}

void LearningSession::showanimation()
{
    w.Imagehint->hide();
    w.donghuaflash2->setMovie(AnimationFile::path());
    w.donghuaflash2->show();
    w.donghuaflash2->play();
}

void LearningSession::hideanimation(const QPixmap &hint)
{
    w.donghuaflash2->stop();
    w.donghuaflash2->hide();
    w.Imagehint->show();
    w.Imagehint->setPixmap(hint);
}

void LearningSession::capturefailed(const QString &reason)
{
    if (w.pendingkeys.isEmpty())
        return;
    hideanimation(w.pictures.staticpicture);
    w.runstate_lab->setText(QStringLiteral("choose one button needs to learn again!")
                            + (reason.isEmpty() ? QString() : QStringLiteral("\n") + reason));
    MessageBoxes::notice(QString::fromLatin1(CapturedCodeStore::learnedFaillyNotice));
    // While the notice waited, learning may have ended and taken the key with it.
    if (w.pendingkeys.isEmpty())
        return;
    w.runstate_lab->repaint();
    w.setkeypicture(w.pendingkeys.takeFirst(), w.pictures.normalpics);
    w.refreshkeypictures();
}

void LearningSession::storecapturedcode()
{
    w.collectthread = nullptr;
    // A press that ends while a code given instead is stored is no longer
    // wanted: the key waiting is the one that code is for.
    if (m_storinggivencode)
        return;
    storecode(w.collectedcode, &w.collectedcode);
}

void LearningSession::learnfromcapture(IBtn *key, const std::string &capture)
{
    if (!w.pendingkeys.isEmpty() && w.collectthread)
        w.collectthread->requestInterruption();
    w.pendingkeys.removeOne(key);
    w.pendingkeys.prepend(key);
    const QScopedValueRollback<bool> storing(m_storinggivencode, true);
    storecode(capture, nullptr);
}

void LearningSession::storecode(const std::string &capture, std::string *trimmed)
{
    IBtn *key = w.pendingkeys.value(0);
    const std::string keycode = key ? key->code().toStdString() : std::string();
    const CapturedCodeStore::Result result = m_store.store(capture, keycode, w.devicemode, [this, key] {
        w.runstate_lab->setText(name(key) + QStringLiteral("is learning now！"));
        w.runstate_lab->repaint();
    });
    if (trimmed && !result.collectedcode.empty())
        *trimmed = result.collectedcode;
    if (!result.error.empty())
        qWarning("Converting the capture: %s", result.error.c_str());
    if (result.outcome == CapturedCodeStore::Outcome::NoPendingKey)
        return;
    showoutcome(result, key);
}

void LearningSession::showoutcome(const CapturedCodeStore::Result &result, IBtn *key)
{
    w.updategauge();
    // The key turns red as its code is received, after what went wrong on the way.
    for (const std::string &notice : result.notices) {
        if (notice == CapturedCodeStore::receivedNotice)
            w.setkeypicture(key, w.pictures.learnedpics);
        MessageBoxes::notice(QString::fromStdString(notice));
    }
    if (result.capturefailed()) {
        capturefailed(w.tools().roomshortage(result.outcome));
        return;
    }
    hideanimation(w.pictures.hintpicture);
    w.runstate_lab->setText(QStringLiteral("RC code has been stored in Button") + name(key));
    w.runstate_lab->repaint();
    w.pendingkeys.removeOne(key);
    if (!w.modehaslearned())
        w.deletemode = false;
    w.updatedeletebuttons();
}
