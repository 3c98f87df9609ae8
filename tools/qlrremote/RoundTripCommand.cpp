#include "RoundTripCommand.h"

#include <fstream>
#include <iostream>

#include "RoundTrip.h"

int RoundTripCommand::run(const CommandConsole &console, const std::vector<std::string> &files)
{
    RoundTrip::Totals totals;
    const auto runLines = [&](std::istream &in) {
        std::string line;
        while (std::getline(in, line)) {
            if (line.find_first_not_of(" \t\r") != std::string::npos)
                console.out << RoundTrip::run(line, totals) << '\n';
        }
    };
    if (files.empty())
        runLines(console.in);
    for (const std::string &file : files) {
        std::ifstream in(file);
        if (!in)
            return console.fail("roundtrip: cannot read " + file);
        runLines(in);
    }
    console.out.flush();
    console.err << RoundTrip::summary(totals) << std::endl;
    return 0;
}
