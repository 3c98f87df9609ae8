#include "BlockLayout.h"

namespace BlockLayout
{
bool Read::fits() const
{
    return count > 0 && address + static_cast<std::uint32_t>(count) * unitBytes <= memorySize;
}

Read basicBlock()
{
    return {0xB000, 6, 1024};
}

Read configurationBlock()
{
    return {0xB03C, 2, 512};
}

Read parameterTable(std::uint16_t paramaddr)
{
    return {paramaddr, 5, 1024};
}

Read keyCodeList(std::uint16_t paramaddr)
{
    return {paramaddr + 32u, 50, 1024};
}

Read keyStateTable(std::uint16_t keytableaddr, int keyrecordcount)
{
    const int chars = keyrecordcount * keyRecordBytes * 2;
    return {keytableaddr, chars / 16 + 1, static_cast<std::size_t>(chars) + 16};
}

Read allocationArea(std::uint16_t alloctableaddr, int allocrecordcount, int blockcount)
{
    const int bytes = allocrecordcount * allocationRecordBytes + blockMapBytes(blockcount);
    return {alloctableaddr, bytes / unitBytes + 1, 3072};
}

Read knownFormatTable(std::uint16_t formattableaddr)
{
    return {formattableaddr, 120, 2048};
}

int blockMapBytes(int blockcount)
{
    return (blockcount + 7) / 8;
}

int blocksFor(std::size_t digits)
{
    return static_cast<int>((digits + 2 * unitBytes - 1) / (2 * unitBytes));
}
}  // namespace BlockLayout
