// The skin description of the frame and the paint plan built from it: which image goes where,
// in which order, and with which part of the image stretched.
#pragma once

#include "host/FrameLogic.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::host {

// The skin description "skins/frame/skins.xml": element texts looked up by path query.
class SkinDescription {
public:
    // False when the file is missing or not well-formed XML.
    bool LoadFile(const std::string& path);
    bool LoadText(const std::string& xmlText);
    // The text content of the first node the query matches; nullopt when nothing matches.
    std::optional<std::string> NodeText(const char* query) const;

private:
    struct Document;
    std::shared_ptr<Document> m_document;
};

// Where the skin description and its images live below a program folder.
std::string SkinFolder(const std::string& programFolder); // ".../skins/frame/"
std::string SkinDescriptionPath(const std::string& programFolder);

// The part of an image stretched over a destination.
enum class ImagePart { Whole, LeftColumn, TopRow };

struct PaintStep {
    enum class Kind { Fill, Image, Text };
    Kind kind = Kind::Fill;
    std::uint32_t argb = 0; // Fill, Text
    std::string imagePath;  // Image
    ImagePart part = ImagePart::Whole;
    bool naturalSize = false; // Image: drawn at (dest.x, dest.y) at the image's own size
    Rect dest;
    std::string text; // Text: drawn from (dest.x, dest.y)
};

constexpr std::uint32_t kFrameBackground = 0xFFD3D6DD;
constexpr std::uint32_t kTitleColour = 0xFF000000;

// The frame's drawing for a W x H client area, in order. Every skin piece takes its file name
// from its element; a missing element reuses the file name of the piece before it (the first
// piece then has none and draws nothing). The logo and title are drawn only when the client
// does not draw its own caption.
std::vector<PaintStep> BuildFramePaintPlan(int width, int height, bool clientCaption,
                                           const SkinDescription& skin,
                                           const std::string& programFolder,
                                           const std::string& title);

// The file names of the caption buttons (close, max, restore, min), with the same reuse rule.
struct CaptionButtonImages {
    std::string close, maximize, restore, minimize;
};
CaptionButtonImages CaptionButtonImagePaths(const SkinDescription& skin,
                                            const std::string& programFolder);

} // namespace pennoria::host
