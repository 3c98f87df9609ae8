#include "RemoteStatus.h"

namespace
{
// The value of `key` in "key=value ..."; the image comes last and may hold spaces.
std::optional<std::string_view> valueOf(std::string_view data, std::string_view key)
{
    std::size_t at = 0;
    while (at < data.size()) {
        const std::size_t space = data.find(' ', at);
        const std::string_view word = data.substr(at, space == std::string_view::npos ? data.npos : space - at);
        if (word.starts_with(key) && word.size() > key.size() && word[key.size()] == '=')
            return word.substr(key.size() + 1);
        if (word.starts_with("image=") || space == std::string_view::npos)
            break;
        at = space + 1;
    }
    return std::nullopt;
}

std::optional<bool> choice(std::string_view data, std::string_view key, std::string_view yes, std::string_view no)
{
    const auto value = valueOf(data, key);
    if (value == yes)
        return true;
    if (value == no)
        return false;
    return std::nullopt;
}
}  // namespace

std::optional<RemoteStatus> RemoteStatus::parse(std::string_view data)
{
    const auto attached = choice(data, "attached", "yes", "no");
    const auto other = choice(data, "identity", "other", "original");
    const auto armed = choice(data, "capture", "armed", "idle");
    if (!attached || !other || !armed)
        return std::nullopt;
    return RemoteStatus{*attached, *other, *armed};
}

std::string RemoteStatus::swapRequest() const
{
    return otherIdentity ? "identity original" : "identity other";
}

std::string RemoteStatus::text() const
{
    return std::string(attached ? "Attached" : "Detached (USB plug pulled)")
           + (otherIdentity ? ", another QLR-815" : ", the original QLR-815")
           + (waitingForCode ? ", waiting for a code" : "");
}
