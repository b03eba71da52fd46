// The publish pipeline.
#include "publish/Publisher.h"

#include "core/EditorPath.h"
#include "core/ProgramPaths.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "swf/SwfMovie.h"
#include "template/PageTemplate.h"
#include "xml/XmlDocument.h"

namespace pennoria {

const char* const kReplyPageFailed = "saveFailed";

namespace {

constexpr std::int32_t kDefaultWidth = 720;
constexpr std::int32_t kDefaultHeight = 540;

void CopyOrLog(const std::string& source, const std::string& target) {
    platform::FileResult copied = platform::CopyFileAtomically(source, target);
    if (!copied)
        platform::DebugOutput("publish: " + copied.error);
}

// Shows the wait cursor for the lifetime of the object.
class BusyCursor {
public:
    explicit BusyCursor(platform::IHostWindow& window) : m_window(window) { m_window.BeginBusy(); }
    ~BusyCursor() { m_window.EndBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    platform::IHostWindow& m_window;
};

} // namespace

bool GetCustomTemplateImage(const std::string& customTemplateXml, std::string& imagePath) {
    CXmlDocument document;
    if (!document.LoadText(customTemplateXml))
        return false;
    return document.GetAttribute("template", "img", imagePath) == 0;
}

bool ToResourcePath(std::string& path) {
    std::size_t cut = path.find_last_of("\\/");
    // A bare file name keeps its whole name.
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    path = "res/" + name;
    return true;
}

PublishSources GetPublishSources(const std::string& programFolder, bool embedPages) {
    const std::string base = programFolder + "editor/templateEditor/";
    const std::string pages =
        base + (embedPages ? "common/normal_screen/embed/" : "common/normal_screen/swfObject/");
    return {base + "theme.swf", base + "res/template.swf", base + "common/swfobject.js",
            pages + "index.htt", pages + "fs_aux.htt"};
}

void OpenFolderIfDirectory(platform::IShell& shell, platform::IHostWindow& window,
                           const std::string& path) {
    BusyCursor busy(window);
    // The path comes from the editor: only a folder is handed to the desktop, never a file
    // that the desktop might run.
    if (platform::DirectoryExists(path))
        shell.OpenFolder(path);
}

CPublisher::CPublisher(CAppSettings& settings, platform::IDialogs& dialogs, platform::IShell& shell,
                       platform::IHostWindow& window, ProjectXmlSource projectXml)
    : m_settings(settings), m_dialogs(dialogs), m_shell(shell), m_window(window),
      m_projectXml(std::move(projectXml)) {}

std::string CPublisher::OnOutputProjectFiles(const std::vector<std::string>& arguments) {
    std::string reply = kReplyOk;
    CPublishRequest request(arguments);
    if (request.PrepareOutputFolder(reply, m_dialogs) && PublishProject(request, reply))
        OpenOutputFolder(request);
    return reply;
}

bool CPublisher::PublishProject(const CPublishRequest& request, std::string& reply) {
    const std::string& out = request.outputFolder;

    // 1. The settings are stored before anything is published.
    SaveAppSettings(m_settings);

    // 2. The project from the editor.
    std::string projectXml;
    if (!m_projectXml || !m_projectXml("photoEditor", projectXml)) {
        reply = kReplyNoContent;
        return false;
    }

    // 3. The banner size; a text that does not parse leaves an empty document.
    std::int32_t width = kDefaultWidth;
    std::int32_t height = kDefaultHeight;
    CXmlDocument project;
    project.LoadText(projectXml);
    project.GetAttributeInt("template", "demoWidth", width);
    project.GetAttributeInt("template", "demoHeight", height);

    // 4. The template image points at its copy in "res/". The in-memory document has no file,
    // so the save half of SetAttributeAndSave fails, which does not matter here.
    std::string imageReference;
    bool hasImage = false;
    if (project.GetAttribute("template", "img", imageReference) == 0) {
        ToResourcePath(imageReference);
        for (char& c : imageReference)
            if (c == '\\')
                c = '/';
        project.SetAttributeAndSave("template", "img", imageReference);
        hasImage = true;
    }

    // 5. The component movie's location.
    project.SetAttributeAndSave("//template/component/info", "url", "res/template.swf");

    // 6. The project XML beside the movie.
    if (!project.Save(out + request.xmlName))
        platform::DebugOutput("publish: " + project.LastSaveError());

    const PublishSources sources = GetPublishSources(GetProgramFolder(), request.embedPages);

    // 7. The banner movie, with the banner's stage size.
    const std::string bannerMovie = out + request.swfName;
    CopyOrLog(sources.themeMovie, bannerMovie);
    if (width != kDefaultWidth || height != kDefaultHeight) {
        std::string reason;
        // The movie layer traces to standard output only when asked; the headless host
        // speaks its protocol there.
        if (!TryResizeMovieStage(bannerMovie, width, height, &reason, nullptr))
            platform::DebugOutput("publish: stage not resized: " + reason);
    }

    // 8. The component movie.
    EnsureDirectory(out + "res/");
    CopyOrLog(sources.componentMovie, out + "res/template.swf");

    // 9. The web pages.
    if (request.writePages) {
        CPageTemplate page(request.swfName, width, height);
        const std::pair<const std::string*, std::string> pages[] = {
            {&sources.mainPageTemplate, out + request.pageName},
            {&sources.auxPageTemplate, out + "fs_aux.html"}};
        for (const auto& [templatePath, pagePath] : pages) {
            page.Generate(*templatePath, pagePath);
            if (!page.LastWriteError().empty()) {
                m_dialogs.ShowTitledMessage(
                    "Publish", "The page could not be written: " + page.LastWriteError(),
                    platform::MessageButtons::Ok, platform::MessageIcon::Error);
                reply = kReplyPageFailed;
                return false;
            }
        }
        if (!request.embedPages)
            CopyOrLog(sources.swfObjectScript, out + "swfobject.js");
    }

    // 10. The custom template's image, copied to where the project XML now points.
    std::string customTemplate;
    std::string imageSource;
    if (m_projectXml && m_projectXml("customTemplate", customTemplate) &&
        GetCustomTemplateImage(customTemplate, imageSource) && hasImage) {
        const std::string target = out + imageReference;
        std::size_t cut = target.find_last_of('/');
        if (cut != std::string::npos && cut > 0)
            EnsureDirectory(target.substr(0, cut));
        // The editor writes its paths with either separator.
        std::string source = MakeEditorPath(imageSource);
        for (char& c : source)
            if (c == '\\')
                c = '/';
        CopyOrLog(source, target);
    }
    return true;
}

void CPublisher::OpenOutputFolder(const CPublishRequest& request) {
    OpenFolderIfDirectory(m_shell, m_window, request.outputFolder);
}

} // namespace pennoria
