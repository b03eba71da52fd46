// pennoria-cli serve: the host without a window, serving an editor over standard input and
// output with Content-Length framing; events go to standard error, one line each.
#include "bridge/ExportJob.h"
#include "bridge/HeadlessHost.h"
#include "bridge/HostDialog.h"
#include "cli/CliCommands.h"
#include "core/AppSettings.h"
#include "core/Strings.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "platform/scripted/ScriptedHost.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <memory>

namespace pennoria::cli {

namespace {

struct ServeOptions {
    std::string answersFile;
    std::string project;
};

void WriteEvent(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// The lines of the answers file; blank lines are skipped.
bool ReadAnswers(const std::string& path, std::vector<std::string>& answers) {
    std::string error;
    auto text = platform::ReadWholeFile(path, &error, std::uint64_t{16} << 20);
    if (!text) {
        std::fprintf(stderr, "pennoria-cli serve: cannot read %s: %s\n", path.c_str(),
                     error.c_str());
        return false;
    }
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        std::string line = text->substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            answers.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

void RunServe(const ServeOptions& options) {
    std::vector<std::string> answers;
    if (!options.answersFile.empty() && !ReadAnswers(options.answersFile, answers)) {
        SetExitCode(2);
        return;
    }
    CAppSettings settings;
    LoadAppSettings(settings);
    ScopedLanguageBinding binding(settings.languageIni);

    platform::ScriptedDialogs dialogs(WriteEvent);
    dialogs.AddAnswers(answers);
    platform::ScriptedShell shell(WriteEvent);
    platform::ScriptedHostWindow window(WriteEvent);

    // An editor that goes away ends the run through a failed write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Unbuffered, so that waiting for the next request sees whether one has come.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    CFramedChannel channel(stdin, stdout);
    CServePlayer player(channel);
    int code = 0;
    {
        CHostDlg host(player, dialogs, shell, window, settings, options.project);
        CExportCommands exports(host, window);
        // The served editor's clipboard lasts as long as the run.
        platform::MemoryClipboard clipboard;
        host.ShareClipboard(clipboard);
        if (!host.StartEditor())
            code = 1;
        else
            code = RunHeadlessHost(player, channel, window);
    }
    SetExitCode(code);
}

} // namespace

void RegisterServeCommands(CLI::App& app) {
    auto options = std::make_shared<ServeOptions>();
    CLI::App* serve = app.add_subcommand(
        "serve", "Serve an editor over standard input and output (Content-Length framing)");
    serve->add_option("--answers", options->answersFile,
                      "Dialog answers, one a line: a path or 'cancel', 'yes' or 'no', 'ok'");
    serve->add_option("--project", options->project,
                      "The project path the host is started with, as on the desktop");
    serve->footer("Example:\n  pennoria-cli serve --answers answers.txt < requests > replies\n"
                  "  serves the framed requests in the file requests, answering its dialogs from "
                  "answers.txt.");
    serve->callback([options] { RunServe(*options); });
}

} // namespace pennoria::cli
