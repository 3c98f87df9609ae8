#include "CheckCommand.h"

#include <algorithm>
#include <ostream>
#include <tuple>

#include "FactoryImage.h"
#include "HexText.h"
#include "MemoryCheck.h"
#include "ServedMemory.h"

int CheckCommand::run(const CommandConsole &console, const std::string &socketPath,
                      const std::vector<std::string> &words)
{
    if (words.size() != 1)
        return console.fail("check takes no arguments");
    const auto image = ServedMemory::dump(console, socketPath, "check");
    if (!image)
        return CommandConsole::errorStatus;
    // The tool only reads these blocks: as the remote left the factory, or
    // overwritten, however sound the tables they lead to look. The identity
    // is each remote's own; it need only be one, printable and not blank.
    const std::vector<std::uint8_t> factory = FactoryImage::build();
    const auto identityBegin = image->begin() + FactoryImage::basicBlockAddress;
    const auto identityEnd = identityBegin + static_cast<std::ptrdiff_t>(FactoryImage::identitySize);
    bool identified = std::all_of(identityBegin, identityEnd, [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; })
                      && std::any_of(identityBegin, identityEnd, [](std::uint8_t c) { return c != ' '; });
    if (!identified) {
        console.out << "corrupt: the identity (" << HexText::format(FactoryImage::basicBlockAddress, 4) << ", "
                    << FactoryImage::identitySize << " bytes) is not printable text\n";
    }
    for (const auto &[name, address, size] :
         {std::tuple{"basic", FactoryImage::basicBlockAddress + FactoryImage::identitySize,
                     FactoryImage::basicBlockSize - FactoryImage::identitySize},
          std::tuple{"configuration", std::size_t{FactoryImage::configBlockAddress}, FactoryImage::configBlockSize}}) {
        const auto begin = static_cast<std::ptrdiff_t>(address);
        const auto end = begin + static_cast<std::ptrdiff_t>(size);
        const auto differs = std::mismatch(image->begin() + begin, image->begin() + end, factory.begin() + begin);
        if (differs.first == image->begin() + end)
            continue;
        identified = false;
        console.out << "corrupt: the " << name << " block (" << HexText::format(static_cast<std::uint32_t>(address), 4)
                    << ", " << size << " bytes) differs from the remote's own at "
                    << HexText::format(static_cast<std::uint32_t>(differs.first - image->begin()), 4) << '\n';
    }
    const int tables = runMemoryCheck(*image, console.out);
    return identified ? tables : 1;
}
