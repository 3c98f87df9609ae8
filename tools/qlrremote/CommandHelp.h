#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The help texts of qlr-remote: the overview of `qlr-remote --help` and one
// page per command for `qlr-remote COMMAND --help` and `qlr-remote help COMMAND`.
class CommandHelp
{
public:
    static std::string overview();
    // Nothing when there is no such command.
    static std::optional<std::string> of(std::string_view command);
    static std::vector<std::string> commands();
};
