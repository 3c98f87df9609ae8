#pragma once

#include "CapturedCodeStore.h"
#include "ConverterLibrary.h"
#include "TCollectCode.h"

class IBtn;
class Tmainselfstudy;

// Learning keys in the main window: the start/stop button, learning one key
// with a capture thread, storing what it captured and the capture-failed
// steps. It works on the window's state and widgets; the storing itself is
// CapturedCodeStore's, this class only shows its outcome.
class LearningSession
{
public:
    explicit LearningSession(Tmainselfstudy &window);

    void beginstudyibtnClick();
    // Learning stops as the stop button stops it; nothing when it is off.
    void leavelearning();
    // Learning mode is on and no key is pending.
    void learnkey(IBtn *key);
    void capturefailed(const QString &reason = {});
    // The capture thread's completion handler.
    void storecapturedcode();
    // A capture of a code the user gave, stored for `key` as a capture is; a
    // capture `key` waits for is no longer wanted.
    void learnfromcapture(IBtn *key, const std::string &capture);

    // The clock of the capture window; empty means the steady clock.
    void setCaptureClock(TCollectCode::Clock clock) { m_clock = std::move(clock); }

private:
    void startlearning();
    void stoplearning();
    void showanimation();
    void hideanimation(const QPixmap &hint);
    // Stores the capture for the pending key and shows the outcome; the
    // trimmed capture replaces `*trimmed` when given.
    void storecode(const std::string &capture, std::string *trimmed);
    void showoutcome(const CapturedCodeStore::Result &result, IBtn *key);

    Tmainselfstudy &w;
    ConverterLibrary m_converter;
    CapturedCodeStore m_store;
    TCollectCode::Clock m_clock;
    // A code the user gave is being stored for the pending key.
    bool m_storinggivencode = false;
};
