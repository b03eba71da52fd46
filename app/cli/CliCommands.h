// Registration of the command-line tool's subcommands; each subsystem adds its own.
#pragma once

namespace CLI {
class App;
}

namespace pennoria::cli {

// Each registrar adds its subcommands to the tool. A subcommand's callback sets the process's
// exit code through SetExitCode.
void SetExitCode(int code);

// page: generates a web page from a page template.
void RegisterPageCommands(CLI::App& app);

} // namespace pennoria::cli
