// pennoria-cli publish: publishes a saved project without the editor, through the dispatcher.
#include "bridge/HostDialog.h"
#include "bridge/Invoke.h"
#include "bridge/ScriptedPlayer.h"
#include "cli/CliCommands.h"
#include "core/AppSettings.h"
#include "core/Strings.h"
#include "platform/FileSystem.h"
#include "platform/scripted/ScriptedHost.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

namespace pennoria::cli {

namespace {

struct PublishOptions {
    std::string project;
    std::string folder;
    int outMode = 1;
    int embedMode = 0;
    std::string swfName;
    std::string pageName;
    std::string xmlName;
    std::string customTemplate;
    std::string overwrite = "no";
    std::string player; // empty: the stored setting
    std::string html5;  // empty: the stored setting
    std::string jpeg = "no";
};

void WriteEvent(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

std::optional<std::string> ReadText(const std::string& path) {
    std::string error;
    auto text = platform::ReadWholeFile(path, &error);
    if (!text)
        std::fprintf(stderr, "pennoria-cli publish: cannot read %s: %s\n", path.c_str(),
                     error.c_str());
    return text;
}

void RunPublish(const PublishOptions& options) {
    auto projectText = ReadText(options.project);
    if (!projectText) {
        SetExitCode(2);
        return;
    }
    std::optional<std::string> customText = projectText;
    if (!options.customTemplate.empty() && !(customText = ReadText(options.customTemplate))) {
        SetExitCode(2);
        return;
    }

    CAppSettings settings;
    LoadAppSettings(settings);
    ScopedLanguageBinding binding(settings.languageIni);

    platform::ScriptedDialogs dialogs(WriteEvent);
    dialogs.AddAnswer(options.overwrite);
    platform::ScriptedShell shell; // the folder is not opened
    platform::ScriptedHostWindow window;
    CScriptedPlayer player;
    // The project file plays the editor's part: it answers the requests for project data.
    player.SetMovieFunction(
        [&](const std::string& function,
            const std::vector<std::string>& arguments) -> std::optional<std::string> {
            if (function != "GetProjectFileXmlDataVC" || arguments.empty())
                return std::nullopt;
            if (arguments[0] == "photoEditor")
                return BuildReply(*projectText);
            if (arguments[0] == "customTemplate")
                return BuildReply(*customText);
            return std::nullopt;
        });

    std::string word;
    {
        CHostDlg host(player, dialogs, shell, window, settings, options.project);
        // The project path is known, so that a relative image is found beside the project.
        host.ApplyCommandLine();
        // The creative's size and any file beside the banner that could not be written.
        host.Publisher().SetReportSink(
            [](const std::string& line) { WriteEvent("pennoria-cli publish: " + line); });
        host.Publisher().SetJpegChoice(options.jpeg == "yes" ? JpegChoice::Accept
                                                             : JpegChoice::Decline);
        auto reply = player.Command(
            "OutPutProjectFilesVC",
            {std::to_string(options.outMode), std::to_string(options.embedMode), options.folder,
             options.swfName, options.pageName, options.xmlName, options.player, options.html5});
        word = reply ? UnwrapStringResult(*reply) : std::string();
    }
    std::printf("%s\n", word.c_str());
    SetExitCode(word == "ok" ? 0 : 1);
}

} // namespace

void RegisterPublishCommands(CLI::App& app) {
    auto options = std::make_shared<PublishOptions>();
    CLI::App* publish =
        app.add_subcommand("publish", "Publish a saved project into a folder, without the editor");
    publish->add_option("PROJECT", options->project, "The project file (.pbf or .xml)")->required();
    publish->add_option("--folder", options->folder, "The output folder")->required();
    publish->add_option("--out-mode", options->outMode, "1: movie and pages; 2 or 3: movie only");
    publish->add_option("--embed-mode", options->embedMode,
                        "0: pages that embed the movie; other: pages using swfobject.js");
    publish->add_option("--swf", options->swfName, "The banner movie's file name");
    publish->add_option("--page", options->pageName, "The main page's file name");
    publish->add_option("--xml", options->xmlName, "The project XML's file name");
    publish->add_option("--custom-template", options->customTemplate,
                        "Accepted for older scripts; the project's own pictures are published");
    publish->add_option("--overwrite", options->overwrite, "Publish over an existing folder")
        ->check(CLI::IsMember({"yes", "no"}));
    publish
        ->add_option("--player", options->player,
                     "bundled (default): Ruffle beside the pages; none: the pages expect a "
                     "Flash player")
        ->check(CLI::IsMember({"bundled", "none"}));
    publish
        ->add_option("--html5", options->html5,
                     "Also write the HTML5 creative, its zip and the backup image (default yes)")
        ->check(CLI::IsMember({"yes", "no"}));
    publish
        ->add_option("--jpeg", options->jpeg,
                     "Re-encode the creative's image as JPEG when that brings its zip under 150 KB")
        ->check(CLI::IsMember({"yes", "no"}));
    publish->footer(
        "Example:\n  pennoria-cli publish summer-sale.pbf --folder ~/Pennoria --out-mode 1\n"
        "  publishes the banner with its web pages into a new folder below ~/Pennoria.");
    publish->callback([options] { RunPublish(*options); });
}

} // namespace pennoria::cli
