// A banner's size in pixels and its range (the banner model reads it from a project).
#pragma once

#include <cstdint>

namespace pennoria {

// Sizes in pixels.
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
    bool operator==(const BannerSize& other) const {
        return width == other.width && height == other.height;
    }
};

// A side brought into kMinBannerSide..kMaxBannerSide.
std::int32_t ClampBannerSide(std::int32_t side);

} // namespace pennoria
