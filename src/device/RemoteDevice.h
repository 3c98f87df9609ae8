#pragma once

#include <cstdint>
#include <string>

// The eight operations of the remote's device library, with the library's own
// argument conventions: zero-terminated 8-bit texts, byte buffers whose size
// the callee is not told (callers size and zero them), a truth value back.
// The program talks to librcport.so through RcportDevice; tests substitute an
// in-process virtual remote. Implementations accept concurrent calls from the
// user-interface thread, the link monitor and the capture thread.
class RemoteDevice
{
public:
    virtual ~RemoteDevice() = default;

    virtual bool link_state() = 0;
    virtual bool ReadVersion(char *buffer) = 0;  // 250 bytes
    // 16 x count hex characters at the start of buffer; nothing written beyond them.
    virtual bool readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                             const char *selector) = 0;
    virtual bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) = 0;
    virtual bool WCodeTypeData(const char *data) = 0;
    virtual bool SetCodeCarrierWave() = 0;
    virtual bool RCollectCodeInfo(char *buffer) = 0;  // 10240 bytes
    virtual bool RBasicInfo(char *buffer) = 0;        // 1024 bytes
};
