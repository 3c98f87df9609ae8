#pragma once

#include "RemoteDevice.h"

class VirtualRemote;

// The device library's eight functions served by an in-process virtual remote,
// with the library's buffer conventions: ReadVersion fills at most 250 bytes,
// RBasicInfo 1024 and RCollectCodeInfo 10240, terminator included where it
// fits; readdatav20 writes exactly 16 x count characters and no terminator.
// Nothing is written past those sizes, nor into the buffer of a failed call.
class VirtualRemoteDevice : public RemoteDevice
{
public:
    static constexpr int versionBufferSize = 250;
    static constexpr int basicInfoBufferSize = 1024;
    static constexpr int captureBufferSize = 10240;

    explicit VirtualRemoteDevice(VirtualRemote &remote);

    bool link_state() override;
    bool ReadVersion(char *buffer) override;
    bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector) override;
    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override;
    bool WCodeTypeData(const char *data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char *buffer) override;
    bool RBasicInfo(char *buffer) override;

    VirtualRemote &remote() { return m_remote; }

private:
    VirtualRemote &m_remote;
};
