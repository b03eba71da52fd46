// The publish pipeline.
#include "publish/Publisher.h"

#include "core/EditorPath.h"
#include "core/ProgramPaths.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "swf/SwfMovie.h"
#include "template/PageTemplate.h"
#include "xml/XmlDocument.h"

#include <filesystem>

namespace pennoria {

const char* const kReplyPageFailed = "saveFailed";
const char* const kBundledPlayerVariable = "BundledPlayer";

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
    return {base + "theme.swf",        base + "res/template.swf", base + "common/swfobject.js",
            pages + "index.htt",       pages + "fs_aux.htt",      programFolder + kPlayerFolderName,
            base + "html5/creative.js"};
}

PlayerMode ChosenPlayerMode(const CPublishRequest& request, const CAppSettings& settings) {
    if (auto chosen = ParsePlayerMode(request.playerMode))
        return *chosen;
    return ParsePlayerMode(settings.PlayerMode).value_or(PlayerMode::Bundled);
}

bool ChosenHtml5Creative(const CPublishRequest& request, const CAppSettings& settings) {
    if (request.html5 == "yes" || request.html5 == "no")
        return request.html5 == "yes";
    return settings.Html5Creative != 0;
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

    // 1. The settings are stored before anything is published, with the choices the request
    // made about the player and the HTML5 creative.
    const PlayerMode playerMode = ChosenPlayerMode(request, m_settings);
    const bool writeCreative = ChosenHtml5Creative(request, m_settings);
    if (request.purpose == PublishPurpose::Publish) {
        m_settings.PlayerMode = PlayerModeName(playerMode);
        m_settings.Html5Creative = writeCreative ? 1 : 0;
        SaveAppSettings(m_settings);
    }
    m_lastCreative = CreativeReport();

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
        page.Variables().Set(kBundledPlayerVariable,
                             playerMode == PlayerMode::Bundled
                                 ? std::string(kPlayerFolderName) + "/ruffle.js"
                                 : std::string());
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

    // 11. The player beside the pages.
    if (playerMode == PlayerMode::Bundled)
        PublishPlayer(request);

    // 12. The HTML5 creative, its zip and the backup image, from the project as written.
    if (writeCreative) {
        auto written = platform::ReadWholeFile(out + request.xmlName);
        PublishCreative(request, written ? *written : projectXml,
                        hasImage ? out + imageReference : std::string());
    }
    return true;
}

void CPublisher::Report(const std::string& line) {
    platform::DebugOutput("publish: " + line);
    if (m_report)
        m_report(line);
}

void CPublisher::PublishPlayer(const CPublishRequest& request) {
    const PublishSources sources = GetPublishSources(GetProgramFolder(), request.embedPages);
    PlayerCopyResult copied =
        CopyPlayerFiles(sources.playerFolder, request.outputFolder + kPlayerFolderName);
    if (!copied.result)
        Report("the player was not copied: " + copied.result.error);
}

void CPublisher::PublishCreative(const CPublishRequest& request, const std::string& projectXml,
                                 const std::string& imagePath) {
    const PublishSources sources = GetPublishSources(GetProgramFolder(), request.embedPages);
    std::string scriptError;
    auto script = platform::ReadWholeFile(sources.creativeScript, &scriptError);
    if (!script) {
        Report("the HTML5 creative was not written: " + scriptError);
        return;
    }
    CreativeInput input{projectXml, imagePath, *script, request.outputFolder,
                        PublishBaseName(request.swfName)};
    JpegOfferHandler offer = [this](const JpegOffer& jpeg) {
        if (m_jpegChoice != JpegChoice::Ask)
            return m_jpegChoice == JpegChoice::Accept ? OfferAnswer::Accept : OfferAnswer::Decline;
        const auto kb = [](std::uint64_t bytes) { return std::to_string((bytes + 1023) / 1024); };
        platform::MessageAnswer answer = m_dialogs.ShowTitledMessage(
            "Publish",
            "The HTML5 ad is " + kb(jpeg.zipBytes) + " KB; ad networks accept at most " +
                kb(kCreativeSizeLimit) + " KB. Re-encode its image as JPEG (quality " +
                std::to_string(jpeg.quality) + ") to make it " + kb(jpeg.reencodedZipBytes) +
                " KB?",
            platform::MessageButtons::YesNo, platform::MessageIcon::Question);
        return answer == platform::MessageAnswer::Yes ? OfferAnswer::Accept : OfferAnswer::Decline;
    };
    m_lastCreative = WriteHtml5Creative(input, offer);
    if (!m_lastCreative.result) {
        Report("the HTML5 creative was not written: " + m_lastCreative.result.error);
        return;
    }
    Report(DescribeCreativeSize(m_lastCreative));
    // Over the limit with no re-encode that fits (one that fits was just offered).
    if (m_lastCreative.overLimit && m_lastCreative.offeredQuality == 0 &&
        m_jpegChoice == JpegChoice::Ask)
        m_dialogs.ShowTitledMessage("Publish", DescribeCreativeSize(m_lastCreative),
                                    platform::MessageButtons::Ok, platform::MessageIcon::Warning);
}

std::string CPublisher::PreviewInBrowser() {
    const std::string root = platform::GetPreviewFolder();
    if (root.empty())
        return kReplyCreateDirFailed;
    // The last preview goes first, so no question about an existing folder is asked.
    std::error_code ignored;
    std::filesystem::remove_all(root + "/preview", ignored);
    CPublishRequest request(
        {"1", "0", root, "preview.swf", "preview.html", "template.xml", "bundled", "yes"});
    request.purpose = PublishPurpose::Preview;
    std::string reply = kReplyOk;
    const JpegChoice choice = m_jpegChoice;
    m_jpegChoice = JpegChoice::Decline;
    const bool published =
        request.PrepareOutputFolder(reply, m_dialogs) && PublishProject(request, reply);
    m_jpegChoice = choice;
    if (!published)
        return reply;
    const std::string address = m_shell.BrowserAddressOf(request.outputFolder);
    m_shell.OpenUri(address + "html5/index.html");
    m_shell.OpenUri(address + request.pageName);
    return reply;
}

void CPublisher::OpenOutputFolder(const CPublishRequest& request) {
    OpenFolderIfDirectory(m_shell, m_window, request.outputFolder);
}

} // namespace pennoria
