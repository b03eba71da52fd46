// The host's start-up steps: check the player, load the settings, fill the default output
// folder. The window is not part of this build yet; the host says so and ends.
#include "app/HostApp.h"

#include "app/AppSettings.h"
#include "app/ProgramPaths.h"
#include "app/Strings.h"
#include "bridge/FlashPlayer.h"
#include "platform/PlayerProbe.h"

#include <cstdlib>
#include <string>

namespace pennoria {

namespace {

const char* const kNoDisplayHint =
    "pennoria: no display found ($DISPLAY and $WAYLAND_DISPLAY are unset). Start it from a "
    "desktop session, or use pennoria-cli, which needs no display.\n";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool IsUsablePlayerVersion(std::int32_t packedVersion) {
    return packedVersion >= kMinimumFlashVersion;
}

bool HasDisplay() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

int RunHostStartup(std::FILE* errors) {
    CAppSettings settings; // the defaults, so message 6 already comes from the default language
    ScopedLanguageBinding binding(settings.languageIni);
    bool display = HasDisplay();

    if (!IsUsablePlayerVersion(platform::QueryFlashOCXVersion(GetProgramFolder()))) {
        // With a window system the message goes to a message box and the download page opens
        // in the browser; both arrive with the desktop host.
        std::fprintf(errors, "%s\n", LoadAppString(IDS_PLAYER_MISSING).c_str());
        if (!display)
            std::fputs(kNoDisplayHint, errors);
        return 1;
    }

    LoadAppSettings(settings); // a missing key leaves the defaults and creates nothing

    if (!display) {
        std::fputs(kNoDisplayHint, errors);
        return 1;
    }
    std::fputs("pennoria: the editor window is not available in this build yet; use "
               "pennoria-cli for now.\n",
               errors);
    return 1;
}

} // namespace pennoria
