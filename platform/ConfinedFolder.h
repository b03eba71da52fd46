// Writing below one folder without ever following a link inside it, so that a link planted in
// a publish folder cannot redirect a write elsewhere.
#pragma once

#include "platform/FileSystem.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria::platform {

// An advisory lock on a folder, held while the object lives.
class FolderLock {
public:
    explicit FolderLock(int fd) : m_fd(fd) {}
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// An open folder; every path given to it is relative, its levels separated by '/'. Each level
// below the folder is opened without following links: a level that is a link, or not a folder,
// makes the operation fail. Files are replaced atomically through a temporary file whose name
// carries kTemporaryMarker: flushed to disk, then renamed over the old file, one at a time, or
// all together once staging is on.
class ConfinedFolder {
public:
    // Opens the folder at path. Links in path itself are followed: it is the user's choice.
    static std::optional<ConfinedFolder> Open(const std::string& path, std::string* error);
    ~ConfinedFolder();
    ConfinedFolder(ConfinedFolder&& other) noexcept;
    ConfinedFolder& operator=(ConfinedFolder&& other) noexcept;
    ConfinedFolder(const ConfinedFolder&) = delete;
    ConfinedFolder& operator=(const ConfinedFolder&) = delete;

    // Opens the folder name directly below this one; a link there is refused.
    std::optional<ConfinedFolder> OpenChild(const std::string& name, std::string* error) const;
    // Creates the missing levels of relativeFolder.
    FileResult EnsureFolder(const std::string& relativeFolder) const;
    // Replaces the file at relativePath with data, creating missing folder levels. A link at
    // relativePath is replaced by the file, never written through.
    FileResult WriteFile(const std::string& relativePath, std::string_view data) const;
    // Makes toPath a second name of the regular file at fromPath (a hard link, put in place
    // atomically like a write), so that identical outputs are stored once. Where the file
    // system has no hard links, the bytes are copied instead. A link at fromPath is refused.
    FileResult ShareFile(const std::string& fromPath, const std::string& toPath) const;
    // Removes the regular file or link at relativePath (never what a link points to); true when
    // nothing is there afterwards.
    bool RemoveFile(const std::string& relativePath) const;
    // The contents of the regular file at relativePath, read without following a link at any
    // level and without blocking on a FIFO; nothing when it is not there, not a regular file,
    // or larger than maxBytes.
    std::optional<std::string> ReadFile(const std::string& relativePath,
                                        std::uint64_t maxBytes) const;
    // Removes the folder at relativeFolder when it is empty (never through a link); true when it
    // went.
    bool RemoveEmptyFolder(const std::string& relativeFolder) const;
    // Removes what interrupted writes left in relativeFolder (empty: this folder): regular
    // files named NAME + kTemporaryMarker + six characters. Returns how many went.
    int RemoveStaleTemporaries(const std::string& relativeFolder) const;

    // The names of the regular files directly in this folder (links and folders left out),
    // sorted.
    std::vector<std::string> ListFiles() const;

    // Takes the folder's exclusive advisory lock (on the folder itself, so that no lock file
    // joins what is published), waiting up to wait while another holder has it. Nothing when
    // it stays taken (busy is then set) or cannot be taken (error says why). Every writer of a
    // folder that takes the lock first has the folder to itself until the lock goes.
    std::optional<FolderLock> Lock(std::chrono::milliseconds wait, bool* busy,
                                   std::string* error) const;

    // Holds back what WriteFile and ShareFile put in place from now on: each new file waits
    // under its temporary name, not yet flushed, and this folder's reads (ReadFile, ReadablePath,
    // ShareFile's source) find it there. CommitStaged then flushes them all and renames each into
    // place: every name still holds either its old file or the whole new one, and hundreds of
    // files wait for the disk together instead of one after another. What is still staged when
    // the folder closes is removed.
    void BeginStaging();
    // Flushes every staged file, renames each over its name in the order they were staged, and
    // ends staging: later writes go in place at once. At the first failure (which names the file)
    // the files not yet in place are removed.
    FileResult CommitStaged();
    // The path at which what relativePath holds can be read now: its staged file while one
    // waits, else the file itself.
    std::string ReadablePath(const std::string& relativePath) const;

    // The folder's path as opened, with a trailing '/'.
    const std::string& Path() const { return m_path; }

private:
    struct Staged;
    ConfinedFolder(int fd, std::string path);
    // The staged temporary file of relativePath ("res/a.png.pennoria-tmp-Ab3dE9"), or "".
    std::string StagedFile(const std::string& relativePath) const;
    // Records a temporary file as relativePath's staged one, removing one staged before it.
    void Stage(int folder, const std::string& relativePath, const std::string& temporary) const;
    void DiscardStaged();

    int m_fd = -1;
    std::string m_path;
    std::unique_ptr<Staged> m_staged; // while staging
};

} // namespace pennoria::platform
