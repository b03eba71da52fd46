// The folder chooser behind "GetOutputFolderPathVC": the starting folder, the shortened status
// line, and the result codes. The dialog itself is IDialogs::ChooseFolder.
#pragma once

#include "platform/Dialogs.h"

#include <optional>
#include <string>

namespace pennoria {

// Result codes of DoModal.
constexpr int kChooserOk = 1;
constexpr int kChooserCancel = 2;

// The status line shows at most this many characters (code points) of a path, then "...".
constexpr std::size_t kStatusTextLimit = 35;
std::string ShortenStatusText(const std::string& path);

class CFolderChooser {
public:
    CFolderChooser(platform::IDialogs& dialogs, std::optional<std::string> initialFolder);
    virtual ~CFolderChooser() = default;
    CFolderChooser(const CFolderChooser&) = delete;
    CFolderChooser& operator=(const CFolderChooser&) = delete;

    // Runs the dialog: kChooserOk with the chosen folder, kChooserCancel otherwise.
    virtual int DoModal();
    // The user moved to another folder: it becomes the selection; gives the status line.
    virtual std::string OnSelectionChanged(const std::string& path);

    const std::string& GetFolder() const { return m_selectedFolder; }
    const std::string& InitialFolder() const { return m_initialFolder; }

private:
    platform::IDialogs& m_dialogs;
    std::string m_initialFolder;
    std::string m_selectedFolder;
};

} // namespace pennoria
