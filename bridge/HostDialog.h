// CHostDlg's portable core: the host's state and every operation the editor drives, without a
// display. The desktop window and the headless host both wrap this class unchanged.
#pragma once

#include "bridge/ElementClipboard.h"
#include "bridge/FeedJob.h"
#include "bridge/FlashPlayer.h"
#include "bridge/Invoke.h"
#include "bridge/ReplyWords.h"
#include "bridge/WorkKeeper.h"
#include "core/AppSettings.h"
#include "platform/Dialogs.h"
#include "platform/HostWindow.h"
#include "platform/Shell.h"
#include "project/ProjectFiles.h"
#include "project/RecentProjects.h"
#include "publish/Publisher.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pennoria {

// The words the host sends with "ControlAppWindowVC".
extern const char* const kMinimizeAppButton; // "minimizeAppButton"
extern const char* const kMaximizeAppButton; // "maximizeAppButton"
extern const char* const kRestoreAppButton;  // "restoreAppButton"
extern const char* const kCloseAppButton;    // "closeAppButton"

// The help's documents below the program folder, in the order they are offered: the compiled
// help file, then the same help as web pages.
std::vector<std::string> HelpDocuments(const std::string& programFolder);

class CHostDlg {
public:
    // commandLineProject: the one optional project path the program was started with.
    CHostDlg(IFlashPlayer& player, platform::IDialogs& dialogs, platform::IShell& shell,
             platform::IHostWindow& window, CAppSettings& settings,
             std::string commandLineProject = {});
    ~CHostDlg();
    CHostDlg(const CHostDlg&) = delete;
    CHostDlg& operator=(const CHostDlg&) = delete;

    // Start-up, in the order the window performs it. PlayerUsable checks the player version
    // (at least 10.2); when it is not usable, RefusePlayer shows message 6 and the download
    // page. ApplyCommandLine opens the start-up project (or a new one); BringEditorUp allows
    // local files and loads the editor movie.
    bool PlayerUsable();
    void RefusePlayer();
    void ApplyCommandLine();
    void BringEditorUp();
    // All three in order; false (after RefusePlayer) when the player is not usable.
    bool StartEditor();

    // The player's request event: parse, dispatch, answer through SetReturnValue. Unknown or
    // malformed requests get no answer.
    void OnFlashCall(const std::string& requestText);
    // Runs a parsed request; false when its name is not a command (no reply is sent then).
    bool DispatchEditorCommand(const InvokeRequest& request, std::string& reply);

    // A command beside the fixed ones, for a feature that lives in a library of its own: the
    // handler's text is the reply. Matched without regard to case after the fixed ones; an empty
    // handler removes the command.
    using ExtraCommand = std::function<std::string(const std::vector<std::string>& arguments)>;
    void AddCommand(const std::string& name, ExtraCommand handler);

    // Calls into the movie.
    // Calls function in the movie; nothing when the movie did not answer (no message shown).
    std::optional<std::string> CallMovie(const std::string& function,
                                         const std::vector<std::string>& args);
    void NotifyOutputSettings();
    bool RequestProjectXml(const std::string& kind, std::string& text);
    void NotifyWindowControl(const std::string& action);

    // A project handed over by a second start of the program: the movie is told, asks its
    // unsaved-changes question, then asks for it with "OpenHandedProjectVC", which makes it the
    // current project. Paths handed over wait in turn until the editor asks for them.
    void HandOverProject(const std::string& path);

    // Keeps the editor's unsaved work in folder while the program runs (the editor hands it
    // over with "KeepWorkVC") and offers what ended runs left there ("KeptWorkVC",
    // "RecoverWorkVC"). Without it those commands answer "false". onRecovered sees the text of
    // work the editor takes back (the desktop lets the movie read the pictures it names).
    void KeepWorkIn(const std::string& folder,
                    std::function<void(const std::string& text)> onRecovered = {});
    CWorkKeeper* WorkKeeper() { return m_keeper.get(); }

    // Keeps the projects opened and saved last in file (also handed to the desktop's recent
    // files) and offers them to the editor ("RecentProjectsVC", "OpenRecentProjectVC",
    // "ForgetRecentProjectVC"). Without it those commands answer "false". allow sees a listed
    // project the editor opens (the desktop lets the movie read it).
    void RememberProjectsIn(const std::string& file,
                            std::function<void(const std::string& path)> allow = {});

    // Shares clipboard with the editor ("CopyElementsVC", "PasteElementsVC"). Without it those
    // commands are unknown, and the editor keeps what it copies to itself. onPasted sees each
    // fragment handed to the editor (the desktop lets the movie read the pictures it names).
    void ShareClipboard(platform::IClipboard& clipboard,
                        std::function<void(const std::string& fragment)> onPasted = {});

    // Window events that concern the core: the help request, and a double-click in the
    // caption strip (reported as maximise or restore).
    void OnHelp();
    void OnCaptionDoubleClick();

    // Projects.
    void NewProject() { m_project.NewProject(); }
    // Makes path the current project; the one it replaces is remembered until the next open, so
    // that an open the editor could not read can be taken back ("ReopenPreviousProjectVC").
    void OpenProject(const std::string& path);
    void SetProjectTitle(const std::string& name) { m_project.SetProjectTitle(name); }
    // The reply to a save: the saved path, "false" or "saveFailed".
    std::string SaveProject(bool saveAs);
    bool WriteProjectFile(const std::string& path) { return m_project.WriteProjectFile(path); }

    // Publishing; the reply word of the outcome.
    std::string OnOutputProjectFiles(const std::vector<std::string>& arguments) {
        return PublishReplyWord(m_publisher.OnOutputProjectFiles(arguments));
    }
    void OpenOutputFolder(const CPublishRequest& request) { m_publisher.OpenOutputFolder(request); }
    CPublisher& Publisher() { return m_publisher; }

    const std::string& CurrentProjectPath() const { return m_project.CurrentProjectPath(); }
    bool OpenedFromCommandLine() const { return m_openedFromCommandLine; }
    const std::vector<std::string>& HandedProjects() const { return m_handedProjects; }
    const std::string& MoviePath() const { return m_moviePath; }
    CAppSettings& Settings() { return m_settings; }

private:
    bool CallEditorReporting(const std::string& function, const std::vector<std::string>& args,
                             std::string* result);
    void GetSelectedFilePath(const InvokeRequest& request, std::string& reply);
    // Stores the editor's language choice (eng, deu or fra) as the language setting; false for
    // another word or when the settings could not be written.
    bool SetLanguage(const std::string& code);
    std::string KeepWork(const std::vector<std::string>& arguments);
    std::string KeptWork();
    std::string RecoverWork(const std::vector<std::string>& arguments);
    // A project the user opened or saved goes first in the recent lists.
    void Remember(const std::string& path);
    std::string OpenRecentProject(const std::string& pathText);
    std::string PublishFeed(const std::vector<std::string>& arguments);

    IFlashPlayer& m_player;
    platform::IDialogs& m_dialogs;
    platform::IShell& m_shell;
    platform::IHostWindow& m_window;
    CAppSettings& m_settings;
    std::string m_commandLineProject;
    std::string m_moviePath;
    bool m_openedFromCommandLine = false;
    std::vector<std::string> m_handedProjects;
    std::string m_previousProject;
    CProjectFiles m_project;
    CPublisher m_publisher;
    std::unique_ptr<CWorkKeeper> m_keeper;
    std::function<void(const std::string&)> m_onRecovered;
    std::unique_ptr<CRecentProjects> m_recent;
    std::function<void(const std::string&)> m_allowRecent;
    std::vector<std::pair<std::string, ExtraCommand>> m_extraCommands;
    std::unique_ptr<CElementClipboard> m_clipboard;
    // Last: a feed still being published is stopped and waited for before anything else goes.
    CFeedJob m_feedJob;
};

} // namespace pennoria
