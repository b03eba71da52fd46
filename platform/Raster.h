// Pictures for publishing, without a display: the size of an image file, a JPEG re-encode of
// one, and the faces text is set in (display lists are painted with DisplayList.h).
// Implemented with Cairo, Pango and gdk-pixbuf (platform/raster/), never with GTK.
#pragma once

#include "platform/DisplayList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::platform {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size of a PNG, JPEG or GIF file as it is drawn (a JPEG's orientation applied), read from
// its header without decoding it; nothing when the header cannot be read.
std::optional<ImageSize> ReadImageSize(const std::string& path, std::string* error = nullptr);

// The image re-encoded as baseline JPEG at quality (1 to 100), transparent parts on white.
std::optional<std::string> EncodeJpeg(const std::string& sourcePath, int quality,
                                      std::string* error = nullptr);

// A picture file decoded once (upright, and only within the pixel budget of
// platform/PictureHeader.h, checked before the decoder allocates), then scaled and encoded as
// often as asked without decoding it again. Copies share the pixels.
class DecodedPicture {
public:
    static std::optional<DecodedPicture> Load(const std::string& path,
                                              std::string* error = nullptr);
    ~DecodedPicture();
    DecodedPicture(const DecodedPicture&);
    DecodedPicture& operator=(const DecodedPicture&);

    ImageSize Size() const;
    bool HasAlpha() const;
    // The picture scaled down (never up) to width x height, with a filter fit for reduction.
    std::optional<DecodedPicture> Scaled(int width, int height) const;
    // Baseline JPEG at quality (1 to 100), transparent parts on white; PNG keeps transparency.
    std::optional<std::string> Jpeg(int quality, std::string* error = nullptr) const;
    std::optional<std::string> Png(std::string* error = nullptr) const;

private:
    struct Pixels;
    explicit DecodedPicture(std::shared_ptr<Pixels> pixels);
    std::shared_ptr<Pixels> m_pixels;
};

// Gives text the TrueType faces in folder (the program's fonts/) besides the system's fonts,
// through a font configuration of its own; a missing folder leaves the system's fonts alone.
// Kept for later frames of the calling thread (each thread lays text out with its own);
// calling it again with the same folder costs nothing.
void UseFontFolder(const std::string& folder);
// The same, with the font files of files besides (the user's own faces of a project); a file
// that is not a face is passed over.
void UseFontFiles(const std::string& folder, const std::vector<std::string>& files);

// A face of the system's fonts (fontconfig's), not the program's: its file and the index of the
// face in it (a collection holds several).
struct SystemFace {
    std::string path;
    int index = 0;
};

// The system's face of family in the given style that has glyphs for some of the UTF-8 text's
// characters (the regular face when the family has no such style); nothing when the family is
// not installed or has none of them.
std::optional<SystemFace> FindSystemFace(const std::string& family, bool bold, bool italic,
                                         const std::string& text);

} // namespace pennoria::platform
