// The dialogs as native GTK dialogs: file choosers in open, save and select-folder mode, and
// message dialogs, and a text-entry box with the desktop's input methods. Covers every operation
// of IDialogs; needs gtk_init to have succeeded.
#pragma once

#include "platform/Dialogs.h"

namespace pennoria::platform {

class GtkDialogs : public IDialogs {
public:
    // parentWindow: a GtkWindow* the dialogs are modal for, or nullptr.
    explicit GtkDialogs(void* parentWindow = nullptr) : m_parent(parentWindow) {}
    void SetParent(void* parentWindow) { m_parent = parentWindow; }

    std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
    std::optional<std::string> ChooseFolder(const FolderRequest& request) override;
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                              MessageIcon icon) override;
    bool OffersTextEntry() const override { return true; }
    std::optional<std::string> EnterText(const TextEntryRequest& request) override;

private:
    void* m_parent;
};

// The name a saved file gets: the default extension is added when the chosen name has none.
std::string WithDefaultExtension(const std::string& path, const std::string& defaultExtension);

} // namespace pennoria::platform
