// Handing things to the desktop: folders, documents and web pages open in their default
// programs. Opening is asynchronous and never blocks the window.
#pragma once

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
};

} // namespace pennoria::platform
