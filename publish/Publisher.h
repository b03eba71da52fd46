// The publish pipeline: the project XML edited for local resources, the banner movie resized,
// the component movie, the web pages, the custom template image, and the folder opened.
#pragma once

#include "core/AppSettings.h"
#include "platform/Dialogs.h"
#include "platform/HostWindow.h"
#include "platform/Shell.h"
#include "project/ProjectFiles.h"
#include "publish/PublishRequest.h"

#include <string>
#include <vector>

namespace pennoria {

// The reply when a page could not be written.
extern const char* const kReplyPageFailed; // "saveFailed"

// The image file of a custom template text: its "template" element's "img" attribute.
bool GetCustomTemplateImage(const std::string& customTemplateXml, std::string& imagePath);

// "res/" + the file name of path (the part after its last '\' or '/').
bool ToResourcePath(std::string& path);

// Where the installed sources of a publish lie, below the program folder.
struct PublishSources {
    std::string themeMovie;     // editor/templateEditor/theme.swf
    std::string componentMovie; // editor/templateEditor/res/template.swf
    std::string swfObjectScript;
    std::string mainPageTemplate;
    std::string auxPageTemplate;
};
PublishSources GetPublishSources(const std::string& programFolder, bool embedPages);

class CPublisher {
public:
    CPublisher(CAppSettings& settings, platform::IDialogs& dialogs, platform::IShell& shell,
               platform::IHostWindow& window, ProjectXmlSource projectXml);

    // The whole publish command: "ok", "user cancel", "create dir failed", "no content", or
    // "saveFailed" when a page could not be written.
    std::string OnOutputProjectFiles(const std::vector<std::string>& arguments);
    // Runs the pipeline into a prepared request's folder. False when the run ended early, with
    // the reply saying why.
    bool PublishProject(const CPublishRequest& request, std::string& reply);
    // Opens the publish folder in the file manager, when it is a folder.
    void OpenOutputFolder(const CPublishRequest& request);

private:
    CAppSettings& m_settings;
    platform::IDialogs& m_dialogs;
    platform::IShell& m_shell;
    platform::IHostWindow& m_window;
    ProjectXmlSource m_projectXml;
};

// Opens path in the file manager only when it is an existing directory (never a file), under
// the window's busy cursor.
void OpenFolderIfDirectory(platform::IShell& shell, platform::IHostWindow& window,
                           const std::string& path);

} // namespace pennoria
