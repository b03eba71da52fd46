// Start-up of the desktop program: the display, the window and its modal loop.
#include "host/HostApp.h"

#include "host/HostDlg.h"
#include "host/StandInPlayer.h"
#include "platform/DebugLog.h"
#include "platform/gtk/GtkDialogs.h"
#include "platform/gtk/GtkShell.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <map>

namespace pennoria::host {

namespace {

// Until the window is connected to the editor core, window actions go to the debug channel.
class LoggingEditorCore : public IEditorCore {
public:
    void NotifyWindowControl(const std::string& word) override {
        platform::DebugOutput("core: NotifyWindowControl " + word);
    }
    void StartProject(const std::optional<std::string>& path) override {
        platform::DebugOutput("core: StartProject " + path.value_or("(new)"));
    }
};

// A profile kept for the run only, until the per-application profile is connected.
class MemoryProfile : public IWindowProfile {
public:
    std::string GetProfileString(const std::string& section, const std::string& entry) override {
        auto it = m_values.find(section + "\n" + entry);
        return it == m_values.end() ? std::string() : it->second;
    }
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override {
        m_values[section + "\n" + entry] = value;
        return true;
    }

private:
    std::map<std::string, std::string> m_values;
};

// The command line's one optional project path: the first argument that is not an option.
std::optional<std::string> ProjectFromCommandLine(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments)
        if (!a.empty() && a.front() != '-')
            return a;
    return std::nullopt;
}

} // namespace

int CHostApp::Run(int argc, char** argv) {
    g_set_prgname("pennoria");
    g_set_application_name("Pennoria");
    if (!gtk_init_check(&argc, &argv)) {
        std::fputs("pennoria: cannot open a display; the desktop host needs a graphical session "
                   "(DISPLAY or WAYLAND_DISPLAY)\n",
                   stderr);
        return 1;
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    m_exitCode = 0;
    InitInstance(arguments);
    return m_exitCode;
}

bool CHostApp::InitInstance(const std::vector<std::string>& arguments) {
    platform::GtkDialogs dialogs;
    platform::GtkShell shell;
    LoggingEditorCore core;
    MemoryProfile profile;
    CStandInPlayer player;

    CHostDlg::Services services;
    services.player = &player;
    services.playerWidget = player.Widget();
    services.core = &core;
    services.profile = &profile;
    services.dialogs = &dialogs;
    services.shell = &shell;
    CHostDlg dialog(services, ProjectFromCommandLine(arguments));
    if (dialog.DoModal() < 0)
        m_exitCode = 1;
    return false;
}

} // namespace pennoria::host
