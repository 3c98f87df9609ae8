#pragma once

#include "RemoteDevice.h"

// The remote as the program reaches it: librcport.so's eight functions.
class RcportDevice : public RemoteDevice
{
public:
    bool link_state() override;
    bool ReadVersion(char *buffer) override;
    bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector) override;
    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override;
    bool WCodeTypeData(const char *data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char *buffer) override;
    bool RBasicInfo(char *buffer) override;
};
