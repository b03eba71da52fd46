// Pictures for publishing, without a display: the size of an image file, a JPEG re-encode of
// one, and the faces text is set in (display lists are painted with DisplayList.h).
// Implemented with Cairo, Pango and gdk-pixbuf (platform/raster/), never with GTK.
#pragma once

#include "platform/DisplayList.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::platform {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size of a PNG, JPEG, GIF or BMP file; nothing when it cannot be read as an image.
std::optional<ImageSize> ReadImageSize(const std::string& path, std::string* error = nullptr);

// The image re-encoded as baseline JPEG at quality (1 to 100), transparent parts on white.
std::optional<std::string> EncodeJpeg(const std::string& sourcePath, int quality,
                                      std::string* error = nullptr);

// Gives text the TrueType faces in folder (the program's fonts/) besides the system's fonts,
// through a font configuration of its own; a missing folder leaves the system's fonts alone.
// Kept for later frames; calling it again with the same folder costs nothing.
void UseFontFolder(const std::string& folder);

} // namespace pennoria::platform
