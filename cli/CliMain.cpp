// pennoria-cli: the host's operations without a window.
#include "cli/CliCommands.h"
#include "platform/TopLevel.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace pennoria::cli {

namespace {
int g_exitCode = 0;
}

void SetExitCode(int code) {
    g_exitCode = code;
}

} // namespace pennoria::cli

namespace {

int RunCli(int argc, char** argv) {
    CLI::App app{"Pennoria command-line tool: the banner host's operations without a window.\n"
                 "Every command prints its options and an example with --help, for instance\n"
                 "  pennoria-cli publish --help",
                 "pennoria-cli"};
    app.set_version_flag("--version", std::string("pennoria-cli ") + PENNORIA_VERSION);
    app.require_subcommand(0, 1);
    pennoria::cli::RegisterExportCommands(app);
    pennoria::cli::RegisterPageCommands(app);
    pennoria::cli::RegisterServeCommands(app);
    pennoria::cli::RegisterPublishCommands(app);
    pennoria::cli::RegisterLayoutCommands(app);
    pennoria::cli::RegisterSwfCommands(app);
    CLI11_PARSE(app, argc, argv);
    if (app.get_subcommands().empty()) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    // A command refused for its input names the help that shows what it expects.
    if (pennoria::cli::g_exitCode == 2) {
        std::string command = "pennoria-cli";
        for (const CLI::App* sub = &app; !sub->get_subcommands().empty();) {
            sub = sub->get_subcommands().front();
            command += " " + sub->get_name();
        }
        std::fprintf(stderr, "Run '%s --help' for its options and an example.\n", command.c_str());
    }
    return pennoria::cli::g_exitCode;
}

} // namespace

int main(int argc, char** argv) {
    return pennoria::platform::RunReportingExceptions("pennoria-cli",
                                                      [&] { return RunCli(argc, argv); });
}
