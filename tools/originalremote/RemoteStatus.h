#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "RemoteClient.h"

// What the window shows of the virtual remote, from the reply to `status`
// ("attached=yes identity=original capture=armed image=PATH").
struct RemoteStatus
{
    bool attached = false;
    bool otherIdentity = false;
    bool waitingForCode = false;

    // Nothing when the reply does not say all three.
    static std::optional<RemoteStatus> parse(std::string_view data);
    // The identity request that swaps to the other identity.
    std::string swapRequest() const;
    // One line for the window: the link, the identity, the receiver.
    std::string text() const;
};
