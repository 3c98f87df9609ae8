#pragma once

#include <cstdint>
#include <vector>

#include "RemoteDevice.h"

// A remote's memory image served through the device operations, read only:
// readdatav20 answers from the image as the remote would, everything else
// fails. It lets the start-up parsers read a dumped image.
class MemoryImageDevice : public RemoteDevice
{
public:
    explicit MemoryImageDevice(const std::vector<std::uint8_t> &image);

    bool link_state() override;
    bool ReadVersion(char *buffer) override;
    bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector) override;
    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override;
    bool WCodeTypeData(const char *data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char *buffer) override;
    bool RBasicInfo(char *buffer) override;

private:
    const std::vector<std::uint8_t> &m_image;
};
