// Start-up of the desktop program: the player check, the settings, then the main window run
// modally on the GTK main loop. The program ends when the window's loop ends.
#include "host/HostApp.h"

#include "bridge/FlashPlayer.h"
#include "bridge/HostDialog.h"
#include "core/AppProfile.h"
#include "core/AppSettings.h"
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "host/MainWindow.h"
#include "host/StandInPlayer.h"
#include "host/player/WebKitFlashPlayer.h"
#include "platform/DebugLog.h"
#include "platform/PlayerProbe.h"
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
    g_set_prgname("pennoria");
    m_hasDisplay = HasDisplay() && gtk_init_check(&argc, &argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    m_exitCode = 0;
    InitInstance(arguments);
    return m_exitCode;
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

    if (!m_hasDisplay) {
        std::fputs(kNoDisplay, stderr);
        m_exitCode = 1;
        return false;
    }

    RegistryWindowProfile profile;
    // The player starts loading at once: Ruffle's start-up is the slow part of ours.
    std::unique_ptr<CStandInPlayer> standIn;
    std::unique_ptr<CWebKitFlashPlayer> webPlayer;
    IFlashPlayer* player = nullptr;
    GtkWidget* playerWidget = nullptr;
    if (UseStandInPlayer()) {
        standIn = std::make_unique<CStandInPlayer>();
        player = standIn.get();
        playerWidget = standIn->Widget();
    } else {
        webPlayer = std::make_unique<CWebKitFlashPlayer>();
        player = webPlayer.get();
        playerWidget = webPlayer->Widget();
    }

    CMainWindow::Services services;
    services.playerWidget = playerWidget;
    services.profile = &profile;
    services.windowCreated = [&dialogs](GtkWindow* window) { dialogs.SetParent(window); };
    CMainWindow window(services);
    pennoria::CHostDlg core(*player, dialogs, shell, window, settings,
                            ProjectFromCommandLine(arguments).value_or(""));
    EditorCoreLink link(core);
    window.SetEditorCore(&link);
    player->SetFlashCallHandler([&core](const std::string& request) { core.OnFlashCall(request); });

    const guint term = g_unix_signal_add(SIGTERM, OnTerminate, &window);
    const guint interrupt = g_unix_signal_add(SIGINT, OnTerminate, &window);
    if (window.Run() == FrameRun::Failed)
        m_exitCode = 1;
    player->SetFlashCallHandler(nullptr);
    g_source_remove(term);
    g_source_remove(interrupt);
    return false;
}

} // namespace pennoria::host
