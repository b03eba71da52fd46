// The banner size rule.
#include "project/BannerSize.h"

#include "xml/XmlDocument.h"

namespace pennoria {

std::int32_t ClampBannerSide(std::int32_t side) {
    if (side < kMinBannerSide)
        return kMinBannerSide;
    if (side > kMaxBannerSide)
        return kMaxBannerSide;
    return side;
}

BannerSize ReadBannerSize(CXmlDocument& project) {
    BannerSize size;
    int width = kDefaultBannerWidth;
    int height = kDefaultBannerHeight;
    // GetAttributeInt leaves the value alone when the attribute is missing or has no digits.
    if (project.GetAttributeInt("template", "demoWidth", width) == 0)
        size.width = ClampBannerSide(width);
    if (project.GetAttributeInt("template", "demoHeight", height) == 0)
        size.height = ClampBannerSide(height);
    return size;
}

} // namespace pennoria
