#include "RemoteRig.h"

#include <stdexcept>
#include <string>

namespace
{
std::unique_ptr<VirtualRemote> openRemote(const CraftedImage &image)
{
    std::string error;
    auto remote = VirtualRemote::open({std::string(), std::chrono::microseconds(0)}, &error);
    if (!remote || !remote->poke(0, image.bytes()))
        throw std::runtime_error("virtual remote: " + error);
    return remote;
}
}  // namespace

RemoteRig::RemoteRig(const CraftedImage &image)
    : m_remote(openRemote(image))
    , m_device(*m_remote)
    , m_recorder(m_device)
{ }
