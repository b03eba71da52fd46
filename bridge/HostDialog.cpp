// The editor command dispatcher and the host's calls into the movie.
#include "bridge/HostDialog.h"

#include "bridge/UserFonts.h"
#include "core/EditorPath.h"
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "publish/FolderChooser.h"

namespace pennoria {

const char* const kMinimizeAppButton = "minimizeAppButton";
const char* const kMaximizeAppButton = "maximizeAppButton";
const char* const kRestoreAppButton = "restoreAppButton";
const char* const kCloseAppButton = "closeAppButton";

namespace {

// The editor's commands, matched without regard to case in this order.
enum class Command {
    GetSelectedFilePath,
    CreateNewProject,
    SaveProjectFile,
    OutputProjectFiles,
    ExitApplication,
    MinimizeApplication,
    MaximizeApplication,
    RestoreApplication,
    GetOutputFilesInfo,
    GetOutputFolderPath,
    OpenOutputFolder,
    OpenHelpFile,
    OpenHandedProject,
    PreviewInBrowser,
    SetLanguage,
    KeepWork,
    KeptWork,
    RecoverWork,
    ReopenPreviousProject,
    RecentProjects,
    OpenRecentProject,
    ForgetRecentProject,
    ReadFeed,
    PublishFeed,
    FeedProgress,
    CancelFeed,
    AddFont,
    FontMovie,
    TextPicture,
};

struct CommandName {
    const char* name;
    Command command;
};

// Wire names, spelt exactly as the movie sends them.
constexpr CommandName kCommands[] = {
    {"GetSelectedFilePathVC", Command::GetSelectedFilePath},
    {"CreateNewProjectVC", Command::CreateNewProject},
    {"SaveProjectFileVC", Command::SaveProjectFile},
    {"OutPutProjectFilesVC", Command::OutputProjectFiles},
    {"ExitApplicationVC", Command::ExitApplication},
    {"MinimizeApplicationVC", Command::MinimizeApplication},
    {"MaximizeApplicationVC", Command::MaximizeApplication},
    {"RestoreApplicationVC", Command::RestoreApplication},
    {"GetOutputFielsInfoVC", Command::GetOutputFilesInfo},
    {"GetOutputFolderPathVC", Command::GetOutputFolderPath},
    {"OpenOutputFolderVC", Command::OpenOutputFolder},
    {"OpenHelpFileVC", Command::OpenHelpFile},
    {"OpenHandedProjectVC", Command::OpenHandedProject},
    // Beside the twelve: publishes into a private folder and shows the result in the browser.
    {"PreviewInBrowserVC", Command::PreviewInBrowser},
    // Beside the twelve: keeps the language chosen in the editor ("eng", "deu" or "fra").
    {"SetLanguageVC", Command::SetLanguage},
    // Beside the twelve: the editor's unsaved work, kept while it is edited (an empty text when
    // there is nothing unsaved), and the work runs that ended without closing left behind.
    {"KeepWorkVC", Command::KeepWork},
    {"KeptWorkVC", Command::KeptWork},
    {"RecoverWorkVC", Command::RecoverWork},
    // Beside the twelve: an open whose file the editor could not read is taken back; the project
    // before it is current again (its path, or "new").
    {"ReopenPreviousProjectVC", Command::ReopenPreviousProject},
    // Beside the twelve: the projects opened and saved last ("present" or "missing", a tab and
    // the path, a line each, newest first), one of them opened as the current project, or taken
    // off the list.
    {"RecentProjectsVC", Command::RecentProjects},
    {"OpenRecentProjectVC", Command::OpenRecentProject},
    {"ForgetRecentProjectVC", Command::ForgetRecentProject},
    // Beside the twelve: a face file the user chose copied beside the project ("fonts/<name>",
    // a tab and its family), or "false", a tab and why.
    {"AddFontVC", Command::AddFont},
    // Beside the twelve: a face of the project's as a movie for the canvas (family, its file as
    // the project names it, the characters to hold), base64-encoded, or "false".
    {"FontMovieVC", Command::FontMovie},
    // Beside the twelve: a text the player cannot draw, painted by the host from its picture's
    // display list (JSON), as a PNG base64-encoded, or "false".
    {"TextPictureVC", Command::TextPicture},
    // Beside the twelve: a product feed for the feed panel. Its rows as JSON; every row published
    // on a thread of its own ("ok" once started); how far that has got, as JSON; stopping it.
    {"ReadFeedVC", Command::ReadFeed},
    {"PublishFeedVC", Command::PublishFeed},
    {"FeedProgressVC", Command::FeedProgress},
    {"CancelFeedVC", Command::CancelFeed},
};

const std::string& ArgumentOrEmpty(const std::vector<std::string>& arguments, std::size_t index) {
    static const std::string empty;
    return index < arguments.size() ? arguments[index] : empty;
}

} // namespace

CHostDlg::CHostDlg(IFlashPlayer& player, platform::IDialogs& dialogs, platform::IShell& shell,
                   platform::IHostWindow& window, CAppSettings& settings,
                   std::string commandLineProject)
    : m_player(player), m_dialogs(dialogs), m_shell(shell), m_window(window), m_settings(settings),
      m_commandLineProject(std::move(commandLineProject)),
      m_project(dialogs, window,
                [this](ProjectTextKind kind, std::string& text) {
                    return RequestProjectXml(ProjectTextWord(kind), text);
                }),
      m_publisher(
          settings, dialogs, shell, window,
          [this](ProjectTextKind kind, std::string& text) {
              return RequestProjectXml(ProjectTextWord(kind), text);
          },
          [this] { return CurrentProjectPath(); }),
      m_feedJob(window) {
    m_player.SetFlashCallHandler([this](const std::string& request) { OnFlashCall(request); });
    m_project.SetDialogStartFolder(&m_settings.OutputFolder);
    // A browser, help viewer or file manager that does not start is said, with what to open by
    // hand: the preview's address, the help's file, the folder.
    m_shell.SetLaunchFailureHandler([this](const std::string& shown, const std::string& reason) {
        ShowLaunchFailure(m_dialogs, shown, reason);
    });
    // Where the dialogs have a box to type in with the desktop's input methods, the editor may
    // ask for it for the fields its player cannot serve (Chinese, Arabic...): "EditTextVC" with
    // the text, the box's title, OK and Cancel labels, the lines ("1": one) and the most
    // characters. Its reply is "=" and the text typed, or "false" when cancelled; without
    // arguments, "ok" (the box is offered).
    if (m_dialogs.OffersTextEntry())
        AddCommand("EditTextVC", [this](const std::vector<std::string>& arguments) {
            if (arguments.empty())
                return std::string(kReplyOk);
            platform::TextEntryRequest request;
            request.text = arguments[0];
            request.title = ArgumentOrEmpty(arguments, 1);
            request.okLabel = ArgumentOrEmpty(arguments, 2);
            request.cancelLabel = ArgumentOrEmpty(arguments, 3);
            request.multiLine = ArgumentOrEmpty(arguments, 4) != "1";
            const std::string& most = ArgumentOrEmpty(arguments, 5);
            if (!most.empty() && most.size() < 8 &&
                most.find_first_not_of("0123456789") == std::string::npos)
                request.maxChars = static_cast<std::size_t>(std::stoul(most));
            const auto typed = m_dialogs.EnterText(request);
            return typed ? "=" + *typed : std::string(kReplyFalse);
        });
}

CHostDlg::~CHostDlg() {
    m_shell.SetLaunchFailureHandler({});
    m_player.SetFlashCallHandler({});
}

bool CHostDlg::PlayerUsable() {
    return IsUsablePlayerVersion(m_player.GetFlashVersion());
}

void CHostDlg::RefusePlayer() {
    m_dialogs.ShowMessage(LoadAppString(IDS_PLAYER_MISSING), platform::MessageButtons::Ok,
                          platform::MessageIcon::None);
    m_shell.OpenUri(kPlayerDownloadPage);
}

void CHostDlg::ApplyCommandLine() {
    m_openedFromCommandLine = !m_commandLineProject.empty();
    if (m_openedFromCommandLine)
        OpenProject(m_commandLineProject);
    else
        NewProject();
}

void CHostDlg::BringEditorUp() {
    m_player.DisableLocalSecurity();
    m_moviePath = GetProgramFolder() + "editor/Pennoria.swf";
    // The editor shows its texts in the host's language.
    m_player.SetFlashVars("lang=" + LanguageCode(m_settings.languageIni));
    m_player.SetMovie(m_moviePath);
}

bool CHostDlg::StartEditor() {
    if (!PlayerUsable()) {
        RefusePlayer();
        return false;
    }
    ApplyCommandLine();
    BringEditorUp();
    return true;
}

void CHostDlg::OnFlashCall(const std::string& requestText) {
    std::string reply = kNoDefineCall;
    InvokeRequest request;
    std::string error;
    if (!ParseInvokeRequest(requestText, request, error))
        return;
    if (!DispatchEditorCommand(request, reply))
        return;
    m_player.SetReturnValue(BuildReply(reply));
}

bool CHostDlg::DispatchEditorCommand(const InvokeRequest& request, std::string& reply) {
    const CommandName* match = nullptr;
    for (const auto& entry : kCommands) {
        if (platform::EqualsIgnoreCase(request.name, entry.name)) {
            match = &entry;
            break;
        }
    }
    if (!match) {
        for (const auto& [name, handler] : m_extraCommands) {
            if (platform::EqualsIgnoreCase(request.name, name)) {
                reply = handler(request.arguments);
                return true;
            }
        }
        return false;
    }

    const auto& args = request.arguments;
    switch (match->command) {
    case Command::GetSelectedFilePath:
        GetSelectedFilePath(request, reply);
        break;
    case Command::CreateNewProject:
        NewProject();
        break;
    case Command::SaveProjectFile:
        reply = platform::ToXmlText(
            SaveProject(platform::EqualsIgnoreCase(ArgumentOrEmpty(args, 0), "saveas")));
        break;
    case Command::OutputProjectFiles:
        reply = OnOutputProjectFiles(args);
        break;
    case Command::ExitApplication:
        // The editor exits only once its work is saved or given up: nothing is left to keep.
        if (m_keeper)
            m_keeper->Forget();
        m_window.SaveWindowPlacement();
        m_window.Close();
        break;
    case Command::MinimizeApplication:
        m_window.Minimize();
        break;
    case Command::MaximizeApplication:
        m_window.Maximize();
        reply = kReplyTrue;
        break;
    case Command::RestoreApplication:
        m_window.Restore();
        reply = m_window.IsMaximized() ? "maximize" : "restore";
        break;
    case Command::GetOutputFilesInfo:
        // The settings follow in a call of their own once this reply has gone back.
        m_window.Post([this] { NotifyOutputSettings(); });
        reply = m_openedFromCommandLine ? platform::ToXmlText(CurrentProjectPath())
                                        : std::string("new");
        break;
    case Command::GetOutputFolderPath: {
        CFolderChooser chooser(m_dialogs, args.empty() ? m_settings.OutputFolder : args[0]);
        reply = chooser.DoModal() == kChooserOk ? chooser.GetFolder() : std::string(kReplyFalse);
        break;
    }
    case Command::OpenOutputFolder:
        OpenFolderIfDirectory(m_shell, m_window, args.empty() ? m_settings.OutputFolder : args[0]);
        break;
    case Command::OpenHelpFile:
        OnHelp();
        break;
    case Command::OpenHandedProject: {
        // The movie knows the path as text; the file keeps its own bytes, which need not be
        // UTF-8.
        reply = kReplyFalse;
        for (auto handed = m_handedProjects.begin(); handed != m_handedProjects.end(); ++handed) {
            if (ArgumentOrEmpty(args, 0) != platform::ToXmlText(*handed))
                continue;
            const std::string path = *handed;
            m_handedProjects.erase(handed);
            OpenProject(path);
            reply = platform::ToXmlText(path);
            break;
        }
        break;
    }
    case Command::PreviewInBrowser:
        reply = PublishReplyWord(m_publisher.PreviewInBrowser());
        break;
    case Command::SetLanguage:
        reply = SetLanguage(ArgumentOrEmpty(args, 0)) ? kReplyOk : kReplyFalse;
        break;
    case Command::FontMovie: {
        const auto movie = UserFontMovie(ArgumentOrEmpty(args, 1), ArgumentOrEmpty(args, 0),
                                         ArgumentOrEmpty(args, 2), CurrentProjectPath());
        reply = movie ? *movie : std::string(kReplyFalse);
        break;
    }
    case Command::TextPicture: {
        const auto picture = TextPicture(ArgumentOrEmpty(args, 0), CurrentProjectPath());
        reply = picture ? *picture : std::string(kReplyFalse);
        break;
    }
    case Command::AddFont: {
        const AddedFont added = AddUserFont(ArgumentOrEmpty(args, 0), CurrentProjectPath());
        reply = platform::ToXmlText(added.ok ? added.src + "\t" + added.family
                                             : std::string(kReplyFalse) + "\t" + added.why);
        break;
    }
    case Command::KeepWork:
        reply = KeepWork(args);
        break;
    case Command::KeptWork:
        reply = KeptWork();
        break;
    case Command::RecoverWork:
        reply = RecoverWork(args);
        break;
    case Command::ReopenPreviousProject: {
        // The file the editor could not read is no project to offer again.
        if (m_recent && !CurrentProjectPath().empty())
            m_recent->Remove(CurrentProjectPath());
        const std::string previous = m_previousProject;
        if (previous.empty())
            NewProject();
        else
            m_project.OpenProject(previous);
        reply = previous.empty() ? std::string("new") : platform::ToXmlText(previous);
        break;
    }
    case Command::RecentProjects:
        reply = m_recent ? platform::ToXmlText(RecentProjectsText(m_recent->List()))
                         : std::string(kReplyFalse);
        break;
    case Command::OpenRecentProject:
        reply = OpenRecentProject(ArgumentOrEmpty(args, 0));
        break;
    case Command::ForgetRecentProject: {
        reply = kReplyFalse;
        if (!m_recent)
            break;
        for (const std::string& path : m_recent->List())
            if (ArgumentOrEmpty(args, 0) == platform::ToXmlText(path))
                reply = m_recent->Remove(path) ? kReplyOk : kReplyFalse;
        break;
    }
    case Command::ReadFeed:
        reply = CFeedJob::ReadForPanel(ArgumentOrEmpty(args, 0));
        break;
    case Command::PublishFeed:
        reply = PublishFeed(args);
        break;
    case Command::FeedProgress:
        reply = m_feedJob.Progress();
        break;
    case Command::CancelFeed:
        m_feedJob.Cancel();
        reply = kReplyOk;
        break;
    }
    return true;
}

void CHostDlg::OpenProject(const std::string& path) {
    m_previousProject = m_project.CurrentProjectPath();
    m_project.OpenProject(path);
    Remember(path);
}

std::string CHostDlg::SaveProject(bool saveAs) {
    const SaveResult result = m_project.SaveProject(saveAs ? SaveMode::SaveAs : SaveMode::Save);
    if (result.outcome == SaveOutcome::Saved)
        Remember(result.path);
    return SaveReplyText(result);
}

void CHostDlg::RememberProjectsIn(const std::string& file,
                                  std::function<void(const std::string& path)> allow) {
    m_recent = file.empty() ? nullptr : std::make_unique<CRecentProjects>(file);
    m_allowRecent = std::move(allow);
}

void CHostDlg::Remember(const std::string& path) {
    if (!m_recent || path.empty())
        return;
    m_recent->Add(path);
    m_shell.AddToRecentFiles(path);
}

std::string CHostDlg::OpenRecentProject(const std::string& pathText) {
    // The movie knows the path as text, as with a hand-over; only a listed file that is still
    // there is opened.
    if (!m_recent)
        return kReplyFalse;
    for (const std::string& path : m_recent->List()) {
        if (pathText != platform::ToXmlText(path))
            continue;
        if (!platform::FileExists(path))
            return kReplyFalse;
        if (m_allowRecent)
            m_allowRecent(path);
        OpenProject(path);
        return platform::ToXmlText(path);
    }
    return kReplyFalse;
}

std::string CHostDlg::PublishFeed(const std::vector<std::string>& arguments) {
    // The feed, then the publish arguments as the publish command takes them, the folder being
    // where the variants go.
    if (arguments.size() < 4 || arguments[0].empty() || arguments[3].empty())
        return kReplyFalse;
    FeedPublishOptions options;
    options.feedPath = arguments[0];
    options.folder = arguments[3];
    options.arguments.assign(arguments.begin() + 1, arguments.end());
    options.projectPath = CurrentProjectPath();
    // The design as the editor has it now; the rows are put in on the worker thread.
    if (!RequestProjectXml("photoEditor", options.projectText) || options.projectText.empty())
        return kReplyFalse;
    // Publishing the feed again replaces each variant whole.
    options.replace = platform::ReplaceExisting::Yes;
    options.jpeg = JpegChoice::Decline;
    std::string why;
    if (!m_feedJob.Start(std::move(options), m_settings, &why))
        return platform::ToXmlText(why);
    return kReplyOk;
}

bool CHostDlg::SetLanguage(const std::string& code) {
    std::string lower;
    for (char c : code)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower != "eng" && lower != "deu" && lower != "fra")
        return false;
    // The same setting the host's own language follows: its messages switch at the next lookup,
    // and the next start hands the editor this language.
    m_settings.languageIni = "lang_" + lower + ".ini";
    return SaveAppSettings(m_settings);
}

void CHostDlg::KeepWorkIn(const std::string& folder,
                          std::function<void(const std::string& text)> onRecovered) {
    m_keeper = folder.empty() ? nullptr : std::make_unique<CWorkKeeper>(folder);
    m_onRecovered = std::move(onRecovered);
}

std::string CHostDlg::KeepWork(const std::vector<std::string>& arguments) {
    if (!m_keeper)
        return kReplyFalse;
    const std::string& text = ArgumentOrEmpty(arguments, 0);
    if (text.empty())
        m_keeper->Forget();
    else
        m_keeper->Keep(text);
    return kReplyOk;
}

std::string CHostDlg::KeptWork() {
    if (!m_keeper)
        return kReplyFalse;
    const std::vector<std::string> left = m_keeper->LeftBehind();
    return left.empty() ? std::string(kReplyFalse) : platform::ToXmlText(left.front());
}

std::string CHostDlg::RecoverWork(const std::vector<std::string>& arguments) {
    if (!m_keeper)
        return kReplyFalse;
    const std::string& name = ArgumentOrEmpty(arguments, 0);
    const std::string& choice = ArgumentOrEmpty(arguments, 1);
    if (platform::EqualsIgnoreCase(choice, "recover")) {
        std::optional<std::string> text = m_keeper->Recover(name);
        if (!text)
            return kReplyFalse;
        if (m_onRecovered)
            m_onRecovered(*text);
        return platform::ToXmlText(*text);
    }
    if (platform::EqualsIgnoreCase(choice, "discard"))
        return m_keeper->Discard(name) ? kReplyOk : kReplyFalse;
    return kReplyFalse;
}

void CHostDlg::GetSelectedFilePath(const InvokeRequest& request, std::string& reply) {
    const std::string& filter = ArgumentOrEmpty(request.arguments, 0);
    const std::string& mode = ArgumentOrEmpty(request.arguments, 1);
    const std::string& initialFile = ArgumentOrEmpty(request.arguments, 2);

    platform::OpenFileRequest dialog;
    dialog.filter = filter;
    dialog.startFolder = m_settings.OutputFolder;
    if (!initialFile.empty()) {
        dialog.initialFile = platform::ToForwardSlashes(MakeEditorPath(initialFile));
    }
    auto chosen = m_dialogs.ChooseOpenFile(dialog);
    if (!chosen) {
        reply = kReplyFalse;
        return;
    }
    reply = platform::ToXmlText(*chosen);
    // A project filter (its "xml" after the first character) or the "openprj" mode makes the
    // choice the current project.
    if (platform::EqualsIgnoreCase(mode, "openprj") || filter.find("xml", 1) != std::string::npos)
        OpenProject(*chosen);
}

void CHostDlg::ShareClipboard(platform::IClipboard& clipboard,
                              std::function<void(const std::string&)> onPasted) {
    m_clipboard = std::make_unique<CElementClipboard>(
        clipboard, GetPublishSources(GetProgramFolder(), false).fontFolder, std::move(onPasted));
    AddCommand("CopyElementsVC", [this](const std::vector<std::string>& arguments) {
        return m_clipboard->Copy(ArgumentOrEmpty(arguments, 0));
    });
    AddCommand("PasteElementsVC",
               [this](const std::vector<std::string>&) { return m_clipboard->Paste(); });
}

void CHostDlg::AddCommand(const std::string& name, ExtraCommand handler) {
    for (auto entry = m_extraCommands.begin(); entry != m_extraCommands.end(); ++entry) {
        if (platform::EqualsIgnoreCase(entry->first, name)) {
            m_extraCommands.erase(entry);
            break;
        }
    }
    if (handler)
        m_extraCommands.emplace_back(name, std::move(handler));
}

std::optional<std::string> CHostDlg::CallMovie(const std::string& function,
                                               const std::vector<std::string>& args) {
    return m_player.CallEditor(BuildInvokeCall(function, args));
}

bool CHostDlg::CallEditorReporting(const std::string& function,
                                   const std::vector<std::string>& args, std::string* result) {
    std::optional<std::string> answer = m_player.CallEditor(BuildInvokeCall(function, args));
    if (!answer) {
        m_dialogs.ShowMessage("The editor could not answer the call " + function + ".",
                              platform::MessageButtons::Ok, platform::MessageIcon::Error);
        return false;
    }
    if (result)
        *result = std::move(*answer);
    return true;
}

void CHostDlg::NotifyOutputSettings() {
    const std::vector<std::string> settings = {m_settings.OutputFolder, m_settings.SWFFile,
                                               m_settings.HTMLFile};
    // Then the player for the pages, whether to write the HTML5 creative and whether to write
    // the SWF outputs. A movie whose function takes only the first three refuses the longer
    // call; it gets those three.
    std::vector<std::string> choices = settings;
    choices.push_back(
        PlayerModeName(ParsePlayerMode(m_settings.PlayerMode).value_or(PlayerMode::Bundled)));
    choices.push_back(m_settings.Html5Creative != 0 ? "yes" : "no");
    choices.push_back(m_settings.SwfOutputs != 0 ? "yes" : "no");
    if (m_player.CallEditor(BuildInvokeCall("SettingOutputFilesVC", choices)))
        return;
    CallEditorReporting("SettingOutputFilesVC", settings, nullptr);
}

bool CHostDlg::RequestProjectXml(const std::string& kind, std::string& text) {
    std::string result;
    text.clear();
    if (!CallEditorReporting("GetProjectFileXmlDataVC", {kind}, &result))
        return false;
    text = UnwrapStringResult(result);
    return true;
}

void CHostDlg::NotifyWindowControl(const std::string& action) {
    CallEditorReporting("ControlAppWindowVC", {action}, nullptr);
}

std::vector<std::string> HelpDocuments(const std::string& programFolder) {
    return {programFolder + "Pennoria Help.chm", programFolder + "help/index.html"};
}

void CHostDlg::OnHelp() {
    // The compiled help when the desktop has a viewer for it, else the same help as web pages
    // in the browser; when neither can be shown the user is told where the help is.
    std::vector<std::string> present;
    for (const std::string& document : HelpDocuments(GetProgramFolder())) {
        if (!platform::FileExists(document))
            continue;
        present.push_back(document);
        if (m_shell.HasHandlerFor(document) && m_shell.OpenDocument(document))
            return;
    }
    if (present.empty()) {
        m_dialogs.ShowMessage(LoadAppString(IDS_HELP_NOT_FOUND), platform::MessageButtons::Ok,
                              platform::MessageIcon::None);
        return;
    }
    std::string where;
    for (const std::string& document : present)
        where += (where.empty() ? "" : "\n") + document;
    std::string text = LoadAppString(IDS_HELP_NO_VIEWER);
    const std::size_t mark = text.find("%s");
    if (mark != std::string::npos)
        text.replace(mark, 2, where);
    m_dialogs.ShowMessage(text, platform::MessageButtons::Ok, platform::MessageIcon::Information);
}

void CHostDlg::HandOverProject(const std::string& path) {
    // A handful at most; a burst of starts beyond that keeps the latest ones.
    constexpr std::size_t kMostWaiting = 32;
    if (m_handedProjects.size() == kMostWaiting)
        m_handedProjects.erase(m_handedProjects.begin());
    m_handedProjects.push_back(path);
    if (!m_player.CallEditor(BuildInvokeCall("HandOverProjectVC", {platform::ToXmlText(path)})))
        platform::DebugOutput("host: the editor did not take the handed-over project " + path);
}

void CHostDlg::OnCaptionDoubleClick() {
    NotifyWindowControl(m_window.IsMaximized() ? kRestoreAppButton : kMaximizeAppButton);
}

} // namespace pennoria
