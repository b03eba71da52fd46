// pennoria-cli: the host's operations without a window.
#include "cli/CliCommands.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace pennoria::cli {

namespace {
int g_exitCode = 0;
}

void SetExitCode(int code) {
    g_exitCode = code;
}

} // namespace pennoria::cli

int main(int argc, char** argv) {
    CLI::App app{"Pennoria command-line tool: the banner host's operations without a window.",
                 "pennoria-cli"};
    app.set_version_flag("--version", std::string("pennoria-cli ") + PENNORIA_VERSION);
    app.require_subcommand(0, 1);
    pennoria::cli::RegisterPageCommands(app);
    pennoria::cli::RegisterServeCommands(app);
    pennoria::cli::RegisterPublishCommands(app);
    pennoria::cli::RegisterSwfCommands(app);
    CLI11_PARSE(app, argc, argv);
    if (app.get_subcommands().empty()) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    return pennoria::cli::g_exitCode;
}
