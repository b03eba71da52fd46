// A publish request from the editor, the publish folder it decides, and folder creation.
#pragma once

#include "platform/Dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pennoria {

// How a publish ended; the bridge turns it into the editor's reply word.
enum class PublishOutcome {
    Published,          // every file written
    Cancelled,          // the user kept the existing publish folder
    FolderNotCreated,   // the publish folder could not be created
    NameRefused,        // a file name would not be a plain name inside the publish folder
    ProjectUnavailable, // the editor did not deliver the project, or it does not parse
    FileFailed,         // a file could not be read, checked or written; the user was told which
};

// A publish for the user's folder, or a preview into a private one: a preview neither stores
// the settings nor asks about the creative's image.
enum class PublishPurpose { Publish, Preview };

class CPublishRequest {
public:
    explicit CPublishRequest(const std::vector<std::string>& arguments);
    virtual ~CPublishRequest() = default;
    CPublishRequest(const CPublishRequest&) = default;
    CPublishRequest& operator=(const CPublishRequest&) = default;

    // Arguments in order: out mode, embed mode, folder, movie, page and XML file names, then
    // the player ("bundled" or "none"), whether to write the HTML5 creative ("yes" or "no") and
    // whether to write the SWF outputs ("yes" or "no").
    // Missing trailing arguments leave their fields as they are; the modes read like a "%d" scan.
    void ParseArguments(const std::vector<std::string>& arguments);

    // Sets the page flags and default names, asks before publishing over an existing folder
    // and creates the publish folder. False, with the outcome Cancelled, NameRefused or
    // FolderNotCreated, when publishing cannot go on.
    bool PrepareOutputFolder(PublishOutcome& outcome, platform::IDialogs& dialogs);

    std::int32_t outMode = 0;
    std::int32_t embedMode = 0;
    std::string folder;
    bool writePages = false;
    bool embedPages = false;
    std::string outputFolder; // ends in '/' once prepared
    std::string swfName;
    std::string pageName;
    std::string xmlName;
    std::string playerMode; // empty: the stored setting
    std::string html5;      // empty: the stored setting
    std::string swf;        // empty: the stored setting
    // Where the pages load a bundled player from, relative to the publish folder ("../ruffle/"
    // for the variants of a feed, which share one); empty: the publish's own "ruffle/", which
    // it writes.
    std::string sharedPlayer;
    PublishPurpose purpose = PublishPurpose::Publish;
};

// The movie name up to its last '.', or the whole name when it has none or it comes first.
std::string PublishBaseName(const std::string& swfName);

// Whether a name can be published: a plain file name, without folder separators, "..", quotes,
// "<", ">", ":" or control characters, so that it stays inside the publish folder, is safe
// wherever a page quotes it, and is never read as a URL scheme.
bool IsPlainPublishName(const std::string& name);

// The output of the same publish that name equals or would make, given the three chosen names
// (movie, page, project XML): the creative's zip and backup image, the folders and fixed files
// written beside them, a size's sub-folder, another chosen name (case aside, as a web server on a
// case-blind disk sees them), or a name of the publish's own temporaries; empty when none.
std::string PublishNameCollision(const std::string& name, const std::string& swfName,
                                 const std::string& pageName, const std::string& xmlName);

// Reads a decimal integer as "%d" does: white space skipped, optional sign, digits. False (and
// value untouched) when no digit follows; values beyond 32 bits saturate.
bool ScanDecimal(const std::string& text, std::int32_t& value);

// Creates the folder and every missing parent; '/' separates levels and one trailing '/' is
// ignored; a relative path starts at the current folder. True when something exists at the
// path afterwards.
bool EnsureDirectory(const std::string& path);

} // namespace pennoria
