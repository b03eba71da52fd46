// Start-up of the desktop host: the player check, the settings, then the window.
#pragma once

#include <cstdint>
#include <cstdio>

namespace pennoria {

// The player must report at least 10.2; the version is compared as a signed number.
bool IsUsablePlayerVersion(std::int32_t packedVersion);

// True when a desktop session is reachable ($DISPLAY or $WAYLAND_DISPLAY set).
bool HasDisplay();

// Runs the start-up steps that need no window and reports on errors; gives the exit status.
int RunHostStartup(std::FILE* errors);

} // namespace pennoria
