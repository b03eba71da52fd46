#include "bridge/UserFonts.h"

#include "core/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "platform/Raster.h"
#include "project/BannerModel.h"
#include "publish/FontMovie.h"
#include "publish/FontSubset.h"
#include "publish/Publisher.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace pennoria {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file name safe in a project and on every desktop: letters, digits, '-', '_' and '.'.
std::string PlainName(const std::string& name) {
    std::string plain;
    for (char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        plain += keep ? c : '_';
    }
    while (!plain.empty() && plain.front() == '.')
        plain.erase(plain.begin());
    return plain.empty() ? std::string("face.ttf") : plain;
}

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t n = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

} // namespace

std::optional<std::string> UserFontMovie(const std::string& src, const std::string& family,
                                         const std::string& text, const std::string& projectPath) {
    const std::string file = platform::ResolvedPath(ResolveImageSource(src, projectPath));
    if (file.empty())
        return std::nullopt;
    const auto face = platform::ReadWholeFile(file, nullptr, kMaxUserFontBytes);
    const auto movieTemplate =
        platform::ReadWholeFile(GetPublishSources(GetProgramFolder(), false).userFaceMovie);
    if (!face || !movieTemplate)
        return std::nullopt;
    const auto movie = MakeFontMovie(*movieTemplate, *face, family, text);
    if (!movie)
        return std::nullopt;
    return Base64(*movie);
}

std::optional<std::string> TextPicture(const std::string& listJson,
                                       const std::string& projectPath) {
    auto list = ReadDisplayList(listJson);
    if (!list || !list->transparent || list->width <= 0 || list->height <= 0 ||
        static_cast<long long>(list->width) * list->height > kMaxTextPicturePixels)
        return std::nullopt;
    std::vector<std::string> userFonts;
    if (!projectPath.empty()) {
        std::error_code failed;
        for (const auto& entry :
             std::filesystem::directory_iterator(FolderOf(projectPath) + "/fonts", failed))
            if (entry.is_regular_file(failed))
                userFonts.push_back(entry.path().string());
        std::sort(userFonts.begin(), userFonts.end());
    }
    platform::UseFontFiles(GetPublishSources(GetProgramFolder(), false).fontFolder, userFonts);
    const auto png = platform::DisplayListPainter().PaintPng(*list);
    if (!png)
        return std::nullopt;
    return Base64(*png);
}

AddedFont AddUserFont(const std::string& fontPath, const std::string& projectPath) {
    AddedFont added;
    if (projectPath.empty()) {
        added.why = "the project has no file yet";
        return added;
    }
    std::string error;
    const auto bytes = platform::ReadWholeFile(fontPath, &error, kMaxUserFontBytes);
    if (!bytes) {
        added.why = error;
        return added;
    }
    const auto family = FaceFamily(*bytes);
    if (!family) {
        added.why = "it is not a TrueType or OpenType face";
        return added;
    }
    const std::string folder = FolderOf(projectPath) + "/fonts";
    if (!platform::CreateOneDirectory(folder)) {
        added.why = "cannot make the folder " + folder;
        return added;
    }
    std::string name = PlainName(NameOf(fontPath));
    const std::size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (int n = 2; n < 1000; ++n) {
        const std::string target = folder + "/" + name;
        if (!platform::PathExists(target))
            break;
        // The same face added again is the file already there.
        if (platform::ReadWholeFile(target, nullptr, kMaxUserFontBytes) == bytes) {
            added.ok = true;
            added.src = "fonts/" + name;
            added.family = *family;
            return added;
        }
        name = stem + "-" + std::to_string(n) + extension;
    }
    const platform::FileResult written = platform::WriteFileAtomically(folder + "/" + name, *bytes);
    if (!written) {
        added.why = written.error;
        return added;
    }
    added.ok = true;
    added.src = "fonts/" + name;
    added.family = *family;
    return added;
}

} // namespace pennoria
