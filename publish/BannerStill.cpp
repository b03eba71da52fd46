// The banner's look read from its project, and its final frame.
#include "publish/BannerStill.h"

#include "xml/XmlDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pennoria {

namespace {

constexpr double kMarginShare = 0.06; // of the banner's shorter side, around the headline
constexpr double kTextGutter = 2;     // between a text box's edges and its glyphs

bool IsSpace(char c) {
    return (c > 8 && c < 14) || c == ' ';
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// A decimal integer with optional sign, leading spaces and anything after the digits ignored;
// fallback when there is none or it lies outside low..high.
int IntIn(CXmlDocument& document, const std::string& query, const std::string& name, int low,
          int high, int fallback) {
    std::string text;
    if (document.GetAttribute(query, name, text) != 0)
        return fallback;
    text = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return fallback;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value <= high; ++i)
        value = value * 10 + (text[i] - '0');
    if (negative)
        value = -value;
    return value < low || value > high ? fallback : static_cast<int>(value);
}

// "#RRGGBB", "0xRRGGBB" or "RRGGBB".
std::uint32_t Colour(CXmlDocument& document, const std::string& query, const std::string& name,
                     std::uint32_t fallback) {
    std::string text;
    if (document.GetAttribute(query, name, text) != 0)
        return fallback;
    text = Trim(text);
    if (!text.empty() && text[0] == '#')
        text.erase(0, 1);
    else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return fallback;
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

std::string Attribute(CXmlDocument& document, const std::string& query, const std::string& name) {
    std::string value;
    return document.GetAttribute(query, name, value) == 0 ? value : std::string();
}

} // namespace

BannerLook ReadBannerLook(const std::string& projectXml) {
    BannerLook look;
    CXmlDocument document;
    if (!document.LoadText(projectXml))
        return look;
    const std::string root = "/*";
    look.width = IntIn(document, root, "demoWidth", 1, 8191, look.width);
    look.height = IntIn(document, root, "demoHeight", 1, 8191, look.height);
    look.background = Colour(document, root, "bgColor", look.background);
    look.image = Attribute(document, root, "img");
    const std::string fit = Attribute(document, root, "fit");
    look.fit = fit == "contain"   ? ImageFit::Contain
               : fit == "stretch" ? ImageFit::Stretch
                                  : ImageFit::Cover;

    const std::string headline = "/*/headline[1]";
    std::string text;
    if (document.GetNodeText(headline, text) == 0) {
        look.headline = Trim(text);
        look.headlineColour = Colour(document, headline, "color", look.headlineColour);
        look.headlineSize = IntIn(document, headline, "size", 6, 200, look.headlineSize);
        look.headlineBold = Attribute(document, headline, "bold") != "false";
        const std::string align = Attribute(document, headline, "align");
        look.headlineAlign = align == "left"    ? platform::TextAlign::Left
                             : align == "right" ? platform::TextAlign::Right
                                                : platform::TextAlign::Center;
        const std::string anchor = Attribute(document, headline, "valign");
        look.headlineAnchor = anchor == "top"      ? VerticalAnchor::Top
                              : anchor == "middle" ? VerticalAnchor::Middle
                                                   : VerticalAnchor::Bottom;
    }
    look.link = Attribute(document, "/*/link[1]", "url");
    const std::string effect = Attribute(document, "/*/effect[1]", "type");
    if (effect == "none" || effect == "slide" || effect == "zoom")
        look.effect = effect;
    look.effectMilliseconds =
        IntIn(document, "/*/effect[1]", "duration", 0, 10000, look.effectMilliseconds);
    return look;
}

double HeadlineTop(const BannerLook& look, double boxHeight) {
    const double margin = std::round(std::min(look.width, look.height) * kMarginShare);
    switch (look.headlineAnchor) {
    case VerticalAnchor::Top:
        return margin;
    case VerticalAnchor::Middle:
        return (look.height - boxHeight) / 2;
    case VerticalAnchor::Bottom:
        break;
    }
    return look.height - margin - boxHeight;
}

platform::StillFrame MakeFinalFrame(const BannerLook& look, const std::string& imagePath,
                                    std::optional<platform::ImageSize> imageSize) {
    platform::StillFrame frame;
    frame.width = look.width;
    frame.height = look.height;
    frame.background = look.background;
    if (!imagePath.empty() && imageSize && imageSize->width > 0 && imageSize->height > 0) {
        double sx = static_cast<double>(look.width) / imageSize->width;
        double sy = static_cast<double>(look.height) / imageSize->height;
        if (look.fit == ImageFit::Contain)
            sx = sy = std::min(sx, sy);
        else if (look.fit == ImageFit::Cover)
            sx = sy = std::max(sx, sy);
        frame.imagePath = imagePath;
        frame.imageWidth = imageSize->width * sx;
        frame.imageHeight = imageSize->height * sy;
        frame.imageX = (look.width - frame.imageWidth) / 2;
        frame.imageY = (look.height - frame.imageHeight) / 2;
    }
    if (!look.headline.empty()) {
        const double margin = std::round(std::min(look.width, look.height) * kMarginShare);
        frame.headline = look.headline;
        frame.headlineX = margin;
        frame.headlineWidth = std::max(1.0, look.width - 2 * margin);
        frame.textGutter = kTextGutter;
        frame.fontPixels = look.headlineSize;
        frame.bold = look.headlineBold;
        frame.headlineColour = look.headlineColour;
        frame.align = look.headlineAlign;
    }
    return frame;
}

std::optional<std::string> DrawBackupPng(const BannerLook& look, const std::string& imagePath,
                                         std::string* error) {
    std::optional<platform::ImageSize> size;
    if (!imagePath.empty())
        size = platform::ReadImageSize(imagePath);
    const platform::StillFrame frame = MakeFinalFrame(look, imagePath, size);
    return platform::DrawStillFramePng(
        frame, [&look](double boxHeight) { return HeadlineTop(look, boxHeight); }, error);
}

platform::StillFrame MakeDocumentFinalFrame(const BannerDocument& document,
                                            const std::string& imagePath,
                                            std::optional<platform::ImageSize> imageSize,
                                            const ElementImageFiles& elementImages) {
    BannerLook look;
    look.width = document.width;
    look.height = document.height;
    look.background = document.background;
    look.fit = document.fit == "contain"   ? ImageFit::Contain
               : document.fit == "stretch" ? ImageFit::Stretch
                                           : ImageFit::Cover;
    platform::StillFrame frame = MakeFinalFrame(look, imagePath, imageSize);

    const std::size_t sizeIndex = DrawnSizeIndex(document);
    const double time = FinalTime(document);
    for (const BannerElement& element : document.elements) {
        const ElementBox box = BoxAt(document, element, sizeIndex);
        const ElementState state = StateAt(element, box, document.width, document.height, time);
        if (!state.visible)
            continue;
        platform::StillElement still;
        still.x = box.x + state.dx;
        still.y = box.y + state.dy;
        still.width = box.width;
        still.height = box.height;
        still.opacity = element.opacity * state.alpha;
        still.scale = state.scale;
        still.fill = element.fill;
        still.stroke = element.stroke;
        still.strokeWidth = element.strokeWidth;
        still.radius = element.radius;
        still.text = element.label;
        still.family = element.font;
        still.fontPixels = box.fontSize;
        still.bold = element.bold;
        still.italic = element.italic;
        still.colour = element.color;
        still.align = element.align == "center"  ? platform::TextAlign::Center
                      : element.align == "right" ? platform::TextAlign::Right
                                                 : platform::TextAlign::Left;
        still.lineHeight = element.lineHeight;
        still.shadowColour = element.shadowColor;
        still.shadowX = element.shadowX;
        still.shadowY = element.shadowY;
        still.shadowBlur = element.shadowBlur;
        switch (element.kind) {
        case ElementKind::Image: {
            auto file = elementImages.find(element.src);
            if (file == elementImages.end())
                continue; // a picture that was not published is not shown
            still.kind = platform::StillElement::Kind::Picture;
            still.imagePath = file->second;
            still.fit = element.fit == "cover"     ? platform::PictureFit::Cover
                        : element.fit == "stretch" ? platform::PictureFit::Stretch
                                                   : platform::PictureFit::Contain;
            break;
        }
        case ElementKind::Text:
            still.kind = platform::StillElement::Kind::Text;
            break;
        case ElementKind::Button:
            // Its label: unwrapped lines at the font's own spacing, centred in the box.
            still.kind = platform::StillElement::Kind::Button;
            still.align = platform::TextAlign::Center;
            still.lineHeight = 0;
            still.stroke.reset();
            still.shadowColour.reset();
            break;
        case ElementKind::Shape:
            still.kind = element.shapeKind == "ellipse" ? platform::StillElement::Kind::Ellipse
                                                        : platform::StillElement::Kind::Rectangle;
            break;
        }
        frame.elements.push_back(std::move(still));
    }
    return frame;
}

std::optional<std::string> DrawDocumentBackupPng(const BannerDocument& document,
                                                 const std::string& imagePath,
                                                 const ElementImageFiles& elementImages,
                                                 std::string* error) {
    std::optional<platform::ImageSize> size;
    if (!imagePath.empty())
        size = platform::ReadImageSize(imagePath);
    return platform::DrawStillFramePng(
        MakeDocumentFinalFrame(document, imagePath, size, elementImages), {}, error);
}

} // namespace pennoria
