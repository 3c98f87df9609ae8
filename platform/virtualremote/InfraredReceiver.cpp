#include "InfraredReceiver.h"

#include "ReceiverCapture.h"

void InfraredReceiver::arm()
{
    m_armed = true;
    m_capture.reset();
}

void InfraredReceiver::disarm()
{
    m_armed = false;
    m_capture.reset();
}

bool InfraredReceiver::hear(const InfraredSignal &signal)
{
    if (!waiting()) {
        return false;
    }
    m_capture = ReceiverCapture::text(signal);
    return m_capture.has_value();
}

std::optional<std::string> InfraredReceiver::collect()
{
    if (!m_armed || !m_capture) {
        return std::nullopt;
    }
    std::optional<std::string> capture = std::move(m_capture);
    disarm();
    return capture;
}
