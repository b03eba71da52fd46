// Opening folders, documents and web addresses with the desktop's default programs through GIO.
// The launch runs asynchronously: the calls return at once and never block the window.
#pragma once

#include "platform/Shell.h"

namespace pennoria::platform {

class GtkShell : public IShell {
public:
    bool OpenFolder(const std::string& path) override;
    bool OpenDocument(const std::string& path) override;
    bool HasHandlerFor(const std::string& path) override;
    bool OpenUri(const std::string& uri) override;
};

// The file: address of an absolute path, or empty when the path is not absolute.
std::string FileUriForPath(const std::string& path);

} // namespace pennoria::platform
