#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CommandConsole.h"

// `press`: what it asks the server to send, from a file, a Pronto code or a
// protocol's fields.
namespace PressCommand
{
// The request line of a press of `arguments` (files and press's options);
// nothing, the error told, when there is no signal to send.
std::optional<std::string> requestLine(const CommandConsole &console, const std::vector<std::string> &arguments);
}  // namespace PressCommand
