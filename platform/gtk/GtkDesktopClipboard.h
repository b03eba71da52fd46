// The desktop's clipboard through GTK: the fragment under its own type and the picture as PNG
// (image/png), offered until another program takes the clipboard.
#pragma once

#include "platform/Clipboard.h"

#include <memory>

namespace pennoria::platform {

class GtkDesktopClipboard : public IClipboard {
public:
    GtkDesktopClipboard();
    ~GtkDesktopClipboard() override;
    GtkDesktopClipboard(const GtkDesktopClipboard&) = delete;
    GtkDesktopClipboard& operator=(const GtkDesktopClipboard&) = delete;

    bool Put(ClipboardContent content) override;
    std::optional<std::string> Fragment(std::size_t maxBytes) override;
};

} // namespace pennoria::platform
