// Writing the HTML5 creative, its zip (libzip) and its backup image.
#include "publish/Html5Creative.h"

#include "core/Strings.h"

#include "platform/Raster.h"
#include "publish/FontSubset.h"
#include "publish/PublishImage.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <tuple>

namespace pennoria {

namespace {

constexpr const char* kFolder = "html5/";
constexpr const char* kPage = "index.html";
constexpr const char* kScript = "creative.js";
constexpr const char* kStyleSheet = "fonts.css";
// Ad networks take at most this many files in a creative.
constexpr std::size_t kMaxCreativeFiles = 40;
// The largest face file carried.
constexpr std::uint64_t kMaxFontBytes = std::uint64_t{8} << 20;
// A fixed time for the zip's entries, so that publishing the same banner twice gives the same
// bytes (2024-01-01 00:00 local time).
constexpr std::time_t kEntryTime = 1704067200;
// Qualities tried, best first, when the image is re-encoded to fit.
constexpr int kJpegQualities[] = {90, 85, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30};

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Extension(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return Lower(path.substr(dot + 1));
}

std::string HtmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

struct ZipDeleter {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

std::string ZipErrorText(zip_error_t* error) {
    std::string text = zip_error_strerror(error);
    zip_error_fini(error);
    return text;
}

// The creative's files, the zip of them, and its size.
struct Creative {
    std::vector<CreativeFile> files;
    std::string zip;
};

// What a creative carries beside its page and script: the element pictures under the
// creative's own names and the faces' style sheet.
struct CreativeExtras {
    std::map<std::string, std::string> names; // a picture's name in the project -> its file
    std::string styleSheet;
    std::uint64_t scriptFaceBytes = 0; // of the system's faces for other scripts, unencoded
    std::vector<CreativeFile> pictures;
    int picturesLeftOut = 0;
};

std::string FileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t n = (static_cast<unsigned char>(bytes[i]) << 16) |
                                (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                                static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += kDigits[(n >> 6) & 63];
        out += kDigits[n & 63];
    }
    if (i < bytes.size()) {
        std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

CreativeExtras MakeExtras(const CreativeInput& input) {
    CreativeExtras extras;
    if (input.plan->version < 2)
        return extras;
    extras.styleSheet = MakeFontFaceRules(input.plan->faces, input.fontFolder,
                                          &extras.scriptFaceBytes, input.userFonts);
    std::vector<std::string> taken = {kPage,       kScript,      kStyleSheet, "image.png",
                                      "image.jpg", "image.jpeg", "image.gif"};
    const std::size_t room = kMaxCreativeFiles - 4; // page, script, image, style sheet
    for (const PlanElement& element : input.plan->elements) {
        const std::string& source = element.picture;
        if (source.empty() || extras.names.count(source))
            continue;
        std::string name;
        auto file = input.elementImages.find(source);
        if (file != input.elementImages.end() && extras.pictures.size() < room) {
            auto bytes = platform::ReadWholeFile(file->second, nullptr, kCreativeSizeLimit * 64);
            const ImageKind kind = bytes ? DetectImageKind(*bytes) : ImageKind::NotAnImage;
            if (kind != ImageKind::NotAnImage) {
                name = PublishedImageName(FileNameOf(source), kind, taken);
                taken.push_back(name);
                extras.pictures.push_back({name, std::move(*bytes)});
            }
        }
        if (name.empty() && file != input.elementImages.end())
            ++extras.picturesLeftOut;
        // A picture the creative does not carry is not asked for.
        if (!name.empty())
            extras.names[source] = name;
    }
    return extras;
}

bool BuildCreative(const CreativeInput& input, const CreativeExtras& extras,
                   const std::string& imageName, const std::string& imageBytes, Creative& creative,
                   std::string* error) {
    creative.files.clear();
    // The creative's own copy of the project: its size only, its pictures under the
    // creative's names (the background is the page's pennoriaImage).
    std::map<std::string, std::string> names = extras.names;
    if (!input.plan->image.empty() && !names.count(input.plan->image))
        names[input.plan->image] = imageName;
    auto projectText = input.model->PublishText(input.projectXml, input.width, input.height, names,
                                                std::string(), error);
    if (!projectText)
        return false;
    const std::string styleSheet = extras.styleSheet.empty() ? std::string() : kStyleSheet;
    creative.files.push_back(
        {kPage, MakeCreativePage(input.width, input.height, input.baseName, input.plan->link,
                                 *projectText, imageName, styleSheet)});
    creative.files.push_back({kScript, input.creativeScript});
    if (!imageName.empty())
        creative.files.push_back({imageName, imageBytes});
    if (!styleSheet.empty())
        creative.files.push_back({styleSheet, extras.styleSheet});
    for (const CreativeFile& picture : extras.pictures)
        creative.files.push_back(picture);
    creative.zip = ZipFiles(creative.files, error);
    return !creative.zip.empty();
}

} // namespace

std::string FontFaceFile(const std::string& family, bool bold, bool italic) {
    if (family == "DejaVu Sans") {
        const std::string style =
            bold ? (italic ? "-BoldOblique" : "-Bold") : (italic ? "-Oblique" : "");
        return "DejaVuSans" + style + ".ttf";
    }
    const std::string style =
        bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular");
    return (family == "Liberation Serif" ? "LiberationSerif-" : "LiberationSans-") + style + ".ttf";
}

std::string MakeFontFaceRules(const std::vector<PlanFace>& faces, const std::string& fontFolder,
                              std::uint64_t* scriptFaceBytes,
                              const std::map<std::string, std::string>& userFonts) {
    std::string rules, scriptRules;
    std::uint64_t scriptBytes = 0;
    // A user's face: one file for every style, so one rule with all its text.
    std::vector<std::string> done;
    for (const PlanFace& face : faces) {
        const auto file = userFonts.find(face.family);
        if (file == userFonts.end() ||
            std::find(done.begin(), done.end(), face.family) != done.end())
            continue;
        done.push_back(face.family);
        std::string text;
        for (const PlanFace& same : faces)
            if (same.family == face.family)
                text += same.text;
        auto bytes = platform::ReadWholeFile(file->second, nullptr, kMaxUserFontBytes);
        if (!bytes)
            continue;
        auto subset = SubsetTrueType(*bytes, text);
        // A face too large to travel whole is left out rather than carried uncut.
        if (!subset && bytes->size() > kMaxFontBytes)
            continue;
        const std::string& carried = subset ? *subset : *bytes;
        rules += "@font-face {\n  font-family: \"" + face.family +
                 "\";\n  src: url(data:font/ttf;base64," + Base64(carried) +
                 ") format(\"truetype\");\n}\n";
    }
    // Each face carries only the glyphs of the text set in it. The system's faces for other
    // scripts come last, so that in a family they share with a shipped face (named by their
    // unicode-range) the browser looks at them first for their characters.
    for (const PlanFace& face : faces) {
        if (userFonts.count(face.family) && !face.system)
            continue;
        unsigned index = 0;
        std::string path = fontFolder + "/" + FontFaceFile(face.family, face.bold, face.italic);
        if (face.system) {
            const auto found = platform::FindSystemFace(face.family, face.bold, false, face.text);
            if (!found)
                continue;
            path = found->path;
            index = static_cast<unsigned>(std::max(0, found->index));
        }
        auto bytes = platform::ReadWholeFile(path, nullptr, kMaxFontBytes);
        if (!bytes)
            continue;
        if (auto subset = SubsetTrueType(*bytes, face.text, index))
            bytes = std::move(subset);
        else if (face.system)
            continue; // never a whole collection of thousands of glyphs
        std::string rule =
            "@font-face {\n  font-family: \"" + face.family +
            "\";\n  src: url(data:font/ttf;base64," + Base64(*bytes) +
            ") format(\"truetype\");\n  font-weight: " + (face.bold ? "700" : "400") +
            ";\n  font-style: " + (face.italic ? "italic" : "normal") + ";\n";
        if (face.system) {
            rule += "  unicode-range: " + face.range + ";\n}\n";
            scriptRules += rule;
            scriptBytes += bytes->size();
        } else {
            rules += rule + "}\n";
        }
    }
    if (scriptFaceBytes)
        *scriptFaceBytes = scriptBytes;
    return rules + scriptRules;
}

std::string MakeCreativePage(int width, int height, const std::string& title,
                             const std::string& link, const std::string& projectXml,
                             const std::string& imageName, const std::string& styleSheet) {
    const std::string w = std::to_string(width), h = std::to_string(height);
    std::string page;
    page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"ad.size\" content=\"width=" + w + ",height=" + h + "\">\n";
    page += "<title>" + HtmlText(title.empty() ? std::string("Banner") : title) + "</title>\n";
    page += "<script>var clickTag = " + ScriptString(link) + ";</script>\n";
    if (!styleSheet.empty())
        page += "<link rel=\"stylesheet\" href=\"" + HtmlText(styleSheet) + "\">\n";
    page += "<style>\n  html, body { margin: 0; padding: 0; overflow: hidden; }\n"
            "  #banner { width: " +
            w + "px; height: " + h +
            "px; overflow: hidden; }\n"
            "</style>\n</head>\n<body>\n<div id=\"banner\"></div>\n";
    page += "<script>var pennoriaProject = " + ScriptString(projectXml) +
            ";\nvar pennoriaImage = " + ScriptString(imageName) + ";</script>\n";
    page += "<script src=\"" + std::string(kScript) + "\"></script>\n</body>\n</html>\n";
    return page;
}

std::string ZipFiles(const std::vector<CreativeFile>& files, std::string* error) {
    zip_error_t failure;
    zip_error_init(&failure);
    std::unique_ptr<zip_source_t, ZipDeleter> buffer(
        zip_source_buffer_create(nullptr, 0, 0, &failure));
    if (!buffer) {
        if (error)
            *error = ZipErrorText(&failure);
        return {};
    }
    zip_source_keep(buffer.get()); // the archive's close releases one reference; we read after
    zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &failure);
    if (!archive) {
        zip_source_free(buffer.get()); // the reference the archive did not take
        if (error)
            *error = ZipErrorText(&failure);
        return {};
    }
    for (const CreativeFile& file : files) {
        zip_source_t* data = zip_source_buffer(archive, file.bytes.data(), file.bytes.size(), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, file.name.c_str(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data)
                zip_source_free(data);
            if (error)
                *error = zip_strerror(archive);
            zip_discard(archive);
            return {};
        }
        const std::string extension = Extension(file.name);
        const bool picture =
            extension == "png" || extension == "jpg" || extension == "jpeg" || extension == "gif";
        // Level 6: a third of level 9's time for about 3 % more bytes.
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 picture ? ZIP_CM_STORE : ZIP_CM_DEFLATE, picture ? 0 : 6);
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), kEntryTime, 0);
    }
    if (zip_close(archive) != 0) {
        if (error)
            *error = zip_strerror(archive);
        zip_discard(archive);
        return {};
    }
    std::string bytes;
    if (zip_source_open(buffer.get()) == 0) {
        zip_source_seek(buffer.get(), 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer.get());
        zip_source_seek(buffer.get(), 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            if (zip_source_read(buffer.get(), bytes.data(), bytes.size()) != size)
                bytes.clear();
        }
        zip_source_close(buffer.get());
    }
    if (bytes.empty() && error)
        *error = "cannot read the zip back";
    return bytes;
}

CreativeReport WriteHtml5Creative(const CreativeInput& input, const JpegOfferHandler& offer) {
    CreativeReport report;
    const CreativeExtras extras = MakeExtras(input);
    report.picturesLeftOut = extras.picturesLeftOut;
    report.scriptFaceBytes = extras.scriptFaceBytes;
    const std::string folder = kFolder;
    report.zipPath = input.zipName.empty() ? input.baseName + "_html5.zip" : input.zipName;
    report.backupPath = input.baseName + "_backup.png";

    // The image travels under a fixed name in a format every ad server takes.
    std::string imageName, imageBytes;
    const bool hasImage = !input.imagePath.empty() && platform::FileExists(input.imagePath) &&
                          platform::ReadImageSize(input.imagePath).has_value();
    if (hasImage) {
        // Web pictures travel as they are; other formats, and pictures too large to read
        // whole, as JPEG.
        const std::string extension =
            Extension(input.imageName.empty() ? input.imagePath : input.imageName);
        if (extension == "png" || extension == "gif" || extension == "jpg" || extension == "jpeg") {
            if (auto bytes =
                    platform::ReadWholeFile(input.imagePath, nullptr, kCreativeSizeLimit * 64)) {
                imageName = "image." + extension;
                imageBytes = std::move(*bytes);
            }
        }
        if (imageName.empty()) {
            if (auto jpeg = platform::EncodeJpeg(input.imagePath, kJpegQualities[0])) {
                imageName = "image.jpg";
                imageBytes = std::move(*jpeg);
            }
        }
    }

    std::string error;
    Creative creative;
    if (!BuildCreative(input, extras, imageName, imageBytes, creative, &error)) {
        report.result = platform::FileResult::Failure("cannot make the zip: " + error);
        return report;
    }

    if (creative.zip.size() > kCreativeSizeLimit && !imageName.empty()) {
        // Decoded once for every quality tried.
        const auto decoded = platform::DecodedPicture::Load(input.imagePath);
        for (int quality : kJpegQualities) {
            auto jpeg = decoded ? decoded->Jpeg(quality) : std::nullopt;
            Creative smaller;
            if (!jpeg || !BuildCreative(input, extras, "image.jpg", *jpeg, smaller, nullptr))
                break;
            if (smaller.zip.size() > kCreativeSizeLimit)
                continue;
            report.offeredQuality = quality;
            if (offer &&
                offer({creative.zip.size(), quality, smaller.zip.size()}) == OfferAnswer::Accept) {
                creative = std::move(smaller);
                report.jpegQuality = quality;
            }
            break;
        }
    }

    // The folder holds exactly the zip's files: pictures and faces of an earlier publish go.
    std::vector<std::string> earlier = {"image.png", "image.jpg", "image.jpeg", "image.gif",
                                        kStyleSheet};
    if (input.list)
        for (const std::string& name : input.list(kFolder)) {
            const std::string extension = Extension(name);
            if (extension == "png" || extension == "jpg" || extension == "jpeg" ||
                extension == "gif" || extension == "css")
                earlier.push_back(name);
        }
    for (const std::string& old : earlier) {
        const bool current = std::any_of(creative.files.begin(), creative.files.end(),
                                         [&old](const CreativeFile& f) { return f.name == old; });
        if (!current && input.remove)
            input.remove(folder + old);
    }
    for (const CreativeFile& file : creative.files) {
        report.files.push_back(file.name);
        platform::FileResult written = input.write(folder + file.name, file.bytes);
        if (!written) {
            report.result = written;
            return report;
        }
    }
    platform::FileResult zipped = input.write(report.zipPath, creative.zip);
    if (!zipped) {
        report.result = zipped;
        return report;
    }
    report.zipBytes = creative.zip.size();
    report.overLimit = report.zipBytes > kCreativeSizeLimit;

    // The backup image: the final frame as the model lays it out.
    std::vector<std::string> userFontFiles;
    for (const auto& entry : input.userFonts)
        userFontFiles.push_back(entry.second);
    platform::UseFontFiles(input.fontFolder, userFontFiles);
    std::optional<std::string> backup;
    if (auto list = input.model->Display(input.projectXml, input.width, input.height, -1,
                                         input.pictures, &error)) {
        platform::DisplayListPainter own;
        backup = (input.painter ? *input.painter : own).PaintPng(*list, &error);
    }
    if (!backup) {
        report.result = platform::FileResult::Failure("cannot draw the backup image: " + error);
        return report;
    }
    report.result = input.write(report.backupPath, *backup);
    return report;
}

std::string Kilobytes(std::uint64_t bytes) {
    return std::to_string((bytes + 1023) / 1024);
}

std::string DescribeCreativeSize(const CreativeReport& report) {
    std::string text = report.zipPath + ": " + Kilobytes(report.zipBytes) + " KB of " +
                       Kilobytes(kCreativeSizeLimit) + " KB";
    if (report.jpegQuality > 0)
        text += " (image re-encoded as JPEG, quality " + std::to_string(report.jpegQuality) + ")";
    if (report.picturesLeftOut > 0)
        text += "; " + std::to_string(report.picturesLeftOut) +
                " element pictures left out (an ad holds at most " +
                std::to_string(kMaxCreativeFiles) + " files)";
    if (report.overLimit) {
        text += "; over the size ad networks accept";
        if (report.scriptFaceBytes > 0)
            text += "; the faces for its Chinese, Japanese, Korean, Arabic, Hebrew, Thai or "
                    "Devanagari text take " +
                    Kilobytes(report.scriptFaceBytes) + " KB of it";
        if (report.offeredQuality > 0)
            text += "; the image re-encoded as JPEG at quality " +
                    std::to_string(report.offeredQuality) + " would fit";
    }
    return text;
}

} // namespace pennoria
