// A banner's look as its project describes it, read natively, and its final frame as a still
// picture for the backup image. The movies and the HTML5 creative take the same rules from
// data/movies/common/BannerLayout.hx; this is the final-frame part of them for the host, which
// draws without a browser. Both must change together (the browser test compares the pictures).
#pragma once

#include "platform/Raster.h"
#include "project/BannerDocument.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace pennoria {

enum class ImageFit { Cover, Contain, Stretch };
enum class VerticalAnchor { Top, Middle, Bottom };

// What the project says, with the movies' defaults and ranges for missing or invalid values.
struct BannerLook {
    int width = 720;
    int height = 540;
    std::uint32_t background = 0xFFFFFF;
    std::string image; // the img attribute; empty: none
    ImageFit fit = ImageFit::Cover;
    std::string headline; // trimmed; empty: none
    std::uint32_t headlineColour = 0xFFFFFF;
    int headlineSize = 28;
    bool headlineBold = true;
    platform::TextAlign headlineAlign = platform::TextAlign::Center;
    VerticalAnchor headlineAnchor = VerticalAnchor::Bottom;
    std::string link; // empty: not a link
    std::string effect = "fade";
    int effectMilliseconds = 800;
};

// Reads the look from a project text; a text that does not parse gives the defaults.
BannerLook ReadBannerLook(const std::string& projectXml);

// The final frame of the banner with its image file (empty: none) of the given pixel size.
platform::StillFrame MakeFinalFrame(const BannerLook& look, const std::string& imagePath,
                                    std::optional<platform::ImageSize> imageSize);

// Where the headline's box starts, from its wrapped height.
double HeadlineTop(const BannerLook& look, double boxHeight);

// The banner's final frame as PNG bytes.
std::optional<std::string> DrawBackupPng(const BannerLook& look, const std::string& imagePath,
                                         std::string* error);

// The files of a version-2 document's element images: the src as the document names it, and
// where the picture lies.
using ElementImageFiles = std::map<std::string, std::string>;

// The final frame of a version-2 document at its drawn size (demoWidth x demoHeight): the
// background and its image (imagePath, of imageSize), then every element still visible at the
// final frame in its box for that size, in drawing order.
platform::StillFrame MakeDocumentFinalFrame(const BannerDocument& document,
                                            const std::string& imagePath,
                                            std::optional<platform::ImageSize> imageSize,
                                            const ElementImageFiles& elementImages);

// That frame as PNG bytes.
std::optional<std::string> DrawDocumentBackupPng(const BannerDocument& document,
                                                 const std::string& imagePath,
                                                 const ElementImageFiles& elementImages,
                                                 std::string* error);

} // namespace pennoria
