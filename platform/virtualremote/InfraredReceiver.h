#pragma once

#include <optional>
#include <string>

#include "InfraredSignal.h"

// The remote's infrared receiver in capture mode: armed, it takes the next
// signal it hears and keeps the capture ReceiverCapture describes until it is
// collected.
class InfraredReceiver
{
public:
    // Capture mode on: a fresh capture, nothing heard yet.
    void arm();
    void disarm();
    bool armed() const { return m_armed; }
    // Armed and nothing captured yet: the next signal is taken.
    bool waiting() const { return m_armed && !m_capture; }
    // Takes the signal when waiting and the signal is sound.
    bool hear(const InfraredSignal &signal);
    // The capture as hex text, once; delivering it ends capture mode.
    std::optional<std::string> collect();

private:
    bool m_armed = false;
    std::optional<std::string> m_capture;
};
