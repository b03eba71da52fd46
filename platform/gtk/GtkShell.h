// Opening folders, documents and web addresses with the desktop's default programs through GIO.
// The launch runs asynchronously: the calls return at once and never block the window.
#pragma once

#include "platform/Shell.h"

#include <memory>

namespace pennoria::platform {

class GtkShell : public IShell {
public:
    GtkShell();
    ~GtkShell() override;
    GtkShell(const GtkShell&) = delete;
    GtkShell& operator=(const GtkShell&) = delete;

    bool OpenFolder(const std::string& path) override;
    bool OpenDocument(const std::string& path) override;
    bool HasHandlerFor(const std::string& path) override;
    bool OpenUri(const std::string& uri) override;
    // Serves the folder over http on 127.0.0.1 (GET only, below a random path that only this
    // run knows; worker threads) so that the browser can load pages that fetch their files.
    // The last folder asked for is the one served. Falls back to file:// addresses.
    std::string BrowserAddressOf(const std::string& folder) override;

private:
    struct FolderServer;
    std::unique_ptr<FolderServer> m_server;
};

// The file: address of an absolute path, or empty when the path is not absolute.
std::string FileUriForPath(const std::string& path);

} // namespace pennoria::platform
