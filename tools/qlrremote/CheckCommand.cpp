#include "CheckCommand.h"

#include "MemoryCheck.h"
#include "ServedMemory.h"

int CheckCommand::run(const CommandConsole &console, const std::string &socketPath,
                      const std::vector<std::string> &words)
{
    if (words.size() != 1)
        return console.fail("check takes no arguments");
    const auto image = ServedMemory::dump(console, socketPath, "check");
    return image ? runMemoryCheck(*image, console.out) : CommandConsole::errorStatus;
}
