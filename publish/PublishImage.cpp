// Image checks and names for publishing.
#include "publish/PublishImage.h"

#include "platform/Text.h"
#include "publish/PublishRequest.h"

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
    if (!IsPlainPublishName(stem + extension))
        stem = "image";
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

} // namespace pennoria
