// The publish pipeline: the project XML edited for local resources, the banner movie resized,
// the component movie, the web pages, the custom template image, and the folder opened.
#pragma once

#include "core/AppSettings.h"
#include "platform/Dialogs.h"
#include "platform/HostWindow.h"
#include "platform/Shell.h"
#include "project/ProjectFiles.h"
#include "publish/Html5Creative.h"
#include "publish/PlayerBundle.h"
#include "publish/PublishRequest.h"

#include <functional>
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
    std::string playerFolder;   // ruffle/ (the program's own player)
    std::string creativeScript; // editor/templateEditor/html5/creative.js
};
PublishSources GetPublishSources(const std::string& programFolder, bool embedPages);

// The page variable naming the bundled player's script ("ruffle/ruffle.js"); empty when the
// pages get no player.
extern const char* const kBundledPlayerVariable; // "BundledPlayer"

// How a publish answers the offer to re-encode the creative's image as JPEG.
enum class JpegChoice { Ask, Accept, Decline };

// The publish choices beside the request's: the stored settings unless the request names them.
PlayerMode ChosenPlayerMode(const CPublishRequest& request, const CAppSettings& settings);
bool ChosenHtml5Creative(const CPublishRequest& request, const CAppSettings& settings);

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
    // Publishes the editor's banner (pages, player, HTML5 creative) into a private preview
    // folder and opens the creative and the page in the browser. The publish replies, or
    // "create dir failed" when there is no preview folder.
    std::string PreviewInBrowser();

    // Where the publish's report lines go (the creative's size against the limit, problems
    // with the files beside the banner); none: only the debug channel.
    void SetReportSink(std::function<void(const std::string&)> sink) { m_report = std::move(sink); }
    // Whether to re-encode the creative's image when that makes its zip fit: Ask shows a
    // Yes/No prompt, and a creative that stays too large is then shown in a message.
    void SetJpegChoice(JpegChoice choice) { m_jpegChoice = choice; }
    // The last publish's creative, when one was written.
    const CreativeReport& LastCreative() const { return m_lastCreative; }

private:
    void Report(const std::string& line);
    void PublishPlayer(const CPublishRequest& request);
    void PublishCreative(const CPublishRequest& request, const std::string& projectXml,
                         const std::string& imagePath);

    std::function<void(const std::string&)> m_report;
    JpegChoice m_jpegChoice = JpegChoice::Ask;
    CreativeReport m_lastCreative;
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
