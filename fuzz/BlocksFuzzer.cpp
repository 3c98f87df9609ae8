// The start-up's reading of a remote's blocks, and the memory check, on any
// memory image: whatever the remote holds, reading it must end in Ok or a
// reason, and a remote read as Ok must hold tables of the sizes it announced.
#include <cstdint>
#include <string>
#include <vector>

#include "BasicBlock.h"
#include "BlockLayout.h"
#include "BlockReader.h"
#include "FuzzRequire.h"
#include "MemoryCheck.h"
#include "MemoryImageDevice.h"
#include "RemoteTablesReader.h"
#include "SparseImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::vector<std::uint8_t> image = SparseImage::expand(data, size);
    MemoryImageDevice device(image);

    const std::string basic = BlockReader::read(device, 0xB000, 6, 1024);
    BasicBlock::identity(basic);
    BasicBlock::firmwareMajor(basic);
    BasicBlock::firmwareMinor(basic);
    BasicBlock::modelCode(basic);

    const RemoteTablesReader::Result result = RemoteTablesReader::read(device);
    if (result.outcome == RemoteTablesReader::Outcome::Ok) {
        const RemoteTables &tables = result.tables;
        require(result.reason.empty());
        require(static_cast<int>(tables.keystates.size()) == tables.keyspermode * tables.modecount);
        // The map holds whole bytes of blocks.
        require(static_cast<int>(tables.blockmap.size()) == 8 * BlockLayout::blockMapBytes(tables.blockcount));
        require(static_cast<int>(tables.allocrecords.size()) == tables.allocrecordcount * 12);
        for (const std::string &id : tables.knownformats)
            require(id.size() == 6);
    } else {
        require(!result.reason.empty());
    }

    MemoryCheck::check(image);
    return 0;
}
