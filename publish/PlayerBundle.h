// The Ruffle player published beside the pages: how the player is provided, and the copy of the
// program's own Ruffle files into the publish folder's "ruffle/" sub-folder.
#pragma once

#include "platform/FileSystem.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pennoria {

// How published pages get a Flash player: the program's Ruffle copied beside them and loaded
// by the pages, or none (the pages expect a player in the browser, as Flash-era pages did).
enum class PlayerMode { Bundled, None };

const char* PlayerModeName(PlayerMode mode); // "bundled" or "none"
std::optional<PlayerMode> ParsePlayerMode(const std::string& name);

// The folder inside a publish folder that holds the player.
extern const char* const kPlayerFolderName; // "ruffle"

struct PlayerCopyResult {
    platform::FileResult result;
    int copied = 0;                  // files written because they were new or had changed
    int kept = 0;                    // files left alone because size and modification time matched
    int removed = 0;                 // files of an older player that the current one no longer has
    std::vector<std::string> files;  // the names of the player's files, now all in target
    std::set<std::string> keptNames; // those of them left alone
};

// Makes target hold the same files as source (one level, regular files): a file is copied only
// when it is missing in target or differs in size or modification time, and copies keep the
// source's modification time so the next run can tell. Files in target that source lacks are
// removed (chunk names change from one player version to the next). A "<name>.wasm" with a
// "<name>.wasm.gz" beside it in source is not copied: pages fetch the compressed one.
PlayerCopyResult CopyPlayerFiles(const std::string& source, const std::string& target);

} // namespace pennoria
