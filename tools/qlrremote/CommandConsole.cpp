#include "CommandConsole.h"

#include <ostream>

int CommandConsole::fail(const std::string &message) const
{
    err << "qlr-remote: " << message << std::endl;
    return errorStatus;
}
