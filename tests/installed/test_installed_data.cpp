// The installed data in the program folder of the build tree: layout, language files, skin
// description and images, movie headers, scripts and the help file.
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "data/skins/draw/SkinArt.h"
#include "platform/Profile.h"
#include "tests/TestSupport.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace pennoria;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScopedEnv;
using pennoria::testing::ScratchFolder;

namespace {

const std::string kProgram = std::string(PENNORIA_PROGRAM_DIR) + "/";
const std::string kSources = std::string(PENNORIA_SOURCE_DIR) + "/";

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(InstalledData, ProgramFolderHoldsEveryFileThePublisherAndHostRead) {
    const char* files[] = {
        "editor/templateEditor/theme.swf",
        "editor/templateEditor/userface.swf",
        "editor/templateEditor/res/template.swf",
        "editor/templateEditor/res/LiberationSansRegular.swf",
        "editor/templateEditor/res/DejaVuSansBoldOblique.swf",
        "editor/templateEditor/common/swfobject.js",
        "editor/templateEditor/common/normal_screen/embed/index.htt",
        "editor/templateEditor/common/normal_screen/embed/fs_aux.htt",
        "editor/templateEditor/common/normal_screen/swfObject/index.htt",
        "editor/templateEditor/common/normal_screen/swfObject/fs_aux.htt",
        "lang/lang_eng.ini",
        "skins/frame/skins.xml",
        "skins/frame/logo.ico",
        "Pennoria Help.chm",
        "ruffle/ruffle.js",
        "ruffle/wasm-fetch.js",
    };
    for (const char* file : files)
        EXPECT_TRUE(IsFile(kProgram + file)) << file;
}

TEST(InstalledData, RuffleHasItsRuntimeWithoutSourceMapsAndEachBuildCompressed) {
    int wasm = 0, scripts = 0;
    for (const auto& name : FilesIn(kProgram + "ruffle")) {
        EXPECT_FALSE(EndsWith(name, ".map")) << name;
        wasm += EndsWith(name, ".wasm");
        scripts += EndsWith(name, ".js");
        if (!EndsWith(name, ".wasm"))
            continue;
        // The gzip copy published pages fetch, made reproducibly: its header names no file and
        // no time. (That it unpacks to the build, the published pages' browser tests show.)
        const std::string path = kProgram + "ruffle/" + name;
        const std::string packed = ReadFileText(path + ".gz");
        ASSERT_GT(packed.size(), 10u) << name;
        EXPECT_EQ(packed.substr(0, 8), std::string("\x1f\x8b\x08\0\0\0\0\0", 8)) << name;
        EXPECT_LT(packed.size() * 2, ReadFileText(path).size()) << name;
    }
    EXPECT_GE(wasm, 1);
    EXPECT_GE(scripts, 2); // the loader and at least one core chunk
}

// The package's CommonJS export would throw in a page; the installed script guards it.
TEST(InstalledData, SwfobjectScriptRunsOutsideModuleLoaders) {
    std::string script = ReadFileText(kProgram + "editor/templateEditor/common/swfobject.js");
    EXPECT_NE(script.find("var swfobject="), std::string::npos);
    EXPECT_NE(script.find("embedSWF"), std::string::npos);
    std::size_t exportAt = script.find("module.exports=swfobject");
    ASSERT_NE(exportAt, std::string::npos);
    EXPECT_NE(script.rfind("typeof module!==\"undefined\"", exportAt), std::string::npos);
}

// ---- Page templates ---------------------------------------------------------------------------

namespace {

struct PageTemplate {
    const char* path;
    bool mainPage;
    bool scriptPage;
};

const PageTemplate kPageTemplates[] = {
    {"embed/index.htt", true, false},
    {"embed/fs_aux.htt", false, false},
    {"swfObject/index.htt", true, true},
    {"swfObject/fs_aux.htt", false, true},
};

// The page variables, longest first so that a reference is matched whole.
const char* const kPageVariables[] = {
    "Mosaiq_Footer", "ResourcePath", "CreatorSite", "SponsorSite", "MovieHeight",
    "MovieWidth",    "AlbumTitle",   "StylePath",   "Copyright",   "EmbedTip",
    "Encoding",      "Creator",      "MainSWF",
    "BundledPlayer", // set by publishing beside the thirteen: the player's script, or empty
    "PlayerFetch",   // and the script before it that unpacks the player's WebAssembly
};

} // namespace

// What the template language cannot report: misspelt variables stay in the page as they are,
// unbalanced blocks swallow the rest of it. And the pages may only refer to files that
// publishing writes (there is no style sheet).
TEST(PageTemplates, UseKnownVariablesBalancedBlocksAndPublishedFilesOnly) {
    for (const auto& page : kPageTemplates) {
        SCOPED_TRACE(page.path);
        std::string text =
            ReadFileText(kProgram + "editor/templateEditor/common/normal_screen/" + page.path);
        ASSERT_FALSE(text.empty());
        for (unsigned char c : text)
            ASSERT_LT(c, 0x80) << "templates are 7-bit ASCII";
        for (std::size_t at = text.find('$'); at != std::string::npos;
             at = text.find('$', at + 1)) {
            bool known = false;
            for (const char* name : kPageVariables)
                known = known || text.compare(at + 1, std::strlen(name), name) == 0;
            EXPECT_TRUE(known) << "unknown reference " << text.substr(at, 16);
        }
        EXPECT_EQ(Count(text, "<ca:if "), Count(text, "</ca:if>"));
        EXPECT_EQ(Count(text, "<ca:else>"), Count(text, "</ca:else>"));
        EXPECT_EQ(Count(text, "StylePath"), 0u);
        EXPECT_EQ(Count(text, ".css"), 0u);
        EXPECT_EQ(Count(text, "<!DOCTYPE html>"), 1u);
        EXPECT_NE(text.find("$MainSWF"), std::string::npos);
        // The bundled player is loaded, configured for a banner, before the movie is placed.
        const std::size_t player = text.find("<script src=\"$BundledPlayer\"></script>");
        ASSERT_NE(player, std::string::npos);
        EXPECT_LT(text.find("<script src=\"$PlayerFetch\"></script>"), player);
        EXPECT_LT(player, text.find(page.scriptPage ? "swfobject.js" : "<object"));
        for (const char* option : {"splashScreen: false", "autoplay: \"on\"",
                                   "contextMenu: \"off\"", "allowScriptAccess: false"})
            EXPECT_NE(text.find(option), std::string::npos) << option;
        // The banner may never script the page it is shown in, nor may its copied embed code.
        EXPECT_EQ(Count(text, "allowScriptAccess\" value=\"never\"") +
                      Count(text, "allowScriptAccess=\"never\"") +
                      Count(text, "allowScriptAccess: \"never\""),
                  Count(text, "param name=\"movie\"") + Count(text, "<embed ") +
                      Count(text, "&lt;embed ") + Count(text, "embedSWF(\""));
        // Every rule says never (the bundled player's own setting says false).
        EXPECT_EQ(Count(text, "allowScriptAccess") - Count(text, "allowScriptAccess: false"),
                  Count(text, "never"));
        // What a visitor without the player reads asks for JavaScript, not for a plug-in.
        EXPECT_EQ(text.find("Flash player"), std::string::npos);
        if (page.mainPage) {
            // The code to copy loads the player beside the page, before the movie is placed.
            const std::size_t code = text.find("<textarea");
            ASSERT_NE(code, std::string::npos);
            const std::size_t codePlayer = text.find("&lt;script src=\"$BundledPlayer\"&gt;", code);
            ASSERT_NE(codePlayer, std::string::npos);
            EXPECT_LT(text.find("&lt;script src=\"$PlayerFetch\"&gt;", code), codePlayer);
            EXPECT_LT(codePlayer, text.find(page.scriptPage ? "swfobject.js" : "&lt;object", code));
            EXPECT_NE(text.find("$EmbedTip"), std::string::npos);
            EXPECT_NE(text.find("$Mosaiq_Footer"), std::string::npos);
            EXPECT_NE(text.find("&lt;"), std::string::npos) << "the embed code is shown as text";
        }
        if (page.scriptPage) {
            EXPECT_NE(text.find("<script src=\"swfobject.js\"></script>"), std::string::npos);
            EXPECT_NE(text.find("swfobject.embedSWF(\"$MainSWF\""), std::string::npos);
            EXPECT_EQ(text.find("<object"), std::string::npos);
        } else {
            EXPECT_NE(text.find("<object"), std::string::npos);
            EXPECT_NE(text.find("<embed"), std::string::npos);
            EXPECT_EQ(text.find("swfobject"), std::string::npos);
        }
    }
}

// ---- Language files ---------------------------------------------------------------------------

class LanguageFile : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { BindLanguageSetting(&m_languageIni); }
    void TearDown() override { BindLanguageSetting(nullptr); }
    ScopedEnv m_module{"PENNORIA_MODULE_PATH", kProgram + "pennoria"};
    std::string m_languageIni = GetParam();
};

TEST_P(LanguageFile, HasEveryMessageId) {
    std::string text = ReadFileText(kProgram + "lang/" + m_languageIni);
    ASSERT_FALSE(text.empty());
    for (int id : {IDS_OVERWRITE_PROMPT,
                   IDS_CREATED_BY,
                   IDS_EMBED_TIP,
                   IDS_PLAYER_MISSING,
                   IDS_APP_TITLE,
                   IDS_HELP_NOT_FOUND,
                   IDS_PUBLISH_TITLE,
                   IDS_PUBLISH_BAD_NAME,
                   IDS_PUBLISH_STOPPED,
                   IDS_PUBLISH_PROJECT_UNREADABLE,
                   IDS_PUBLISH_IMAGE_NOT_PICTURE,
                   IDS_PUBLISH_IMAGE_NOT_FILE,
                   IDS_PUBLISH_IMAGE_UNREADABLE,
                   IDS_SAVE_NO_PROJECT,
                   IDS_PUBLISH_CANNOT_READ,
                   IDS_PUBLISH_CANNOT_RESIZE,
                   IDS_PUBLISH_JPEG_OFFER,
                   IDS_PUBLISH_CREATIVE_TOO_LARGE,
                   IDS_HELP_NO_VIEWER,
                   IDS_PUBLISH_IMAGE_TOO_LARGE}) {
        auto raw = platform::LookupProfileText(text, "STRING", std::to_string(id));
        ASSERT_TRUE(raw.has_value()) << "id " << id;
        std::string value = GetLanguageText("STRING", std::to_string(id));
        EXPECT_FALSE(value.empty()) << "id " << id;
        EXPECT_EQ(value.find("\\n"), std::string::npos) << "escape left in id " << id;
        // Filled in with the same values in every language.
        EXPECT_EQ(Count(value, "%s"), Count(BuiltInString(id), "%s")) << "id " << id;
    }
}

// The overwrite prompt is formatted with the folder path: exactly one %s and no other
// conversion, or the message would read past its arguments.
TEST_P(LanguageFile, OverwritePromptHasOnePathPlaceholder) {
    std::string prompt = LoadAppString(IDS_OVERWRITE_PROMPT);
    EXPECT_EQ(Count(prompt, "%"), 1u) << prompt;
    EXPECT_EQ(Count(prompt, "%s"), 1u) << prompt;
    EXPECT_NE(prompt.find("\n\n%s\n\n"), std::string::npos);
}

// The page fragments must stay well-formed HTML: the credit block keeps its class (the page
// styles it) and its link opens a new window.
TEST_P(LanguageFile, PageFragmentsKeepTheirMarkup) {
    pugi::xml_document credit;
    ASSERT_TRUE(credit.load_string(LoadAppString(IDS_CREATED_BY).c_str()));
    EXPECT_STREQ(credit.child("div").attribute("class").value(), "text_createdby");
    EXPECT_STREQ(credit.select_node("//a").node().attribute("target").value(), "_blank");

    pugi::xml_document tip;
    std::string tipText = "<tip>" + LoadAppString(IDS_EMBED_TIP) + "</tip>";
    ASSERT_TRUE(tip.load_string(tipText.c_str()));
    EXPECT_EQ(tip.select_nodes("/tip/p").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFile,
                         ::testing::Values("lang_eng.ini", "lang_deu.ini", "lang_fra.ini"));

TEST(ShippedLanguages, EnglishFileMatchesTheBuiltInTable) {
    ScopedEnv module("PENNORIA_MODULE_PATH", kProgram + "pennoria");
    std::string ini = "lang_eng.ini";
    BindLanguageSetting(&ini);
    for (int id : {2, 3, 5, 6, 7, 8})
        EXPECT_EQ(GetLanguageText("STRING", std::to_string(id)), BuiltInString(id)) << "id " << id;
    BindLanguageSetting(nullptr);
}

TEST(ShippedLanguages, EveryShippedFileIsInstalled) {
    auto installed = FilesIn(kProgram + "lang");
    EXPECT_GE(installed.size(), 3u);
    for (const auto& name : FilesIn(kSources + "data/lang"))
        EXPECT_TRUE(IsFile(kProgram + "lang/" + name)) << name;
}

// ---- Skin -------------------------------------------------------------------------------------

namespace {

struct PngSize {
    int width = 0, height = 0;
};

PngSize LoadPngSize(const std::string& path) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    PngSize size;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS)
        size = {cairo_image_surface_get_width(image), cairo_image_surface_get_height(image)};
    cairo_surface_destroy(image);
    return size;
}

// The largest difference of any colour channel between two PNGs of the same size; -1 when they
// cannot be compared.
int PngDifference(const std::string& a, const std::string& b) {
    cairo_surface_t* x = cairo_image_surface_create_from_png(a.c_str());
    cairo_surface_t* y = cairo_image_surface_create_from_png(b.c_str());
    int worst = -1;
    if (cairo_surface_status(x) == CAIRO_STATUS_SUCCESS &&
        cairo_surface_status(y) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_width(x) == cairo_image_surface_get_width(y) &&
        cairo_image_surface_get_height(x) == cairo_image_surface_get_height(y)) {
        worst = 0;
        const int h = cairo_image_surface_get_height(x);
        const int bytes = cairo_image_surface_get_width(x) * 4;
        for (int row = 0; row < h; ++row) {
            const unsigned char* p =
                cairo_image_surface_get_data(x) + row * cairo_image_surface_get_stride(x);
            const unsigned char* q =
                cairo_image_surface_get_data(y) + row * cairo_image_surface_get_stride(y);
            for (int i = 0; i < bytes; ++i)
                worst = std::max(worst, std::abs(int(p[i]) - int(q[i])));
        }
    }
    cairo_surface_destroy(x);
    cairo_surface_destroy(y);
    return worst;
}

struct IconEntry {
    int width, height, bitsPerPixel;
    std::uint32_t size, offset;
};

std::vector<IconEntry> ReadIconDirectory(const std::string& data) {
    auto u16 = [&](std::size_t at) {
        return unsigned(std::uint8_t(data[at])) | unsigned(std::uint8_t(data[at + 1])) << 8;
    };
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16;
    };
    std::vector<IconEntry> entries;
    if (data.size() < 6 || u16(0) != 0 || u16(2) != 1)
        return entries;
    for (unsigned i = 0, n = u16(4); i < n && 6 + 16 * (i + 1) <= data.size(); ++i) {
        std::size_t at = 6 + 16 * i;
        int w = std::uint8_t(data[at]), h = std::uint8_t(data[at + 1]);
        entries.push_back({w ? w : 256, h ? h : 256, int(u16(at + 6)), u32(at + 8), u32(at + 12)});
    }
    return entries;
}

} // namespace

TEST(Skin, DescriptionNamesTwelveImagesThatLoad) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((kProgram + "skins/frame/skins.xml").c_str()));
    struct Piece {
        const char* query;
        int width, height; // 0: any
    } pieces[] = {
        {"//skins/frame/LeftTop", 4, 24},    {"//skins/frame/Top", 0, 24},
        {"//skins/frame/RightTop", 4, 24},   {"//skins/frame/Left", 4, 0},
        {"//skins/frame/Right", 4, 0},       {"//skins/frame/LeftBottom", 4, 4},
        {"//skins/frame/RightBottom", 4, 4}, {"//skins/frame/Bottom", 0, 4},
        {"//skins/button/Close", 0, 0},      {"//skins/button/Max", 0, 0},
        {"//skins/button/Restore", 0, 0},    {"//skins/button/Min", 0, 0},
    };
    for (const auto& piece : pieces) {
        std::string name = doc.select_node(piece.query).node().text().get();
        ASSERT_FALSE(name.empty()) << piece.query;
        PngSize size = LoadPngSize(kProgram + "skins/frame/" + name);
        ASSERT_GT(size.width, 0) << name;
        if (piece.width) {
            EXPECT_EQ(size.width, piece.width) << name;
        }
        if (piece.height) {
            EXPECT_EQ(size.height, piece.height) << name;
        }
    }
}

// Caption buttons are strips of four equal slices. The close button starts 38 pixels from the
// right edge and must end before the 4-pixel right band; the slices fit the 24-pixel caption.
TEST(Skin, ButtonStripsFitTheCaption) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((kProgram + "skins/frame/skins.xml").c_str()));
    for (const char* button : {"Close", "Max", "Restore", "Min"}) {
        std::string name =
            doc.select_node((std::string("//skins/button/") + button).c_str()).node().text().get();
        PngSize size = LoadPngSize(kProgram + "skins/frame/" + name);
        EXPECT_EQ(size.height % 4, 0) << name;
        EXPECT_LE(size.height / 4, 24) << name;
        if (std::string(button) == "Close") {
            EXPECT_LE(size.width, 38 - 4) << name;
        }
    }
}

TEST(Skin, LogoIsAnIconWithASmallImageForTheCaption) {
    std::string icon = ReadFileText(kProgram + "skins/frame/logo.ico");
    auto entries = ReadIconDirectory(icon);
    ASSERT_FALSE(entries.empty());
    bool small = false;
    for (const auto& e : entries) {
        EXPECT_LE(std::uint64_t(e.offset) + e.size, icon.size());
        small |= e.width == 16 && e.height == 16 && e.bitsPerPixel == 32;
    }
    EXPECT_TRUE(small) << "the logo is drawn at its own size at (10, 4) of a 24-pixel band";
}

// The committed images are what the drawing program makes; a change to one without the other
// is caught here.
TEST(Skin, CommittedImagesMatchTheDrawingProgram) {
    ScratchFolder scratch;
    std::string error;
    ASSERT_TRUE(skinart::DrawSkin(scratch.Path(), error)) << error;
    for (const auto& image : skinart::SkinImages()) {
        std::string committed = kSources + "data/skins/frame/" + image.fileName;
        std::string drawn = scratch / image.fileName;
        if (EndsWith(image.fileName, ".png")) {
            EXPECT_EQ(LoadPngSize(committed).width, image.width) << image.fileName;
            int difference = PngDifference(committed, drawn);
            EXPECT_GE(difference, 0) << image.fileName;
            EXPECT_LE(difference, 2) << image.fileName;
        } else {
            std::string a = ReadFileText(committed), b = ReadFileText(drawn);
            ASSERT_EQ(a.size(), b.size()) << image.fileName;
            int worst = 0;
            for (std::size_t i = 0; i < a.size(); ++i)
                worst =
                    std::max(worst, std::abs(int(std::uint8_t(a[i])) - int(std::uint8_t(b[i]))));
            EXPECT_LE(worst, 2) << image.fileName;
        }
    }
}

// ---- Movies -----------------------------------------------------------------------------------

namespace {

struct MovieHeader {
    char signature = 0;
    int version = 0;
    std::uint32_t length = 0;
    int width = 0, height = 0; // pixels
    double frameRate = 0;
};

// Reads the header of a compressed (CWS) or plain (FWS) movie independently of the movie code.
bool ReadMovieHeader(const std::string& file, MovieHeader& header) {
    if (file.size() < 8 || file.compare(1, 2, "WS") != 0)
        return false;
    header.signature = file[0];
    header.version = std::uint8_t(file[3]);
    header.length =
        std::uint32_t(std::uint8_t(file[4])) | std::uint32_t(std::uint8_t(file[5])) << 8 |
        std::uint32_t(std::uint8_t(file[6])) << 16 | std::uint32_t(std::uint8_t(file[7])) << 24;
    std::string body;
    if (header.signature == 'C') {
        if (header.length < 8 || header.length > (64u << 20))
            return false;
        body.resize(header.length - 8);
        uLongf size = body.size();
        if (uncompress(reinterpret_cast<Bytef*>(body.data()), &size,
                       reinterpret_cast<const Bytef*>(file.data() + 8), file.size() - 8) != Z_OK)
            return false;
        body.resize(size);
    } else if (header.signature == 'F') {
        body = file.substr(8);
    } else {
        return false;
    }
    if (body.empty())
        return false;
    auto bit = [&](std::size_t n) { return (std::uint8_t(body[n / 8]) >> (7 - n % 8)) & 1; };
    const int nbits = std::uint8_t(body[0]) >> 3;
    const std::size_t rectBytes = (5 + 4 * std::size_t(nbits) + 7) / 8;
    if (body.size() < rectBytes + 4)
        return false;
    auto field = [&](int index) {
        std::int64_t v = 0;
        for (int i = 0; i < nbits; ++i)
            v = (v << 1) | bit(5 + std::size_t(index) * nbits + i);
        if (nbits && (v >> (nbits - 1)) & 1)
            v -= std::int64_t(1) << nbits;
        return v;
    };
    header.width = int((field(1) - field(0)) / 20);
    header.height = int((field(3) - field(2)) / 20);
    header.frameRate = std::uint8_t(body[rectBytes + 1]) + std::uint8_t(body[rectBytes]) / 256.0;
    return true;
}

} // namespace

TEST(Movies, BothAreCompressedWithA720By540Stage) {
    for (const char* movie :
         {"editor/templateEditor/theme.swf", "editor/templateEditor/res/template.swf"}) {
        MovieHeader header;
        ASSERT_TRUE(ReadMovieHeader(ReadFileText(kProgram + movie), header)) << movie;
        EXPECT_EQ(header.signature, 'C') << movie;
        EXPECT_GE(header.version, 10) << movie; // ActionScript 3 with the display list we use
        EXPECT_EQ(header.width, 720) << movie;
        EXPECT_EQ(header.height, 540) << movie;
        EXPECT_EQ(header.frameRate, 30.0) << movie;
    }
}

// ---- Help -------------------------------------------------------------------------------------

TEST(Help, CompiledFileHoldsEveryTopic) {
    std::string chm = ReadFileText(kProgram + "Pennoria Help.chm");
    ASSERT_GE(chm.size(), 4u);
    EXPECT_EQ(chm.substr(0, 4), "ITSF");
    for (const char* topic : {"/index.html", "/make-banner.html", "/timeline.html", "/sizes.html",
                              "/undo.html", "/keyboard.html", "/projects.html", "/publish.html",
                              "/published-files.html", "/web-site.html", "/toc.hhc", "/index.hhk"})
        EXPECT_NE(chm.find(topic), std::string::npos) << topic;
}
