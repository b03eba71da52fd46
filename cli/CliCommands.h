// Registration of the command-line tool's subcommands; each subsystem adds its own.
#pragma once

namespace CLI {
class App;
}

namespace pennoria::cli {

// Each registrar adds its subcommands to the tool. A subcommand's callback sets the process's
// exit code through SetExitCode.
void SetExitCode(int code);

// export: a saved project as an animated GIF, a video or stills, one file per size.
void RegisterExportCommands(CLI::App& app);

// page: generates a web page from a page template.
void RegisterPageCommands(CLI::App& app);

// serve: the host without a window, serving an editor over standard input and output.
void RegisterServeCommands(CLI::App& app);
// publish: publishes a saved project into a folder without the editor.
void RegisterPublishCommands(CLI::App& app);
// layout: gives a saved project further sizes by the automatic layout.
void RegisterLayoutCommands(CLI::App& app);
// swf: inspects and edits movie files.
void RegisterSwfCommands(CLI::App& app);

} // namespace pennoria::cli
