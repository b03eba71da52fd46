// Project path, title, save dialog and file writing.
#include "project/ProjectFiles.h"

#include "core/EditorPath.h"
#include "core/Strings.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "xml/XmlDocument.h"

#include <vector>

namespace pennoria {

const char* const kProjectFileFilter = "Banner Project File(*.pbf;*.xml)|*.pbf;*.xml||";
const char* const kProjectDefaultExtension = "pbf";

std::string ProjectNameOf(const std::string& path) {
    std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos)
        cut = path.find_last_of('\\');
    if (cut == std::string::npos || cut == 0)
        return path;
    return path.substr(cut + 1);
}

std::string MakeProjectTitle(const std::string& name) {
    return LoadAppString(IDS_APP_TITLE) + "-[" + name + "]";
}

platform::FileResult WriteUtf8File(const std::string& path, const std::string& text) {
    // Whatever bytes reached us, the file is well-formed UTF-8 holding only characters XML allows:
    // a lone surrogate or a non-character in a label becomes U+FFFD.
    return platform::WriteFileAtomically(path, platform::ToXmlText(text));
}

namespace {

// The folder of a file path, without a trailing '/'; empty when the path has none.
std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// An absolute path with "." and ".." levels and repeated separators taken out, as text.
std::string Normalized(const std::string& path) {
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string level = path.substr(start, end - start);
        if (level == "..") {
            if (!levels.empty())
                levels.pop_back();
        } else if (!level.empty() && level != ".") {
            levels.push_back(level);
        }
        start = end + 1;
    }
    std::string joined;
    for (const std::string& level : levels)
        joined += "/" + level;
    return joined.empty() ? "/" : joined;
}

} // namespace

std::string RelocateImagePath(const std::string& image, const std::string& fromProject,
                              const std::string& projectPath) {
    if (image.empty())
        return image;
    std::string path = platform::ToForwardSlashes(image);
    if (path[0] != '/') {
        // URLs and drive paths are not this system's files.
        if (IsAbsoluteEditorPath(path))
            return image;
        const std::string from = FolderOf(platform::ToForwardSlashes(fromProject));
        const bool beside = !from.empty() && platform::PathExists(from + "/" + path);
        // A picture that ships with the program stays relative to its folder.
        if (from.empty() || (!beside && platform::PathExists(MakeEditorPath(path))))
            return image;
        path = from + "/" + path;
    }
    path = Normalized(path);
    const std::string folder = FolderOf(platform::ToForwardSlashes(projectPath));
    if (!folder.empty() && folder[0] == '/') {
        const std::string base = Normalized(folder);
        const std::string prefix = base == "/" ? base : base + "/";
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0)
            return path.substr(prefix.size());
    }
    return path;
}

std::string RelocateImagePaths(const std::string& text, const std::string& fromProject,
                               const std::string& projectPath) {
    auto relocated = RewriteAttributeValues(
        text, "/*/@img | /*/elements/image/@src",
        [&](const std::string& path) { return RelocateImagePath(path, fromProject, projectPath); });
    return relocated ? *relocated : text;
}

CProjectFiles::CProjectFiles(platform::IDialogs& dialogs, platform::IHostWindow& window,
                             ProjectXmlSource projectXml)
    : m_dialogs(dialogs), m_window(window), m_projectXml(std::move(projectXml)) {}

void CProjectFiles::NewProject() {
    m_currentPath.clear();
    SetProjectTitle("new project");
}

void CProjectFiles::OpenProject(const std::string& path) {
    m_currentPath = path;
    // The host never reads the file: the movie loads it from the path.
    SetProjectTitle(ProjectNameOf(path));
}

void CProjectFiles::SetProjectTitle(const std::string& name) {
    // A file name need not be UTF-8; the title is text.
    m_window.SetTitle(MakeProjectTitle(platform::ToXmlText(name)));
}

SaveResult CProjectFiles::SaveProject(SaveMode mode) {
    std::string path = m_currentPath;
    if (path.empty() || mode == SaveMode::SaveAs) {
        platform::SaveFileRequest request;
        request.filter = kProjectFileFilter;
        request.defaultExtension = kProjectDefaultExtension;
        request.initialFile = m_currentPath;
        if (m_startFolder)
            request.startFolder = *m_startFolder;
        request.confirmOverwrite = true;
        auto chosen = m_dialogs.ChooseSaveFile(request);
        if (!chosen)
            return {SaveOutcome::Cancelled, {}};
        path = *chosen;
    }
    // The editor's relative paths are those of the project it has open.
    const std::string fromProject = m_currentPath;
    // The new name shows before anything is written, also when writing then fails.
    OpenProject(path);
    if (WriteProjectFileFrom(m_currentPath, fromProject))
        return {SaveOutcome::Saved, m_currentPath};
    return {SaveOutcome::Failed, {}};
}

bool CProjectFiles::WriteProjectFile(const std::string& path) {
    return WriteProjectFileFrom(path, m_currentPath);
}

bool CProjectFiles::WriteProjectFileFrom(const std::string& path, const std::string& fromProject) {
    m_lastWriteError.clear();
    std::string text;
    if (!m_projectXml || !m_projectXml(ProjectTextKind::CustomTemplate, text)) {
        m_lastWriteError = LoadAppString(IDS_SAVE_NO_PROJECT);
        return false;
    }
    platform::FileResult written = WriteUtf8File(path, RelocateImagePaths(text, fromProject, path));
    if (!written) {
        m_lastWriteError = written.error;
        platform::DebugOutput("project not saved: " + written.error);
        return false;
    }
    return true;
}

} // namespace pennoria
