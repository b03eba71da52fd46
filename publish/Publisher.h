// The publish pipeline: the project XML edited for local resources, the banner movie resized,
// the component movie, the web pages, the custom template image, the player beside the pages,
// the HTML5 creative with its zip and backup image, and the folder opened.
#pragma once

#include "core/AppSettings.h"
#include "platform/ConfinedFolder.h"
#include "platform/Dialogs.h"
#include "platform/HostWindow.h"
#include "platform/Shell.h"
#include "project/BannerModel.h"
#include "project/BannerSize.h"
#include "project/ProjectFiles.h"
#include "publish/Html5Creative.h"
#include "publish/PlayerBundle.h"
#include "publish/PublishImage.h"
#include "publish/PublishManifest.h"
#include "publish/PublishRequest.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pennoria {

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
    std::string fontFolder;     // fonts/ (the shipped TrueType faces)
    std::string userFaceMovie;  // editor/templateEditor/userface.swf (the face movies' template)
};
PublishSources GetPublishSources(const std::string& programFolder, bool embedPages);

// The full path of the project's image: an absolute one as it is; a relative one below the
// project file's folder when a project path is known and the file is there, else below the
// program folder's "editor/". Backslashes count as separators.
std::string ResolveImageSource(const std::string& image, const std::string& projectPath);

// The named pictures as the painter finds them: each file, resolved as above, with its natural
// size. A name whose file is missing or in a system folder is left out, as the painter leaves out
// any picture without a readable file.
PictureFiles ReadablePictureFiles(const std::vector<std::string>& names,
                                  const std::string& projectPath);

// The page variable naming the bundled player's script ("ruffle/ruffle.js"); empty when the
// pages get no player.
extern const char* const kBundledPlayerVariable; // "BundledPlayer"
// The page variable naming the script loaded just before it, which unpacks the player's
// compressed WebAssembly ("ruffle/wasm-fetch.js"); empty when the player is not bundled.
extern const char* const kPlayerFetchVariable; // "PlayerFetch"

// How a publish answers the offer to re-encode the creative's image as JPEG.
enum class JpegChoice { Ask, Accept, Decline };

// Whether a publish stores its choices of player and creative as the desktop program's
// settings (the editor's publishes do; the command line's apply to their run only).
enum class SettingsUpdate { Store, Leave };

// The publish choices beside the request's modes: the stored settings unless the request
// names them.
PlayerMode ChosenPlayerMode(const CPublishRequest& request, const CAppSettings& settings);
bool ChosenHtml5Creative(const CPublishRequest& request, const CAppSettings& settings);
bool ChosenSwfOutputs(const CPublishRequest& request, const CAppSettings& settings);

// The published files' names inside the publish folder, relative, as written so far.
using PublishedFiles = std::vector<std::string>;

// A picture of the project checked for publishing: its bytes and the name it is published as.
struct PublishedPicture {
    std::string source;    // the resolved file
    std::string reference; // "res/" + the copy's name
    std::string data;
    std::uint64_t digest = 0; // of data
};

// What one run carries from step to step.
struct PublishRun {
    explicit PublishRun(const CPublishRequest& publishRequest) : request(publishRequest) {}

    const CPublishRequest& request;
    PublishSources sources;
    std::optional<platform::ConfinedFolder> folder; // the publish folder, once opened
    std::optional<platform::FolderLock> lock;       // held from the opening to the end
    std::string fetchedText;                        // the project as the editor handed it over
    BannerModel* model = nullptr;
    PublishPlan plan;          // what the model reads in it, once per publish
    BannerSize size;           // the size being written
    PictureFiles pictureFiles; // every picture the banner draws: its file and natural size
    // Every size of a project with more than one, each written again into its own sub-folder.
    std::vector<BannerSize> sizeFolders;
    std::string prefix;                     // "" for the publish folder itself, else "<W>x<H>/"
    std::string imageSource;                // the background image's resolved file
    std::vector<PublishedPicture> pictures; // the element pictures, each file once
    std::map<std::string, std::string> pictureReferences; // a picture's name -> its reference
    // The movies of the user's faces the banner's texts use: reference ("res/font-1.swf") and
    // bytes; their files' names map to the references in pictureReferences.
    std::vector<std::pair<std::string, std::string>> fontMovies;
    // The pictures of the texts the Flash player cannot draw, by size (width, height), and
    // their file names below res/, which no copied picture takes.
    std::map<std::pair<int, int>, std::vector<HostTextPicture>> hostTexts;
    std::vector<std::string> hostTextNames;
    std::optional<OfferAnswer> jpegAnswer; // the first size's answer serves every size
    std::string imageReference; // "res/" + the copy's name, as the project XML points to it
    std::string imageData;      // the checked image bytes; empty when none is copied
    std::uint64_t imageDigest = 0;
    PlayerMode playerMode = PlayerMode::Bundled;
    bool writeCreative = true;
    bool writeSwf = true;    // the banner movie, the component movie, the pages and their player
    std::string projectText; // the project XML as written
    PublishedFiles written;
    PublishLedger ledger;  // every file written, with what it holds, for the folder's manifest
    PublishLedger earlier; // the folder's manifest as the last publish left it
    // What every output depends on besides the project: the program and its installed files.
    std::uint64_t programStamp = 0;
    // Each picture decoded at most once per publish, and each size of it encoded once.
    std::map<std::string, platform::DecodedPicture> decoded; // by source file
    std::map<std::string, std::string> scaled; // "<W>x<H> <source>" -> the bytes published
    // The backup images' painter, which reads each picture once for every size.
    std::unique_ptr<platform::DisplayListPainter> painter;
    std::string failure; // why the run stopped, one line for the user
};

class CPublisher {
public:
    // projectPath gives the current project file's path (empty for a new project).
    CPublisher(CAppSettings& settings, platform::IDialogs& dialogs, platform::IShell& shell,
               platform::IHostWindow& window, ProjectXmlSource projectXml,
               std::function<std::string()> projectPath = {});

    // The whole publish command, the folder opened when it succeeded.
    PublishOutcome OnOutputProjectFiles(const std::vector<std::string>& arguments);
    // Runs the pipeline into a prepared request's folder. Every step after the project is
    // fetched stops the run at its first failure, which the user is shown.
    PublishOutcome PublishProject(const CPublishRequest& request);
    // Opens the publish folder in the file manager, when it is a folder.
    void OpenOutputFolder(const CPublishRequest& request);
    // Publishes the editor's banner (pages, player, HTML5 creative) into a private preview
    // folder and opens the creative and the page in the browser.
    PublishOutcome PreviewInBrowser();

    // Where the publish's report lines go (the creative's size against the limit); none: only
    // the debug channel.
    void SetReportSink(std::function<void(const std::string&)> sink) { m_report = std::move(sink); }
    // Whether to re-encode the creative's image when that makes its zip fit: Ask shows a
    // Yes/No prompt, and a creative that stays too large is then shown in a message.
    void SetJpegChoice(JpegChoice choice) { m_jpegChoice = choice; }
    void SetSettingsUpdate(SettingsUpdate update) { m_settingsUpdate = update; }
    // The last publish's creative, when one was written.
    const CreativeReport& LastCreative() const { return m_lastCreative; }
    // Every creative the last publish wrote: the publish folder's, then each size folder's.
    const std::vector<CreativeReport>& Creatives() const { return m_creatives; }
    // The texts the last publish drew that do not fit their boxes, with their sizes.
    const std::vector<PlanOverflow>& Overflows() const { return m_overflows; }

private:
    // The steps, in the order they run. Each returns false with run.failure set when the run
    // must stop. The checks come first, so that a refused project or image changes nothing.
    bool FetchProject(PublishRun& run);
    bool ReadBannerSize(PublishRun& run);
    bool PlanHostTexts(PublishRun& run);
    bool CheckTemplateImage(PublishRun& run);
    bool CheckElementImages(PublishRun& run);
    // Where a face of the project's own is read from (its src is relative to the project).
    std::string FontFile(const PlanFont& font) const;
    bool MakeFontMovies(PublishRun& run);
    bool OpenPublishFolder(PublishRun& run);
    bool WriteProjectXml(PublishRun& run);
    bool WriteBannerMovie(PublishRun& run);
    bool WriteComponentMovie(PublishRun& run);
    bool WriteFontMovies(PublishRun& run);
    bool WritePages(PublishRun& run);
    bool CopySwfObjectScript(PublishRun& run);
    bool CopyTemplateImage(PublishRun& run);
    bool CopyElementImages(PublishRun& run);
    // The pictures of the size's texts that the Flash player cannot draw, painted by the host.
    bool WriteHostTexts(PublishRun& run);
    // Writes a picture as it is published at the size being written: scaled down to twice
    // the largest box it is drawn in there (GIFs, which may move, as they are). digest is that
    // of bytes.
    bool WritePicture(PublishRun& run, const std::string& reference, const std::string& source,
                      const std::string& bytes, std::uint64_t digest);
    bool CopyPlayer(PublishRun& run);
    bool WriteCreative(PublishRun& run);

    // Makes the run write the size of sizeFolders[index] into its sub-folder.
    bool SelectSizeFolder(PublishRun& run, std::size_t index);
    // Reads and checks a picture the project names (the publish stops on refusal); kind is
    // set on success.
    bool ReadPicture(PublishRun& run, const std::string& source, std::uint64_t limit,
                     std::string& bytes, ImageKind& kind);
    // Notes a picture's file and natural size for the backup image.
    void MeasurePicture(PublishRun& run, const std::string& name, const std::string& source);

    // Writes one file of the current size's folder and records it, with the digest of what it
    // was made from when known. A file that the last publish wrote with the same bytes and that
    // still holds them is left in place.
    bool WritePublished(PublishRun& run, const std::string& relativePath, std::string_view data,
                        std::uint64_t source = 0);
    // Whether the file at relativePath (of the publish folder) holds what the last publish
    // recorded for it, and that is digest.
    bool StillAsPublished(const PublishRun& run, const std::string& relativePath,
                          std::uint64_t digest) const;
    // Keeps the current size's file made from source by the last publish, when it is still as
    // that publish wrote it: true, and recorded as written; false when it must be made again.
    bool ReusePublished(PublishRun& run, const std::string& relativePath, std::uint64_t source);
    // The last publish's creative of the current size, when made from the same inputs and still
    // as written: true with report filled and the files recorded.
    bool ReuseCreative(PublishRun& run, std::uint64_t source, CreativeReport& report);
    void NoteCreative(PublishRun& run, std::uint64_t source, const CreativeReport& report);
    // Reports a size's creative, written or kept.
    bool CreativeWritten(PublishRun& run, CreativeReport creative);
    // Gives the size folder of the size the publish folder itself shows the outputs written
    // there (shared), each under the same name as a second name of the same file, the creative's
    // zip under the size folder's zip name: the same bytes are not made twice.
    bool ShareShownSize(PublishRun& run, const std::vector<std::string>& shared);
    // Copies an installed file into the publish folder.
    bool CopyInstalled(PublishRun& run, const std::string& source, const std::string& relativePath);
    // Tells the user why the run stopped ("Publishing stopped:" and the reason).
    void ShowFailure(const std::string& text);
    void ShowMessage(const std::string& text);
    void Report(const std::string& line);

    CAppSettings& m_settings;
    platform::IDialogs& m_dialogs;
    platform::IShell& m_shell;
    platform::IHostWindow& m_window;
    ProjectXmlSource m_projectXml;
    std::function<std::string()> m_projectPath;
    std::function<void(const std::string&)> m_report;
    JpegChoice m_jpegChoice = JpegChoice::Ask;
    SettingsUpdate m_settingsUpdate = SettingsUpdate::Store;
    CreativeReport m_lastCreative;
    std::vector<CreativeReport> m_creatives;
    std::vector<PlanOverflow> m_overflows;
};

// Tells the user that no program could be started to show shown (a web address, a document or a
// folder), why, and that it can be opened by hand.
void ShowLaunchFailure(platform::IDialogs& dialogs, const std::string& shown,
                       const std::string& reason);

// Opens path in the file manager only when it is an existing directory (never a file), under
// the window's busy cursor.
void OpenFolderIfDirectory(platform::IShell& shell, platform::IHostWindow& window,
                           const std::string& path);

} // namespace pennoria
