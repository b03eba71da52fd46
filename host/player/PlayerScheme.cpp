// The player scheme's URL and path rules: decoding, canonical resolution, access checks, types.
#include "host/player/PlayerScheme.h"

#include "platform/Text.h"
#include "xml/XmlDocument.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pennoria {
namespace {

// True when path equals folder or lies below it (folder without trailing '/').
bool IsWithin(const std::string& path, std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder == "/")
        return true;
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            path[folder.size()] == '/');
}

bool HasDotSegment(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string_view segment(path.data() + start, end - start);
        if (segment == "." || segment == "..")
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool PercentDecodePath(std::string_view encoded, std::string& decoded) {
    decoded.clear();
    decoded.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '%') {
            if (i + 2 >= encoded.size())
                return false;
            int high = platform::HexDigit(encoded[i + 1]);
            int low = platform::HexDigit(encoded[i + 2]);
            if (high < 0 || low < 0)
                return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (c == '\0')
            return false;
        decoded.push_back(c);
    }
    return true;
}

std::string MakePlayerUrl(const std::string& absolutePath) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string url = kPlayerOrigin;
    for (unsigned char c : absolutePath) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            url.push_back(static_cast<char>(c));
        } else {
            url.push_back('%');
            url.push_back(kHex[c >> 4]);
            url.push_back(kHex[c & 15]);
        }
    }
    return url;
}

std::string CanonicalPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result(resolved);
    std::free(resolved);
    return result;
}

SchemeAccess ResolveSchemePath(std::string_view encodedPath, const SchemeAccessPolicy& policy,
                               std::string& canonicalFile) {
    canonicalFile.clear();
    std::string path;
    if (!PercentDecodePath(encodedPath, path) || path.empty() || path[0] != '/' ||
        path.size() > PATH_MAX || HasDotSegment(path))
        return SchemeAccess::BadRequest;
    std::string canonical = CanonicalPath(path);
    // A chosen file whose name is not UTF-8 is known to the movie by its name as text.
    if (canonical.empty())
        for (const std::string& chosen : policy.chosenFiles)
            if (policy.localFilesAllowed && platform::ToXmlText(chosen) == path)
                canonical = CanonicalPath(chosen);
    if (canonical.empty())
        return SchemeAccess::NotFound;
    struct stat info {};
    if (::stat(canonical.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return SchemeAccess::NotFound;

    bool granted = false;
    std::string programFolder = CanonicalPath(policy.programFolder);
    if (!programFolder.empty() && IsWithin(canonical, programFolder))
        granted = true;
    for (const std::string& extra : policy.extraFiles)
        if (!granted && !extra.empty() && CanonicalPath(extra) == canonical)
            granted = true;
    if (!granted && policy.localFilesAllowed)
        for (const std::string& chosen : policy.chosenFiles)
            if (!granted && !chosen.empty() && CanonicalPath(chosen) == canonical)
                granted = true;
    for (const char* pseudo : {"/proc", "/sys", "/dev", "/run"})
        if (IsWithin(canonical, pseudo))
            granted = false;
    if (!granted)
        return SchemeAccess::Forbidden;
    canonicalFile = canonical;
    return SchemeAccess::Granted;
}

std::vector<std::string> ProjectImagePaths(const std::string& projectPath, std::string_view text) {
    std::vector<std::string> images;
    std::string folder = projectPath.substr(0, projectPath.rfind('/') + 1);
    for (std::string name : SelectAttributeValues(text, "//@img")) {
        for (char& c : name)
            if (c == '\\')
                c = '/';
        if (name.empty())
            continue;
        images.push_back(name[0] == '/' ? name : folder + name);
    }
    return images;
}

ServedFileError ReadServedFile(const std::string& path, std::size_t maxBytes,
                               std::string& contents) {
    contents.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return ServedFileError::NotReadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ServedFileError::NotReadable;
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        ::close(fd);
        return ServedFileError::TooLarge;
    }
    // One allocation of the size the file had when opened, filled by as few reads as the kernel
    // allows; a file that grows meanwhile is served as it was, one that shrinks as it is now.
    contents.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    while (filled < contents.size()) {
        ssize_t count = ::read(fd, contents.data() + filled, contents.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            ::close(fd);
            contents.clear();
            return ServedFileError::NotReadable;
        }
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    ::close(fd);
    contents.resize(filled);
    return ServedFileError::None;
}

const char* MimeTypeForPath(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return "application/octet-stream";
    std::string extension;
    for (char c : path.substr(dot + 1))
        extension.push_back(static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c));
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {"html", "text/html; charset=utf-8"},
        {"htm", "text/html; charset=utf-8"},
        {"js", "text/javascript; charset=utf-8"},
        {"mjs", "text/javascript; charset=utf-8"},
        {"css", "text/css; charset=utf-8"},
        {"json", "application/json"},
        {"wasm", "application/wasm"},
        {"swf", "application/x-shockwave-flash"},
        {"xml", "text/xml"},
        {"pbf", "text/xml"},
        {"txt", "text/plain; charset=utf-8"},
        {"png", "image/png"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},
        {"bmp", "image/bmp"},
        {"svg", "image/svg+xml"},
        {"ttf", "font/ttf"},
        {"otf", "font/otf"},
        {"ttc", "font/collection"},
        {"woff", "font/woff"},
        {"woff2", "font/woff2"},
        {"mp3", "audio/mpeg"},
        {"flv", "video/x-flv"},
    };
    for (const auto& entry : kTypes)
        if (extension == entry.extension)
            return entry.type;
    return "application/octet-stream";
}

} // namespace pennoria
