// The banner as an HTML5 creative for ad servers: the folder "html5/" (index.html, the
// creative's script, the images, and for a version-2 project the faces its text uses in
// "fonts.css") and the same files zipped (as "<base>_html5.zip" unless named), checked against the
// size ad networks accept; and the static backup image "<base>_backup.png".
#pragma once

#include "platform/DisplayList.h"
#include "platform/FileSystem.h"
#include "project/BannerModel.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// Ad networks take HTML5 creatives up to this many bytes (150 KB).
constexpr std::uint64_t kCreativeSizeLimit = 150 * 1024;

// What the user was offered when the zip is over the limit: the image re-encoded as JPEG at
// quality, which makes the zip zipBytes long.
struct JpegOffer {
    std::uint64_t zipBytes = 0; // as it is now
    int quality = 0;
    std::uint64_t reencodedZipBytes = 0;
};
enum class OfferAnswer { Accept, Decline };
using JpegOfferHandler = std::function<OfferAnswer(const JpegOffer& offer)>;

// Writes a file of the publish folder (a path relative to it), replacing it atomically.
using PublishedFileWriter =
    std::function<platform::FileResult(const std::string& relativePath, std::string_view data)>;
// Removes a file of the publish folder, when there is one.
using PublishedFileRemover = std::function<void(const std::string& relativePath)>;
// The names of the regular files in a folder of the publish folder.
using PublishedFolderLister =
    std::function<std::vector<std::string>(const std::string& relativeFolder)>;

struct CreativeInput {
    BannerModel* model = nullptr;
    std::string projectXml;            // the project as the editor handed it over
    const PublishPlan* plan = nullptr; // what the model read in it
    int width = 0;                     // the size published
    int height = 0;
    std::string imagePath; // the published background picture; empty or missing: none
    std::string imageName; // its published name, whose extension gives its format; "": imagePath's
    std::string creativeScript; // the installed creative.js
    std::string baseName;       // "banner" for banner.swf
    std::string zipName;        // empty: "<baseName>_html5.zip"
    PublishedFileWriter write;
    PublishedFileRemover remove;
    PublishedFolderLister list; // none: only the creative's own earlier pictures go
    // The published element pictures: the file of each picture by its name in projectXml.
    std::map<std::string, std::string> elementImages;
    PictureFiles pictures;  // every picture the banner draws, for the backup image
    std::string fontFolder; // the program's TrueType faces
    // The user's own faces the project holds: the file of each by its family.
    std::map<std::string, std::string> userFonts;
    // Paints the backup image; one painter for a publish's sizes reads each picture once. None:
    // a painter of its own.
    platform::DisplayListPainter* painter = nullptr;
};

struct CreativeReport {
    platform::FileResult result;
    std::string zipPath; // relative to the publish folder, as are the other paths
    std::uint64_t zipBytes = 0;
    bool overLimit = false;
    int jpegQuality = 0;            // the quality the image was re-encoded at; 0: kept as it was
    int offeredQuality = 0;         // the quality that would have made it fit; 0: none offered
    std::vector<std::string> files; // the creative's files, as named in the zip
    std::string backupPath;
    int picturesLeftOut = 0; // element pictures beyond what a creative may hold
    // The bytes of the system's faces carried for scripts the shipped faces lack (Chinese,
    // Arabic...), named in the size's warning when the creative is over the limit.
    std::uint64_t scriptFaceBytes = 0;
};

// One file of a creative.
struct CreativeFile {
    std::string name;
    std::string bytes;
};

// The creative's page for a banner of width x height, its click-through link (empty: none),
// the project text, the creative's image name (empty: none) and its style sheet (empty: none).
std::string MakeCreativePage(int width, int height, const std::string& title,
                             const std::string& link, const std::string& projectXml,
                             const std::string& imageName, const std::string& styleSheet = {});

// The TrueType file of a shipped family's face ("LiberationSans-BoldItalic.ttf").
std::string FontFaceFile(const std::string& family, bool bold, bool italic);

// "@font-face" rules for the faces the banner's text uses, each face's file from fontFolder,
// cut down to the characters set in it, as a base64 data URL; empty when none is used. A face
// whose file is missing is left out (the browser then uses a font of its own). A family of
// userFonts is one rule from its file, with every character set in it in any style (the
// browser makes bold and italic of it).
// Faces of the system for scripts the shipped faces lack are cut the same way and limited to
// their characters by a unicode-range; scriptFaceBytes, when given, receives their bytes.
std::string MakeFontFaceRules(const std::vector<PlanFace>& faces, const std::string& fontFolder,
                              std::uint64_t* scriptFaceBytes = nullptr,
                              const std::map<std::string, std::string>& userFonts = {});

// A zip archive of files (deflated; pictures stored as they are); empty with error on failure.
std::string ZipFiles(const std::vector<CreativeFile>& files, std::string* error);

// Writes the creative folder, the zip and the backup image into the publish folder. When the
// zip is over the size limit and a JPEG re-encode of the image would bring it under, offer is
// asked (no handler: declined).
CreativeReport WriteHtml5Creative(const CreativeInput& input, const JpegOfferHandler& offer);

// Kilobytes as the reports give them (rounded up).
std::string Kilobytes(std::uint64_t bytes);

// "banner_html5.zip: 42 KB of 150 KB" (with a warning when over).
std::string DescribeCreativeSize(const CreativeReport& report);

} // namespace pennoria
