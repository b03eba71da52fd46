// The application object of the desktop program: display check, player check, settings, and
// the main window run modally on the GTK main loop.
#pragma once

#include "host/player/GlibPtr.h"

#include <gio/gio.h>

#include <functional>
#include <string>
#include <vector>

namespace pennoria::host {

class CHostApp {
public:
    // Runs the program; answers the process exit code.
    int Run(int argc, char** argv);

private:
    bool InitInstance(const std::vector<std::string>& arguments);
    // One running program on the session bus: true when another instance runs and was handed
    // this start's project (or brought to the front); this start then ends. Without a session
    // bus every start runs on its own.
    bool HandOverToRunningInstance(const std::vector<std::string>& arguments);
    // A project handed over by a later start; kept until the editor is up.
    void ReceiveProject(const std::string& path);

    int m_exitCode = 0;
    bool m_hasDisplay = false;
    glib::GObjectPtr<GApplication> m_application;
    std::function<void(const std::string&)> m_openProject; // set while the editor is up
    std::function<void()> m_present;
    std::vector<std::string> m_receivedProjects;
};

} // namespace pennoria::host
