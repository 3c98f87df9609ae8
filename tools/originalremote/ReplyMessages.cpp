#include "ReplyMessages.h"

std::string ReplyMessages::trouble(const RemoteClient::Reply &reply)
{
    switch (reply.status) {
    case RemoteClient::Status::Unreachable:
        return "No virtual remote answers (start one with qlr-remote serve): " + reply.data;
    case RemoteClient::Status::Error:
        return "The virtual remote refused the request: " + reply.data;
    case RemoteClient::Status::Ok:
    case RemoteClient::Status::Fail:
        break;
    }
    return {};
}

std::string ReplyMessages::pressed(const std::string &description, const RemoteClient::Reply &reply)
{
    if (reply.status == RemoteClient::Status::Ok)
        return description + " sent";
    if (reply.status == RemoteClient::Status::Fail)
        return description + " not taken: the remote is not waiting for a code";
    return trouble(reply);
}

std::string ReplyMessages::linkChanged(const std::string &request, const RemoteClient::Reply &reply)
{
    if (reply.status == RemoteClient::Status::Fail)
        return request + " failed";
    if (reply.status != RemoteClient::Status::Ok)
        return trouble(reply);
    if (request == "attach")
        return "The remote's USB plug is in";
    if (request == "detach")
        return "The remote's USB plug is pulled";
    return request == "identity other" ? "The remote is now another QLR-815 of the same model"
                                       : "The remote is the original QLR-815 again";
}
