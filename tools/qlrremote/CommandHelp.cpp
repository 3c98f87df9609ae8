#include "CommandHelp.h"

#include <algorithm>
#include <array>

#include "ProtocolFields.h"
#include "ServeCommand.h"
#include "SocketPath.h"

namespace
{
struct Page
{
    std::string_view name;
    std::string_view synopsis;
    std::string_view summary;
    std::string_view description;
    std::string_view exitStatus;
    std::string_view example;
};

constexpr std::string_view usualStatus = "0 done, 2 error (no server, refused, malformed arguments)";

const std::array<Page, 14> pages{{
    {"serve", "serve [--socket PATH] [--image PATH]", "run the virtual QLR-815 remote's server",
     "Runs the virtual remote in the foreground until SIGINT or SIGTERM. Its memory lives in the\n"
     "image file (--image PATH, created from the factory image when missing); commands reach it\n"
     "through the socket (--socket PATH).",
     "0 stopped by a signal, 2 the socket or image cannot be used", "qlr-remote serve --image ~/remote.img &"},
    {"status", "status", "attached, identity, capture state and image",
     "Prints the state of the served remote, one \"key value\" line each: whether its USB link is\n"
     "attached, which remote it is, whether a key waits for a code (capture armed) and its image.",
     usualStatus, "qlr-remote status"},
    {"attach", "attach", "plug the remote's USB link in", "Plugs the remote's USB link in again after detach.",
     usualStatus, "qlr-remote attach"},
    {"detach", "detach", "pull the remote's USB link",
     "Pulls the remote's USB plug: the tool loses the remote until attach.", usualStatus, "qlr-remote detach"},
    {"identity", "identity other|original", "become another remote of the same model, or this one again",
     "other: the remote answers as a different remote of the same model (the tool does not take it\n"
     "for the first one); original: it is the first remote again. Meant while detached.",
     usualStatus, "qlr-remote detach; qlr-remote identity other; qlr-remote attach"},
    {"press",
     "press FILE | press FILE.ir [--button NAME] | press --pronto CODE |\n"
     "       press --protocol NAME [--fields F=V,...]",
     "send a signal to the remote's receiver, as an original remote would",
     "Sends one signal to the receiver of the remote while a key waits for a code. The signal is\n"
     "  FILE                a signal file (- reads standard input): microsecond durations, mark\n"
     "                      first, with an optional leading carrier=HZ (default 38000; # starts a\n"
     "                      comment), or a learned Pronto code (first word 0000)\n"
     "  FILE.ir             a button of an infrared signal file (\"Filetype: IR signals file\");\n"
     "    --button NAME     the button to send (any case when no name matches exactly); without\n"
     "                      it a file of one button sends that one, else its buttons are listed\n"
     "  --pronto CODE       a learned Pronto code given as one argument\n"
     "  --protocol NAME     a code of a known protocol (any case), sent with one repeat\n"
     "    --fields F=V,...  its fields, decimal or 0x hex; fields shown with a default may be left out",
     "0 sent, 1 the remote was not waiting for a code (nothing was sent), 2 error (nothing was sent)",
     "qlr-remote press docs/nec-power.txt\n"
     "  qlr-remote press tv.ir --button Power\n"
     "  qlr-remote press --protocol NEC1 --fields D=4,F=8"},
    {"dump", "dump ADDR COUNT", "COUNT bytes of memory from hex address ADDR",
     "Prints COUNT (decimal) bytes of the remote's 64 KiB memory from hex address ADDR (0x optional),\n"
     "sixteen a line, each line led by its address.",
     usualStatus, "qlr-remote dump B000 48"},
    {"reset", "reset", "back to the factory image",
     "Puts the factory image back into the remote's memory: every learned code is gone.", usualStatus,
     "qlr-remote reset"},
    {"check", "check", "check the learned-code storage in the remote's memory",
     "Reads the whole memory and checks that the identity (basic) and configuration blocks are the\n"
     "remote's own and that the learned-code storage is consistent: one line per problem.",
     "0 sound, 1 corrupt, 2 error", "qlr-remote check"},
    {"send", "send MODE KEYCODE", "print the signal one press of a key sends",
     "Prints the signal one press of the key sends, in the durations form press reads. MODE is\n"
     "TV CBL SAT DVD VCR CD AMP AUX or 0-7, KEYCODE two digits 0-7 (row and column, e.g. 45).",
     "0 printed, 1 the key sends nothing, 2 error", "qlr-remote send TV 10 > power.txt"},
    {"roundtrip", "roundtrip [FILE...]", "run signals through the whole learning road",
     "Runs signals (JSON lines: raw \"frequency\" and \"durations\", or parsed \"protocol\", \"address\",\n"
     "\"command\"; standard input when no file) through capture, conversion, storing and the\n"
     "transmitter on a fresh virtual remote each. One JSON line out per signal, totals on\n"
     "standard error. Needs no server.",
     "0 done, 2 a file cannot be read", "qlr-remote roundtrip /work/shared/ircorpus/parsed.jsonl"},
    {"fault", "fault OP N | fault detach-during-capture", "make device operations fail",
     "The next N calls of device operation OP fail; OP is one of link_state ReadVersion\n"
     "readdatav20 writedatav20 WCodeTypeData SetCodeCarrierWave RCollectCodeInfo RBasicInfo.\n"
     "detach-during-capture pulls the link at the next capture poll.",
     usualStatus, "qlr-remote fault writedatav20 1"},
    {"original", "original", "open the window of the original remote",
     "Starts qlr-original, the stand-in for the original remote, from the directory of this\n"
     "program, on the same socket (--socket PATH is passed on, and so is the environment).",
     "that of qlr-original; 2 when it cannot be started", "qlr-remote original"},
    {"help", "help [COMMAND]", "this overview, or the help of one command",
     "Prints the overview of all commands, or the help of COMMAND (as qlr-remote COMMAND --help).",
     "0 printed, 2 no such command", "qlr-remote help press"},
}};

const Page *pageOf(std::string_view command)
{
    const auto page = std::find_if(pages.begin(), pages.end(), [&](const Page &p) { return p.name == command; });
    return page == pages.end() ? nullptr : &*page;
}

std::string socketNote()
{
    return "The socket is --socket PATH, else $QLR_REMOTE_SOCKET, else $XDG_RUNTIME_DIR/qlr-remote/socket,\n"
           "else /tmp/qlr-remote-UID/socket (now "
           + SocketPath::defaultPath() + ").\n";
}

// The protocols --protocol knows, with their fields, for the help of press.
std::string protocolList()
{
    std::string list = "\nProtocols and their fields, defaults in parentheses:\n";
    for (const std::string &name : ProtocolFields::names())
        list += "  " + name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') + ProtocolFields::describe(name)
                + "\n";
    return list;
}
}  // namespace

std::string CommandHelp::overview()
{
    std::string text = "Usage: qlr-remote serve [--socket PATH] [--image PATH]\n"
                       "       qlr-remote [--socket PATH] COMMAND [ARGUMENTS]\n"
                       "       qlr-remote COMMAND --help\n"
                       "\n"
                       "serve runs the virtual QLR-815 remote; its memory lives in the image (default\n"
                       + ServeCommand::defaultImagePath() + "). The commands:\n";
    for (const Page &page : pages) {
        const std::string synopsis(page.synopsis.substr(0, page.synopsis.find(" |")));
        text += "  " + synopsis + std::string(synopsis.size() < 26 ? 26 - synopsis.size() : 1, ' ')
                + std::string(page.summary) + "\n";
    }
    return text + "\n" + socketNote()
           + "Exit status: 0 done, 1 the remote was not waiting for a code (press), its memory is\n"
             "corrupt (check) or the key sends nothing (send), 2 error.\n";
}

std::optional<std::string> CommandHelp::of(std::string_view command)
{
    const Page *page = pageOf(command);
    if (!page)
        return std::nullopt;
    std::string text =
        "Usage: qlr-remote " + std::string(page->synopsis) + "\n\n" + std::string(page->description) + "\n";
    if (page->name == "press")
        text += protocolList();
    if (page->name != "roundtrip" && page->name != "help")
        text += "\n" + socketNote();
    return text + "\nExit status: " + std::string(page->exitStatus) + "\n\nExample:\n  " + std::string(page->example)
           + "\n";
}

std::vector<std::string> CommandHelp::commands()
{
    std::vector<std::string> names;
    for (const Page &page : pages)
        names.emplace_back(page.name);
    return names;
}
