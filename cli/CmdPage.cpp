// pennoria-cli page: generates a web page from a page template.
#include "cli/CliCommands.h"
#include "template/PageTemplate.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <memory>

namespace pennoria::cli {

namespace {

struct PageOptions {
    std::string templatePath;
    std::string outputPath;
    std::string movie;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Exit codes: 0 the page was written, 2 the template does not exist (nothing written), 1 any
// other failure, with the reason on standard error.
void RunPage(const PageOptions& options) {
    CPageTemplate engine(options.movie, options.width, options.height);
    if (!engine.Generate(options.templatePath, options.outputPath)) {
        std::fprintf(stderr, "pennoria-cli page: no template at %s\n",
                     options.templatePath.c_str());
        SetExitCode(2);
        return;
    }
    if (!engine.LastWriteError().empty()) {
        std::fprintf(stderr, "pennoria-cli page: %s\n", engine.LastWriteError().c_str());
        SetExitCode(1);
        return;
    }
    SetExitCode(0);
}

} // namespace

void RegisterPageCommands(CLI::App& app) {
    auto options = std::make_shared<PageOptions>();
    CLI::App* page = app.add_subcommand("page", "Generate a web page from a page template (.htt)");
    page->add_option("TEMPLATE", options->templatePath, "The page template")->required();
    page->add_option("OUTPUT", options->outputPath, "The page to write")->required();
    page->add_option("--movie", options->movie, "File name of the movie the page shows")
        ->required();
    page->add_option("--width", options->width, "Stage width in pixels (0 or absent: 720)");
    page->add_option("--height", options->height, "Stage height in pixels (0 or absent: 540)");
    page->footer(
        "Example:\n  pennoria-cli page index.htt index.html --movie Banner.swf --width 300 "
        "--height 250\n  writes the page index.html showing a 300 x 250 Banner.swf.");
    page->callback([options] { RunPage(*options); });
}

} // namespace pennoria::cli
