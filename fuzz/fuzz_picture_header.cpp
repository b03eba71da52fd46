// libFuzzer target: the picture header reader. It reads only the bytes it is given; a size it
// gives has both sides at least 1 and an orientation from 1 to 8, which turns the shown size a
// quarter from 5 on; and once a PNG's or JPEG's header has given the size, bytes after it change
// nothing.
#include "platform/PictureHeader.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto header = ReadPictureHeader(bytes);
    if (!header)
        return 0;
    if (header->width < 1 || header->height < 1 || header->orientation < 1 ||
        header->orientation > 8)
        std::abort();
    const bool turned = header->orientation >= 5;
    if (UprightWidth(*header) != (turned ? header->height : header->width) ||
        UprightHeight(*header) != (turned ? header->width : header->height))
        std::abort();
    if (WithinPictureBudget(header->width, header->height) &&
        (header->width > kMaxPictureSide || header->height > kMaxPictureSide ||
         std::uint64_t{header->width} * header->height > kMaxPicturePixels))
        std::abort();
    if (header->format != PictureFormat::Gif) {
        const auto longer = ReadPictureHeader(bytes + std::string(64, '\xFF') + bytes);
        if (!longer || longer->width != header->width || longer->height != header->height ||
            longer->format != header->format || longer->orientation != header->orientation)
            std::abort();
    }
    return 0;
}
