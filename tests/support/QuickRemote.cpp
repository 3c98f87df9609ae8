#include "QuickRemote.h"

#include <QtGlobal>

#include "BlockReader.h"

QuickRemote::QuickRemote()
{
    std::string error;
    remote = VirtualRemote::open(VirtualRemote::Options{{}, std::chrono::microseconds(100)}, &error);
    if (!remote)
        qFatal("virtual remote: %s", error.c_str());
    device = std::make_unique<VirtualRemoteDevice>(*remote);
    remoteid = BlockReader::readBasicInfo(*device).substr(0, 30);
}
