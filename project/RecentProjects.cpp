#include "project/RecentProjects.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace pennoria {

namespace {

// Ten paths; anything much larger is not this program's list.
constexpr std::uint64_t kMostFileBytes = 64 * 1024;

bool Keepable(const std::string& path) {
    return !path.empty() && path.front() == '/' &&
           path.find_first_of("\r\n\t") == std::string::npos;
}

} // namespace

CRecentProjects::CRecentProjects(std::string file) : m_file(std::move(file)) {}

std::vector<std::string> CRecentProjects::List() const {
    std::vector<std::string> paths;
    if (m_file.empty())
        return paths;
    const std::optional<std::string> text =
        platform::ReadWholeFile(m_file, nullptr, kMostFileBytes);
    if (!text)
        return paths;
    std::size_t start = 0;
    while (start < text->size() && paths.size() < kMostKept) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        const std::string line = text->substr(start, end - start);
        if (Keepable(line) && std::find(paths.begin(), paths.end(), line) == paths.end())
            paths.push_back(line);
        start = end + 1;
    }
    return paths;
}

bool CRecentProjects::Contains(const std::string& path) const {
    const std::vector<std::string> paths = List();
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

bool CRecentProjects::Add(const std::string& path) {
    if (m_file.empty() || !Keepable(path))
        return false;
    // Read again first: another running copy may have added to the list meanwhile.
    std::vector<std::string> paths = List();
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    paths.insert(paths.begin(), path);
    if (paths.size() > kMostKept)
        paths.resize(kMostKept);
    return Write(paths);
}

bool CRecentProjects::Remove(const std::string& path) {
    std::vector<std::string> paths = List();
    const auto gone = std::remove(paths.begin(), paths.end(), path);
    if (gone == paths.end())
        return false;
    paths.erase(gone, paths.end());
    return Write(paths);
}

bool CRecentProjects::Write(const std::vector<std::string>& paths) const {
    // The list's folder and the one above it (the user's configuration folder on a fresh
    // account).
    const std::size_t slash = m_file.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = m_file.substr(0, slash);
        const std::size_t up = folder.rfind('/');
        if (up != std::string::npos && up > 0 && !platform::DirectoryExists(folder.substr(0, up)))
            platform::CreateOneDirectory(folder.substr(0, up));
        if (!platform::DirectoryExists(folder))
            platform::CreateOneDirectory(folder);
    }
    std::string text;
    for (const std::string& path : paths)
        text += path + "\n";
    const platform::FileResult written = platform::WriteFileAtomically(m_file, text);
    if (!written)
        platform::DebugOutput("recent projects: cannot write " + m_file + ": " + written.error);
    return static_cast<bool>(written);
}

std::string RecentProjectsText(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) {
        if (!text.empty())
            text += '\n';
        text += platform::FileExists(path) ? "present\t" : "missing\t";
        text += path;
    }
    return text;
}

} // namespace pennoria
