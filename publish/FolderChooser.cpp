// Folder chooser logic.
#include "publish/FolderChooser.h"

#include "platform/Text.h"

namespace pennoria {

std::string ShortenStatusText(const std::string& path) {
    if (platform::CountCodePoints(path) <= kStatusTextLimit)
        return path;
    return path.substr(0, platform::PrefixBytesForCodePoints(path, kStatusTextLimit)) + "...";
}

CFolderChooser::CFolderChooser(platform::IDialogs& dialogs,
                               std::optional<std::string> initialFolder)
    : m_dialogs(dialogs), m_initialFolder(initialFolder.value_or(std::string())) {}

int CFolderChooser::DoModal() {
    m_selectedFolder = m_initialFolder;
    platform::FolderRequest request;
    request.title = "Current Selection";
    request.initialFolder = m_initialFolder;
    // The dialog asks for the status line of its first folder and of each one it moves to.
    request.statusText = [this](const std::string& path) { return OnSelectionChanged(path); };
    std::optional<std::string> chosen = m_dialogs.ChooseFolder(request);
    if (!chosen || chosen->empty())
        return kChooserCancel;
    m_selectedFolder = *chosen;
    return kChooserOk;
}

std::string CFolderChooser::OnSelectionChanged(const std::string& path) {
    m_selectedFolder = path;
    return ShortenStatusText(m_selectedFolder);
}

} // namespace pennoria
