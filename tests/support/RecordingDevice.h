#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RemoteDevice.h"

// Passes every operation to another device and records the writes; can make
// one chosen read fail, which fault injection by count cannot single out.
class RecordingDevice : public RemoteDevice
{
public:
    struct Write
    {
        std::uint16_t address;
        std::string data;
        bool ok;
    };

    explicit RecordingDevice(RemoteDevice &inner);

    // The read with this number (1 for the next one) fails without reaching the remote.
    void failRead(int number);
    const std::vector<Write> &writes() const { return m_writes; }
    // Writes to one address.
    std::vector<Write> writesAt(std::uint16_t address) const;
    void clear();

    bool link_state() override;
    bool ReadVersion(char *buffer) override;
    bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector) override;
    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override;
    bool WCodeTypeData(const char *data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char *buffer) override;
    bool RBasicInfo(char *buffer) override;

private:
    RemoteDevice &m_inner;
    std::vector<Write> m_writes;
    int m_readsLeft = -1;
};
