#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// `roundtrip [FILE...]`: signals through the whole learning road, one JSON
// line each from `files` or standard input; the totals on the error stream.
namespace RoundTripCommand
{
int run(const CommandConsole &console, const std::vector<std::string> &files);
}  // namespace RoundTripCommand
