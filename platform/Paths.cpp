// Linux implementation of the program and per-user folders.
#include "platform/Paths.h"

#include "platform/FileSystem.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pennoria::platform {

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    std::string home = HomeFolder();
    if (home.empty())
        return {};
    return home + "/" + fallbackBelowHome;
}

// Creates every missing level of an absolute folder path.
bool CreateFolderTree(const std::string& path) {
    if (path.empty())
        return false;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        CreateOneDirectory(path.substr(0, slash));
    return CreateOneDirectory(path);
}

} // namespace

std::string GetModuleFileName() {
    if (const char* forced = std::getenv("PENNORIA_MODULE_PATH"); forced && *forced)
        return forced;
    char buffer[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string GetUserConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::optional<std::string> UserDirsEntry(const std::string& text, const std::string& key,
                                         const std::string& home) {
    std::optional<std::string> found;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, key.size() + 1, key + "=") != 0)
            continue;
        // The value: one double-quoted word, where a backslash takes the next character as it is.
        std::string raw = line.substr(first + key.size() + 1);
        std::string value;
        if (!raw.empty() && raw.front() == '"') {
            bool closed = false;
            for (std::size_t i = 1; i < raw.size(); ++i) {
                if (raw[i] == '\\' && i + 1 < raw.size()) {
                    value += raw[++i];
                } else if (raw[i] == '"') {
                    closed = true;
                    break;
                } else {
                    value += raw[i];
                }
            }
            if (!closed)
                continue;
        } else {
            value = raw.substr(0, raw.find_last_not_of(" \t\r") + 1);
        }
        if (value == "$HOME" || value.rfind("$HOME/", 0) == 0) {
            if (home.empty())
                continue;
            value = home + value.substr(5);
        } else if (value.empty() || value.front() != '/') {
            continue;
        }
        // A zero byte would cut the path short wherever it is used: no folder has one.
        if (value.find('\0') != std::string::npos)
            continue;
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        found = value; // the last assignment wins, as when the shell reads the file
    }
    return found;
}

std::string GetUserDocumentsFolder() {
    const std::string home = HomeFolder();
    const std::string config = GetUserConfigFolder();
    if (!config.empty()) {
        // The file is a few lines; anything larger is not one.
        auto text = ReadWholeFile(config + "/user-dirs.dirs", nullptr, 64 * 1024);
        if (text)
            if (auto folder = UserDirsEntry(*text, "XDG_DOCUMENTS_DIR", home))
                return *folder;
    }
    return home;
}

std::string GetUserDataFolder() {
    std::string folder = XdgFolder("XDG_DATA_HOME", ".local/share");
    if (folder.empty() || !CreateFolderTree(folder))
        return {};
    return folder;
}

std::string GetPreviewFolder() {
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && runtime[0] == '/' && DirectoryExists(runtime))
        folder = std::string(runtime) + "/pennoria-preview";
    else if (std::string cache = XdgFolder("XDG_CACHE_HOME", ".cache"); !cache.empty())
        folder = cache + "/pennoria/preview";
    if (folder.empty() || !CreateFolderTree(folder))
        return {};
    // Only the user reads what is being previewed.
    ::chmod(folder.c_str(), S_IRWXU);
    return folder;
}

std::string GetUserStateFolder() {
    std::string state = XdgFolder("XDG_STATE_HOME", ".local/state");
    if (state.empty())
        return {};
    const std::string folder = state + "/pennoria";
    if (!CreateFolderTree(folder))
        return {};
    // Kept work is the user's own, unpublished.
    ::chmod(folder.c_str(), S_IRWXU);
    return folder;
}

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

bool IsOtherRunningCopy(int pid) {
    if (pid <= 0 || pid == CurrentProcessId())
        return false;
    // A process that is gone, or whose id was taken by another program, uses nothing of ours.
    const std::string ours = ResolvedPath("/proc/self/exe");
    const std::string theirs = ResolvedPath("/proc/" + std::to_string(pid) + "/exe");
    return !ours.empty() && ours == theirs;
}

std::string FileUri(const std::string& path) {
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

} // namespace pennoria::platform
