// Project path, title, save dialog and file writing.
#include "project/ProjectFiles.h"

#include "core/Strings.h"
#include "platform/DebugLog.h"
#include "platform/Text.h"

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
    // The text passes through UTF-16 so that the file is always well-formed UTF-8, whatever
    // bytes reached us.
    return platform::WriteFileAtomically(path, platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)));
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
    m_window.SetTitle(MakeProjectTitle(name));
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
    // The new name shows before anything is written, also when writing then fails.
    OpenProject(path);
    if (WriteProjectFile(m_currentPath))
        return {SaveOutcome::Saved, m_currentPath};
    return {SaveOutcome::Failed, {}};
}

bool CProjectFiles::WriteProjectFile(const std::string& path) {
    m_lastWriteError.clear();
    std::string text;
    if (!m_projectXml || !m_projectXml(ProjectTextKind::CustomTemplate, text)) {
        m_lastWriteError = LoadAppString(IDS_SAVE_NO_PROJECT);
        return false;
    }
    platform::FileResult written = WriteUtf8File(path, text);
    if (!written) {
        m_lastWriteError = written.error;
        platform::DebugOutput("project not saved: " + written.error);
        return false;
    }
    return true;
}

} // namespace pennoria
