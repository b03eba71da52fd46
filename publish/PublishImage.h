// The banner's image on its way into a publish folder: which files may be copied, and the name
// the copy gets.
#pragma once

#include "platform/Raster.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// The picture formats the banner movie shows, told by their first bytes.
enum class ImageKind { NotAnImage, Png, Jpeg, Gif };
ImageKind DetectImageKind(std::string_view bytes);

// Whether a resolved path lies in one of the system's pseudo-file folders (/proc, /sys, /dev),
// whose files are never published.
bool IsInSystemFolder(const std::string& resolvedPath);

// A file name's stem as it may stand in a URL without encoding: ASCII letters, digits, '_' and
// '-', every run of other characters ("#", "?", "%", blanks, non-ASCII, dots) one '-', at most 64
// characters; "image" when nothing is left.
std::string UrlSafeStem(const std::string& stem);
// The same rule for any text, at most maxLength characters, empty when nothing is left.
std::string UrlSafeName(const std::string& text, std::size_t maxLength);

// The name the image's copy gets in "res/" (and in the HTML5 creative): the source's file name
// with its stem made URL-safe (UrlSafeStem), since pages and movies name it in URLs, and the
// extension of its kind (".png", ".jpg" or ".gif"; a matching one such as ".jpeg" stays), so that
// a web server never serves it as a page, a script or a movie. A name already used by a
// published file (taken, compared without regard to case) gets "-image" and then a number added.
std::string PublishedImageName(const std::string& sourceName, ImageKind kind,
                               const std::vector<std::string>& taken);

// A box a picture is drawn in on the banner, in pixels.
struct PictureDraw {
    double boxWidth = 0, boxHeight = 0;
};

// The size a picture is published at: twice the largest size it is drawn at (sharp on screens of
// twice the density), never larger than the picture itself, its proportions kept. Whatever its
// fit, a picture is drawn at most at the scale at which it covers its box, so that scale bounds
// each draw. A picture drawn nowhere keeps its size.
platform::ImageSize PublishedPictureSize(platform::ImageSize picture,
                                         const std::vector<PictureDraw>& draws);

} // namespace pennoria
