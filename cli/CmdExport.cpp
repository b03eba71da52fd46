// pennoria-cli export: a saved project as animated GIF, MP4 or WebM video, or PNG or JPEG stills,
// one file per size.
#include "cli/CliCommands.h"
#include "core/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "publish/Export.h"
#include "publish/ExportBanner.h"
#include "publish/Publisher.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace pennoria::cli {

namespace {

// A project larger than this is no project the editor wrote.
constexpr std::uint64_t kMaxProjectBytes = std::uint64_t{64} << 20;

struct ExportOptions {
    std::string project;
    std::string format;
    std::string folder;
    std::vector<std::string> sizes;
    std::string at;
    std::string fps;
    std::string maxKilobytes;
};

void Refuse(const std::string& why) {
    std::fprintf(stderr, "pennoria-cli export: %s\n", why.c_str());
    SetExitCode(2);
}

// The request from the options; false (refused with a message) when one cannot be read.
bool ReadRequest(const ExportOptions& options, ExportRequest& request) {
    ExportChoices choices;
    choices.format = options.format;
    choices.folder = options.folder;
    choices.baseName = std::filesystem::path(options.project).stem().string();
    choices.sizes = options.sizes;
    choices.atSeconds = options.at;
    choices.fps = options.fps;
    choices.maxKilobytes = options.maxKilobytes;
    const std::string problem = ReadExportChoices(choices, request);
    if (!problem.empty())
        Refuse(problem);
    return problem.empty();
}

void RunExportCommand(const ExportOptions& options) {
    ExportRequest request;
    if (!ReadRequest(options, request))
        return;
    std::string error;
    const std::optional<std::string> text =
        platform::ReadWholeFile(options.project, &error, kMaxProjectBytes);
    if (!text) {
        Refuse("cannot read the project " + options.project + ": " + error);
        return;
    }
    BannerModel* model = BannerModel::Shared(&error);
    if (!model) {
        std::fprintf(stderr, "pennoria-cli export: the banner model cannot start: %s\n",
                     error.c_str());
        SetExitCode(1);
        return;
    }
    const std::string fontFolder = GetPublishSources(GetProgramFolder(), false).fontFolder;
    std::unique_ptr<BannerFrames> frames =
        BannerFrames::Open(*model, *text, options.project, fontFolder, &error);
    if (!frames) {
        Refuse("cannot export " + options.project + ": " + error);
        return;
    }
    // Refusals come before anything is written.
    const std::string problem = CheckExportRequest(*frames, request);
    if (!problem.empty()) {
        Refuse(problem);
        return;
    }
    const ExportReport report = RunExport(*frames, request);
    for (const std::string& note : report.notes)
        std::printf("%s\n", note.c_str());
    for (const std::string& line : report.errors)
        std::fprintf(stderr, "pennoria-cli export: %s\n", line.c_str());
    SetExitCode(report.ok ? 0 : 1);
}

} // namespace

void RegisterExportCommands(CLI::App& app) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export", "Export a saved project as an animated GIF, a video or still images");
    command->add_option("PROJECT", options->project, "The project file (.pbf or .xml)")->required();
    command->add_option("--format", options->format, "gif, mp4, webm, png or jpg")->required();
    command->add_option("--folder", options->folder, "The folder the files are written into")
        ->required();
    command->add_option("--size", options->sizes,
                        "A size of the banner, WIDTHxHEIGHT; repeat for more (default: every "
                        "size)");
    command->add_option("--at", options->at,
                        "png and jpg: the moment in seconds (default: the final frame)");
    command->add_option("--fps", options->fps,
                        "gif: 1 to 5 frames a second (default 5); mp4 and webm: 24 to 60 "
                        "(default 30)");
    command->add_option("--max-kb", options->maxKilobytes,
                        "gif: the largest file in KB (default 150)");
    command->footer(
        "Files are named <project>_<W>x<H>.<format>; each replaces an earlier one whole.\n"
        "Example:\n  pennoria-cli export autumn-sale.pbf --format gif --folder ~/ads --size "
        "300x250\n"
        "  writes ~/ads/autumn-sale_300x250.gif within 150 KB, 5 frames a second and 30 s.");
    command->callback([options] { RunExportCommand(*options); });
}

} // namespace pennoria::cli
