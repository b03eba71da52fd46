// File helpers shared by every subsystem: whole-file reads, atomic replacement, folders, copies.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pennoria::platform {

// The outcome of a file operation: success, or a one-line reason a user can read.
struct FileResult {
    bool ok = true;
    std::string error;

    static FileResult Success() { return {}; }
    static FileResult Failure(std::string reason) { return {false, std::move(reason)}; }
    explicit operator bool() const { return ok; }
};

// Temporary files of atomic replacements are named after their target: target name + this
// marker + six random characters. Whatever carries it is debris of an interrupted write.
extern const char* const kTemporaryMarker; // ".pennoria-tmp-"
// Whether a file name (no folder part) is such a temporary name.
bool IsTemporaryFileName(std::string_view name);

// Reads a whole file into memory. Only a regular file is read: a FIFO, device or folder is
// refused without waiting for a writer. Files larger than maxBytes are refused rather than read.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string* error = nullptr,
                                         std::uint64_t maxBytes = std::uint64_t{1} << 31);

// Reads a regular file from start to end in pieces of at most 64 KiB, handing each to piece, so
// that a large file is looked at without holding it in memory. sized, when given, is told the
// file's size at opening and may refuse the file. False (and why) when it cannot be read.
bool ReadFileInPieces(const std::string& path,
                      const std::function<void(std::string_view piece)>& piece,
                      std::string* error = nullptr,
                      const std::function<bool(std::uint64_t size)>& sized = {});

// Replaces the file at path with data: the bytes go to a temporary file in the same folder,
// are flushed to disk, and the temporary file is renamed over the target. Either the old file
// stays whole or the new one is complete; never a mix. An existing file keeps its permissions.
FileResult WriteFileAtomically(const std::string& path, std::string_view data);

// Copies source to target, replacing target atomically.
FileResult CopyFileAtomically(const std::string& source, const std::string& target);

bool FileExists(const std::string& path);      // a regular file (links followed)
bool DirectoryExists(const std::string& path); // a directory (links followed)
bool PathExists(const std::string& path);      // anything at all

// Creates one folder level; true when it exists afterwards.
bool CreateOneDirectory(const std::string& path);

// Creates a new, empty folder inside parent named prefix + six random characters, readable
// only by the user; its path, or nothing (and why).
std::optional<std::string> CreateTemporaryFolder(const std::string& parent,
                                                 const std::string& prefix,
                                                 std::string* error = nullptr);

// Puts the folder staged in the place of target in one step: target is either missing or the
// staged folder afterwards, never partly written. An existing target is swapped out to staged's
// path (FolderMove::Exchanged), for the caller to remove; with ReplaceExisting::No it stays
// and the move fails.
enum class ReplaceExisting { Yes, No };
enum class FolderMove { Moved, Exchanged, TargetExists, Failed };
FolderMove MoveFolderInto(const std::string& staged, const std::string& target,
                          ReplaceExisting replace, std::string* error = nullptr);

// The path with every link and "." or ".." resolved; empty when it does not exist.
std::string ResolvedPath(const std::string& path);

// The last error of the C library as text ("Permission denied").
std::string LastErrorText();

// Makes a write beyond the file-size limit (ulimit -f) fail with "File too large" instead of
// ending the process, so that the failed write is reported and its temporary file removed like
// any other. Every program calls it at start-up (RunReportingExceptions does).
void KeepRunningPastFileSizeLimit();

} // namespace pennoria::platform
