// What the main window needs from the rest of the host, as small interfaces: the editor core
// that the window's actions are reported to, and the profile that keeps the placement.
#pragma once

#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <optional>
#include <string>

namespace pennoria::host {

// The editor side of the main window.
class IEditorCore {
public:
    virtual ~IEditorCore() = default;
    // Reports a window action to the movie ("minimizeAppButton", "closeAppButton", ...).
    virtual void NotifyWindowControl(const std::string& word) = 0;
    // Opens the project named on the command line, or starts a new one when there is none.
    virtual void StartProject(const std::optional<std::string>& commandLineProject) = 0;
};

// The per-application profile: one text per section and entry.
class IWindowProfile {
public:
    virtual ~IWindowProfile() = default;
    virtual std::string GetProfileString(const std::string& section, const std::string& entry) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& value) = 0;
};

// Opens the help file "Pennoria Help.chm" of the program folder, or says it is missing
// (message 8).
void OpenHelpFile(const std::string& programFolder, platform::IShell& shell,
                  platform::IDialogs& dialogs);

} // namespace pennoria::host
