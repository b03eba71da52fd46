// Exports of a banner beside its publish: an animated GIF within the image-ad rules, an MP4 or
// WebM video, or a PNG or JPEG still, one file per size named <base>_<W>x<H>.<ext>, each
// replaced atomically. The pictures come from a frame source; nothing here knows the format.
#pragma once

#include "publish/ExportFrames.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

enum class ExportFormat { Gif, Mp4, Webm, Png, Jpg };

// "gif", "mp4", "webm", "png", "jpg" (also "jpeg"); nothing for another word.
std::optional<ExportFormat> ParseExportFormat(std::string_view word);
// The file extension, without the dot; also the format's word.
const char* ExportExtension(ExportFormat format);
bool IsAnimation(ExportFormat format);

// The image-ad rules an animated GIF meets unless told otherwise.
constexpr int kGifMaxFps = 5;                // each frame shown at least 0.2 s
constexpr int kGifDefaultMaxKilobytes = 150; // KB of 1024 bytes
constexpr int kAnimationMaxMilliseconds = 30000;
constexpr int kVideoDefaultFps = 30;
constexpr int kVideoMinFps = 24;
constexpr int kVideoMaxFps = 60;

struct ExportRequest {
    ExportFormat format = ExportFormat::Png;
    std::string folder;
    std::string baseName;            // files are <baseName>_<W>x<H>.<ext>
    std::vector<ExportSize> sizes;   // empty: every size of the banner
    std::optional<double> atSeconds; // stills: the moment (default: the final frame)
    std::optional<int> fps;          // animations: frames a second
    std::optional<int> maxKilobytes; // GIF: the size limit
};

// The choices as a person typed them (the command line's options, the editor's fields): empty
// texts take the defaults, and every size is WIDTHxHEIGHT.
struct ExportChoices {
    std::string format;
    std::string folder;
    std::string baseName;
    std::vector<std::string> sizes;
    std::string atSeconds;
    std::string fps;
    std::string maxKilobytes;
};

// Reads choices into request; empty when they can be read, else one line naming the one that
// cannot. Whether they fit the banner is CheckExportRequest's question.
std::string ReadExportChoices(const ExportChoices& choices, ExportRequest& request);

// Whether the request fits the banner and the machine: every size one of the banner's, the
// moment within the timeline, the frame rate and limit in range, the folder writable (created
// when missing). Empty when fine, else one line naming what is wrong.
std::string CheckExportRequest(const IFrameSource& source, const ExportRequest& request);

struct ExportReport {
    bool ok = false;
    std::vector<std::string> written; // the files, in the order of the sizes
    std::vector<std::string> notes;   // a line per file: what was chosen (palette, padding, ...)
    std::vector<std::string> errors;  // a line per size that was not written, naming it
};

// Fraction of the whole export done, 0 to 1; return false to stop (what is done stays).
using ExportProgress = std::function<bool(double fraction)>;

// Checks the request, then writes one file per size. A size that cannot be exported (a GIF that
// cannot fit its limit, a frame that cannot be painted) is reported and leaves no file; the
// other sizes are still written.
ExportReport RunExport(IFrameSource& source, const ExportRequest& request,
                       const ExportProgress& progress = {});

} // namespace pennoria
