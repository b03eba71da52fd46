// pennoria-cli publish: publishes a saved project without the editor, through the dispatcher.
#include "bridge/HostDialog.h"
#include "bridge/Invoke.h"
#include "bridge/ScriptedPlayer.h"
#include "cli/CliCommands.h"
#include "core/AppSettings.h"
#include "core/Strings.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/scripted/ScriptedHost.h"
#include "publish/FeedPublish.h"
#include "publish/Html5Creative.h"
#include "publish/PublishRequest.h"

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
    std::string player = "bundled";
    std::string html5 = "yes";
    std::string jpeg = "no";
    bool strict = false;
    bool noSwf = false;
    std::string feed;
    std::string shard; // "K/N"
    unsigned jobs = 0;
};

void PrintError(const std::string& text) {
    std::string line = "pennoria-cli publish: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// The publish's dialogs on a terminal: messages become lines on standard error, the question
// about an existing folder is answered by --overwrite, and nothing is chosen interactively.
class TerminalDialogs : public platform::MessagesOnlyDialogs {
public:
    explicit TerminalDialogs(bool overwrite) : m_overwrite(overwrite) {}

    platform::MessageAnswer ShowMessage(const std::string& text, platform::MessageButtons buttons,
                                        platform::MessageIcon) override {
        if (buttons == platform::MessageButtons::YesNo)
            return m_overwrite ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
        PrintError(JoinLines(text));
        return platform::MessageAnswer::Ok;
    }

private:
    bool m_overwrite;
};

std::optional<std::string> ReadText(const std::string& path) {
    std::string error;
    auto text = platform::ReadWholeFile(path, &error);
    if (!text)
        PrintError("cannot read " + path + ": " + error);
    return text;
}

// The creatives that break the ad rules (150 KB, 40 files), one line each.
std::vector<std::string> RuleBreaches(const std::vector<CreativeReport>& creatives) {
    std::vector<std::string> breaches;
    for (const CreativeReport& creative : creatives)
        if (creative.overLimit || creative.picturesLeftOut > 0)
            breaches.push_back(DescribeCreativeSize(creative));
    return breaches;
}

// "K/N" with 1 <= K <= N: the rows whose number modulo N is K - 1.
std::optional<FeedShard> ParseShard(const std::string& text) {
    if (text.empty())
        return FeedShard{};
    const std::size_t slash = text.find('/');
    auto number = [](const std::string& digits) -> std::optional<std::size_t> {
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        return static_cast<std::size_t>(std::stoul(digits));
    };
    if (slash == std::string::npos)
        return std::nullopt;
    auto k = number(text.substr(0, slash));
    auto n = number(text.substr(slash + 1));
    if (!k || !n || *k < 1 || *k > *n)
        return std::nullopt;
    return FeedShard{*k - 1, *n};
}

void RunFeed(const PublishOptions& options, const std::string& projectText) {
    auto shard = ParseShard(options.shard);
    if (!shard) {
        PrintError("--shard " + options.shard + ": give K/N with 1 <= K <= N, such as 2/4");
        SetExitCode(2);
        return;
    }
    if (!platform::FileExists(options.feed)) {
        PrintError("cannot read the feed " + options.feed);
        SetExitCode(2);
        return;
    }
    CAppSettings settings;
    LoadAppSettings(settings);
    ScopedLanguageBinding binding(settings.languageIni);
    platform::ScriptedShell shell;
    platform::ScriptedHostWindow window;

    FeedPublishOptions feed;
    feed.projectPath = options.project;
    feed.projectText = projectText;
    feed.feedPath = options.feed;
    feed.folder = options.folder;
    feed.arguments = {std::to_string(options.outMode),
                      std::to_string(options.embedMode),
                      "",
                      options.swfName,
                      options.pageName,
                      options.xmlName,
                      options.player,
                      options.html5,
                      options.noSwf ? "no" : "yes"};
    feed.replace =
        options.overwrite == "yes" ? platform::ReplaceExisting::Yes : platform::ReplaceExisting::No;
    feed.jpeg = options.jpeg == "yes" ? JpegChoice::Accept : JpegChoice::Decline;
    feed.shard = *shard;
    feed.workers = options.jobs;
    const FeedSummary summary = PublishFeed(feed, settings, shell, window, PrintError);

    if (!summary.failure.empty())
        PrintError(summary.failure);
    std::string line = "published " + std::to_string(summary.published) + " of " +
                       std::to_string(summary.chosen) + " variants";
    if (!options.shard.empty())
        line +=
            " (shard " + options.shard + " of a feed of " + std::to_string(summary.rows) + " rows)";
    if (summary.failed > 0)
        line += "; " + std::to_string(summary.failed) + " failed";
    if (summary.overRules > 0)
        line += "; " + std::to_string(summary.overRules) + " over the ad rules";
    if (summary.notFitting > 0)
        line += "; " + std::to_string(summary.notFitting) + " with a text that does not fit";
    PrintError(line);
    const bool failed = !summary.failure.empty() || summary.failed > 0 ||
                        (options.strict && (summary.overRules > 0 || summary.notFitting > 0));
    std::printf("%s\n", failed ? "failed" : "ok");
    SetExitCode(failed ? 1 : 0);
}

void RunPublish(const PublishOptions& options) {
    if (options.noSwf && options.html5 == "no") {
        PrintError("--no-swf with --html5 no leaves nothing to publish");
        SetExitCode(2);
        return;
    }
    auto projectText = ReadText(options.project);
    if (!projectText) {
        SetExitCode(2);
        return;
    }
    if (!options.feed.empty()) {
        RunFeed(options, *projectText);
        return;
    }
    if (!options.shard.empty()) {
        PrintError("--shard divides the rows of a --feed");
        SetExitCode(2);
        return;
    }
    std::optional<std::string> customText = projectText;
    if (!options.customTemplate.empty() && !(customText = ReadText(options.customTemplate))) {
        SetExitCode(2);
        return;
    }

    // The stored settings give the language only; this run's choices are not stored.
    CAppSettings settings;
    LoadAppSettings(settings);
    ScopedLanguageBinding binding(settings.languageIni);

    TerminalDialogs dialogs(options.overwrite == "yes");
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
    std::vector<std::string> breaches;
    {
        CHostDlg host(player, dialogs, shell, window, settings, options.project);
        // The project path is known, so that a relative image is found beside the project.
        host.ApplyCommandLine();
        // The creative's size and any file beside the banner that could not be written.
        host.Publisher().SetReportSink([](const std::string& line) { PrintError(line); });
        host.Publisher().SetJpegChoice(options.jpeg == "yes" ? JpegChoice::Accept
                                                             : JpegChoice::Decline);
        host.Publisher().SetSettingsUpdate(SettingsUpdate::Leave);
        auto reply =
            player.Command("OutPutProjectFilesVC",
                           {std::to_string(options.outMode), std::to_string(options.embedMode),
                            options.folder, options.swfName, options.pageName, options.xmlName,
                            options.player, options.html5, options.noSwf ? "no" : "yes"});
        word = reply ? UnwrapStringResult(*reply) : std::string();
        breaches = RuleBreaches(host.Publisher().Creatives());
    }
    std::printf("%s\n", word.c_str());
    if (word == "user cancel") {
        std::string folder = options.folder;
        if (folder.empty() || folder.back() != '/')
            folder += '/';
        PrintError(folder +
                   PublishBaseName(options.swfName.empty() ? "banner.swf" : options.swfName) +
                   " exists; --overwrite yes publishes over it");
    }
    if (word != "ok") {
        SetExitCode(1);
        return;
    }
    if (options.strict && !breaches.empty()) {
        for (const std::string& breach : breaches)
            PrintError("--strict: " + breach);
        SetExitCode(1);
    }
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
    publish->add_flag("--no-swf", options->noSwf,
                      "Leave out the banner movie, the component movie, the pages and their "
                      "player: only the HTML5 creative, its backup image and the pictures (--swf "
                      "still names the folder)");
    publish->add_flag("--strict", options->strict,
                      "End with status 1 when a creative breaks the ad rules (over 150 KB, or "
                      "more than 40 files); with --feed, also when a variant's text does not fit "
                      "its box at a size");
    publish->add_option("--feed", options->feed,
                        "A CSV file of variants: each row is published whole into DIR/<name>/, "
                        "a column named after an element's id replacing its content");
    publish->add_option("--shard", options->shard,
                        "K/N: publish only the feed's rows whose number modulo N is K-1");
    publish->add_option("--jobs", options->jobs,
                        "How many variants of a feed are published at once (default: one per "
                        "core)");
    publish->footer(
        "The options apply to this run only: the desktop program's settings are neither read\n"
        "for them nor changed.\n\n"
        "Example:\n  pennoria-cli publish summer-sale.pbf --folder ~/Pennoria --out-mode 1\n"
        "  publishes the banner with its web pages into a new folder below ~/Pennoria.\n"
        "  pennoria-cli publish sale.pbf --feed products.csv --folder out --shard 2/4\n"
        "  publishes the second quarter of the feed's rows, each into out/<name>/.");
    publish->callback([options] { RunPublish(*options); });
}

} // namespace pennoria::cli
