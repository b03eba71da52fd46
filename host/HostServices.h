// What the main window needs from the rest of the host, as small interfaces: the editor core
// that the window's actions are reported to, and the profile that keeps the placement.
#pragma once

#include <string>

namespace pennoria::host {

// The editor side of the main window: the start-up steps that involve the movie, the window
// actions reported to it, and the help request.
class IEditorCore {
public:
    virtual ~IEditorCore() = default;
    // The player reports at least 10.2.
    virtual bool PlayerUsable() = 0;
    // Message 6 and the player's download page.
    virtual void RefusePlayer() = 0;
    // Opens the project named on the command line, or starts a new one when there is none.
    virtual void ApplyCommandLine() = 0;
    // Allows local files and loads the editor movie.
    virtual void BringEditorUp() = 0;
    // Reports a window action to the movie ("minimizeAppButton", "closeAppButton", ...).
    virtual void NotifyWindowControl(const std::string& word) = 0;
    // Opens the help file, or says it is missing.
    virtual void OnHelp() = 0;
};

// The per-application profile: one text per section and entry.
class IWindowProfile {
public:
    virtual ~IWindowProfile() = default;
    virtual std::string GetProfileString(const std::string& section, const std::string& entry) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& value) = 0;
};

} // namespace pennoria::host
