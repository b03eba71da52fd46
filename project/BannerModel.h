// The banner model as the host asks it: the project format's one reader, layout and timing
// (data/movies/common/, the same code the movies and the HTML5 creative run), evaluated in a
// script engine inside the process. Its answers come back as plain structs: the publish plan
// of a project, the display list of a moment at one size, and the project text publishing
// writes for a size.
#pragma once

#include "platform/DisplayList.h"
#include "platform/ScriptEngine.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pennoria {

// The model's script below the program folder.
extern const char* const kBannerModelScript; // "banner-model.js"

struct PlanSize {
    int width = 0;
    int height = 0;
};

// An element's place at one size, in pixels from the banner's top-left corner.
struct PlanBox {
    double x = 0, y = 0, width = 0, height = 0;
    int fontSize = 0;
};

struct PlanElement {
    std::string id;
    std::string picture;        // the picture it shows, as written; empty: none
    std::string link;           // its own link, filtered; empty: the banner's
    std::vector<PlanBox> boxes; // one per size, in the order of the plan's sizes
};

// A face the banner's text is set in, with every character set in it.
struct PlanFace {
    std::string family;
    bool bold = false;
    bool italic = false;
    std::string text;
    // A face of the system for a script the shipped faces lack, setting only the characters of
    // range (a CSS unicode-range); otherwise one of the program's fonts/.
    bool system = false;
    std::string range;
};

// A face of the user's own: its family and its file as the project names it.
struct PlanFont {
    std::string family;
    std::string src;
};

// A limit of the reader that the project went past: what was counted, how many there are and
// how many are read.
struct PlanLimit {
    std::string what;
    long long count = 0;
    long long limit = 0;
};

// A text or button whose text does not fit its box at one size, as drawn there.
struct PlanOverflow {
    std::string id;
    int width = 0;
    int height = 0;
};

// What publishing needs to know of a project, read once.
struct PublishPlan {
    bool isProject = true; // a project text at all
    int version = 2;
    std::vector<PlanSize> sizes; // each once, the first first
    std::size_t shown = 0;       // the size the text names (demoWidth x demoHeight)
    std::uint32_t background = 0xFFFFFF;
    std::string image; // the background picture as written; empty: none
    std::string link;  // the banner's link, filtered (only web and mail links); empty: none
    std::string linkTarget;
    int length = 0; // ms of one loop
    int loops = 1;
    double finalTime = 0; // the moment of a loop the banner ends on
    std::vector<PlanElement> elements;
    std::vector<std::string> pictures;   // every picture the banner draws, each once, as written
    std::vector<PlanFace> faces;         // the faces the creative carries
    std::vector<std::string> faceMovies; // the face movies the component movie loads ("<name>.swf")
    std::vector<PlanFont> fonts;         // the user's own faces the project holds
    std::vector<PlanLimit> overLimits;   // empty: the whole project was read
    std::vector<PlanOverflow> overflows; // by size, in the order of the sizes

    const PlanSize& ShownSize() const { return sizes.at(shown); }
};

// A project given further sizes by the automatic layout.
struct LayoutResult {
    bool refused = false;           // nothing is to be written; the notes say why
    std::string project;            // the project text with the sizes
    std::vector<std::string> notes; // a line per size and element left out or not fitting
};

// A picture the host found: the file and its natural size.
struct PictureFile {
    std::string path;
    int width = 0;
    int height = 0;
};
// By the picture's name as the project writes it.
using PictureFiles = std::map<std::string, PictureFile>;

// One row of a product feed applied to a project: the variant's project text, and the feed's
// columns that name nothing in the project.
struct FeedVariant {
    std::string projectText;
    std::vector<std::string> unknownColumns;
};

// A text the Flash player cannot draw, as the picture publishing writes for it: its file's name
// beside the size's project, and what to paint there (a transparent list).
struct HostTextPicture {
    std::string name;
    platform::DisplayList list;
};

class BannerModel {
public:
    explicit BannerModel(std::unique_ptr<platform::IScriptEngine> engine);

    // A model of its own from the script at scriptPath; nothing (and why) when it cannot start.
    static std::unique_ptr<BannerModel> Load(const std::string& scriptPath,
                                             std::string* error = nullptr);
    // The process's one model, started from the program folder's script on first use (a failed
    // start is tried again on the next call). Safe to use from any thread, one call at a time.
    static BannerModel* Shared(std::string* error = nullptr);

    std::optional<PublishPlan> Plan(const std::string& projectXml, std::string* error = nullptr);

    // What the banner shows at width x height (0 x 0: the size the text names) t ms into a
    // loop (t < 0: its final frame). Pictures missing from pictures are left out.
    std::optional<platform::DisplayList> Display(const std::string& projectXml, int width,
                                                 int height, double t, const PictureFiles& pictures,
                                                 std::string* error = nullptr);

    // The project text publishing writes for the size width x height: that size only, with
    // the pictures under their published names (a picture missing from published names none)
    // and the component movie's name (empty: none).
    std::optional<std::string> PublishText(const std::string& projectXml, int width, int height,
                                           const std::map<std::string, std::string>& published,
                                           const std::string& componentMovie,
                                           std::string* error = nullptr);

    // The pictures of the texts the Flash player cannot draw at the size width x height.
    std::optional<std::vector<HostTextPicture>> HostTexts(const std::string& projectXml, int width,
                                                          int height, std::string* error = nullptr);

    // The project with the sizes ("728x90") added by the automatic layout from its first size;
    // sizes it has already are laid out again only with relayout.
    std::optional<LayoutResult> Layout(const std::string& projectXml,
                                       const std::vector<std::string>& sizes, bool relayout,
                                       std::string* error = nullptr);

    // The project text with the pictures named in renamed under their new names (the others
    // keep theirs), every size kept.
    std::optional<std::string> RenamePictures(const std::string& projectXml,
                                              const std::map<std::string, std::string>& renamed,
                                              std::string* error = nullptr);

    // The project text with a feed row's cells (column and value, in the feed's order) put in;
    // relative picture paths are taken below feedFolder. Nothing (and why) when the model
    // refuses a value.
    std::optional<FeedVariant>
    Variant(const std::string& projectXml,
            const std::vector<std::pair<std::string, std::string>>& cells,
            const std::string& feedFolder, std::string* error = nullptr);

private:
    std::unique_ptr<platform::IScriptEngine> m_engine;
};

// A display list given as JSON (the model's form of it) without the model: its pictures are left
// out. Nothing (and why) when it is damaged.
std::optional<platform::DisplayList> ReadDisplayList(const std::string& json,
                                                     std::string* error = nullptr);

// "1001 elements (at most 1000)", the limits joined by ", ".
std::string DescribeLimits(const std::vector<PlanLimit>& limits);

} // namespace pennoria
