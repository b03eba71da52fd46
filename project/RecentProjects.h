// The projects the user opened or saved last, newest first, kept in a small file of the user's
// own so that every start (and every running copy) offers the same list.
#pragma once

#include <string>
#include <vector>

namespace pennoria {

class CRecentProjects {
public:
    static constexpr std::size_t kMostKept = 10;

    // file: where the list lives (one absolute path a line); its folder is created on the first
    // write. An empty name keeps nothing.
    explicit CRecentProjects(std::string file);

    // The list as the file holds it now, newest first, at most kMostKept.
    std::vector<std::string> List() const;
    // Puts path first (moving it up when it is already listed); the oldest beyond kMostKept
    // goes. A path that is not absolute or holds a line break is not kept. False when the file
    // could not be written.
    bool Add(const std::string& path);
    // Takes path off the list; false when it was not listed or the file could not be written.
    bool Remove(const std::string& path);
    bool Contains(const std::string& path) const;

private:
    bool Write(const std::vector<std::string>& paths) const;

    std::string m_file;
};

// The list as text for the editor: one line per project, "present" or "missing", a tab, the path.
std::string RecentProjectsText(const std::vector<std::string>& paths);

} // namespace pennoria
