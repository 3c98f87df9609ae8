#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CapturedCodeStore.h"
#include "InfraredSignal.h"
#include "QuickRemote.h"
#include "RemoteTables.h"

// A virtual remote in memory that learns keys by the tool's own road without
// the window: the receiver is armed, hears a signal, its capture is collected
// and stored for a key with the format codec as the converter, on working
// copies of the tables read once as start-up reads them.
class LearnedRemote
{
public:
    LearnedRemote();

    // Nothing is stored when the receiver does not take the signal.
    CapturedCodeStore::Result learn(const InfraredSignal &signal, int mode, const std::string &keycode);
    std::vector<std::uint8_t> image() const;
    VirtualRemote &remote() { return *m_quick.remote; }
    RemoteDevice &device() { return *m_quick.device; }
    // The working copies, as learning left them.
    const RemoteTables &tables() const { return m_tables; }
    // Where the record of a key lies, or -1 for a key the remote does not list.
    int recordAddress(int mode, const std::string &keycode) const;

    // The converter's answer for a capture as the remote's receiver gives it.
    static std::string convertCapture(const std::string &collectedcode);

private:
    QuickRemote m_quick;
    RemoteTables m_tables;
};
