#include "SendCommand.h"

#include <algorithm>
#include <ostream>

#include "RemoteTransmitter.h"
#include "ServedMemory.h"

namespace
{
constexpr int exitNothingSent = 1;

// Two digits 0 to 7: a key's row and column on the remote.
bool isKeyCode(const std::string &text)
{
    const auto digit = [](char c) { return c >= '0' && c <= '7'; };
    return text.size() == 2 && std::all_of(text.begin(), text.end(), digit);
}
}  // namespace

int SendCommand::run(const CommandConsole &console, const std::string &socketPath,
                     const std::vector<std::string> &words)
{
    if (words.size() != 3)
        return console.fail("send takes a device mode and a key code");
    const std::string &mode = words[1];
    const std::string &keycode = words[2];
    const auto modeNumber = RemoteTransmitter::modeNamed(mode);
    if (!modeNumber)
        return console.fail("send: no device mode " + mode + " (TV CBL SAT DVD VCR CD AMP AUX or 0 to 7)");
    if (!isKeyCode(keycode))
        return console.fail("send: no key code " + keycode + " (two digits 0 to 7, such as 45)");
    const auto image = ServedMemory::dump(console, socketPath, "send");
    if (!image)
        return CommandConsole::errorStatus;
    const RemoteTransmitter::Result sent = RemoteTransmitter::send(*image, *modeNumber, keycode);
    if (!sent.sent()) {
        console.err << "qlr-remote: " << sent.reason << std::endl;
        return exitNothingSent;
    }
    console.out << RemoteTransmitter::signalText(sent.signal) << std::flush;
    return 0;
}
