#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "CraftedImage.h"
#include "RecordingDevice.h"
#include "RemoteTablesReader.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

// An in-memory virtual remote holding a crafted image, reached through a
// recording device, without the transfer delay.
class RemoteRig
{
public:
    explicit RemoteRig(const CraftedImage &image = CraftedImage());

    VirtualRemote &remote() { return *m_remote; }
    RecordingDevice &device() { return m_recorder; }
    RemoteTablesReader::Result read() { return RemoteTablesReader::read(m_recorder); }
    std::vector<std::uint8_t> memory(std::uint16_t address, std::size_t count) const
    {
        return m_remote->dump(address, count);
    }

private:
    std::unique_ptr<VirtualRemote> m_remote;
    VirtualRemoteDevice m_device;
    RecordingDevice m_recorder;
};
