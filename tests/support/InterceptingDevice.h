#pragma once

#include <functional>
#include <string>

#include "RemoteDevice.h"

// Passes every call on to another device, except where a test intercepts it:
// a different version record, a failing read at one address, a count of calls.
class InterceptingDevice : public RemoteDevice
{
public:
    explicit InterceptingDevice(RemoteDevice &inner)
        : m_inner(inner)
    { }

    // Replaces ReadVersion: the text (empty: the call fails).
    std::function<std::string()> version;
    // Makes readdatav20 fail when it returns true for the address "HHLL".
    std::function<bool(const std::string &address)> failRead;
    int reads = 0;
    int writes = 0;

    bool link_state() override { return m_inner.link_state(); }
    bool ReadVersion(char *buffer) override;
    bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector) override;
    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override;
    bool WCodeTypeData(const char *data) override { return m_inner.WCodeTypeData(data); }
    bool SetCodeCarrierWave() override { return m_inner.SetCodeCarrierWave(); }
    bool RCollectCodeInfo(char *buffer) override { return m_inner.RCollectCodeInfo(buffer); }
    bool RBasicInfo(char *buffer) override { return m_inner.RBasicInfo(buffer); }

private:
    RemoteDevice &m_inner;
};
