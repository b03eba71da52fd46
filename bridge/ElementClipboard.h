// Elements the editor copies and pastes through the desktop clipboard. A copy puts the editor's
// fragment (a small project of the copied elements) there under the program's own type, with a
// picture of the elements painted from the banner model for other programs; a paste hands back a
// fragment that any running copy of the program put there. Only the banner model reads fragments.
#pragma once

#include "platform/Clipboard.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace pennoria {

class BannerModel;

// A fragment longer than this is neither put on the clipboard nor taken from it.
inline constexpr std::size_t kMaxFragmentBytes = 4u << 20;

class CElementClipboard {
public:
    // fontFolder: the program's faces, for the picture. onPasted sees each fragment handed to
    // the editor (the desktop lets the movie read the pictures it names).
    CElementClipboard(platform::IClipboard& clipboard, std::string fontFolder,
                      std::function<void(const std::string& fragment)> onPasted = {});

    // "CopyElementsVC": the fragment on the clipboard with its picture; "ok", or "false" when
    // the text is no fragment with elements, goes past a limit of the reader or the clipboard
    // would not take it. With no fragment at all, "ok" says that a clipboard is shared.
    std::string Copy(const std::string& fragment);
    // "PasteElementsVC": the fragment on the clipboard, or "false" when it holds none that the
    // model reads whole.
    std::string Paste();

    // The picture of a fragment: its first size's final frame, cut to its elements; nothing
    // when it cannot be painted.
    std::optional<std::string> Picture(const std::string& fragment);

private:
    BannerModel* Model();

    platform::IClipboard& m_clipboard;
    std::string m_fontFolder;
    std::function<void(const std::string&)> m_onPasted;
};

} // namespace pennoria
