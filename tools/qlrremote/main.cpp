#include "RemoteCommandLine.h"

#include <iostream>

int main(int argc, char **argv)
{
    RemoteCommandLine commandLine(std::cin, std::cout, std::cerr);
    return commandLine.run(std::vector<std::string>(argv + 1, argv + argc));
}
