// The application object of the desktop program: display check, player check, settings, and
// the main window run modally on the GTK main loop.
#pragma once

#include <string>
#include <vector>

namespace pennoria::host {

class CHostApp {
public:
    // Runs the program; answers the process exit code.
    int Run(int argc, char** argv);

private:
    bool InitInstance(const std::vector<std::string>& arguments);
    int m_exitCode = 0;
    bool m_hasDisplay = false;
};

} // namespace pennoria::host
