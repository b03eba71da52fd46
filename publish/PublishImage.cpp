// Image checks and names for publishing.
#include "publish/PublishImage.h"

#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace pennoria {

ImageKind DetectImageKind(std::string_view bytes) {
    if (bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1A\n", 8))
        return ImageKind::Png;
    if (bytes.substr(0, 3) == std::string_view("\xFF\xD8\xFF", 3))
        return ImageKind::Jpeg;
    if (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a")
        return ImageKind::Gif;
    return ImageKind::NotAnImage;
}

bool IsInSystemFolder(const std::string& resolvedPath) {
    for (const char* folder : {"/proc", "/sys", "/dev"}) {
        const std::string prefix = folder;
        if (resolvedPath == prefix || resolvedPath.rfind(prefix + "/", 0) == 0)
            return true;
    }
    return false;
}

std::string UrlSafeName(const std::string& text, std::size_t maxLength) {
    // Letters, digits, '_' and '-' stay; every run of anything else (blanks, '#', '?', '%',
    // bytes of non-ASCII characters, dots) becomes one '-'; none at either end.
    std::string safe;
    bool gap = false;
    for (char c : text) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!kept) {
            gap = true;
            continue;
        }
        if (gap && !safe.empty())
            safe += '-';
        gap = false;
        safe += c;
    }
    if (safe.size() > maxLength)
        safe.resize(maxLength);
    while (!safe.empty() && safe.back() == '-')
        safe.pop_back();
    return safe;
}

std::string UrlSafeStem(const std::string& stem) {
    // Kept short: some servers and zip tools dislike long names.
    const std::string safe = UrlSafeName(stem, 64);
    return safe.empty() ? "image" : safe;
}

std::string PublishedImageName(const std::string& sourceName, ImageKind kind,
                               const std::vector<std::string>& taken) {
    std::vector<std::string> accepted;
    switch (kind) {
    case ImageKind::Png:
        accepted = {".png"};
        break;
    case ImageKind::Jpeg:
        accepted = {".jpg", ".jpeg", ".jpe"};
        break;
    case ImageKind::Gif:
        accepted = {".gif"};
        break;
    case ImageKind::NotAnImage:
        return {};
    }
    std::string stem = sourceName;
    std::string extension = accepted.front();
    const std::size_t dot = sourceName.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        stem = sourceName.substr(0, dot);
        const std::string given = platform::AsciiLower(sourceName.substr(dot));
        for (const std::string& candidate : accepted)
            if (given == candidate)
                extension = sourceName.substr(dot);
    }
    stem = UrlSafeStem(stem);
    auto isTaken = [&taken](const std::string& name) {
        for (const std::string& used : taken)
            if (platform::AsciiLower(used) == platform::AsciiLower(name))
                return true;
        return false;
    };
    std::string name = stem + extension;
    for (int number = 1; isTaken(name); ++number)
        name = stem + "-image" + (number > 1 ? std::to_string(number) : "") + extension;
    return name;
}

platform::ImageSize PublishedPictureSize(platform::ImageSize picture,
                                         const std::vector<PictureDraw>& draws) {
    if (picture.width <= 0 || picture.height <= 0)
        return picture;
    double factor = 0;
    for (const PictureDraw& draw : draws)
        factor = std::max({factor, draw.boxWidth / picture.width, draw.boxHeight / picture.height});
    if (factor <= 0 || 2 * factor >= 1)
        return picture;
    auto side = [factor](int length) {
        return std::clamp(static_cast<int>(std::ceil(2 * factor * length)), 1, length);
    };
    return {side(picture.width), side(picture.height)};
}

} // namespace pennoria
