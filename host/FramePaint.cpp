// The skin description lookups and the frame's paint plan.
#include "host/FramePaint.h"

#include "platform/Text.h"
#include "xml/XmlDocument.h"

namespace pennoria::host {

struct SkinDescription::Document {
    CXmlDocument xml;
};

bool SkinDescription::LoadFile(const std::string& path) {
    auto doc = std::make_shared<Document>();
    m_document.reset();
    if (!doc->xml.LoadFile(path))
        return false;
    m_document = std::move(doc);
    return true;
}

bool SkinDescription::LoadText(const std::string& xmlText) {
    auto doc = std::make_shared<Document>();
    m_document.reset();
    if (!doc->xml.LoadText(xmlText))
        return false;
    m_document = std::move(doc);
    return true;
}

std::optional<std::string> SkinDescription::NodeText(const char* query) const {
    std::string text;
    if (!m_document || m_document->xml.GetNodeText(query, text) != 0)
        return std::nullopt;
    // File names are written on their own lines in the description; the surrounding white
    // space is layout, not part of the name.
    return platform::Trim(text);
}

std::string SkinFolder(const std::string& programFolder) {
    return programFolder + "skins/frame/";
}

std::string SkinDescriptionPath(const std::string& programFolder) {
    return SkinFolder(programFolder) + "skins.xml";
}

namespace {

// Looks pieces up one after another with one file-name text, as the skin code always has: a
// piece without an element keeps the previous piece's file name.
class PieceNames {
public:
    PieceNames(const SkinDescription& skin, const std::string& programFolder)
        : m_skin(skin), m_folder(SkinFolder(programFolder)) {}

    // The image path of the next piece, or empty when there is no file name yet.
    std::string Next(const char* query) {
        if (auto text = m_skin.NodeText(query))
            m_name = *text;
        return m_name.empty() ? std::string() : m_folder + m_name;
    }

private:
    const SkinDescription& m_skin;
    std::string m_folder;
    std::string m_name;
};

} // namespace

std::vector<PaintStep> BuildFramePaintPlan(int w, int h, bool clientCaption,
                                           const SkinDescription& skin,
                                           const std::string& programFolder,
                                           const std::string& title) {
    std::vector<PaintStep> plan;
    const int band = clientCaption ? kClientCaptionBand : kCaptionHeight;

    PaintStep fill;
    fill.kind = PaintStep::Kind::Fill;
    fill.argb = kFrameBackground;
    fill.dest = {0, 0, w, h};
    plan.push_back(fill);

    PieceNames names(skin, programFolder);
    auto image = [&](const char* query, ImagePart part, Rect dest, bool natural = false) {
        std::string path = names.Next(query);
        if (path.empty())
            return;
        PaintStep step;
        step.kind = PaintStep::Kind::Image;
        step.imagePath = std::move(path);
        step.part = part;
        step.dest = dest;
        step.naturalSize = natural;
        plan.push_back(std::move(step));
    };

    image("//skins/frame/LeftTop", ImagePart::Whole, {0, 0, 0, 0}, true);
    image("//skins/frame/Top", ImagePart::LeftColumn, {4, 0, w - 8, band});
    if (!clientCaption) {
        PaintStep logo;
        logo.kind = PaintStep::Kind::Image;
        logo.imagePath = SkinFolder(programFolder) + "logo.ico";
        logo.dest = {10, 4, 0, 0};
        logo.naturalSize = true;
        plan.push_back(std::move(logo));
        PaintStep text;
        text.kind = PaintStep::Kind::Text;
        text.argb = kTitleColour;
        text.dest = {30, 4, 0, 0};
        text.text = title;
        plan.push_back(std::move(text));
    }
    image("//skins/frame/RightTop", ImagePart::Whole, {w - 4, 0, 4, kCaptionHeight});
    image("//skins/frame/Left", ImagePart::TopRow, {0, kCaptionHeight, 4, h - 28});
    image("//skins/frame/Right", ImagePart::TopRow, {w - 4, kCaptionHeight, 4, h - 28});
    image("//skins/frame/LeftBottom", ImagePart::Whole, {0, h - 4, 4, 4});
    image("//skins/frame/RightBottom", ImagePart::Whole, {w - 4, h - 4, 4, 4});
    image("//skins/frame/Bottom", ImagePart::LeftColumn, {4, h - 4, w - 8, 4});
    return plan;
}

CaptionButtonImages CaptionButtonImagePaths(const SkinDescription& skin,
                                            const std::string& programFolder) {
    PieceNames names(skin, programFolder);
    CaptionButtonImages images;
    images.close = names.Next("//skins/button/Close");
    images.maximize = names.Next("//skins/button/Max");
    images.restore = names.Next("//skins/button/Restore");
    images.minimize = names.Next("//skins/button/Min");
    return images;
}

} // namespace pennoria::host
