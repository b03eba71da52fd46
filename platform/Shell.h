// Handing things to the desktop: folders, documents and web pages open in their default
// programs. Opening is asynchronous and never blocks the window.
#pragma once

#include "platform/Paths.h"

#include <functional>
#include <string>

namespace pennoria::platform {

class IShell {
public:
    virtual ~IShell() = default;
    // Opens an existing folder in the file manager; false when it could not be handed over.
    virtual bool OpenFolder(const std::string& path) = 0;
    // Opens a document (the help file) in its default viewer.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Whether the desktop names a default program for this existing file's type.
    virtual bool HasHandlerFor(const std::string& path) = 0;
    // Opens a web address in the browser.
    virtual bool OpenUri(const std::string& uri) = 0;
    // The address under which a browser sees the files of folder (which ends in '/'), ending
    // in '/'. Pages that fetch what they load (the Ruffle player) need an http address; this
    // base gives file:// addresses, which suit plain pages.
    virtual std::string BrowserAddressOf(const std::string& folder);
    // Adds a file the user opened or saved to the desktop's list of recently used files.
    virtual void AddToRecentFiles(const std::string& path) { (void)path; }
    // Opening finishes after the call has returned; when the program for it then cannot be
    // started, handler is told what was to be shown (the folder, the document or the web
    // address the user would open by hand) and why, from the main loop.
    using LaunchFailureHandler =
        std::function<void(const std::string& shown, const std::string& reason)>;
    virtual void SetLaunchFailureHandler(LaunchFailureHandler handler) { (void)handler; }
};

inline std::string IShell::BrowserAddressOf(const std::string& folder) {
    return FileUri(folder);
}

} // namespace pennoria::platform
