// POSIX implementation of the file helpers.
#include "platform/FileSystem.h"
#include "platform/PosixFd.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdio.h> // renameat2
#include <sys/stat.h>
#include <unistd.h>

namespace pennoria::platform {

std::string LastErrorText() {
    return std::strerror(errno);
}

void KeepRunningPastFileSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

const char* const kTemporaryMarker = ".pennoria-tmp-";

bool IsTemporaryFileName(std::string_view name) {
    const std::string_view marker = kTemporaryMarker;
    const std::size_t at = name.rfind(marker);
    if (at == std::string_view::npos || at == 0 || name.size() != at + marker.size() + 6)
        return false;
    for (char c : name.substr(at + marker.size()))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string ResolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result = resolved;
    std::free(resolved);
    return result;
}

namespace {

using FdGuard = UniqueFd;

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool ReadFileInPieces(const std::string& path,
                      const std::function<void(std::string_view piece)>& piece, std::string* error,
                      const std::function<bool(std::uint64_t size)>& sized) {
    auto fail = [&](std::string reason) {
        if (error)
            *error = std::move(reason);
        return false;
    };
    // Opened without blocking, so that a FIFO does not wait for a writer before it is refused.
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0)
        return fail(LastErrorText());
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return fail(LastErrorText());
    if (!S_ISREG(st.st_mode))
        return fail("not a regular file");
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    if (sized && !sized(static_cast<std::uint64_t>(st.st_size)))
        return fail("file too large");
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(LastErrorText());
        }
        if (n == 0)
            return true;
        piece(std::string_view(buffer, static_cast<size_t>(n)));
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* error,
                                         std::uint64_t maxBytes) {
    std::string data;
    bool tooLarge = false;
    const bool read = ReadFileInPieces(
        path,
        [&](std::string_view piece) {
            // The file may grow while it is read.
            if (tooLarge || data.size() + piece.size() > maxBytes)
                tooLarge = true;
            else
                data.append(piece);
        },
        error,
        [&](std::uint64_t size) {
            if (size > maxBytes)
                return false;
            data.reserve(static_cast<size_t>(size));
            return true;
        });
    if (read && tooLarge) {
        if (error)
            *error = "file too large";
        return std::nullopt;
    }
    if (!read)
        return std::nullopt;
    return data;
}

namespace {

// Copies what is left of in to out. The kernel moves the bytes between the files without them
// passing through this process; where it cannot (some file systems, older kernels), plain reads
// and writes go on from where it stopped. Answers an error text, empty on success.
std::string CopyAll(int in, int out) {
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return {};
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return LastErrorText();
        break;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LastErrorText();
        }
        if (n == 0)
            return {};
        if (!WriteAll(out, std::string_view(buffer, static_cast<size_t>(n))))
            return LastErrorText();
    }
}

// Replaces the file at path with what fill writes into a temporary file beside it (fill answers
// an error text, empty on success): flushed to disk, then renamed over path.
template <typename Fill> FileResult ReplaceAtomically(const std::string& path, Fill fill) {
    std::string tempPath = path + kTemporaryMarker + "XXXXXX";
    FdGuard fd(::mkstemp(tempPath.data()));
    if (fd.Get() < 0)
        return FileResult::Failure("cannot create a file in " + FolderOf(path) + ": " +
                                   LastErrorText());
    auto abandon = [&](std::string reason) {
        ::unlink(tempPath.c_str());
        return FileResult::Failure(std::move(reason));
    };
    // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd.Get(), mode);
    const std::string failed = fill(fd.Get());
    if (!failed.empty())
        return abandon("cannot write " + path + ": " + failed);
    if (::fsync(fd.Get()) != 0)
        return abandon("cannot write " + path + ": " + LastErrorText());
    if (::close(fd.Release()) != 0)
        return abandon("cannot write " + path + ": " + LastErrorText());
    if (::rename(tempPath.c_str(), path.c_str()) != 0)
        return abandon("cannot replace " + path + ": " + LastErrorText());
    return FileResult::Success();
}

} // namespace

FileResult WriteFileAtomically(const std::string& path, std::string_view data) {
    return ReplaceAtomically(
        path, [&](int fd) { return WriteAll(fd, data) ? std::string() : LastErrorText(); });
}

FileResult CopyFileAtomically(const std::string& source, const std::string& target) {
    FdGuard in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (in.Get() < 0 || ::fstat(in.Get(), &st) != 0)
        return FileResult::Failure("cannot read " + source + ": " + LastErrorText());
    // Only a regular file is copied: a FIFO or device would never end or never start.
    if (!S_ISREG(st.st_mode))
        return FileResult::Failure("cannot read " + source + ": not a regular file");
    ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);
    return ReplaceAtomically(target, [&](int out) { return CopyAll(in.Get(), out); });
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::optional<std::string> CreateTemporaryFolder(const std::string& parent,
                                                 const std::string& prefix, std::string* error) {
    std::string pattern =
        parent + (parent.empty() || parent.back() == '/' ? "" : "/") + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        if (error)
            *error = "cannot create a folder in " + parent + ": " + LastErrorText();
        return std::nullopt;
    }
    return pattern;
}

FolderMove MoveFolderInto(const std::string& staged, const std::string& target,
                          ReplaceExisting replace, std::string* error) {
    // Never over an existing name: a plain rename would merge into an empty folder.
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return FolderMove::Moved;
    if (errno != EEXIST) {
        if (error)
            *error = "cannot move " + staged + " to " + target + ": " + LastErrorText();
        return FolderMove::Failed;
    }
    if (replace == ReplaceExisting::No)
        return FolderMove::TargetExists;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) != 0 || !S_ISDIR(existing.st_mode)) {
        if (error)
            *error = target + " exists and is not a folder";
        return FolderMove::Failed;
    }
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0)
        return FolderMove::Exchanged;
    if (error)
        *error = "cannot put " + staged + " in the place of " + target + ": " + LastErrorText();
    return FolderMove::Failed;
}

bool CreateOneDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && DirectoryExists(path);
}

} // namespace pennoria::platform
