// Opening folders, documents and web addresses with the desktop's default programs through GIO.
// The launch runs asynchronously: the calls return at once and never block the window.
#pragma once

#include "platform/Shell.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pennoria::platform {

class GtkShell : public IShell {
public:
    // launch hands an address to the desktop (by default its handler for the address, started
    // asynchronously); tests give their own.
    explicit GtkShell(std::function<bool(const std::string& uri)> launch = {});
    ~GtkShell() override;
    GtkShell(const GtkShell&) = delete;
    GtkShell& operator=(const GtkShell&) = delete;

    bool OpenFolder(const std::string& path) override;
    bool OpenDocument(const std::string& path) override;
    bool HasHandlerFor(const std::string& path) override;
    bool OpenUri(const std::string& uri) override;
    // Serves the folder over http on 127.0.0.1 (GET and HEAD, below a random path made anew for
    // every preview; worker threads; idle connections dropped) so that the browser can load
    // pages that fetch their files: only regular files inside the folder, never through a link,
    // none hidden. The last folder asked for is the one served, for an hour at most. Falls back
    // to file:// addresses. An address of it given to OpenUri reaches the browser through a
    // page in the user's private folder, never on a command line other users can read.
    std::string BrowserAddressOf(const std::string& folder) override;
    // Through GTK's recent manager, which the desktop's file choosers and launchers read.
    void AddToRecentFiles(const std::string& path) override;
    // Failures of the default launcher; a launch function given to the constructor reports its
    // own.
    void SetLaunchFailureHandler(LaunchFailureHandler handler) override;
    // Stops serving the preview (also when the shell goes, and when the preview's time is up).
    void StopPreview();
    // How long a preview is served (an hour unless a test says otherwise).
    void SetPreviewLifetime(std::chrono::seconds lifetime);

private:
    struct FolderServer;
    bool OpenPreviewAddress(const std::string& uri);
    // Hands uri to the launcher; shown is what a failure names.
    bool Launch(const std::string& uri, const std::string& shown);
    void RemoveRedirectPages();

    std::function<bool(const std::string& uri)> m_launch;
    // Shared with launches still under way, which may finish after the shell has gone.
    std::shared_ptr<LaunchFailureHandler> m_launchFailed;
    std::unique_ptr<FolderServer> m_server;
    std::chrono::seconds m_previewLifetime{3600};
    unsigned m_expiry = 0; // the timer that stops the server
    std::vector<std::string> m_redirectPages;
};

// The file: address of an absolute path, or empty when the path is not absolute.
std::string FileUriForPath(const std::string& path);

} // namespace pennoria::platform
