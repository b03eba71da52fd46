// The player's "pennoria:" URI scheme: URL building, path resolution with its access rules, types.
//
// A file's URL is "pennoria://player" followed by its absolute path, percent-encoded, so a movie's
// relative and absolute references resolve to files as they would on disk. The path "/" (with a
// query) is the bridge endpoint and never names a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

inline constexpr const char* kPlayerScheme = "pennoria";
inline constexpr const char* kPlayerOrigin = "pennoria://player";
inline constexpr const char* kBridgeUrl = "pennoria://player/?bridge";

// What the scheme may serve. Paths are absolute; the program folder is served always (read
// only); the extra files (fonts, the movie the host chose) always; the files the user chose in
// this session (open and save dialogs, the project being edited and the images it names) only once
// local access is allowed; nothing else, and never below the kernel's pseudo file systems.
struct SchemeAccessPolicy {
    std::string programFolder;
    std::vector<std::string> extraFiles;
    std::vector<std::string> chosenFiles;
    bool localFilesAllowed = false;
};

enum class SchemeAccess { Granted, BadRequest, Forbidden, NotFound };

// Percent-decodes a URL path. Fails on a malformed escape or an encoded NUL.
bool PercentDecodePath(std::string_view encoded, std::string& decoded);

// The scheme URL of an absolute file path.
std::string MakePlayerUrl(const std::string& absolutePath);

// Resolves the (still percent-encoded) path of a scheme URL to the canonical file it names and
// checks it against the policy. A ".." or "." segment, encoded or not, is a bad request; links
// are resolved before the check, so a link cannot lead out of an allowed folder.
SchemeAccess ResolveSchemePath(std::string_view encodedPath, const SchemeAccessPolicy& policy,
                               std::string& canonicalFile);

// The canonical form of an existing path (links resolved), or empty.
std::string CanonicalPath(const std::string& path);

// The pictures a project text draws (the banner model's plan: the background and every element
// picture), as absolute paths: a relative name lies beside the project file, backslashes count
// as separators, and addresses with a scheme are left out. None for a text that is no project.
std::vector<std::string> ProjectImagePaths(const std::string& projectPath, std::string_view text);

// Reads a file to be served whole into memory (a file that shrinks while it is read gives what was
// there; no mapping that a truncation could turn into a fault). Only regular files, opened without
// following a link or blocking on a FIFO; refused when unreadable or larger than maxBytes.
enum class ServedFileError { None, NotReadable, TooLarge };
ServedFileError ReadServedFile(const std::string& path, std::size_t maxBytes,
                               std::string& contents);

// The Content-Type for a served file, from its extension.
const char* MimeTypeForPath(std::string_view path);

} // namespace pennoria
