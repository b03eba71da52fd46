// Copying the Ruffle player into a publish folder.
#include "publish/PlayerBundle.h"

#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

namespace pennoria {

namespace fs = std::filesystem;

const char* const kPlayerFolderName = "ruffle";

const char* PlayerModeName(PlayerMode mode) {
    return mode == PlayerMode::None ? "none" : "bundled";
}

std::optional<PlayerMode> ParsePlayerMode(const std::string& name) {
    if (name == "bundled")
        return PlayerMode::Bundled;
    if (name == "none")
        return PlayerMode::None;
    return std::nullopt;
}

PlayerCopyResult CopyPlayerFiles(const std::string& source, const std::string& target) {
    PlayerCopyResult outcome;
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        outcome.result = platform::FileResult::Failure("the player is not installed: " + source);
        return outcome;
    }
    // The folder is ours inside the publish folder: a link planted there is not followed.
    if (fs::is_symlink(target, error)) {
        outcome.result = platform::FileResult::Failure(
            target + ": it is a link, and publishing never writes through a link");
        return outcome;
    }
    fs::create_directories(target, error);
    if (!fs::is_directory(target, error)) {
        outcome.result = platform::FileResult::Failure("cannot create " + target);
        return outcome;
    }
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(source, error)) {
        if (!entry.is_regular_file(error))
            continue;
        const std::string name = entry.path().filename().string();
        // Visitors fetch the WebAssembly compressed (the pages unpack it): its raw build, kept
        // for the desktop editor, stays behind, and one left by an earlier publish goes.
        const std::string_view wasm = ".wasm";
        std::error_code packedError;
        if (name.size() > wasm.size() &&
            name.compare(name.size() - wasm.size(), wasm.size(), wasm) == 0 &&
            fs::is_regular_file(entry.path().string() + ".gz", packedError))
            continue;
        names.insert(name);
        const fs::path copy = fs::path(target) / name;
        std::error_code sizeError, timeError;
        const auto sourceTime = entry.last_write_time(timeError);
        if (fs::is_regular_file(copy, sizeError) &&
            fs::file_size(copy, sizeError) == entry.file_size(sizeError) && !sizeError &&
            !timeError && fs::last_write_time(copy, timeError) == sourceTime && !timeError) {
            ++outcome.kept;
            outcome.keptNames.insert(name);
            outcome.files.push_back(name);
            continue;
        }
        platform::FileResult copied =
            platform::CopyFileAtomically(entry.path().string(), copy.string());
        if (!copied) {
            outcome.result = copied;
            return outcome;
        }
        fs::last_write_time(copy, sourceTime, timeError);
        ++outcome.copied;
        outcome.files.push_back(name);
    }
    if (error) {
        outcome.result =
            platform::FileResult::Failure("cannot list " + source + ": " + error.message());
        return outcome;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(target, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code removeError;
        if (entry.is_regular_file(removeError) && !names.count(name) &&
            fs::remove(entry.path(), removeError))
            ++outcome.removed;
    }
    return outcome;
}

} // namespace pennoria
