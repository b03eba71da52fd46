#include "publish/Export.h"

#include "platform/FileSystem.h"
#include "platform/RasterEncode.h"
#include "publish/ExportGif.h"
#include "publish/ExportVideo.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

namespace pennoria {

std::string SizeText(ExportSize size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::optional<ExportFormat> ParseExportFormat(std::string_view word) {
    if (word == "gif")
        return ExportFormat::Gif;
    if (word == "mp4")
        return ExportFormat::Mp4;
    if (word == "webm")
        return ExportFormat::Webm;
    if (word == "png")
        return ExportFormat::Png;
    if (word == "jpg" || word == "jpeg")
        return ExportFormat::Jpg;
    return std::nullopt;
}

const char* ExportExtension(ExportFormat format) {
    switch (format) {
    case ExportFormat::Gif:
        return "gif";
    case ExportFormat::Mp4:
        return "mp4";
    case ExportFormat::Webm:
        return "webm";
    case ExportFormat::Png:
        return "png";
    case ExportFormat::Jpg:
        return "jpg";
    }
    return "";
}

bool IsAnimation(ExportFormat format) {
    return format == ExportFormat::Gif || format == ExportFormat::Mp4 ||
           format == ExportFormat::Webm;
}

namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

std::string Seconds(double ms) {
    std::ostringstream text;
    text << ms / 1000.0;
    return text.str();
}

std::string Kilobytes(std::size_t bytes) {
    return std::to_string((bytes + 1023) / 1024) + " KB";
}

// A name beside target that marks debris of an interrupted export.
std::string TemporaryPath(const std::string& target) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string name = target + platform::kTemporaryMarker;
    for (int i = 0; i < 6; ++i)
        name += letters[device() % (sizeof letters - 1)];
    return name;
}

std::string FolderProblem(const std::string& folder) {
    if (folder.empty())
        return "no export folder given";
    if (!platform::DirectoryExists(folder)) {
        if (platform::PathExists(folder))
            return "the export folder " + folder + " is not a folder";
        if (!platform::CreateOneDirectory(folder))
            return "the export folder " + folder +
                   " cannot be created: " + platform::LastErrorText();
    }
    const std::string probe = TemporaryPath(JoinPath(folder, "export-probe"));
    const platform::FileResult wrote = platform::WriteFileAtomically(probe, "");
    std::remove(probe.c_str());
    if (!wrote)
        return "the export folder " + folder + " is not writable: " + wrote.error;
    return {};
}

// One size's pictures at moments of the timeline, each painted once.
class FrameCache {
public:
    FrameCache(IFrameSource& source, ExportSize size) : source_(source), size_(size) {}

    // The picture at key (any ordering of moments), painted at tMs the first time.
    const ArgbFrame* At(long key, double tMs, std::string* error) {
        auto found = frames_.find(key);
        if (found != frames_.end())
            return &found->second;
        ArgbFrame frame;
        if (!source_.Paint(size_, tMs, frame, error))
            return nullptr;
        if (frame.width != size_.width || frame.height != size_.height ||
            frame.pixels.size() != static_cast<std::size_t>(size_.width) * size_.height) {
            if (error)
                *error = "the frame came back at another size";
            return nullptr;
        }
        return &frames_.emplace(key, std::move(frame)).first->second;
    }

private:
    IFrameSource& source_;
    ExportSize size_;
    std::map<long, ArgbFrame> frames_;
};

struct GifTry {
    int stride; // frames of the base rate per GIF frame
    int colours;
    float dither;
};

// From the best picture down: fewer colours and less dithering first, then fewer frames.
const GifTry kGifTries[] = {
    {1, 256, 1.0f}, {1, 128, 1.0f}, {1, 64, 0.5f}, {2, 64, 0.5f},
    {2, 32, 0.0f},  {4, 32, 0.0f},  {4, 16, 0.0f}, {8, 16, 0.0f},
};

struct Outcome {
    bool ok = false;
    std::string note;
    std::string error;
};

Outcome ExportGif(IFrameSource& source, ExportSize size, const ExportRequest& request,
                  const std::string& target, const std::function<bool(double)>& step) {
    Outcome outcome;
    const double length = source.LengthMs();
    const int loops = std::max(1, source.Loops());
    const int plays =
        std::max(1, std::min(loops, kAnimationMaxMilliseconds / std::max(1, source.LengthMs())));
    const int fps = request.fps.value_or(kGifMaxFps);
    const double baseMs = 1000.0 / fps;
    const std::size_t limit =
        static_cast<std::size_t>(request.maxKilobytes.value_or(kGifDefaultMaxKilobytes)) * 1024;
    FrameCache cache(source, size);
    std::size_t smallest = 0;
    std::string smallestTry;
    const int triesCount = static_cast<int>(sizeof kGifTries / sizeof kGifTries[0]);
    for (int tryIndex = 0; tryIndex < triesCount; ++tryIndex) {
        const GifTry& attempt = kGifTries[tryIndex];
        const double frameMs = baseMs * attempt.stride;
        // Frame i holds [i * frameMs, (i + 1) * frameMs) of the loop, showing its start, except
        // the last, which runs to the loop's end and shows the final frame.
        const int count = std::max(1, static_cast<int>(std::floor(length / frameMs + 1e-9)));
        std::vector<GifFrame> frames;
        int previousEdge = 0;
        for (int i = 0; i < count; ++i) {
            const bool last = i == count - 1;
            std::string error;
            const ArgbFrame* picture =
                last ? cache.At(-1, length, &error)
                     : cache.At(static_cast<long>(i) * attempt.stride, i * frameMs, &error);
            if (!picture) {
                outcome.error = SizeText(size) + ": " + error;
                return outcome;
            }
            const int edge = last ? static_cast<int>(std::lround(length / 10))
                                  : static_cast<int>(std::lround((i + 1) * frameMs / 10));
            const int delay = edge - previousEdge;
            previousEdge = edge;
            // Where nothing moves the frame before is held longer instead.
            if (!frames.empty() && SamePicture(*frames.back().picture, *picture))
                frames.back().delayCentiseconds += delay;
            else
                frames.push_back({picture, delay});
        }
        std::string error;
        GifSettings settings;
        settings.colours = attempt.colours;
        settings.dither = attempt.dither;
        settings.plays = plays;
        const std::optional<std::string> gif = EncodeGif(frames, settings, &error);
        if (!gif) {
            outcome.error = SizeText(size) + ": " + error;
            return outcome;
        }
        std::ostringstream how;
        how << frames.size() << (frames.size() == 1 ? " frame" : " frames") << ", "
            << attempt.colours << " colours" << (attempt.dither > 0 ? ", dithered" : "")
            << ", at most " << std::round(10.0 * fps / attempt.stride) / 10
            << " frames a second, plays " << plays << (plays == 1 ? " time" : " times") << " ("
            << Seconds(length * plays) << " s)";
        if (!step(static_cast<double>(tryIndex + 1) / triesCount))
            return outcome;
        if (gif->size() <= limit) {
            const platform::FileResult wrote = platform::WriteFileAtomically(target, *gif);
            if (!wrote) {
                outcome.error = SizeText(size) + ": " + wrote.error;
                return outcome;
            }
            outcome.ok = true;
            outcome.note = target + ": " + Kilobytes(gif->size()) + ", " + how.str();
            return outcome;
        }
        if (smallest == 0 || gif->size() < smallest) {
            smallest = gif->size();
            smallestTry = how.str();
        }
    }
    outcome.error = SizeText(size) + ": the GIF cannot fit " + Kilobytes(limit) +
                    "; the smallest try (" + smallestTry + ") is " + Kilobytes(smallest) +
                    ". Raise the limit, shorten the animation or simplify the banner.";
    return outcome;
}

Outcome ExportVideo(IFrameSource& source, ExportSize size, const ExportRequest& request,
                    const std::string& target, const std::function<bool(double)>& step) {
    Outcome outcome;
    const double length = source.LengthMs();
    const int plays =
        std::max(1, std::min(std::max(1, source.Loops()),
                             kAnimationMaxMilliseconds / std::max(1, source.LengthMs())));
    const int fps = request.fps.value_or(kVideoDefaultFps);
    // Frame k of a loop is shown at k / fps and shows that moment, so the video keeps the
    // banner's pace; the last one shows the final frame (a frame's time before it), and count
    // frames last length.
    const int count = std::max(2, static_cast<int>(std::lround(length * fps / 1000)));
    const bool mp4 = request.format == ExportFormat::Mp4;
    std::string error;
    const std::string temporary = TemporaryPath(target);
    auto encoder = VideoEncoder::Open(temporary, mp4 ? VideoCodec::H264Mp4 : VideoCodec::Vp9Webm,
                                      size.width, size.height, fps, &error);
    if (!encoder) {
        std::remove(temporary.c_str());
        outcome.error = SizeText(size) + ": " + error;
        return outcome;
    }
    // Keeping one loop's pictures saves painting them again for every loop, when they fit.
    const std::size_t loopBytes = static_cast<std::size_t>(count) * size.width * size.height * 4;
    const bool keep = plays > 1 && loopBytes <= (std::size_t{256} << 20);
    FrameCache kept(source, size);
    const int total = count * plays;
    bool stopped = false;
    for (int n = 0; n < total && !stopped; ++n) {
        const int k = n % count;
        const double t = k == count - 1 ? length : std::min(length, 1000.0 * k / fps);
        ArgbFrame fresh;
        const ArgbFrame* picture = nullptr;
        if (keep) {
            picture = kept.At(k, t, &error);
        } else if (source.Paint(size, t, fresh, &error)) {
            picture = &fresh;
        }
        if (!picture || !encoder->Add(*picture, &error)) {
            encoder.reset();
            std::remove(temporary.c_str());
            outcome.error = SizeText(size) + ": " + error;
            return outcome;
        }
        stopped = !step(static_cast<double>(n + 1) / total);
    }
    const bool finished = !stopped && encoder->Finish(&error);
    const ExportSize coded = encoder->CodedSize();
    encoder.reset();
    if (!finished) {
        std::remove(temporary.c_str());
        if (!stopped)
            outcome.error = SizeText(size) + ": " + error;
        return outcome;
    }
    // The muxer wrote the file in place (moving its index to the front reads it back); the
    // finished video then replaces the target in one step.
    const std::optional<std::string> bytes = platform::ReadWholeFile(temporary, &error);
    std::remove(temporary.c_str());
    if (!bytes) {
        outcome.error = SizeText(size) + ": " + error;
        return outcome;
    }
    const platform::FileResult wrote = platform::WriteFileAtomically(target, *bytes);
    if (!wrote) {
        outcome.error = SizeText(size) + ": " + wrote.error;
        return outcome;
    }
    std::ostringstream note;
    note << target << ": " << Kilobytes(bytes->size()) << ", " << (mp4 ? "H.264" : "VP9") << ", "
         << fps << " frames a second, plays " << plays << (plays == 1 ? " time" : " times") << " ("
         << Seconds(length * plays) << " s)";
    if (coded != size)
        note << "; padded to " << SizeText(coded)
             << " by repeating the last column or row, as 4:2:0 video needs even sides";
    outcome.ok = true;
    outcome.note = note.str();
    return outcome;
}

Outcome ExportStill(IFrameSource& source, ExportSize size, const ExportRequest& request,
                    const std::string& target) {
    Outcome outcome;
    const double t = request.atSeconds ? *request.atSeconds * 1000 : source.LengthMs();
    ArgbFrame frame;
    std::string error;
    if (!source.Paint(size, t, frame, &error)) {
        outcome.error = SizeText(size) + ": " + error;
        return outcome;
    }
    const std::optional<std::string> bytes =
        request.format == ExportFormat::Png
            ? platform::EncodeArgbPng(frame.pixels.data(), frame.width, frame.height, &error)
            : platform::EncodeArgbJpeg(frame.pixels.data(), frame.width, frame.height, 90, &error);
    if (!bytes) {
        outcome.error = SizeText(size) + ": " + error;
        return outcome;
    }
    const platform::FileResult wrote = platform::WriteFileAtomically(target, *bytes);
    if (!wrote) {
        outcome.error = SizeText(size) + ": " + wrote.error;
        return outcome;
    }
    outcome.ok = true;
    outcome.note = target + ": " + Kilobytes(bytes->size()) + ", the frame at " + Seconds(t) + " s";
    return outcome;
}

std::string SizesText(const std::vector<ExportSize>& sizes) {
    std::string text;
    for (const ExportSize& size : sizes)
        text += (text.empty() ? "" : ", ") + SizeText(size);
    return text.empty() ? "none" : text;
}

} // namespace

namespace {

// "300x250" (also with X or ×); nothing for any other text.
std::optional<ExportSize> ParseSize(const std::string& text) {
    std::size_t cut = text.find_first_of("xX");
    std::size_t skip = 1;
    if (cut == std::string::npos && (cut = text.find("\xC3\x97")) != std::string::npos)
        skip = 2;
    if (cut == std::string::npos || cut == 0 || cut + skip >= text.size())
        return std::nullopt;
    const std::string width = text.substr(0, cut);
    const std::string height = text.substr(cut + skip);
    for (const std::string* side : {&width, &height})
        if (side->size() > 5 || side->find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
    return ExportSize{std::atoi(width.c_str()), std::atoi(height.c_str())};
}

// A whole number within what an option takes; nothing for other text.
std::optional<int> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::atoi(text.c_str());
}

std::optional<double> ParseSeconds(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.+-eE") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::string ReadExportChoices(const ExportChoices& choices, ExportRequest& request) {
    const std::optional<ExportFormat> format = ParseExportFormat(choices.format);
    if (!format)
        return "unknown format \"" + choices.format + "\" (gif, mp4, webm, png or jpg)";
    request.format = *format;
    request.folder = choices.folder;
    request.baseName = choices.baseName;
    request.sizes.clear();
    for (const std::string& text : choices.sizes) {
        const std::optional<ExportSize> size = ParseSize(text);
        if (!size)
            return "the size \"" + text + "\" is not WIDTHxHEIGHT (for instance 300x250)";
        if (std::find(request.sizes.begin(), request.sizes.end(), *size) == request.sizes.end())
            request.sizes.push_back(*size);
    }
    request.atSeconds.reset();
    if (!choices.atSeconds.empty() && !(request.atSeconds = ParseSeconds(choices.atSeconds)))
        return "the moment \"" + choices.atSeconds + "\" is not a number of seconds";
    request.fps.reset();
    if (!choices.fps.empty() && !(request.fps = ParseCount(choices.fps)))
        return "the frame rate \"" + choices.fps + "\" is not a whole number";
    request.maxKilobytes.reset();
    if (!choices.maxKilobytes.empty() && !(request.maxKilobytes = ParseCount(choices.maxKilobytes)))
        return "the size limit \"" + choices.maxKilobytes + "\" is not a whole number of KB";
    return {};
}

std::string CheckExportRequest(const IFrameSource& source, const ExportRequest& request) {
    const std::vector<ExportSize> sizes = source.Sizes();
    for (const ExportSize& size : request.sizes)
        if (std::find(sizes.begin(), sizes.end(), size) == sizes.end())
            return "the banner has no size " + SizeText(size) + " (its sizes: " + SizesText(sizes) +
                   ")";
    if (sizes.empty())
        return "the banner has no sizes";
    if (request.baseName.empty() || request.baseName.find('/') != std::string::npos)
        return "the file name base \"" + request.baseName + "\" cannot name a file";
    const double length = source.LengthMs() / 1000.0;
    if (request.atSeconds) {
        if (IsAnimation(request.format))
            return "a moment (--at) is for png and jpg stills, not for " +
                   std::string(ExportExtension(request.format));
        if (!(*request.atSeconds >= 0 && *request.atSeconds <= length))
            return "the moment " + Seconds(*request.atSeconds * 1000) +
                   " s is outside the timeline (0 to " + Seconds(length * 1000) + " s)";
    }
    if (request.fps) {
        const int fps = *request.fps;
        if (request.format == ExportFormat::Gif && (fps < 1 || fps > kGifMaxFps))
            return "a GIF plays 1 to " + std::to_string(kGifMaxFps) + " frames a second, not " +
                   std::to_string(fps);
        if ((request.format == ExportFormat::Mp4 || request.format == ExportFormat::Webm) &&
            (fps < kVideoMinFps || fps > kVideoMaxFps))
            return "a video plays " + std::to_string(kVideoMinFps) + " to " +
                   std::to_string(kVideoMaxFps) + " frames a second, not " + std::to_string(fps);
        if (!IsAnimation(request.format))
            return "a frame rate (--fps) is for gif, mp4 and webm, not for " +
                   std::string(ExportExtension(request.format));
    }
    if (request.maxKilobytes) {
        if (request.format != ExportFormat::Gif)
            return "a size limit (--max-kb) is for gif only";
        if (*request.maxKilobytes < 1 || *request.maxKilobytes > 1024 * 1024)
            return "the size limit " + std::to_string(*request.maxKilobytes) +
                   " KB is out of range (1 to 1048576)";
    }
    return FolderProblem(request.folder);
}

ExportReport RunExport(IFrameSource& source, const ExportRequest& request,
                       const ExportProgress& progress) {
    ExportReport report;
    const std::string problem = CheckExportRequest(source, request);
    if (!problem.empty()) {
        report.errors.push_back(problem);
        return report;
    }
    const std::vector<ExportSize> sizes = request.sizes.empty() ? source.Sizes() : request.sizes;
    bool going = true;
    for (std::size_t i = 0; i < sizes.size() && going; ++i) {
        const ExportSize size = sizes[i];
        const std::string target =
            JoinPath(request.folder, request.baseName + "_" + SizeText(size) + "." +
                                         ExportExtension(request.format));
        const auto step = [&](double fraction) {
            if (progress && !progress((static_cast<double>(i) + fraction) / sizes.size()))
                going = false;
            return going;
        };
        Outcome outcome;
        if (request.format == ExportFormat::Gif)
            outcome = ExportGif(source, size, request, target, step);
        else if (IsAnimation(request.format))
            outcome = ExportVideo(source, size, request, target, step);
        else {
            outcome = ExportStill(source, size, request, target);
            step(1.0);
        }
        if (outcome.ok) {
            report.written.push_back(target);
            report.notes.push_back(outcome.note);
        } else if (!outcome.error.empty()) {
            report.errors.push_back(outcome.error);
        }
    }
    if (!going)
        report.errors.push_back("the export was stopped");
    report.ok = report.errors.empty();
    return report;
}

} // namespace pennoria
