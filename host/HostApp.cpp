// Start-up of the desktop program: the player check, the settings, then the main window run
// modally on the GTK main loop. The program ends when the window's loop ends.
#include "host/HostApp.h"

#include "bridge/ExportJob.h"
#include "bridge/FlashPlayer.h"
#include "bridge/HostDialog.h"
#include "bridge/MovieWatchdog.h"
#include "bridge/WorkKeeper.h"
#include "core/AppProfile.h"
#include "core/AppSettings.h"
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "host/MainWindow.h"
#include "host/StandInPlayer.h"
#include "host/player/BridgeMessages.h"
#include "host/player/GlibPtr.h"
#include "host/player/PlayerScheme.h"
#include "host/player/WebKitFlashPlayer.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "platform/PlayerProbe.h"
#include "platform/gtk/GtkDesktopClipboard.h"
#include "platform/gtk/GtkDialogs.h"
#include "platform/gtk/GtkShell.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace pennoria::host {

namespace {

const char* const kNoDisplay =
    "pennoria: no display could be opened. The desktop host needs a graphical session "
    "($DISPLAY or $WAYLAND_DISPLAY); pennoria-cli needs none.\n";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// True when a desktop session is reachable ($DISPLAY or $WAYLAND_DISPLAY set).
bool HasDisplay() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

// The window's view of the editor core.
class EditorCoreLink : public IEditorCore {
public:
    explicit EditorCoreLink(pennoria::CHostDlg& core) : m_core(core) {}
    bool PlayerUsable() override { return m_core.PlayerUsable(); }
    void RefusePlayer() override { m_core.RefusePlayer(); }
    void ApplyCommandLine() override { m_core.ApplyCommandLine(); }
    void BringEditorUp() override { m_core.BringEditorUp(); }
    void NotifyWindowControl(const std::string& word) override { m_core.NotifyWindowControl(word); }
    void OnHelp() override { m_core.OnHelp(); }

private:
    pennoria::CHostDlg& m_core;
};

// The application's profile in the per-user registry.
class RegistryWindowProfile : public IWindowProfile {
public:
    std::string GetProfileString(const std::string& section, const std::string& entry) override {
        return pennoria::GetProfileString(section, entry);
    }
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override {
        return pennoria::WriteProfileString(section, entry, value);
    }
};

// The command line's one optional project path: the first argument that is not an option.
std::optional<std::string> ProjectFromCommandLine(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments)
        if (!a.empty() && a.front() != '-')
            return a;
    return std::nullopt;
}

// The application's name on the session bus; PENNORIA_APPLICATION_ID gives tests their own.
std::string ApplicationId() {
    const char* id = std::getenv("PENNORIA_APPLICATION_ID");
    return id && g_application_id_is_valid(id) ? id : "org.oskarel.PennoriaFree";
}

// The dialogs of the desktop program: every file the user chooses may be read by the movie.
class ChosenFilesDialogs : public platform::IDialogs {
public:
    ChosenFilesDialogs(platform::IDialogs& inner, std::function<void(const std::string&)> allow)
        : m_inner(inner), m_allow(std::move(allow)) {}
    std::optional<std::string> ChooseOpenFile(const platform::OpenFileRequest& request) override {
        return Allowed(m_inner.ChooseOpenFile(request));
    }
    std::optional<std::string> ChooseSaveFile(const platform::SaveFileRequest& request) override {
        return Allowed(m_inner.ChooseSaveFile(request));
    }
    std::optional<std::string> ChooseFolder(const platform::FolderRequest& request) override {
        return m_inner.ChooseFolder(request);
    }
    platform::MessageAnswer ShowMessage(const std::string& text, platform::MessageButtons buttons,
                                        platform::MessageIcon icon) override {
        return m_inner.ShowMessage(text, buttons, icon);
    }
    platform::MessageAnswer ShowTitledMessage(const std::string& title, const std::string& text,
                                              platform::MessageButtons buttons,
                                              platform::MessageIcon icon) override {
        return m_inner.ShowTitledMessage(title, text, buttons, icon);
    }
    bool OffersTextEntry() const override { return m_inner.OffersTextEntry(); }
    std::optional<std::string> EnterText(const platform::TextEntryRequest& request) override {
        return m_inner.EnterText(request);
    }

private:
    std::optional<std::string> Allowed(std::optional<std::string> chosen) {
        if (chosen && m_allow)
            m_allow(*chosen);
        return chosen;
    }
    platform::IDialogs& m_inner;
    std::function<void(const std::string&)> m_allow;
};

// Tests of the window alone run it around an empty stand-in instead of the web view.
bool UseStandInPlayer() {
    const char* flag = std::getenv("PENNORIA_STAND_IN_PLAYER");
    return flag && std::string(flag) == "1";
}

// The session ending (SIGTERM, or Ctrl+C from a terminal) closes the window in order, so its
// placement is kept.
gboolean OnTerminate(gpointer window) {
    platform::DebugOutput("window: end requested by signal");
    static_cast<CMainWindow*>(window)->Close();
    return G_SOURCE_CONTINUE;
}

} // namespace

int CHostApp::Run(int argc, char** argv) {
    const BridgeLog steps; // the start-up's steps, for the start-up benchmark
    steps.Write("start");
    g_set_prgname("pennoria");
    m_hasDisplay = HasDisplay() && gtk_init_check(&argc, &argv);
    steps.Write("gtk");
    std::vector<std::string> arguments(argv + 1, argv + argc);
    m_exitCode = 0;
    if (m_hasDisplay && HandOverToRunningInstance(arguments))
        return m_exitCode;
    steps.Write("unique");
    InitInstance(arguments);
    return m_exitCode;
}

bool CHostApp::HandOverToRunningInstance(const std::vector<std::string>& arguments) {
    m_application.reset(g_application_new(ApplicationId().c_str(), G_APPLICATION_HANDLES_OPEN));
    GApplication* application = m_application.get();
    glib::GErrorPtr error;
    if (!g_application_register(application, nullptr, error.Out())) {
        platform::DebugOutput(std::string("app: running on its own: ") + error.Message());
        m_application.reset();
        return false;
    }
    if (g_application_get_is_remote(application)) {
        if (auto project = ProjectFromCommandLine(arguments)) {
            glib::GObjectPtr<GFile> file(g_file_new_for_commandline_arg(project->c_str()));
            GFile* files[] = {file.get()};
            g_application_open(application, files, 1, "");
        } else {
            g_application_activate(application);
        }
        if (GDBusConnection* bus = g_application_get_dbus_connection(application))
            g_dbus_connection_flush_sync(bus, nullptr, nullptr);
        platform::DebugOutput("app: handed over to the running program");
        return true;
    }
    g_signal_connect(
        application, "open",
        G_CALLBACK(+[](GApplication*, GFile** files, gint count, gchar*, gpointer self) {
            for (gint i = 0; i < count; ++i)
                if (glib::GCharPtr path{g_file_get_path(files[i])})
                    static_cast<CHostApp*>(self)->ReceiveProject(path.get());
        }),
        this);
    g_signal_connect(application, "activate", G_CALLBACK(+[](GApplication*, gpointer self) {
                         auto* app = static_cast<CHostApp*>(self);
                         if (app->m_present)
                             app->m_present();
                     }),
                     this);
    return false;
}

void CHostApp::ReceiveProject(const std::string& path) {
    BridgeLog().Write("handover", path);
    if (m_present)
        m_present();
    if (m_openProject)
        m_openProject(path);
    else
        m_receivedProjects.push_back(path); // opened once the editor is up
}

bool CHostApp::InitInstance(const std::vector<std::string>& arguments) {
    CAppSettings settings; // the defaults, so message 6 already comes in the default language
    ScopedLanguageBinding binding(settings.languageIni);
    platform::GtkDialogs dialogs;
    platform::GtkShell shell;
    g_set_application_name(LoadAppString(IDS_APP_TITLE).c_str());

    const std::string programFolder = GetProgramFolder();
    if (!IsUsablePlayerVersion(platform::QueryFlashOCXVersion(programFolder))) {
        if (m_hasDisplay) {
            dialogs.ShowMessage(LoadAppString(IDS_PLAYER_MISSING), platform::MessageButtons::Ok,
                                platform::MessageIcon::None);
            shell.OpenUri(kPlayerDownloadPage);
        } else {
            std::fprintf(stderr, "%s\n", LoadAppString(IDS_PLAYER_MISSING).c_str());
            std::fputs(kNoDisplay, stderr);
        }
        m_exitCode = 1;
        return false;
    }

    LoadAppSettings(settings); // a missing key leaves the defaults and creates nothing
    BridgeLog().Write("settings");

    if (!m_hasDisplay) {
        std::fputs(kNoDisplay, stderr);
        m_exitCode = 1;
        return false;
    }

    RegistryWindowProfile profile;
    // The player is made at once; Ruffle's start-up is the slow part of ours.
    std::unique_ptr<CStandInPlayer> standIn;
    std::unique_ptr<CWebKitFlashPlayer> webPlayer;
    IFlashPlayer* player = nullptr;
    GtkWidget* playerWidget = nullptr;
    if (UseStandInPlayer()) {
        standIn = std::make_unique<CStandInPlayer>();
        player = standIn.get();
        playerWidget = standIn->Widget();
    } else {
        // WebKit's set-up waits until the window has painted its splash (the player check
        // starts it); its web process then starts at once.
        WebKitPlayerOptions options;
        options.start = WebKitPlayerOptions::StartPolicy::OnFirstUse;
        options.renderer = settings.PlayerRenderer;
        webPlayer = std::make_unique<CWebKitFlashPlayer>(options);
        player = webPlayer.get();
        playerWidget = webPlayer->Widget();
    }

    // The movie reads only the files the user chose: in the dialogs, on the command line, or
    // handed over by a later start.
    auto allowChosen = [&webPlayer](const std::string& path) {
        if (webPlayer)
            webPlayer->AllowChosenFile(path);
    };
    ChosenFilesDialogs chosenFilesDialogs(dialogs, allowChosen);
    const std::string commandLineProject = ProjectFromCommandLine(arguments).value_or("");
    if (!commandLineProject.empty())
        allowChosen(commandLineProject);

    CMainWindow::Services services;
    services.playerWidget = playerWidget;
    services.profile = &profile;
    services.windowCreated = [&dialogs](GtkWindow* window) { dialogs.SetParent(window); };
    if (webPlayer)
        services.splashTitle = LoadAppString(IDS_APP_TITLE);
    CMainWindow window(services);
    pennoria::CHostDlg core(*player, chosenFilesDialogs, shell, window, settings,
                            commandLineProject);
    // Unsaved work is kept while it is edited; taken back after a crash, its pictures are the
    // user's choice as they were in the run that ended.
    const std::string keptWorkFolder = platform::GetUserStateFolder();
    core.KeepWorkIn(keptWorkFolder, [keptWorkFolder, allowChosen](const std::string& text) {
        for (const std::string& image : ProjectImagePaths(keptWorkFolder + "/", text))
            allowChosen(image);
    });
    // The projects opened and saved last, listed by the editor; opening one lets the movie read it.
    const std::string configFolder = platform::GetUserConfigFolder();
    core.RememberProjectsIn(configFolder.empty() ? "" : configFolder + "/pennoria/recent-projects",
                            allowChosen);
    // The Export panel's calls.
    CExportCommands exports(core, window);
    // Elements copied go on the desktop's clipboard; the pictures of a fragment pasted from there
    // are the user's choice as they were where it was copied.
    platform::GtkDesktopClipboard clipboard;
    core.ShareClipboard(clipboard, [&core, keptWorkFolder, allowChosen](const std::string& text) {
        const std::string& project = core.CurrentProjectPath();
        for (const std::string& image :
             ProjectImagePaths(project.empty() ? keptWorkFolder + "/" : project, text))
            allowChosen(image);
    });
    EditorCoreLink link(core);
    window.SetEditorCore(&link);
    player->SetFlashCallHandler([&core](const std::string& request) { core.OnFlashCall(request); });

    m_present = [&window] { window.Present(); };
    auto openHanded = [&window, &core, allowChosen](const std::string& path) {
        allowChosen(path);
        // Told to the movie from the main loop, never from inside another call.
        window.Post([&core, path] { core.HandOverProject(path); });
    };
    if (webPlayer) {
        webPlayer->SetShownHandler([this, &window, openHanded] {
            window.HideSplash();
            m_openProject = openHanded;
            for (const std::string& path : m_receivedProjects)
                m_openProject(path);
            m_receivedProjects.clear();
        });
    } else {
        m_openProject = openHanded;
    }

    // A movie that stops answering is noticed; the user may keep the work and start it again.
    struct Watch {
        CWebKitFlashPlayer* player;
        platform::GtkDialogs* dialogs;
        pennoria::CHostDlg* core;
        CMovieWatchdog dog;
        bool asking = false; // our question is open
    } watch{webPlayer.get(), &dialogs, &core, CMovieWatchdog{}, false};
    const guint watchTimer =
        !webPlayer ? 0
                   : g_timeout_add(
                         static_cast<guint>(CMovieWatchdog::Timing{}.periodMs),
                         [](gpointer data) -> gboolean {
                             auto& w = *static_cast<Watch*>(data);
                             const bool busy = w.asking || !w.player->IsIdleAndUp();
                             switch (w.dog.Tick(g_get_monotonic_time() / 1000, busy)) {
                             case CMovieWatchdog::Action::None:
                                 break;
                             case CMovieWatchdog::Action::Ask:
                                 w.player->Ping([&w] { w.dog.Answered(); });
                                 break;
                             case CMovieWatchdog::Action::Stalled: {
                                 BridgeLog().Write("stalled", std::to_string(w.dog.WaitedMs()));
                                 w.asking = true;
                                 const bool restart =
                                     w.dialogs->ShowMessage(LoadAppString(IDS_EDITOR_STOPPED),
                                                            platform::MessageButtons::YesNo,
                                                            platform::MessageIcon::Warning) ==
                                     platform::MessageAnswer::Yes;
                                 w.asking = false;
                                 if (restart) {
                                     if (CWorkKeeper* keeper = w.core->WorkKeeper())
                                         keeper->SetAside();
                                     w.player->Restart();
                                 }
                                 w.dog.Reset();
                                 break;
                             }
                             }
                             return G_SOURCE_CONTINUE;
                         },
                         &watch);

    const guint term = g_unix_signal_add(SIGTERM, OnTerminate, &window);
    const guint interrupt = g_unix_signal_add(SIGINT, OnTerminate, &window);
    if (window.Run() == FrameRun::Failed)
        m_exitCode = 1;
    m_openProject = nullptr;
    m_present = nullptr;
    if (webPlayer)
        webPlayer->SetShownHandler(nullptr);
    player->SetFlashCallHandler(nullptr);
    g_source_remove(term);
    g_source_remove(interrupt);
    if (watchTimer)
        g_source_remove(watchTimer);
    return false;
}

} // namespace pennoria::host
