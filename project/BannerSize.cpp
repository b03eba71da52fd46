// The banner size's range.
#include "project/BannerSize.h"

namespace pennoria {

std::int32_t ClampBannerSide(std::int32_t side) {
    if (side < kMinBannerSide)
        return kMinBannerSide;
    if (side > kMaxBannerSide)
        return kMaxBannerSide;
    return side;
}

} // namespace pennoria
