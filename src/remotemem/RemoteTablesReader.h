#pragma once

#include <string>

#include "RemoteTables.h"

class RemoteDevice;

// Reads the configuration block and the tables it leads to, in start-up
// order, into a fresh set of working copies. Every count and pointer is
// checked before it sizes a read or indexes a text; a remote that fails a
// check, or a read that fails, gives Invalid and the reason.
class RemoteTablesReader
{
public:
    enum class Outcome
    {
        Ok,
        ConfigurationUnreadable,
        Invalid
    };

    struct Result
    {
        Outcome outcome = Outcome::Invalid;
        RemoteTables tables;  // filled only when the outcome is Ok
        std::string reason;   // for the log; empty when Ok
    };

    static Result read(RemoteDevice &device);
};
