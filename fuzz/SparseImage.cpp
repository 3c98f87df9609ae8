#include "SparseImage.h"

#include <algorithm>

std::vector<std::uint8_t> SparseImage::expand(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> image(memorySize, 0);
    std::size_t at = 0;
    while (at + 4 <= size) {
        const std::size_t address = data[at] << 8 | data[at + 1];
        const std::size_t length = std::min<std::size_t>(data[at + 2] << 8 | data[at + 3], size - at - 4);
        at += 4;
        const std::size_t kept = std::min(length, memorySize - address);
        std::copy_n(data + at, kept, image.begin() + static_cast<std::ptrdiff_t>(address));
        at += length;
    }
    return image;
}

std::vector<std::uint8_t> SparseImage::compress(const std::vector<std::uint8_t> &image)
{
    constexpr std::size_t joinedZeros = 8;
    constexpr std::size_t maxLength = 0xFFFF;
    std::vector<std::uint8_t> records;
    std::size_t at = 0;
    const std::size_t size = std::min(image.size(), memorySize);
    while (at < size) {
        if (image[at] == 0) {
            ++at;
            continue;
        }
        std::size_t end = at;
        std::size_t zeros = 0;
        for (std::size_t i = at; i < size && i - at < maxLength && zeros <= joinedZeros; ++i) {
            zeros = image[i] == 0 ? zeros + 1 : 0;
            if (zeros == 0)
                end = i + 1;
        }
        const std::size_t length = end - at;
        records.insert(records.end(), {static_cast<std::uint8_t>(at >> 8), static_cast<std::uint8_t>(at),
                                       static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
        records.insert(records.end(), image.begin() + static_cast<std::ptrdiff_t>(at),
                       image.begin() + static_cast<std::ptrdiff_t>(end));
        at = end;
    }
    return records;
}
