// The help request: the help file in the program folder, or message 8 when it is missing.
#include "app/Strings.h"
#include "host/HostServices.h"
#include "platform/FileSystem.h"

namespace pennoria::host {

void OpenHelpFile(const std::string& programFolder, platform::IShell& shell,
                  platform::IDialogs& dialogs) {
    const std::string path = programFolder + "Pennoria Help.chm";
    if (platform::FileExists(path)) {
        shell.OpenDocument(path);
        return;
    }
    dialogs.ShowMessage(LoadAppString(IDS_HELP_NOT_FOUND), platform::MessageButtons::Ok,
                        platform::MessageIcon::None);
}

} // namespace pennoria::host
