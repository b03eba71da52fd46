// pennoria-cli swf: movie information and stage resizing from the command line.
#include "cli/CliCommands.h"
#include "swf/SwfMovie.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>

namespace pennoria::cli {

namespace {

// A decimal 32-bit integer and nothing else (negative values are refused later, with a reason).
bool ParsePixels(const std::string& text, std::int32_t& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty();
}

} // namespace

void RegisterSwfCommands(CLI::App& app) {
    CLI::App* swf = app.add_subcommand("swf", "SWF movie files");
    swf->require_subcommand(1);
    swf->footer("Example:\n  pennoria-cli swf info Banner.swf");

    struct InfoOptions {
        std::string file;
    };
    auto info = std::make_shared<InfoOptions>();
    CLI::App* infoCommand = swf->add_subcommand("info", "Load a movie and print its trace");
    infoCommand->add_option("FILE", info->file, "the movie")->required();
    infoCommand->footer("Example:\n  pennoria-cli swf info Banner.swf\n"
                        "  prints the movie's header and tags, or why it cannot be read.");
    infoCommand->callback([info]() {
        SWFMovie movie(info->file, &std::cout);
        std::cout.flush();
        if (!movie.IsLoaded()) {
            std::fprintf(stderr, "%s\n", movie.LoadError().c_str());
            SetExitCode(1);
            return;
        }
        SetExitCode(0);
    });

    struct ResizeOptions {
        std::string file;
        std::string width;
        std::string height;
    };
    auto resize = std::make_shared<ResizeOptions>();
    CLI::App* resizeCommand =
        swf->add_subcommand("resize", "Set a movie's stage size in pixels, rewriting it in place");
    resizeCommand->add_option("FILE", resize->file, "the movie")->required();
    resizeCommand->add_option("WIDTH", resize->width, "stage width in pixels")->required();
    resizeCommand->add_option("HEIGHT", resize->height, "stage height in pixels")->required();
    resizeCommand->footer("Example:\n  pennoria-cli swf resize Banner.swf 300 250\n"
                          "  gives the movie a 300 x 250 stage.");
    resizeCommand->callback([resize]() {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::string reason;
        bool done = false;
        if (!ParsePixels(resize->width, width))
            reason = "WIDTH is not a whole number of pixels: " + resize->width;
        else if (!ParsePixels(resize->height, height))
            reason = "HEIGHT is not a whole number of pixels: " + resize->height;
        else
            done = TryResizeMovieStage(resize->file, width, height, &reason, &std::cout);
        std::cout.flush();
        if (!done) {
            std::fprintf(stderr, "%s\n", reason.c_str());
            SetExitCode(1);
            return;
        }
        SetExitCode(0);
    });
}

} // namespace pennoria::cli
