// The publish pipeline as named steps.
#include "publish/Publisher.h"

#include "core/EditorPath.h"
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PictureHeader.h"
#include "platform/Raster.h"
#include "platform/Text.h"
#include "publish/FontMovie.h"
#include "publish/FontSubset.h"
#include "swf/SwfMovie.h"
#include "template/PageTemplate.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>

namespace pennoria {

const char* const kBundledPlayerVariable = "BundledPlayer";
const char* const kPlayerFetchVariable = "PlayerFetch";

namespace {

// How long a publish waits for another one writing the same folder.
constexpr std::chrono::milliseconds kPublishFolderWait{5000};

// The largest image a publish copies.
constexpr std::uint64_t kMaxImageBytes = std::uint64_t{512} << 20;

const char* const kComponentMovie = "res/template.swf";
const char* const kAuxPage = "fs_aux.html";
const char* const kSwfObjectScript = "swfobject.js";

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

// What the outputs depend on besides the project and its pictures: the running program and the
// installed files it publishes from, each by its size and time (a changed program or an updated
// movie, model or face makes every output again).
std::uint64_t ProgramStamp(const PublishSources& sources) {
    DigestMix mix;
    mix.Add("pennoria publish 1");
    auto add = [&mix](const std::filesystem::path& path) {
        std::error_code failed;
        const auto size = std::filesystem::file_size(path, failed);
        mix.Add(path.string()).Add(failed ? ~std::uint64_t{0} : size);
        const auto time = std::filesystem::last_write_time(path, failed);
        mix.Add(failed ? 0 : static_cast<std::uint64_t>(time.time_since_epoch().count()));
    };
    add(platform::GetModuleFileName());
    add(GetProgramFolder() + kBannerModelScript);
    for (const std::string* file :
         {&sources.themeMovie, &sources.componentMovie, &sources.swfObjectScript,
          &sources.mainPageTemplate, &sources.auxPageTemplate, &sources.creativeScript})
        add(*file);
    std::error_code failed;
    std::vector<std::filesystem::path> faces;
    for (const auto& entry : std::filesystem::directory_iterator(sources.fontFolder, failed))
        faces.push_back(entry.path());
    std::sort(faces.begin(), faces.end());
    for (const auto& face : faces)
        add(face);
    return mix.Value();
}

std::string FileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace

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
    return {
        base + "theme.swf",         base + "res/template.swf", base + "common/swfobject.js",
        pages + "index.htt",        pages + "fs_aux.htt",      programFolder + kPlayerFolderName,
        base + "html5/creative.js", programFolder + "fonts",   base + "userface.swf"};
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

bool ChosenSwfOutputs(const CPublishRequest& request, const CAppSettings& settings) {
    if (request.swf == "yes" || request.swf == "no")
        return request.swf == "yes";
    return settings.SwfOutputs != 0;
}

std::string ResolveImageSource(const std::string& image, const std::string& projectPath) {
    if (!IsAbsoluteEditorPath(image) && !projectPath.empty()) {
        const std::string project = platform::ToForwardSlashes(projectPath);
        const std::size_t cut = project.find_last_of('/');
        const std::string folder = cut == std::string::npos ? "." : project.substr(0, cut);
        const std::string besideProject = folder + "/" + platform::ToForwardSlashes(image);
        if (platform::PathExists(besideProject))
            return besideProject;
    }
    return platform::ToForwardSlashes(MakeEditorPath(image));
}

PictureFiles ReadablePictureFiles(const std::vector<std::string>& names,
                                  const std::string& projectPath) {
    PictureFiles pictures;
    for (const std::string& name : names) {
        const std::string resolved = platform::ResolvedPath(ResolveImageSource(name, projectPath));
        if (resolved.empty() || IsInSystemFolder(resolved))
            continue;
        PictureFile file{resolved};
        if (auto size = platform::ReadImageSize(resolved)) {
            file.width = size->width;
            file.height = size->height;
        }
        pictures[name] = std::move(file);
    }
    return pictures;
}

void ShowLaunchFailure(platform::IDialogs& dialogs, const std::string& shown,
                       const std::string& reason) {
    dialogs.ShowMessage(FormatAppString(IDS_LAUNCH_FAILED, {reason, shown}),
                        platform::MessageButtons::Ok, platform::MessageIcon::Error);
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
                       platform::IHostWindow& window, ProjectXmlSource projectXml,
                       std::function<std::string()> projectPath)
    : m_settings(settings), m_dialogs(dialogs), m_shell(shell), m_window(window),
      m_projectXml(std::move(projectXml)), m_projectPath(std::move(projectPath)) {}

PublishOutcome CPublisher::OnOutputProjectFiles(const std::vector<std::string>& arguments) {
    CPublishRequest request(arguments);
    PublishOutcome outcome = PublishOutcome::Published;
    if (!request.PrepareOutputFolder(outcome, m_dialogs))
        return outcome;
    outcome = PublishProject(request);
    if (outcome == PublishOutcome::Published)
        OpenOutputFolder(request);
    return outcome;
}

PublishOutcome CPublisher::PublishProject(const CPublishRequest& request) {
    PublishRun run(request);
    run.playerMode = ChosenPlayerMode(request, m_settings);
    run.writeCreative = ChosenHtml5Creative(request, m_settings);
    run.writeSwf = ChosenSwfOutputs(request, m_settings);
    m_lastCreative = CreativeReport();
    m_creatives.clear();
    m_overflows.clear();
    if (!run.writeCreative && !run.writeSwf) {
        ShowMessage(LoadAppString(IDS_PUBLISH_NOTHING_CHOSEN));
        return PublishOutcome::FileFailed;
    }
    // The settings are stored before anything is published, with the request's choices of
    // player and creative; a preview leaves them alone.
    if (request.purpose == PublishPurpose::Publish && m_settingsUpdate == SettingsUpdate::Store) {
        m_settings.PlayerMode = PlayerModeName(run.playerMode);
        m_settings.Html5Creative = run.writeCreative ? 1 : 0;
        m_settings.SwfOutputs = run.writeSwf ? 1 : 0;
        SaveAppSettings(m_settings);
    }

    run.sources = GetPublishSources(GetProgramFolder(), request.embedPages);
    run.programStamp = ProgramStamp(run.sources);
    if (!FetchProject(run))
        return PublishOutcome::ProjectUnavailable;

    // The checks come first; with more than one size, the steps marked for every size run
    // again for each size's sub-folder.
    using Step = bool (CPublisher::*)(PublishRun&);
    struct Stage {
        Step step;
        bool everySize;
    };
    static constexpr Stage kSteps[] = {
        {&CPublisher::ReadBannerSize, false},     {&CPublisher::PlanHostTexts, false},
        {&CPublisher::CheckTemplateImage, false}, {&CPublisher::CheckElementImages, false},
        {&CPublisher::MakeFontMovies, false},     {&CPublisher::OpenPublishFolder, false},
        {&CPublisher::WriteProjectXml, true},     {&CPublisher::WriteBannerMovie, true},
        {&CPublisher::WriteComponentMovie, true}, {&CPublisher::WriteFontMovies, true},
        {&CPublisher::WritePages, true},          {&CPublisher::CopySwfObjectScript, true},
        {&CPublisher::CopyTemplateImage, true},   {&CPublisher::CopyElementImages, true},
        {&CPublisher::WriteHostTexts, true},      {&CPublisher::CopyPlayer, false},
        {&CPublisher::WriteCreative, true},
    };
    // A run that stopped keeps what it wrote listed beside the earlier publish's files.
    auto stopped = [this, &run]() {
        if (run.folder) {
            run.folder->CommitStaged();
            UpdatePublishFolder(*run.folder, run.ledger, false);
        }
        ShowFailure(run.failure);
        return PublishOutcome::FileFailed;
    };
    // What the steps for every size wrote into the publish folder itself, but for its pages,
    // which find the player and script one level up from a size folder.
    std::vector<std::string> shared;
    BannerSize shownSize;
    for (std::size_t pass = 0; pass <= run.sizeFolders.size(); ++pass) {
        if (pass > 0 && !SelectSizeFolder(run, pass - 1))
            return stopped();
        if (pass > 0 && run.size == shownSize) {
            if (!WritePages(run) || !ShareShownSize(run, shared))
                return stopped();
            continue;
        }
        for (const Stage& stage : kSteps) {
            if (pass > 0 && !stage.everySize)
                continue;
            const std::size_t recorded = run.ledger.Files().size();
            if (!(this->*stage.step)(run))
                return stopped();
            if (pass == 0 && stage.everySize && stage.step != &CPublisher::WritePages)
                for (std::size_t i = recorded; i < run.ledger.Files().size(); ++i)
                    shared.push_back(run.ledger.Files()[i].path);
        }
        if (pass == 0)
            shownSize = run.size;
    }
    // Every file written goes in place, flushed together, before the manifest names them.
    platform::FileResult placed = run.folder->CommitStaged();
    if (!placed) {
        run.failure = placed.error;
        return stopped();
    }
    // The folder then holds what this project produces: what an earlier publish of ours wrote and
    // this one did not (a size taken out, a picture no longer used) goes, the user's files stay.
    const ManifestCleanup cleanup = UpdatePublishFolder(*run.folder, run.ledger, true);
    for (const std::string& removed : cleanup.removed)
        Report("removed " + removed + ", which the project no longer produces");
    for (const std::string& kept : cleanup.kept)
        Report("kept " + kept + ", changed since an earlier publish wrote it");
    // Published as drawn, but a text that does not fit its box is named with its size.
    m_overflows = run.plan.overflows;
    for (const PlanOverflow& overflow : run.plan.overflows)
        Report("the text of " + overflow.id + " does not fit its box at " +
               std::to_string(overflow.width) + "x" + std::to_string(overflow.height));
    return PublishOutcome::Published;
}

bool CPublisher::SelectSizeFolder(PublishRun& run, std::size_t index) {
    run.size = run.sizeFolders[index];
    const std::string name = std::to_string(run.size.width) + "x" + std::to_string(run.size.height);
    run.prefix = name + "/";
    platform::FileResult made = run.folder->EnsureFolder(name);
    if (!made) {
        run.failure = made.error;
        return false;
    }
    for (const char* written : {"", "/res", "/html5"})
        run.folder->RemoveStaleTemporaries(name + written);
    return true;
}

bool CPublisher::FetchProject(PublishRun& run) {
    std::string text;
    if (!m_projectXml || !m_projectXml(ProjectTextKind::PhotoEditor, text))
        return false;
    // The model reads the project once for the whole publish.
    std::string error;
    run.model = BannerModel::Shared(&error);
    std::optional<PublishPlan> plan;
    if (run.model)
        plan = run.model->Plan(text, &error);
    // A project that cannot be read, or only in part, is refused before anything in the
    // folder changes: it would leave an old publish's files beside new ones, or publish part
    // of the banner.
    if (plan && !plan->isProject)
        error = "it is not a project file (XML with a template element)";
    if (!plan || !plan->isProject) {
        ShowMessage(FormatAppString(IDS_PUBLISH_PROJECT_UNREADABLE, {error}));
        return false;
    }
    if (!plan->overLimits.empty()) {
        ShowMessage(FormatAppString(
            IDS_PUBLISH_PROJECT_UNREADABLE,
            {FormatAppString(IDS_PUBLISH_OVER_LIMITS, {DescribeLimits(plan->overLimits)})}));
        return false;
    }
    run.plan = std::move(*plan);
    run.fetchedText = std::move(text);
    return true;
}

bool CPublisher::ReadBannerSize(PublishRun& run) {
    const PlanSize& shown = run.plan.ShownSize();
    run.size = {ClampBannerSide(shown.width), ClampBannerSide(shown.height)};
    // A preview shows the first size only.
    if (run.plan.sizes.size() > 1 && run.request.purpose == PublishPurpose::Publish)
        for (const PlanSize& size : run.plan.sizes)
            run.sizeFolders.push_back({ClampBannerSide(size.width), ClampBannerSide(size.height)});
    return true;
}

bool CPublisher::PlanHostTexts(PublishRun& run) {
    // Only a banner with words in a system's script face has such texts.
    const bool scripts = std::any_of(run.plan.faces.begin(), run.plan.faces.end(),
                                     [](const PlanFace& face) { return face.system; });
    if (!run.writeSwf || !scripts)
        return true;
    std::vector<BannerSize> sizes = run.sizeFolders;
    sizes.push_back(run.size);
    for (const BannerSize& size : sizes) {
        auto& texts = run.hostTexts[{size.width, size.height}];
        if (!texts.empty())
            continue;
        std::string error;
        auto pictures = run.model->HostTexts(run.fetchedText, size.width, size.height, &error);
        if (!pictures) {
            run.failure = error;
            return false;
        }
        texts = std::move(*pictures);
        for (const HostTextPicture& picture : texts) {
            const std::string name = FileNameOf(picture.name);
            if (std::find(run.hostTextNames.begin(), run.hostTextNames.end(), name) ==
                run.hostTextNames.end())
                run.hostTextNames.push_back(name);
        }
    }
    return true;
}

bool CPublisher::WriteHostTexts(PublishRun& run) {
    auto texts = run.hostTexts.find({run.size.width, run.size.height});
    if (!run.writeSwf || texts == run.hostTexts.end() || texts->second.empty())
        return true;
    // Set in the faces the backup image uses: the program's, the user's, the system's.
    std::vector<std::string> userFonts;
    for (const PlanFont& font : run.plan.fonts)
        userFonts.push_back(FontFile(font));
    platform::UseFontFiles(run.sources.fontFolder, userFonts);
    if (!run.painter)
        run.painter = std::make_unique<platform::DisplayListPainter>();
    for (const HostTextPicture& picture : texts->second) {
        std::string error;
        auto png = run.painter->PaintPng(picture.list, &error);
        if (!png) {
            run.failure = "cannot draw " + picture.name + ": " + error;
            return false;
        }
        if (!WritePublished(run, picture.name, *png))
            return false;
    }
    return true;
}

bool CPublisher::CheckTemplateImage(PublishRun& run) {
    const std::string& name = run.plan.image;
    // An empty img is a banner without a background picture: nothing to copy or rename.
    if (name.find_first_not_of(" \t\r\n") == std::string::npos)
        return true;
    const std::string source =
        ResolveImageSource(name, m_projectPath ? m_projectPath() : std::string());
    std::string bytes;
    ImageKind kind = ImageKind::NotAnImage;
    if (!ReadPicture(run, source, kMaxImageBytes, bytes, kind))
        return false;
    std::string reference = name;
    ToResourcePath(reference);
    // The copy never takes the name of another published file, nor one a web server would
    // serve as anything but a picture.
    std::vector<std::string> taken = {FileNameOf(kComponentMovie)};
    taken.insert(taken.end(), run.hostTextNames.begin(), run.hostTextNames.end());
    run.imageReference =
        "res/" + PublishedImageName(FileNameOf(platform::ToForwardSlashes(reference)), kind, taken);
    run.imageData = std::move(bytes);
    run.imageDigest = ContentDigest(run.imageData);
    run.imageSource = platform::ResolvedPath(source);
    run.pictureReferences[name] = run.imageReference;
    MeasurePicture(run, name, source);
    return true;
}

void CPublisher::MeasurePicture(PublishRun& run, const std::string& name,
                                const std::string& source) {
    PictureFile file{source};
    if (auto size = platform::ReadImageSize(source)) {
        file.width = size->width;
        file.height = size->height;
    }
    run.pictureFiles[name] = std::move(file);
}

bool CPublisher::ReadPicture(PublishRun& run, const std::string& source, std::uint64_t limit,
                             std::string& bytes, ImageKind& kind) {
    // Only an ordinary file holding a picture the banner can show is published: never a key,
    // a system file or a device that a project someone else wrote might name.
    const std::string resolved = platform::ResolvedPath(source);
    if (!resolved.empty() && IsInSystemFolder(resolved)) {
        run.failure = FormatAppString(IDS_PUBLISH_IMAGE_NOT_FILE, {source});
        return false;
    }
    std::string error;
    auto read = platform::ReadWholeFile(source, &error, limit);
    if (!read) {
        run.failure = FormatAppString(IDS_PUBLISH_IMAGE_UNREADABLE, {source, error});
        return false;
    }
    kind = DetectImageKind(*read);
    const auto header = platform::ReadPictureHeader(*read);
    if (kind == ImageKind::NotAnImage || !header) {
        run.failure = FormatAppString(IDS_PUBLISH_IMAGE_NOT_PICTURE, {source});
        return false;
    }
    // Its size comes from its header, before anything decodes it: a picture of a few kilobytes
    // may decode to gigabytes.
    if (!platform::WithinPictureBudget(header->width, header->height)) {
        run.failure = FormatAppString(IDS_PUBLISH_IMAGE_TOO_LARGE,
                                      {source, platform::DescribePictureSize(*header)});
        return false;
    }
    bytes = std::move(*read);
    return true;
}

bool CPublisher::CheckElementImages(PublishRun& run) {
    const std::string projectPath = m_projectPath ? m_projectPath() : std::string();
    std::vector<std::string> taken = {FileNameOf(kComponentMovie)};
    taken.insert(taken.end(), run.hostTextNames.begin(), run.hostTextNames.end());
    if (!run.imageData.empty())
        taken.push_back(FileNameOf(run.imageReference));
    // Every picture counts against one budget, as the background alone does.
    std::uint64_t budget = kMaxImageBytes;
    for (const std::string& name : run.plan.pictures) {
        if (run.pictureReferences.count(name))
            continue;
        const std::string source = ResolveImageSource(name, projectPath);
        const std::string resolved = platform::ResolvedPath(source);
        // One file named twice, or the background's, is published once.
        std::string reference;
        if (!resolved.empty() && resolved == run.imageSource)
            reference = run.imageReference;
        for (const PublishedPicture& picture : run.pictures)
            if (!resolved.empty() && picture.source == resolved)
                reference = picture.reference;
        if (reference.empty()) {
            PublishedPicture picture;
            ImageKind kind = ImageKind::NotAnImage;
            if (!ReadPicture(run, source, budget, picture.data, kind))
                return false;
            budget -= picture.data.size();
            picture.digest = ContentDigest(picture.data);
            std::string copy = name;
            ToResourcePath(copy);
            copy = PublishedImageName(FileNameOf(platform::ToForwardSlashes(copy)), kind, taken);
            taken.push_back(copy);
            picture.source = resolved;
            picture.reference = reference = "res/" + copy;
            run.pictures.push_back(std::move(picture));
        }
        run.pictureReferences[name] = reference;
        MeasurePicture(run, name, source);
    }
    return true;
}

std::string CPublisher::FontFile(const PlanFont& font) const {
    return platform::ResolvedPath(
        ResolveImageSource(font.src, m_projectPath ? m_projectPath() : std::string()));
}

bool CPublisher::MakeFontMovies(PublishRun& run) {
    if (!run.writeSwf || run.plan.fonts.empty())
        return true;
    std::optional<std::string> movieTemplate;
    int number = 0;
    for (const PlanFont& font : run.plan.fonts) {
        // Only a face the texts use travels, with the glyphs of their characters.
        std::string text;
        bool used = false;
        for (const PlanFace& face : run.plan.faces)
            if (face.family == font.family) {
                text += face.text;
                used = true;
            }
        if (!used)
            continue;
        const std::string file = FontFile(font);
        // A face whose file is missing is drawn with the player's own font, as the creative
        // and the backup image draw it with theirs.
        auto bytes =
            file.empty() ? std::nullopt : platform::ReadWholeFile(file, nullptr, kMaxUserFontBytes);
        if (!bytes)
            continue;
        std::string error;
        if (!movieTemplate)
            movieTemplate = platform::ReadWholeFile(run.sources.userFaceMovie, &error);
        if (!movieTemplate) {
            run.failure =
                FormatAppString(IDS_PUBLISH_CANNOT_READ, {run.sources.userFaceMovie, error});
            return false;
        }
        auto movie = MakeFontMovie(*movieTemplate, *bytes, font.family, text, &error);
        if (!movie)
            continue;
        const std::string reference = "res/font-" + std::to_string(++number) + ".swf";
        run.pictureReferences[font.src] = reference;
        run.fontMovies.emplace_back(reference, std::move(*movie));
    }
    return true;
}

bool CPublisher::WriteFontMovies(PublishRun& run) {
    if (!run.writeSwf)
        return true;
    for (const auto& [reference, bytes] : run.fontMovies)
        if (!WritePublished(run, reference, bytes))
            return false;
    return true;
}

bool CPublisher::OpenPublishFolder(PublishRun& run) {
    // The folder the user chose may be reached through links; below it, nothing is.
    std::string folder = run.request.outputFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::size_t cut = folder.find_last_of('/');
    const std::string parent = cut == std::string::npos ? "." : folder.substr(0, cut);
    const std::string base = cut == std::string::npos ? folder : folder.substr(cut + 1);
    std::string error;
    auto chosen = platform::ConfinedFolder::Open(parent.empty() ? "/" : parent, &error);
    if (chosen)
        run.folder = chosen->OpenChild(base, &error);
    if (!run.folder) {
        run.failure = error;
        return false;
    }
    // One publish at a time writes a folder: another one's cleanup never meets our temporaries,
    // and the folder never ends with files of two publishes.
    bool busy = false;
    run.lock = run.folder->Lock(kPublishFolderWait, &busy, &error);
    if (!run.lock) {
        run.failure = busy ? FormatAppString(IDS_PUBLISH_FOLDER_BUSY, {run.folder->Path()}) : error;
        return false;
    }
    // What an interrupted publish left behind would otherwise be uploaded with the rest.
    for (const char* written : {"", "res", "html5", kPlayerFolderName})
        run.folder->RemoveStaleTemporaries(written);
    run.earlier = ReadFolderManifest(*run.folder);
    // Files wait under temporary names until the end of the run, which flushes them together.
    run.folder->BeginStaging();
    return true;
}

bool CPublisher::WriteProjectXml(PublishRun& run) {
    DigestMix source;
    source.Add("project").Add(run.programStamp).Add(run.fetchedText);
    source.Add(static_cast<std::uint64_t>(run.size.width))
        .Add(static_cast<std::uint64_t>(run.size.height));
    for (const auto& [name, reference] : run.pictureReferences)
        source.Add(name).Add(reference);
    if (ReusePublished(run, run.request.xmlName, source.Value()))
        return true;
    // The size's own places, each picture under its published name.
    std::string error;
    auto text = run.model->PublishText(run.fetchedText, run.size.width, run.size.height,
                                       run.pictureReferences, kComponentMovie, &error);
    if (!text) {
        run.failure = error;
        return false;
    }
    run.projectText = std::move(*text);
    return WritePublished(run, run.request.xmlName, run.projectText, source.Value());
}

bool CPublisher::WriteBannerMovie(PublishRun& run) {
    if (!run.writeSwf)
        return true;
    const std::uint64_t source = DigestMix()
                                     .Add("movie")
                                     .Add(run.programStamp)
                                     .Add(static_cast<std::uint64_t>(run.size.width))
                                     .Add(static_cast<std::uint64_t>(run.size.height))
                                     .Value();
    if (ReusePublished(run, run.request.swfName, source))
        return true;
    std::string error;
    auto bytes = platform::ReadWholeFile(run.sources.themeMovie, &error);
    if (!bytes) {
        run.failure = FormatAppString(IDS_PUBLISH_CANNOT_READ, {run.sources.themeMovie, error});
        return false;
    }
    // At the default size the banner movie is an exact copy.
    if (!run.size.IsDefault()) {
        SWFMovie movie(static_cast<std::ostream*>(nullptr));
        std::string resized;
        if (!movie.LoadFromData(std::move(*bytes)) ||
            !movie.SetStageSize(run.size.width, run.size.height) || !movie.SaveToData(resized)) {
            run.failure = FormatAppString(IDS_PUBLISH_CANNOT_RESIZE,
                                          {run.sources.themeMovie, movie.LoadError().empty()
                                                                       ? movie.SaveError()
                                                                       : movie.LoadError()});
            return false;
        }
        bytes = std::move(resized);
    }
    return WritePublished(run, run.request.swfName, *bytes, source);
}

bool CPublisher::WriteComponentMovie(PublishRun& run) {
    if (!run.writeSwf)
        return true;
    // The same bytes at every size: a size folder gets second names of the publish folder's
    // copies, made once per publish.
    auto place = [&run, this](const std::string& source, const std::string& relativePath) {
        const PublishedFileRecord* there = run.ledger.Find(relativePath);
        if (run.prefix.empty() || !there)
            return CopyInstalled(run, source, relativePath);
        const PublishedFileRecord record = *there;
        const std::string path = run.prefix + relativePath;
        platform::FileResult linked = run.folder->ShareFile(relativePath, path);
        if (!linked) {
            run.failure = linked.error;
            return false;
        }
        run.written.push_back(path);
        run.ledger.RecordDigest(path, record.digest, record.source);
        return true;
    };
    if (!place(run.sources.componentMovie, kComponentMovie))
        return false;
    // Beside it, the movie of each face the banner's texts use, which it loads before drawing.
    const std::string installed =
        run.sources.componentMovie.substr(0, run.sources.componentMovie.find_last_of('/') + 1);
    const std::string published = kComponentMovie;
    const std::string folder = published.substr(0, published.find_last_of('/') + 1);
    for (const std::string& face : run.plan.faceMovies)
        if (!place(installed + face + ".swf", folder + face + ".swf"))
            return false;
    return true;
}

bool CPublisher::WritePages(PublishRun& run) {
    if (!run.request.writePages || !run.writeSwf)
        return true;
    CPageTemplate page(run.request.swfName, run.size.width, run.size.height);
    // A size's sub-folder uses the one player beside the publish folder's pages.
    const std::string up = run.prefix.empty() ? "" : "../";
    const std::string player = run.request.sharedPlayer.empty()
                                   ? std::string(kPlayerFolderName) + "/"
                                   : run.request.sharedPlayer;
    const bool bundled = run.playerMode == PlayerMode::Bundled;
    page.Variables().Set(kBundledPlayerVariable,
                         bundled ? up + player + "ruffle.js" : std::string());
    page.Variables().Set(kPlayerFetchVariable,
                         bundled ? up + player + "wasm-fetch.js" : std::string());
    const std::pair<const std::string*, std::string> pages[] = {
        {&run.sources.mainPageTemplate, run.request.pageName},
        {&run.sources.auxPageTemplate, kAuxPage}};
    for (const auto& [templatePath, pageName] : pages) {
        std::string error;
        auto text =
            page.RenderPage(*templatePath, run.folder->Path() + run.prefix + pageName, &error);
        if (!text) {
            run.failure = error;
            return false;
        }
        if (!WritePublished(run, pageName, *text))
            return false;
    }
    return true;
}

bool CPublisher::CopySwfObjectScript(PublishRun& run) {
    if (!run.request.writePages || run.request.embedPages || !run.writeSwf)
        return true;
    return CopyInstalled(run, run.sources.swfObjectScript, kSwfObjectScript);
}

bool CPublisher::CopyTemplateImage(PublishRun& run) {
    if (run.imageData.empty())
        return true;
    return WritePicture(run, run.imageReference, run.imageSource, run.imageData, run.imageDigest);
}

bool CPublisher::CopyElementImages(PublishRun& run) {
    for (const PublishedPicture& picture : run.pictures)
        if (!WritePicture(run, picture.reference, picture.source, picture.data, picture.digest))
            return false;
    return true;
}

bool CPublisher::WritePicture(PublishRun& run, const std::string& reference,
                              const std::string& source, const std::string& bytes,
                              std::uint64_t digest) {
    const auto header = platform::ReadPictureHeader(bytes);
    if (!header || header->format == platform::PictureFormat::Gif || source.empty())
        return WritePublished(run, reference, bytes);
    // The boxes it is drawn in at this size: the banner for the background, its elements' boxes.
    std::vector<PictureDraw> draws;
    if (reference == run.imageReference)
        draws.push_back(
            {static_cast<double>(run.size.width), static_cast<double>(run.size.height)});
    std::size_t sizeIndex = run.plan.shown;
    for (std::size_t i = 0; i < run.plan.sizes.size(); ++i)
        if (run.plan.sizes[i].width == run.size.width &&
            run.plan.sizes[i].height == run.size.height)
            sizeIndex = i;
    for (const PlanElement& element : run.plan.elements) {
        auto named = run.pictureReferences.find(element.picture);
        if (element.picture.empty() || named == run.pictureReferences.end() ||
            named->second != reference || sizeIndex >= element.boxes.size())
            continue;
        draws.push_back({element.boxes[sizeIndex].width, element.boxes[sizeIndex].height});
    }
    const platform::ImageSize upright{static_cast<int>(platform::UprightWidth(*header)),
                                      static_cast<int>(platform::UprightHeight(*header))};
    const platform::ImageSize target = PublishedPictureSize(upright, draws);
    if (target.width == upright.width && target.height == upright.height)
        return WritePublished(run, reference, bytes);
    const std::uint64_t made = DigestMix()
                                   .Add("picture")
                                   .Add(run.programStamp)
                                   .Add(digest)
                                   .Add(static_cast<std::uint64_t>(target.width))
                                   .Add(static_cast<std::uint64_t>(target.height))
                                   .Value();
    if (ReusePublished(run, reference, made))
        return true;
    const std::string key =
        std::to_string(target.width) + "x" + std::to_string(target.height) + " " + source;
    auto done = run.scaled.find(key);
    if (done == run.scaled.end()) {
        auto decoded = run.decoded.find(source);
        if (decoded == run.decoded.end()) {
            auto loaded = platform::DecodedPicture::Load(source);
            if (!loaded)
                return WritePublished(run, reference, bytes);
            decoded = run.decoded.emplace(source, std::move(*loaded)).first;
        }
        std::string smaller = bytes;
        if (auto scaled = decoded->second.Scaled(target.width, target.height)) {
            // The same format: a PNG keeps its transparency, a JPEG stays a photograph.
            auto encoded =
                header->format == platform::PictureFormat::Png ? scaled->Png() : scaled->Jpeg(92);
            if (encoded && encoded->size() < bytes.size())
                smaller = std::move(*encoded);
        }
        done = run.scaled.emplace(key, std::move(smaller)).first;
        if (done->second.size() < bytes.size())
            Report(run.prefix + reference + ": " + std::to_string(upright.width) + " x " +
                   std::to_string(upright.height) + " published at " +
                   std::to_string(target.width) + " x " + std::to_string(target.height) +
                   ", twice the largest it is drawn at");
    }
    return WritePublished(run, reference, done->second, made);
}

namespace {

std::string DescribeJpegOffer(const JpegOffer& offer) {
    return FormatAppString(IDS_PUBLISH_JPEG_OFFER,
                           {Kilobytes(offer.zipBytes), Kilobytes(kCreativeSizeLimit),
                            std::to_string(offer.quality), Kilobytes(offer.reencodedZipBytes)});
}

} // namespace

namespace {

// A size's folder names its zip after the size too, so that zips collected from several folders
// never take each other's place.
std::string SizeFolderZipName(const std::string& baseName, const std::string& prefix) {
    return baseName + "_" + prefix.substr(0, prefix.size() - 1) + "_html5.zip";
}

} // namespace

bool CPublisher::ShareShownSize(PublishRun& run, const std::vector<std::string>& shared) {
    const CreativeReport* creative = run.writeCreative ? &m_lastCreative : nullptr;
    const std::string zipName = SizeFolderZipName(PublishBaseName(run.request.swfName), run.prefix);
    for (const std::string& path : shared) {
        const PublishedFileRecord* record = run.ledger.Find(path);
        if (!record)
            continue;
        const PublishedFileRecord copy = *record;
        const std::string target =
            run.prefix + (creative && path == creative->zipPath ? zipName : path);
        platform::FileResult linked = run.folder->ShareFile(path, target);
        if (!linked) {
            run.failure = linked.error;
            return false;
        }
        run.written.push_back(target);
        run.ledger.RecordDigest(target, copy.digest, copy.source);
    }
    if (creative) {
        CreativeReport same = *creative;
        same.zipPath = run.prefix + zipName;
        same.backupPath = run.prefix + creative->backupPath;
        m_creatives.push_back(same);
        Report(DescribeCreativeSize(same));
    }
    return true;
}

bool CPublisher::CopyPlayer(PublishRun& run) {
    if (run.playerMode != PlayerMode::Bundled || !run.request.sharedPlayer.empty() || !run.writeSwf)
        return true;
    PlayerCopyResult copied =
        CopyPlayerFiles(run.sources.playerFolder, run.folder->Path() + kPlayerFolderName);
    if (!copied.result) {
        run.failure = copied.result.error;
        return false;
    }
    // The player's files are ours too: pages that no longer use it let it go. Each copy holds
    // the installed file's bytes, so the installed file is digested, in pieces: the player is
    // tens of megabytes, and reading the copy back whole cost a sixth of a small publish. A copy
    // left in place (same size and time as the installed file) keeps the digest recorded for it.
    for (const std::string& file : copied.files) {
        const std::string name = std::string(kPlayerFolderName) + "/" + file;
        const PublishedFileRecord* earlier = run.earlier.Find(name);
        if (copied.keptNames.count(file) && earlier) {
            run.ledger.RecordDigest(name, earlier->digest);
            continue;
        }
        if (auto digest = FileContentDigest(run.sources.playerFolder + "/" + file))
            run.ledger.RecordDigest(name, *digest);
    }
    return true;
}

bool CPublisher::WriteCreative(PublishRun& run) {
    if (!run.writeCreative)
        return true;
    // What the creative is made from: the project at this size, its pictures as published here
    // and as drawn in the backup image, and the answer about the JPEG.
    DigestMix made;
    made.Add("creative").Add(run.programStamp).Add(run.fetchedText).Add(run.request.swfName);
    made.Add(static_cast<std::uint64_t>(run.size.width))
        .Add(static_cast<std::uint64_t>(run.size.height));
    auto addPublished = [&made, &run](const std::string& reference) {
        const PublishedFileRecord* record = run.ledger.Find(run.prefix + reference);
        made.Add(reference).Add(record ? record->digest : 0);
    };
    if (!run.imageData.empty())
        addPublished(run.imageReference);
    made.Add(run.imageDigest);
    for (const auto& [name, reference] : run.pictureReferences) {
        made.Add(name);
        addPublished(reference);
    }
    for (const PublishedPicture& picture : run.pictures)
        made.Add(picture.source).Add(picture.digest);
    for (const auto& [name, file] : run.pictureFiles)
        made.Add(name)
            .Add(file.path)
            .Add(static_cast<std::uint64_t>(file.width))
            .Add(static_cast<std::uint64_t>(file.height));
    // Asked once per publish: a later size follows the answer given for the first.
    made.Add(static_cast<std::uint64_t>(m_jpegChoice));
    if (m_jpegChoice == JpegChoice::Ask)
        made.Add(run.jpegAnswer ? 1 + static_cast<std::uint64_t>(*run.jpegAnswer) : 0);
    CreativeReport reused;
    if (ReuseCreative(run, made.Value(), reused))
        return CreativeWritten(run, reused);

    std::string error;
    auto script = platform::ReadWholeFile(run.sources.creativeScript, &error);
    if (!script) {
        run.failure = "cannot read " + run.sources.creativeScript + ": " + error;
        return false;
    }
    const platform::ConfinedFolder& folder = *run.folder;
    const std::string prefix = run.prefix;
    CreativeInput input;
    input.model = run.model;
    input.projectXml = run.fetchedText;
    input.plan = &run.plan;
    input.width = run.size.width;
    input.height = run.size.height;
    input.pictures = run.pictureFiles;
    if (!run.imageData.empty()) {
        input.imagePath = folder.ReadablePath(prefix + run.imageReference);
        input.imageName = FileNameOf(run.imageReference);
    }
    input.creativeScript = std::move(*script);
    input.baseName = PublishBaseName(run.request.swfName);
    if (!prefix.empty())
        input.zipName = SizeFolderZipName(input.baseName, prefix);
    PublishLedger& ledger = run.ledger;
    input.write = [this, &run, &folder, &prefix, &ledger](const std::string& relativePath,
                                                          std::string_view data) {
        const std::uint64_t digest = ContentDigest(data);
        platform::FileResult written = platform::FileResult::Success();
        if (!StillAsPublished(run, prefix + relativePath, digest))
            written = folder.WriteFile(prefix + relativePath, data);
        if (written)
            ledger.RecordDigest(prefix + relativePath, digest);
        return written;
    };
    input.remove = [&folder, &prefix](const std::string& relativePath) {
        folder.RemoveFile(prefix + relativePath);
    };
    input.list = [&folder, &prefix](const std::string& relativeFolder) {
        std::vector<std::string> names;
        std::error_code failed;
        for (const auto& entry :
             std::filesystem::directory_iterator(folder.Path() + prefix + relativeFolder, failed))
            if (entry.is_regular_file(failed) && !entry.is_symlink(failed) &&
                !platform::IsTemporaryFileName(entry.path().filename().string()))
                names.push_back(entry.path().filename().string());
        return names;
    };
    for (const auto& [name, reference] : run.pictureReferences)
        input.elementImages[name] = folder.ReadablePath(prefix + reference);
    input.fontFolder = run.sources.fontFolder;
    for (const PlanFont& font : run.plan.fonts)
        input.userFonts[font.family] = FontFile(font);
    if (!run.painter)
        run.painter = std::make_unique<platform::DisplayListPainter>();
    input.painter = run.painter.get();
    JpegOfferHandler offer = [this, &run](const JpegOffer& jpeg) {
        if (run.jpegAnswer)
            return *run.jpegAnswer;
        OfferAnswer answer = OfferAnswer::Decline;
        if (m_jpegChoice != JpegChoice::Ask) {
            answer =
                m_jpegChoice == JpegChoice::Accept ? OfferAnswer::Accept : OfferAnswer::Decline;
        } else {
            const platform::MessageAnswer asked = m_dialogs.ShowTitledMessage(
                LoadAppString(IDS_PUBLISH_TITLE), DescribeJpegOffer(jpeg),
                platform::MessageButtons::YesNo, platform::MessageIcon::Question);
            answer =
                asked == platform::MessageAnswer::Yes ? OfferAnswer::Accept : OfferAnswer::Decline;
        }
        run.jpegAnswer = answer;
        return answer;
    };
    CreativeReport creative = WriteHtml5Creative(input, offer);
    if (creative.result)
        NoteCreative(run, made.Value(), creative);
    return CreativeWritten(run, creative);
}

bool CPublisher::CreativeWritten(PublishRun& run, CreativeReport creative) {
    const std::string& prefix = run.prefix;
    creative.zipPath = prefix + creative.zipPath;
    creative.backupPath = prefix + creative.backupPath;
    if (prefix.empty())
        m_lastCreative = creative;
    m_creatives.push_back(creative);
    if (!creative.result) {
        run.failure = creative.result.error;
        return false;
    }
    for (const std::string& name : creative.files)
        run.written.push_back(prefix + "html5/" + name);
    Report(DescribeCreativeSize(creative));
    // Over the limit with no re-encode that fits (one that fits was just offered); said once.
    if (prefix.empty() && creative.overLimit && creative.offeredQuality == 0 &&
        m_jpegChoice == JpegChoice::Ask)
        m_dialogs.ShowTitledMessage(
            LoadAppString(IDS_PUBLISH_TITLE),
            FormatAppString(IDS_PUBLISH_CREATIVE_TOO_LARGE,
                            {Kilobytes(creative.zipBytes), Kilobytes(kCreativeSizeLimit)}),
            platform::MessageButtons::Ok, platform::MessageIcon::Warning);
    return true;
}

void CPublisher::Report(const std::string& line) {
    platform::DebugOutput("publish: " + line);
    if (m_report)
        m_report(line);
}

PublishOutcome CPublisher::PreviewInBrowser() {
    const std::string root = platform::GetPreviewFolder();
    if (root.empty())
        return PublishOutcome::FolderNotCreated;
    // The last preview goes first, so no question about an existing folder is asked.
    std::error_code ignored;
    std::filesystem::remove_all(root + "/preview", ignored);
    CPublishRequest request(
        {"1", "0", root, "preview.swf", "preview.html", "template.xml", "bundled", "yes", "yes"});
    request.purpose = PublishPurpose::Preview;
    PublishOutcome outcome = PublishOutcome::Published;
    if (!request.PrepareOutputFolder(outcome, m_dialogs))
        return outcome;
    const JpegChoice choice = m_jpegChoice;
    m_jpegChoice = JpegChoice::Decline;
    outcome = PublishProject(request);
    m_jpegChoice = choice;
    if (outcome != PublishOutcome::Published)
        return outcome;
    const std::string address = m_shell.BrowserAddressOf(request.outputFolder);
    for (const std::string& page : {address + "html5/index.html", address + request.pageName})
        if (!m_shell.OpenUri(page))
            ShowLaunchFailure(m_dialogs, page, LoadAppString(IDS_LAUNCH_NOT_TAKEN));
    return outcome;
}

bool CPublisher::WritePublished(PublishRun& run, const std::string& relativePath,
                                std::string_view data, std::uint64_t source) {
    const std::string path = run.prefix + relativePath;
    const std::uint64_t digest = ContentDigest(data);
    if (!StillAsPublished(run, path, digest)) {
        platform::FileResult written = run.folder->WriteFile(path, data);
        if (!written) {
            run.failure = written.error;
            return false;
        }
    }
    run.written.push_back(path);
    run.ledger.RecordDigest(path, digest, source);
    return true;
}

bool CPublisher::StillAsPublished(const PublishRun& run, const std::string& relativePath,
                                  std::uint64_t digest) const {
    const PublishedFileRecord* earlier = run.earlier.Find(relativePath);
    if (!earlier || earlier->digest != digest)
        return false;
    // Changed or replaced since (by the user, or another program): written again.
    auto bytes = run.folder->ReadFile(relativePath, kMaxImageBytes);
    return bytes && ContentDigest(*bytes) == digest;
}

bool CPublisher::ReusePublished(PublishRun& run, const std::string& relativePath,
                                std::uint64_t source) {
    const std::string path = run.prefix + relativePath;
    const PublishedFileRecord* earlier = run.earlier.Find(path);
    if (!earlier || earlier->source != source || !StillAsPublished(run, path, earlier->digest))
        return false;
    run.written.push_back(path);
    run.ledger.RecordDigest(path, earlier->digest, source);
    return true;
}

namespace {

// The note on a size's creative: "creative:" and the size's folder ("" for the publish folder).
std::string CreativeNoteName(const std::string& prefix) {
    return "creative:" + prefix;
}

std::vector<std::string> CreativePaths(const std::string& prefix, const CreativeReport& report) {
    std::vector<std::string> paths;
    for (const std::string& name : report.files)
        paths.push_back(prefix + "html5/" + name);
    paths.push_back(prefix + report.zipPath);
    paths.push_back(prefix + report.backupPath);
    return paths;
}

} // namespace

void CPublisher::NoteCreative(PublishRun& run, std::uint64_t source, const CreativeReport& report) {
    // What it was made from, its files with their digests, and what its report said.
    DigestMix files;
    for (const std::string& path : CreativePaths(run.prefix, report)) {
        const PublishedFileRecord* record = run.ledger.Find(path);
        files.Add(path).Add(record ? record->digest : 0);
    }
    std::ostringstream note;
    note << std::hex << source << ' ' << files.Value() << std::dec << ' ' << report.zipBytes << ' '
         << report.jpegQuality << ' ' << report.offeredQuality << ' ' << report.picturesLeftOut
         << ' ' << report.zipPath << ' ' << report.backupPath;
    for (const std::string& name : report.files)
        note << ' ' << name;
    run.ledger.Note(CreativeNoteName(run.prefix), note.str());
}

bool CPublisher::ReuseCreative(PublishRun& run, std::uint64_t source, CreativeReport& report) {
    auto found = run.earlier.Notes().find(CreativeNoteName(run.prefix));
    if (found == run.earlier.Notes().end())
        return false;
    std::istringstream note(found->second);
    std::uint64_t noted = 0, files = 0;
    CreativeReport earlier;
    note >> std::hex >> noted >> files >> std::dec >> earlier.zipBytes >> earlier.jpegQuality >>
        earlier.offeredQuality >> earlier.picturesLeftOut >> earlier.zipPath >> earlier.backupPath;
    if (!note || noted != source)
        return false;
    // A question the user would be asked again is asked again.
    if (earlier.offeredQuality > 0 && m_jpegChoice == JpegChoice::Ask)
        return false;
    for (std::string name; note >> name;)
        earlier.files.push_back(name);
    DigestMix check;
    const std::vector<std::string> paths = CreativePaths(run.prefix, earlier);
    for (const std::string& path : paths) {
        const PublishedFileRecord* record = run.earlier.Find(path);
        if (!record || !StillAsPublished(run, path, record->digest))
            return false;
        check.Add(path).Add(record->digest);
    }
    if (check.Value() != files)
        return false;
    for (const std::string& path : paths) {
        const PublishedFileRecord* record = run.earlier.Find(path);
        run.ledger.RecordDigest(path, record->digest, record->source);
    }
    run.ledger.Note(found->first, found->second);
    earlier.overLimit = earlier.zipBytes > kCreativeSizeLimit;
    report = std::move(earlier);
    return true;
}

bool CPublisher::CopyInstalled(PublishRun& run, const std::string& source,
                               const std::string& relativePath) {
    std::string error;
    auto bytes = platform::ReadWholeFile(source, &error);
    if (!bytes) {
        run.failure = FormatAppString(IDS_PUBLISH_CANNOT_READ, {source, error});
        return false;
    }
    return WritePublished(run, relativePath, *bytes);
}

void CPublisher::ShowFailure(const std::string& text) {
    ShowMessage(FormatAppString(IDS_PUBLISH_STOPPED, {text}));
}

void CPublisher::ShowMessage(const std::string& text) {
    platform::DebugOutput("publish: " + text);
    m_dialogs.ShowTitledMessage(LoadAppString(IDS_PUBLISH_TITLE), text,
                                platform::MessageButtons::Ok, platform::MessageIcon::Error);
}

void CPublisher::OpenOutputFolder(const CPublishRequest& request) {
    OpenFolderIfDirectory(m_shell, m_window, request.outputFolder);
}

} // namespace pennoria
