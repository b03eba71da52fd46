// What a picture file says about itself before anything decodes it: its format and its size in
// pixels, read from the header alone, so that a file of a few kilobytes that would decode to
// gigabytes is refused before a decoder allocates anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pennoria::platform {

enum class PictureFormat { Png, Jpeg, Gif };

struct PictureHeader {
    PictureFormat format = PictureFormat::Png;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // A JPEG's EXIF orientation (1 to 8; 1 when it has none): from 5 on, the picture is shown
    // turned a quarter, its width and height swapped.
    int orientation = 1;
};

// The pixel budget of one picture: the program shows and publishes pictures of at most
// kMaxPicturePixels pixels (4096 x 4096, 64 MB once decoded) and at most kMaxPictureSide pixels
// on either side; anything larger is refused with its name before it is decoded. The editor
// movie keeps the same figures (editor/src/PictureCheck.hx); a test holds the two together.
inline constexpr std::uint64_t kMaxPicturePixels = 16777216;
inline constexpr std::uint32_t kMaxPictureSide = 16384;

// The format and size of a PNG (its IHDR chunk), a JPEG (its first frame header, after any
// number of other segments) or a GIF (its logical screen, widened to every image descriptor that
// reaches beyond it). Reads only the bytes given and never more than they hold; nothing when the
// bytes are none of these or end before the size is known, or when a side is 0.
std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes);

// The width and height the picture is shown at, its orientation applied.
std::uint32_t UprightWidth(const PictureHeader& header);
std::uint32_t UprightHeight(const PictureHeader& header);

// Whether a picture of this size lies within the pixel budget.
bool WithinPictureBudget(std::uint64_t width, std::uint64_t height);

// "20000 x 20000", for messages.
std::string DescribePictureSize(const PictureHeader& header);

} // namespace pennoria::platform
