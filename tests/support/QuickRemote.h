#pragma once

#include <memory>
#include <string>

#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

// An attached virtual remote in memory with short USB transfers (100 us), the
// device in front of it, and the identity start-up would have read from it.
struct QuickRemote
{
    QuickRemote();

    std::unique_ptr<VirtualRemote> remote;
    std::unique_ptr<VirtualRemoteDevice> device;
    std::string remoteid;  // the first 30 characters of the basic information
};
