#include "RcportDevice.h"

#include "rcport.h"

bool RcportDevice::link_state()
{
    return ::link_state() != 0;
}
bool RcportDevice::ReadVersion(char *buffer)
{
    return ::ReadVersion(buffer) != 0;
}
bool RcportDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector)
{
    return ::readdatav20(buffer, count, addrhigh, addrlow, selector) != 0;
}
bool RcportDevice::writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data)
{
    return ::writedatav20(selector, addrhigh, addrlow, data) != 0;
}
bool RcportDevice::WCodeTypeData(const char *data)
{
    return ::WCodeTypeData(data) != 0;
}
bool RcportDevice::SetCodeCarrierWave()
{
    return ::SetCodeCarrierWave() != 0;
}
bool RcportDevice::RCollectCodeInfo(char *buffer)
{
    return ::RCollectCodeInfo(buffer) != 0;
}
bool RcportDevice::RBasicInfo(char *buffer)
{
    return ::RBasicInfo(buffer) != 0;
}
