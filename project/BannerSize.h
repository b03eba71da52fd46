// The banner's size as a project states it: the one rule every reader of the project applies.
#pragma once

#include <cstdint>

namespace pennoria {

class CXmlDocument;

// Sizes in pixels. A missing or non-numeric demoWidth / demoHeight gives the default; a number
// (read like a "%d" scan: white space, optional sign, decimal digits) is clamped to the range.
constexpr std::int32_t kDefaultBannerWidth = 720;
constexpr std::int32_t kDefaultBannerHeight = 540;
constexpr std::int32_t kMinBannerSide = 1;
constexpr std::int32_t kMaxBannerSide = 8191;

struct BannerSize {
    std::int32_t width = kDefaultBannerWidth;
    std::int32_t height = kDefaultBannerHeight;

    bool IsDefault() const {
        return width == kDefaultBannerWidth && height == kDefaultBannerHeight;
    }
};

// A side brought into kMinBannerSide..kMaxBannerSide.
std::int32_t ClampBannerSide(std::int32_t side);

// The size of the project's "template" element.
BannerSize ReadBannerSize(CXmlDocument& project);

} // namespace pennoria
