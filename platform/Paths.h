// Where the program and the user's files live.
#pragma once

#include <optional>
#include <string>

namespace pennoria::platform {

// The running executable's full path, links resolved; empty when it cannot be read.
// PENNORIA_MODULE_PATH overrides it (tests use it to stand a program folder anywhere).
std::string GetModuleFileName();

// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute. No trailing separator.
std::string GetUserConfigFolder();

// $XDG_DATA_HOME, or ~/.local/share when unset or not absolute, created when missing.
// Empty when it cannot be created. No trailing separator.
std::string GetUserDataFolder();

// A folder private to the user (0700) for previews: $XDG_RUNTIME_DIR/pennoria-preview, or
// the cache folder's pennoria/preview ($XDG_CACHE_HOME, or ~/.cache) when there is no runtime
// folder. Created when missing; empty when it cannot be. No trailing separator.
std::string GetPreviewFolder();

// The user's state folder for this program (0700): $XDG_STATE_HOME/pennoria, or
// ~/.local/state/pennoria when unset or not absolute. Created when missing; empty when it cannot
// be. No trailing separator.
std::string GetUserStateFolder();

// This process's id.
int CurrentProcessId();
// Whether the process pid is running and is another copy of this very program (the same
// executable), so that what a copy still uses is told from what an ended one left behind.
bool IsOtherRunningCopy(int pid);

// A file:// address for an absolute path, with every byte outside the unreserved characters
// and '/' percent-encoded.
std::string FileUri(const std::string& path);
// The user's documents folder as `xdg-user-dir DOCUMENTS` names it: XDG_DOCUMENTS_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs, else the home folder. Empty when no home folder is known.
// Nothing is created.
std::string GetUserDocumentsFolder();

// The value of one XDG_<NAME>_DIR line of a user-dirs.dirs text: "$HOME/Documents" or
// "/absolute/path", double-quoted, with backslash escapes. nullopt when the key is absent or its
// value has neither form. No trailing slash.
std::optional<std::string> UserDirsEntry(const std::string& text, const std::string& key,
                                         const std::string& home);

} // namespace pennoria::platform
