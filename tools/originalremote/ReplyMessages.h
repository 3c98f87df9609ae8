#pragma once

#include <string>

#include "RemoteClient.h"

// The window's status line after a request to the virtual remote.
class ReplyMessages
{
public:
    // After a key press described as `description`.
    static std::string pressed(const std::string &description, const RemoteClient::Reply &reply);
    // After attach, detach or identity (the request line as sent).
    static std::string linkChanged(const std::string &request, const RemoteClient::Reply &reply);
    // Why a request did not get through, or was refused; empty when it was answered OK or FAIL.
    static std::string trouble(const RemoteClient::Reply &reply);
};
