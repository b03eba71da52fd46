// The banner's image on its way into a publish folder: which files may be copied, and the name
// the copy gets.
#pragma once

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

// The name the image's copy gets in "res/": the source's file name with the extension of its
// kind (".png", ".jpg" or ".gif"; a matching one such as ".jpeg" stays), so that a web server
// never serves it as a page, a script or a movie. A name that is not a plain file name becomes
// "image"; a name already used by a published file (taken, compared without regard to case)
// gets "-image" and then a number added.
std::string PublishedImageName(const std::string& sourceName, ImageKind kind,
                               const std::vector<std::string>& taken);

} // namespace pennoria
