// POSIX implementation of writes confined to one folder: openat with O_NOFOLLOW at every level.
#include "platform/ConfinedFolder.h"
#include "platform/PosixFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pennoria::platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

using Descriptor = UniqueFd;

// The levels of a relative path; false when one is empty, "." or "..".
bool SplitLevels(const std::string& relative, std::vector<std::string>& levels) {
    levels.clear();
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos)
            slash = relative.size();
        std::string level = relative.substr(start, slash - start);
        if (level.empty() || level == "." || level == "..")
            return false;
        levels.push_back(std::move(level));
        start = slash + 1;
    }
    return !levels.empty();
}

std::string WhyNotAFolder(int error) {
    if (error == ELOOP || error == ENOTDIR)
        return "it is a link or not a folder, and publishing never writes through a link";
    return std::strerror(error);
}

// Opens (creating when missing) one level below parent, never through a link.
int OpenLevel(int parent, const std::string& name, bool create, std::string& error) {
    int fd = ::openat(parent, name.c_str(), kFolderFlags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
            error = std::strerror(errno);
            return -1;
        }
        fd = ::openat(parent, name.c_str(), kFolderFlags);
    }
    if (fd < 0)
        error = WhyNotAFolder(errno);
    return fd;
}

// Opens the folder holding the last level of levels, creating missing ones when asked.
int OpenParentOf(int root, const std::vector<std::string>& levels, std::size_t folderLevels,
                 bool create, const std::string& base, std::string& error) {
    Descriptor current(::dup(root));
    std::string where = base;
    for (std::size_t i = 0; i < folderLevels; ++i) {
        where += levels[i];
        int next = OpenLevel(current.Get(), levels[i], create, error);
        if (next < 0) {
            error = where + ": " + error;
            return -1;
        }
        current.Reset(next);
        where += '/';
    }
    return current.Release();
}

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string RandomSuffix() {
    static const char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kAlphabet) - 2);
    std::string suffix;
    for (int i = 0; i < 6; ++i)
        suffix += kAlphabet[pick(generator)];
    return suffix;
}

// The folder part of a relative path, with its trailing '/' ("" for a file directly inside).
std::string FolderPart(const std::string& relativePath) {
    const std::size_t slash = relativePath.rfind('/');
    return slash == std::string::npos ? std::string() : relativePath.substr(0, slash + 1);
}

// Starts writing a file's pages to disk without waiting, so that the flushes at the end of a batch
// find most of the bytes written (and, on a journalling file system, the first flush commits the
// blocks of all of them at once).
void StartWriteback(int fd) {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
#endif
}

} // namespace

// The staged files: each path with its temporary file's name (no folder part), in the order they
// were staged; an empty name was removed since.
struct ConfinedFolder::Staged {
    std::vector<std::pair<std::string, std::string>> files;
    std::map<std::string, std::size_t> index;
};

ConfinedFolder::ConfinedFolder(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

void ConfinedFolder::BeginStaging() {
    if (!m_staged)
        m_staged = std::make_unique<Staged>();
}

std::string ConfinedFolder::StagedFile(const std::string& relativePath) const {
    if (!m_staged)
        return {};
    auto found = m_staged->index.find(relativePath);
    if (found == m_staged->index.end() || m_staged->files[found->second].second.empty())
        return {};
    return FolderPart(relativePath) + m_staged->files[found->second].second;
}

void ConfinedFolder::Stage(int folder, const std::string& relativePath,
                           const std::string& temporary) const {
    auto [found, added] = m_staged->index.emplace(relativePath, m_staged->files.size());
    if (added) {
        m_staged->files.emplace_back(relativePath, temporary);
        return;
    }
    std::string& earlier = m_staged->files[found->second].second;
    if (!earlier.empty())
        ::unlinkat(folder, earlier.c_str(), 0);
    earlier = temporary;
}

std::string ConfinedFolder::ReadablePath(const std::string& relativePath) const {
    const std::string staged = StagedFile(relativePath);
    return m_path + (staged.empty() ? relativePath : staged);
}

FileResult ConfinedFolder::CommitStaged() {
    if (!m_staged)
        return FileResult::Success();
    const Staged staged = std::move(*m_staged);
    m_staged.reset();
    // Each folder opened once for every file in it.
    std::map<std::string, Descriptor> folders;
    std::map<std::string, std::string> unopened; // why a folder could not be opened
    auto folderOf = [this, &folders, &unopened](const std::string& relativePath,
                                                std::string& error) {
        const std::string part = FolderPart(relativePath);
        auto found = folders.find(part);
        if (found != folders.end()) {
            if (found->second.Get() < 0)
                error = unopened[part];
            return found->second.Get();
        }
        std::vector<std::string> levels;
        int fd = -1;
        if (part.empty())
            fd = ::dup(m_fd);
        else if (SplitLevels(part.substr(0, part.size() - 1), levels))
            fd = OpenParentOf(m_fd, levels, levels.size(), false, m_path, error);
        if (fd < 0 && error.empty())
            error = std::strerror(errno);
        if (fd < 0)
            unopened[part] = error;
        folders[part].Reset(fd);
        return fd;
    };
    FileResult outcome = FileResult::Success();
    std::size_t placed = 0;
    // Every file's bytes on disk before any name changes.
    for (const auto& [path, temporary] : staged.files) {
        if (temporary.empty())
            continue;
        std::string error;
        const int folder = folderOf(path, error);
        Descriptor file(
            folder < 0 ? -1
                       : ::openat(folder, temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (file.Get() < 0 || ::fsync(file.Get()) != 0) {
            outcome = FileResult::Failure("cannot write " + m_path + path + ": " +
                                          (error.empty() ? std::strerror(errno) : error));
            break;
        }
    }
    for (; outcome && placed < staged.files.size(); ++placed) {
        const auto& [path, temporary] = staged.files[placed];
        if (temporary.empty())
            continue;
        std::string error;
        const int folder = folderOf(path, error);
        const std::string name = path.substr(FolderPart(path).size());
        if (folder < 0 || ::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
            outcome = FileResult::Failure("cannot replace " + m_path + path + ": " +
                                          (error.empty() ? std::strerror(errno) : error));
    }
    if (!outcome) {
        // Those not in place (a name already renamed is no longer there).
        for (std::size_t i = 0; i < staged.files.size(); ++i) {
            std::string error;
            const int folder = folderOf(staged.files[i].first, error);
            if (folder >= 0 && !staged.files[i].second.empty())
                ::unlinkat(folder, staged.files[i].second.c_str(), 0);
        }
        return outcome;
    }
    return FileResult::Success();
}

void ConfinedFolder::DiscardStaged() {
    if (!m_staged)
        return;
    for (const auto& [path, temporary] : m_staged->files) {
        std::vector<std::string> levels;
        std::string error;
        if (temporary.empty() || !SplitLevels(path, levels))
            continue;
        Descriptor folder(OpenParentOf(m_fd, levels, levels.size() - 1, false, m_path, error));
        if (folder.Get() >= 0)
            ::unlinkat(folder.Get(), temporary.c_str(), 0);
    }
    m_staged.reset();
}

std::optional<ConfinedFolder> ConfinedFolder::Open(const std::string& path, std::string* error) {
    int fd = ::open(path.empty() ? "/" : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string shown = path;
    if (shown.empty() || shown.back() != '/')
        shown += '/';
    return ConfinedFolder(fd, shown);
}

ConfinedFolder::~ConfinedFolder() {
    DiscardStaged();
    if (m_fd >= 0)
        ::close(m_fd);
}

ConfinedFolder::ConfinedFolder(ConfinedFolder&& other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_staged(std::move(other.m_staged)) {
    other.m_fd = -1;
}

ConfinedFolder& ConfinedFolder::operator=(ConfinedFolder&& other) noexcept {
    if (this != &other) {
        DiscardStaged();
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_staged = std::move(other.m_staged);
        other.m_fd = -1;
    }
    return *this;
}

std::optional<ConfinedFolder> ConfinedFolder::OpenChild(const std::string& name,
                                                        std::string* error) const {
    std::vector<std::string> levels;
    std::string why;
    if (!SplitLevels(name, levels) || levels.size() != 1)
        why = "not a plain folder name";
    int fd = why.empty() ? OpenLevel(m_fd, name, false, why) : -1;
    if (fd < 0) {
        if (error)
            *error = m_path + name + ": " + why;
        return std::nullopt;
    }
    return ConfinedFolder(fd, m_path + name + "/");
}

FileResult ConfinedFolder::EnsureFolder(const std::string& relativeFolder) const {
    std::vector<std::string> levels;
    if (!SplitLevels(relativeFolder, levels))
        return FileResult::Failure(m_path + relativeFolder + ": not a plain folder path");
    std::string error;
    Descriptor folder(OpenParentOf(m_fd, levels, levels.size(), true, m_path, error));
    if (folder.Get() < 0)
        return FileResult::Failure(error);
    return FileResult::Success();
}

FileResult ConfinedFolder::WriteFile(const std::string& relativePath, std::string_view data) const {
    const std::string shown = m_path + relativePath;
    std::vector<std::string> levels;
    if (!SplitLevels(relativePath, levels))
        return FileResult::Failure(shown + ": not a plain file path");
    std::string error;
    Descriptor folder(OpenParentOf(m_fd, levels, levels.size() - 1, true, m_path, error));
    if (folder.Get() < 0)
        return FileResult::Failure("cannot write " + shown + ": " + error);
    const std::string& name = levels.back();

    // An existing file keeps its permissions; a new one gets the usual 0666 & ~umask.
    struct stat st {};
    mode_t mode;
    const bool there = ::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    // A folder in the way is found now rather than when a staged file would be renamed.
    if (there && S_ISDIR(st.st_mode) && m_staged)
        return FileResult::Failure("cannot replace " + shown + ": " + std::strerror(EISDIR));
    if (there && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 0777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::string temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && file.Get() < 0; ++attempt) {
        temporary = name + kTemporaryMarker + RandomSuffix();
        file.Reset(::openat(folder.Get(), temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (file.Get() < 0 && errno != EEXIST)
            break;
    }
    if (file.Get() < 0)
        return FileResult::Failure("cannot create a file in " + shown.substr(0, shown.rfind('/')) +
                                   ": " + std::strerror(errno));
    ::fchmod(file.Get(), mode);
    auto abandon = [&](const std::string& what) {
        std::string reason = what + shown + ": " + std::strerror(errno);
        ::unlinkat(folder.Get(), temporary.c_str(), 0);
        return FileResult::Failure(reason);
    };
    if (!WriteAll(file.Get(), data))
        return abandon("cannot write ");
    if (m_staged) {
        StartWriteback(file.Get());
        if (::close(file.Release()) != 0)
            return abandon("cannot write ");
        Stage(folder.Get(), relativePath, temporary);
        return FileResult::Success();
    }
    if (::fsync(file.Get()) != 0)
        return abandon("cannot write ");
    if (::close(file.Release()) != 0)
        return abandon("cannot write ");
    if (::renameat(folder.Get(), temporary.c_str(), folder.Get(), name.c_str()) != 0)
        return abandon("cannot replace ");
    return FileResult::Success();
}

FileResult ConfinedFolder::ShareFile(const std::string& fromPath, const std::string& toPath) const {
    std::vector<std::string> fromLevels, toLevels;
    if (!SplitLevels(fromPath, fromLevels) || !SplitLevels(toPath, toLevels))
        return FileResult::Failure(m_path + toPath + ": not a plain file path");
    std::string error;
    Descriptor from(OpenParentOf(m_fd, fromLevels, fromLevels.size() - 1, false, m_path, error));
    if (from.Get() < 0)
        return FileResult::Failure("cannot read " + m_path + fromPath + ": " + error);
    // A staged file is shared as it will be.
    const std::string stagedFrom = StagedFile(fromPath);
    if (!stagedFrom.empty())
        fromLevels.back() = stagedFrom.substr(FolderPart(fromPath).size());
    struct stat st {};
    if (::fstatat(from.Get(), fromLevels.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
        return FileResult::Failure("cannot read " + m_path + fromPath + ": not a regular file");
    Descriptor to(OpenParentOf(m_fd, toLevels, toLevels.size() - 1, true, m_path, error));
    if (to.Get() < 0)
        return FileResult::Failure("cannot write " + m_path + toPath + ": " + error);
    const std::string& name = toLevels.back();
    struct stat there {};
    if (::fstatat(to.Get(), name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
        if (there.st_dev == st.st_dev && there.st_ino == st.st_ino && StagedFile(toPath).empty())
            return FileResult::Success(); // already that file
        if (S_ISDIR(there.st_mode) && m_staged)
            return FileResult::Failure("cannot replace " + m_path + toPath + ": " +
                                       std::strerror(EISDIR));
    }
    std::string temporary;
    int linked = -1;
    for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
        temporary = name + kTemporaryMarker + RandomSuffix();
        linked = ::linkat(from.Get(), fromLevels.back().c_str(), to.Get(), temporary.c_str(), 0);
        if (linked != 0 && errno != EEXIST)
            break;
    }
    if (linked != 0) {
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != EXDEV)
            return FileResult::Failure("cannot write " + m_path + toPath + ": " +
                                       std::strerror(errno));
        // A file system without hard links (FAT on a memory stick): the bytes once more.
        auto bytes = ReadFile(fromPath, std::uint64_t{1} << 31);
        if (!bytes)
            return FileResult::Failure("cannot read " + m_path + fromPath);
        return WriteFile(toPath, *bytes);
    }
    if (m_staged) {
        Stage(to.Get(), toPath, temporary);
        return FileResult::Success();
    }
    if (::renameat(to.Get(), temporary.c_str(), to.Get(), name.c_str()) != 0) {
        std::string reason = "cannot replace " + m_path + toPath + ": " + std::strerror(errno);
        ::unlinkat(to.Get(), temporary.c_str(), 0);
        return FileResult::Failure(reason);
    }
    return FileResult::Success();
}

bool ConfinedFolder::RemoveFile(const std::string& relativePath) const {
    std::vector<std::string> levels;
    std::string error;
    if (!SplitLevels(relativePath, levels))
        return false;
    Descriptor folder;
    folder.Reset(OpenParentOf(m_fd, levels, levels.size() - 1, false, m_path, error));
    if (folder.Get() < 0)
        return errno == ENOENT;
    if (!StagedFile(relativePath).empty()) {
        std::string& staged = m_staged->files[m_staged->index[relativePath]].second;
        ::unlinkat(folder.Get(), staged.c_str(), 0);
        staged.clear();
    }
    struct stat st {};
    if (::fstatat(folder.Get(), levels.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return false;
    return ::unlinkat(folder.Get(), levels.back().c_str(), 0) == 0;
}

FolderLock::~FolderLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        FolderLock gone(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

std::optional<FolderLock> ConfinedFolder::Lock(std::chrono::milliseconds wait, bool* busy,
                                               std::string* error) const {
    if (busy)
        *busy = false;
    // A descriptor of its own: flock belongs to the open file, so two openers of one folder
    // (two threads or two programs) exclude each other.
    Descriptor fd(::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) {
        if (error)
            *error = m_path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
            return FolderLock(fd.Release());
        if (errno != EWOULDBLOCK && errno != EINTR) {
            if (error)
                *error = m_path + ": cannot be locked: " + std::strerror(errno);
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            if (busy)
                *busy = true;
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::optional<std::string> ConfinedFolder::ReadFile(const std::string& relativePath,
                                                    std::uint64_t maxBytes) const {
    std::vector<std::string> levels;
    std::string error;
    if (!SplitLevels(relativePath, levels))
        return std::nullopt;
    Descriptor folder;
    folder.Reset(OpenParentOf(m_fd, levels, levels.size() - 1, false, m_path, error));
    if (folder.Get() < 0)
        return std::nullopt;
    const std::string staged = StagedFile(relativePath);
    const std::string name =
        staged.empty() ? levels.back() : staged.substr(FolderPart(relativePath).size());
    Descriptor file(::openat(folder.Get(), name.c_str(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return std::nullopt;
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes)
            return std::nullopt;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

bool ConfinedFolder::RemoveEmptyFolder(const std::string& relativeFolder) const {
    std::vector<std::string> levels;
    std::string error;
    if (!SplitLevels(relativeFolder, levels))
        return false;
    Descriptor folder;
    folder.Reset(OpenParentOf(m_fd, levels, levels.size() - 1, false, m_path, error));
    if (folder.Get() < 0)
        return false;
    struct stat st {};
    if (::fstatat(folder.Get(), levels.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode))
        return false;
    return ::unlinkat(folder.Get(), levels.back().c_str(), AT_REMOVEDIR) == 0;
}

int ConfinedFolder::RemoveStaleTemporaries(const std::string& relativeFolder) const {
    std::vector<std::string> levels;
    std::string error;
    Descriptor folder;
    if (relativeFolder.empty())
        folder.Reset(::dup(m_fd));
    else if (SplitLevels(relativeFolder, levels))
        folder.Reset(OpenParentOf(m_fd, levels, levels.size(), false, m_path, error));
    if (folder.Get() < 0)
        return 0;
    int listing = ::dup(folder.Get());
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return 0;
    }
    // Files staged by this folder are not debris.
    std::set<std::string> staged;
    if (m_staged)
        for (const auto& [path, temporary] : m_staged->files)
            if (!temporary.empty() &&
                FolderPart(path) == (relativeFolder.empty() ? "" : relativeFolder + "/"))
                staged.insert(temporary);
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (IsTemporaryFileName(entry->d_name) && !staged.count(entry->d_name) &&
            ::fstatat(folder.Get(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& name : stale)
        if (::unlinkat(folder.Get(), name.c_str(), 0) == 0)
            ++removed;
    return removed;
}

std::vector<std::string> ConfinedFolder::ListFiles() const {
    std::vector<std::string> names;
    int listing = ::dup(m_fd);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return names;
    }
    // The listing starts where an earlier one on the same descriptor may have ended.
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(m_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace pennoria::platform
