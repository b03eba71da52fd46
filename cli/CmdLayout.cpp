// pennoria-cli layout: gives a saved project further banner sizes by the automatic layout the
// editor uses, and writes the result as a new project.
#include "cli/CliCommands.h"
#include "platform/FileSystem.h"
#include "project/BannerModel.h"
#include "project/ProjectFiles.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace pennoria::cli {

namespace {

struct LayoutOptions {
    std::string project;
    std::vector<std::string> sizes;
    std::string output;
    bool relayout = false;
};

void Say(const std::string& line) {
    std::fprintf(stderr, "pennoria-cli layout: %s\n", line.c_str());
}

// The path made whole from the folder it names (which must exist), so that pictures named
// relative to one project can be named relative to another; empty when the folder is missing.
std::string WholePath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string resolved = platform::ResolvedPath(folder.empty() ? "/" : folder);
    if (resolved.empty() || name.empty())
        return std::string();
    return (resolved == "/" ? "" : resolved) + "/" + name;
}

// 0: written; 1: the model or the file failed; 2: the input was refused.
int RunLayout(const LayoutOptions& options) {
    std::string error;
    auto text = platform::ReadWholeFile(options.project, &error);
    if (!text) {
        Say("cannot read " + options.project + ": " + error);
        return 2;
    }
    const std::string from = WholePath(options.project);
    const std::string to = WholePath(options.output);
    if (to.empty()) {
        Say("cannot write " + options.output + ": its folder does not exist");
        return 2;
    }
    BannerModel* model = BannerModel::Shared(&error);
    auto laid =
        model ? model->Layout(*text, options.sizes, options.relayout, &error) : std::nullopt;
    if (!laid) {
        Say("the banner model failed: " + error);
        return 1;
    }
    if (laid->refused) {
        for (const std::string& note : laid->notes)
            Say(options.project + ": " + note);
        Say("nothing was written");
        return 2;
    }
    for (const std::string& note : laid->notes)
        Say(note);
    const platform::FileResult written =
        WriteUtf8File(to, RelocateImagePaths(laid->project, from, to));
    if (!written) {
        Say("cannot write " + options.output + ": " + written.error);
        return 1;
    }
    return 0;
}

} // namespace

void RegisterLayoutCommands(CLI::App& app) {
    auto options = std::make_shared<LayoutOptions>();
    CLI::App* layout = app.add_subcommand(
        "layout", "Give a saved project further sizes by the editor's automatic layout");
    layout->add_option("PROJECT", options->project, "The project file (.pbf or .xml)")->required();
    layout
        ->add_option("--sizes", options->sizes,
                     "The sizes as WIDTHxHEIGHT, separated by commas (728x90,160x600)")
        ->required()
        ->delimiter(',');
    layout->add_option("--output", options->output, "The project file to write")->required();
    layout->add_flag(
        "--relayout", options->relayout,
        "Lay the sizes the project has already out again (else they stay as they are)");
    layout->footer(
        "Example:\n  pennoria-cli layout sale.pbf --sizes 728x90,160x600,320x50 --output "
        "campaign.pbf\n  writes campaign.pbf: the design of sale.pbf at its own sizes and "
        "those three.\n  Each text left out, or that does not fit its box, is named on standard "
        "error.");
    layout->callback([options] { SetExitCode(RunLayout(*options)); });
}

} // namespace pennoria::cli
