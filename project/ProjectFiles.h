// The open project around the editor's document: its path, the window title, save and save-as,
// and writing the text the movie produces.
#pragma once

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/HostWindow.h"

#include <functional>
#include <string>

namespace pennoria {

// The save dialog's filter (framework form) and default extension.
extern const char* const kProjectFileFilter;       // "Banner Project File(*.pbf;*.xml)|..."
extern const char* const kProjectDefaultExtension; // "pbf"

// How a save ended; the bridge turns it into the editor's reply.
enum class SaveOutcome {
    Saved,     // written to the path
    Cancelled, // the save dialog was cancelled; nothing changed
    Failed,    // the editor did not deliver the project, or it could not be written
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Failed;
    std::string path; // the saved full path when Saved
};

// Whether a save is a plain save or a save-as.
enum class SaveMode { Save, SaveAs };

// The two project texts the editor hands over: the one publishing edits (the editor's
// "photoEditor" view) and the one saved, whose img names the image file ("customTemplate").
enum class ProjectTextKind { PhotoEditor, CustomTemplate };

// Asks the movie for its project text of a kind; false when the movie could not deliver it.
using ProjectXmlSource = std::function<bool(ProjectTextKind kind, std::string& text)>;

// The name shown in the title for a project path: the part after the last '/', or when there
// is none after the last '\'; the whole path when that separator is missing or comes first.
std::string ProjectNameOf(const std::string& path);

// The window title for a project name: application title + "-[" + name + "]".
std::string MakeProjectTitle(const std::string& name);

// Writes the text as UTF-8 (no byte-order mark) by atomic replacement: on failure the old file
// stays whole and the reason is returned.
platform::FileResult WriteUtf8File(const std::string& path, const std::string& text);

// An image path as a project saved at projectPath stores it: relative (with '/') when the file
// lies in the project's folder or below it, so that the folder can be moved or sent whole;
// absolute otherwise. A relative path given is first resolved against fromProject's folder (the
// project the path was read from; empty: none), unless only the program's "editor/" folder has
// it. Empty paths, URLs and paths of another system stay as they are.
std::string RelocateImagePath(const std::string& image, const std::string& fromProject,
                              const std::string& projectPath);

// The project text with the path of every picture it draws (as the banner model finds them)
// relocated from fromProject to projectPath; the text unchanged when no path changes or it is
// no project.
std::string RelocateImagePaths(const std::string& text, const std::string& fromProject,
                               const std::string& projectPath);

class CProjectFiles {
public:
    CProjectFiles(platform::IDialogs& dialogs, platform::IHostWindow& window,
                  ProjectXmlSource projectXml);

    void NewProject();
    void OpenProject(const std::string& path);
    void SetProjectTitle(const std::string& name);
    // Saves to the current path, or to one chosen in the save dialog when there is none or the
    // mode is SaveAs.
    SaveResult SaveProject(SaveMode mode);
    // True when the movie delivered the project text and it was written to path, its image
    // paths relocated from the current project's folder to path's.
    bool WriteProjectFile(const std::string& path);

    const std::string& CurrentProjectPath() const { return m_currentPath; }
    // The folder the save dialog starts in while the project has no path (the output folder);
    // the text must outlive this object.
    void SetDialogStartFolder(const std::string* folder) { m_startFolder = folder; }
    // Why the last write failed; empty after a successful one.
    const std::string& LastWriteError() const { return m_lastWriteError; }

private:
    bool WriteProjectFileFrom(const std::string& path, const std::string& fromProject);

    platform::IDialogs& m_dialogs;
    platform::IHostWindow& m_window;
    ProjectXmlSource m_projectXml;
    std::string m_currentPath;
    std::string m_lastWriteError;
    const std::string* m_startFolder = nullptr;
};

} // namespace pennoria
