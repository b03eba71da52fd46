// What publishing writes beside the banner movie: the player copy, the HTML5 creative and its
// zip, the backup image.
#include "platform/ConfinedFolder.h"
#include "platform/FileSystem.h"
#include "platform/Raster.h"
#include "publish/FontMovie.h"
#include "publish/Html5Creative.h"
#include "publish/PlayerBundle.h"
#include "swf/SwfMovie.h"
#include "tests/TestSupport.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <random>

using namespace pennoria;
using namespace pennoria::testing;
namespace fs = std::filesystem;

namespace {

// A PNG of width x height: noisy when noise is set (it then compresses badly), else split into
// a red left half and a blue right half, or all of colour when one is given.
void WritePng(const std::string& path, int width, int height, bool noise,
              std::optional<std::uint32_t> colour = std::nullopt) {
    fs::create_directories(fs::path(path).parent_path());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
            row[x] = noise    ? (random() & 0xFFFFFF)
                     : colour ? *colour
                              : (x < width / 2 ? 0xDC1E1E : 0x1E1EDC);
    }
    cairo_surface_mark_dirty(surface);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
};

cairo_status_t ReadFromString(void* closure, unsigned char* data, unsigned int length) {
    auto* text = static_cast<std::pair<const std::string*, std::size_t>*>(closure);
    if (text->second + length > text->first->size())
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, text->first->data() + text->second, length);
    text->second += length;
    return CAIRO_STATUS_SUCCESS;
}

Picture DecodePng(const std::string& png) {
    std::pair<const std::string*, std::size_t> reader{&png, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadFromString, &reader);
    Picture picture;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        picture.width = cairo_image_surface_get_width(surface);
        picture.height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.pixels.push_back(reinterpret_cast<const std::uint32_t*>(
                    cairo_image_surface_get_data(surface) + y * stride)[x]);
    }
    cairo_surface_destroy(surface);
    return picture;
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 8) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) >
            tolerance)
            return false;
    return true;
}

// The bytes of a zip file's entry; empty when it has none of that name.
std::string ZipEntry(const std::string& path, const std::string& name) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    std::string bytes;
    zip_stat_t stat;
    if (archive && zip_stat(archive, name.c_str(), 0, &stat) == 0) {
        if (zip_file_t* file = zip_fopen(archive, name.c_str(), 0)) {
            bytes.resize(stat.size);
            if (zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
                bytes.clear();
            zip_fclose(file);
        }
    }
    if (archive)
        zip_discard(archive);
    return bytes;
}

std::string FromBase64(const std::string& text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const std::size_t value = digits.find(c);
        if (value == std::string::npos)
            break;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if ((count += 6) >= 8)
            bytes += static_cast<char>((bits >> (count -= 8)) & 0xFF);
    }
    return bytes;
}

// Whether FreeType finds an outline (1) or none (0) in the face's glyph for each character (none
// for a character the face does not map); -1 when the glyph does not load.
std::vector<int> OutlinePoints(const std::string& face, const std::u32string& characters) {
    FT_Library library = nullptr;
    FT_Face loaded = nullptr;
    std::vector<int> points;
    if (FT_Init_FreeType(&library) == 0 &&
        FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(face.data()),
                           static_cast<FT_Long>(face.size()), 0, &loaded) == 0) {
        for (char32_t c : characters)
            points.push_back(FT_Get_Char_Index(loaded, c) == 0 ? 0
                             : FT_Load_Char(loaded, c, FT_LOAD_NO_SCALE) == 0
                                 ? (loaded->glyph->outline.n_points > 0 ? 1 : 0)
                                 : -1);
        FT_Done_Face(loaded);
    }
    if (library)
        FT_Done_FreeType(library);
    return points;
}

// The entries of a zip file and their sizes, read with libzip.
std::map<std::string, std::uint64_t> ZipEntries(const std::string& path) {
    std::map<std::string, std::uint64_t> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) == 0)
            entries[stat.name] = stat.size;
    }
    zip_discard(archive);
    return entries;
}

} // namespace

TEST(PlayerFiles, CopiedOnceThenOnlyWhatChangedAndStaleFilesGo) {
    ScratchFolder root;
    const std::string source = root / "ruffle", target = root / "out/ruffle";
    WriteFileMakingFolders(source + "/ruffle.js", "player");
    WriteFileMakingFolders(source + "/core.1.wasm", std::string(1000, 'w'));
    WriteFileMakingFolders(source + "/LICENSE_MIT", "licence");
    // A build with its compressed copy beside it goes out compressed only; the raw copy an
    // earlier publish left is removed.
    WriteFileMakingFolders(source + "/core.0.wasm", "raw");
    WriteFileMakingFolders(source + "/core.0.wasm.gz", "packed");
    WriteFileMakingFolders(target + "/core.0.wasm", "raw");

    PlayerCopyResult first = CopyPlayerFiles(source, target);
    ASSERT_TRUE(first.result) << first.result.error;
    EXPECT_EQ(first.copied, 4);
    EXPECT_EQ(first.removed, 1);
    EXPECT_EQ(ReadFileText(target + "/core.1.wasm"), std::string(1000, 'w'));
    EXPECT_EQ(ReadFileText(target + "/core.0.wasm.gz"), "packed");
    EXPECT_FALSE(platform::PathExists(target + "/core.0.wasm"));
    EXPECT_EQ(std::count(first.files.begin(), first.files.end(), "core.0.wasm"), 0);

    PlayerCopyResult again = CopyPlayerFiles(source, target);
    EXPECT_EQ(again.copied, 0);
    EXPECT_EQ(again.kept, 4);

    // A new player version: one file changed in place (same size, newer time), one renamed.
    WriteFileText(source + "/ruffle.js", "PLAYER");
    fs::last_write_time(source + "/ruffle.js",
                        fs::last_write_time(source + "/ruffle.js") + std::chrono::seconds(5));
    fs::rename(source + "/core.1.wasm", source + "/core.2.wasm");
    PlayerCopyResult update = CopyPlayerFiles(source, target);
    EXPECT_EQ(update.copied, 2);
    EXPECT_EQ(update.kept, 2);
    EXPECT_EQ(update.removed, 1);
    EXPECT_EQ(ReadFileText(target + "/ruffle.js"), "PLAYER");
    EXPECT_FALSE(platform::PathExists(target + "/core.1.wasm"));

    EXPECT_FALSE(CopyPlayerFiles(root / "missing", target).result);
    EXPECT_EQ(ParsePlayerMode("none"), PlayerMode::None);
    EXPECT_EQ(ParsePlayerMode("Bundled"), std::nullopt);
}

TEST(Html5Creative, PageKeepsProjectTextInsideItsScriptAndMeetsAdRules) {
    const std::string project = "<template demoWidth=\"320\" demoHeight=\"50\">"
                                "<headline>A </script><!-- \"quote\" \xE2\x80\xA8 line</headline>"
                                "</template>";
    const std::string page =
        MakeCreativePage(320, 50, "ad", "https://example.org/?a=1&b=\"2\"", project, "");
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<meta name=\"ad.size\" content=\"width=320,height=50\">"),
              std::string::npos);
    const std::size_t head = page.find("</head>");
    const std::size_t clickTag =
        page.find("var clickTag = \"https://example.org/?a=1\\u0026b=\\\"2\\\"\";");
    EXPECT_LT(clickTag, head);
    // The only "</script" are the page's own three elements' ends; the line separator is escaped.
    std::size_t count = 0;
    for (std::size_t at = page.find("</script"); at != std::string::npos;
         at = page.find("</script", at + 1))
        ++count;
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(page.find("<!--"), std::string::npos);
    EXPECT_NE(page.find("\\u2028"), std::string::npos);
    EXPECT_EQ(page.find("\xE2\x80\xA8"), std::string::npos);
}

class Creative : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Site(""));
        folder = platform::ConfinedFolder::Open(Site(""), nullptr);
        ASSERT_TRUE(folder);
    }
    // The creative of project with its published background picture image.
    CreativeInput Input(const std::string& project, const std::string& image) {
        static std::unique_ptr<BannerModel> model =
            BannerModel::Load(std::string(PENNORIA_PROGRAM_DIR) + "/" + kBannerModelScript);
        EXPECT_TRUE(model);
        plans.push_back(model->Plan(project).value_or(PublishPlan()));
        const PublishPlan& plan = plans.back();
        CreativeInput input;
        input.model = model.get();
        input.projectXml = project;
        input.plan = &plan;
        input.width = plan.ShownSize().width;
        input.height = plan.ShownSize().height;
        input.imagePath = image;
        input.creativeScript = "// creative";
        input.baseName = "promo";
        if (auto size = image.empty() ? std::nullopt : platform::ReadImageSize(image))
            input.pictures[plan.image] = {image, size->width, size->height};
        input.write = [this](const std::string& path, std::string_view data) {
            return folder->WriteFile(path, data);
        };
        input.remove = [this](const std::string& path) { folder->RemoveFile(path); };
        return input;
    }
    std::string Site(const std::string& name) { return root / ("site/" + name); }
    ScratchFolder root;
    std::optional<platform::ConfinedFolder> folder;
    std::deque<PublishPlan> plans;
};

TEST_F(Creative, FolderZipAndBackupOfASmallBanner) {
    WritePng(root / "halves.png", 200, 100, false);
    const std::string project =
        "<template demoWidth=\"300\" demoHeight=\"250\" bgColor=\"#00FF00\" fit=\"contain\" "
        "img=\"halves.png\">"
        "<headline color=\"#FFFF00\" size=\"30\" valign=\"top\">Hi</headline>"
        "<link url=\"https://example.org/\"/></template>";
    CreativeReport report = WriteHtml5Creative(Input(project, root / "halves.png"), nullptr);
    ASSERT_TRUE(report.result) << report.result.error;
    EXPECT_EQ(report.zipPath, "promo_html5.zip");
    EXPECT_FALSE(report.overLimit);
    EXPECT_EQ(report.offeredQuality, 0);

    const auto entries = ZipEntries(Site(report.zipPath));
    ASSERT_EQ(entries.size(), 3u);
    for (const char* name : {"index.html", "creative.js", "image.png"}) {
        ASSERT_EQ(entries.count(name), 1u) << name;
        EXPECT_EQ(entries.at(name), fs::file_size(Site(std::string("html5/") + name))) << name;
    }
    EXPECT_EQ(report.zipBytes, fs::file_size(Site(report.zipPath)));
    EXPECT_EQ(DescribeCreativeSize(report).rfind("promo_html5.zip: ", 0), 0u);

    // The backup: the image contained (150 x 75 centred, red then blue), green beside it, the
    // headline at the top in yellow.
    Picture backup = DecodePng(ReadFileText(Site(report.backupPath)));
    ASSERT_EQ(backup.width, 300);
    ASSERT_EQ(backup.height, 250);
    EXPECT_TRUE(Near(backup.At(5, 245), 0x00FF00));
    EXPECT_TRUE(Near(backup.At(40, 125), 0xDC1E1E));
    EXPECT_TRUE(Near(backup.At(260, 125), 0x1E1EDC));
    int yellow = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 100; x < 200; ++x)
            yellow += Near(backup.At(x, y), 0xFFFF00, 40);
    EXPECT_GT(yellow, 50);
    int yellowBelow = 0;
    for (int y = 150; y < 250; ++y)
        for (int x = 0; x < 300; ++x)
            yellowBelow += Near(backup.At(x, y), 0xFFFF00, 40);
    EXPECT_EQ(yellowBelow, 0);

    // Published again without an image: the folder loses the old picture, like the zip.
    CreativeReport plain = WriteHtml5Creative(Input(project, ""), nullptr);
    ASSERT_TRUE(plain.result);
    EXPECT_EQ(ZipEntries(Site(plain.zipPath)).size(), 2u);
    EXPECT_FALSE(platform::PathExists(Site("html5/image.png")));
}

TEST_F(Creative, LargeImageIsOfferedAsJpegThatFits) {
    WritePng(root / "noise.png", 360, 300, true); // about 320 KB as PNG
    const std::string project = "<template demoWidth=\"300\" demoHeight=\"250\"/>";

    std::vector<JpegOffer> offers;
    CreativeReport declined =
        WriteHtml5Creative(Input(project, root / "noise.png"), [&](const JpegOffer& offer) {
            offers.push_back(offer);
            return OfferAnswer::Decline;
        });
    ASSERT_TRUE(declined.result) << declined.result.error;
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_GT(offers[0].zipBytes, kCreativeSizeLimit);
    EXPECT_LE(offers[0].reencodedZipBytes, kCreativeSizeLimit);
    EXPECT_TRUE(declined.overLimit);
    EXPECT_EQ(declined.jpegQuality, 0);
    EXPECT_NE(DescribeCreativeSize(declined).find("over the size"), std::string::npos);
    EXPECT_EQ(ZipEntries(Site(declined.zipPath)).count("image.png"), 1u);

    CreativeReport accepted = WriteHtml5Creative(
        Input(project, root / "noise.png"), [](const JpegOffer&) { return OfferAnswer::Accept; });
    ASSERT_TRUE(accepted.result);
    EXPECT_FALSE(accepted.overLimit);
    EXPECT_EQ(accepted.jpegQuality, offers[0].quality);
    EXPECT_EQ(accepted.zipBytes, offers[0].reencodedZipBytes);
    const auto entries = ZipEntries(Site(accepted.zipPath));
    EXPECT_EQ(entries.count("image.jpg"), 1u);
    EXPECT_EQ(entries.count("image.png"), 0u);
    EXPECT_FALSE(platform::PathExists(Site("html5/image.png")));
    EXPECT_NE(ReadFileText(Site("html5/index.html")).find("pennoriaImage = \"image.jpg\""),
              std::string::npos);
}

// A version-2 project with every element kind and two sizes, published whole: each size in its
// sub-folder with its own movie, pages, project, pictures, creative and backup image.
TEST(PublishSizes, EverySizeIsPublishedWithItsElementsPicturesAndFaces) {
    HostTestBed bed;
    bed.InstallPublishData();
    WriteFileText(bed.ProgramFolder() +
                      "editor/templateEditor/common/normal_screen/embed/index.htt",
                  "embed main $MainSWF $MovieWidth x $MovieHeight $BundledPlayer");
    const char* keep = std::getenv("PENNORIA_KEEP_PUBLISH");
    // The faces the program ships, from the packages they are built from.
    const std::pair<const char*, const char*> faces[] = {
        {"/usr/share/fonts/truetype/liberation2/", "LiberationSans-Bold.ttf"},
        {"/usr/share/fonts/truetype/liberation2/", "LiberationSerif-Regular.ttf"},
        {"/usr/share/fonts/truetype/dejavu/", "DejaVuSans-Oblique.ttf"}};
    for (const auto& [folder, name] : faces) {
        ASSERT_TRUE(platform::FileExists(std::string(folder) + name)) << name;
        fs::create_directories(bed.ProgramFolder() + "fonts");
        fs::copy_file(std::string(folder) + name, bed.ProgramFolder() + "fonts/" + name);
    }
    // Two pictures of one name: one beside the project (named relative to it), one elsewhere.
    const std::string work = bed.Scratch("work/");
    WritePng(work + "art/logo.png", 40, 20, false, 0xC000C0);
    WritePng(bed.Scratch("elsewhere/logo.png"), 20, 20, false, 0x00C0C0);
    const std::string project = R"(<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F" length="3000">
  <link url="https://example.org/sale" target="_blank"/>
  <elements>
    <shape id="bar" kind="rect" x="0" y="190" width="300" height="60" fill="#00B000"
           stroke="#FFFFFF" strokeWidth="2" radius="4"><enter type="fade" duration="500"/></shape>
    <shape id="dot" kind="ellipse" x="250" y="10" width="40" height="40" fill="#FFD000"/>
    <shape id="gone" x="100" y="100" width="40" height="40" fill="#FF0000">
      <exit type="fade" delay="1000" duration="500"/></shape>
    <image id="logo" src="art/logo.png" x="10" y="10" width="80" height="40" fit="contain">
      <enter type="slide" from="left" delay="200" duration="600" easing="easeOut"/></image>
    <image id="mark" src=")" + bed.Scratch("elsewhere/logo.png") +
                                R"(" x="150" y="10" width="30" height="30"/>
    <text id="t1" x="10" y="60" width="180" height="50" font="Liberation Serif" size="22"
          color="#FFFFFF" shadowColor="#000000" shadowBlur="3"><label>Summer sale: 30% off</label></text>
    <text id="t2" x="10" y="120" width="200" height="30" font="DejaVu Sans" italic="true"
          size="16"><label>Only this week</label></text>
    <button id="b1" x="200" y="205" width="90" height="32" url="https://example.org/buy"
            fill="#FF6A00" radius="8" size="14"><label>Shop caf&#233;</label></button>
  </elements>
  <sizes>
    <size width="300" height="250"/>
    <size width="728" height="90">
      <place ref="bar" x="0" y="0" width="728" height="90"/>
      <place ref="b1" x="620" y="29" width="96" height="32" size="14"/>
      <place ref="dot" x="560" y="20" width="50" height="50"/>
    </size>
  </sizes>
</template>)";
    WriteFileText(work + "ad.pbf", project);
    bed.MovieAnswers({{"photoEditor", project}, {"customTemplate", project}});
    bed.Start(work + "ad.pbf");
    bed.host->ApplyCommandLine();
    bed.host->Publisher().SetJpegChoice(JpegChoice::Decline);
    const std::string web = bed.Scratch("web");
    fs::create_directories(web);
    auto reply = bed.player.Command("OutPutProjectFilesVC", {"1", "0", web});
    ASSERT_EQ(reply ? UnwrapStringResult(*reply) : "", "ok")
        << (bed.dialogs.History().empty() ? "" : bed.dialogs.History().back().text);

    struct Size {
        std::string folder;
        int width, height;
    };
    const Size sizes[] = {
        {"banner/", 300, 250}, {"banner/300x250/", 300, 250}, {"banner/728x90/", 728, 90}};
    EXPECT_TRUE(platform::FileExists(web + "/banner/ruffle/ruffle.js"));
    EXPECT_FALSE(platform::PathExists(web + "/banner/728x90/ruffle"));
    for (const Size& size : sizes) {
        SCOPED_TRACE(size.folder);
        const std::string at = web + "/" + size.folder;
        for (const char* name : {"banner.html", "fs_aux.html", "res/template.swf"})
            EXPECT_TRUE(platform::FileExists(at + name)) << name;
        EXPECT_EQ(ReadStageSize(ReadFileText(at + "banner.swf")),
                  std::make_pair(size.width, size.height));
        // The pages of every size use the one player of the publish folder.
        EXPECT_EQ(ReadFileText(at + "banner.html"),
                  "embed main banner.swf " + std::to_string(size.width) + " x " +
                      std::to_string(size.height) +
                      (size.folder == "banner/" ? " ruffle/ruffle.js" : " ../ruffle/ruffle.js"));
        // The project: this size, the pictures as published, under distinct names.
        pugi::xml_document xml;
        ASSERT_TRUE(xml.load_string(ReadFileText(at + "template.xml").c_str()));
        const pugi::xml_node root = xml.child("template");
        EXPECT_EQ(root.attribute("demoWidth").as_int(), size.width);
        EXPECT_EQ(root.attribute("demoHeight").as_int(), size.height);
        // Only this size's places: the size is the project's only one.
        EXPECT_EQ(root.child("sizes").first_child().attribute("width").as_int(), size.width);
        EXPECT_FALSE(root.child("sizes").first_child().next_sibling());
        const pugi::xml_node elements = root.child("elements");
        EXPECT_STREQ(elements.find_child_by_attribute("id", "logo").attribute("src").value(),
                     "res/logo.png");
        EXPECT_STREQ(elements.find_child_by_attribute("id", "mark").attribute("src").value(),
                     "res/logo-image.png");
        EXPECT_EQ(DecodePng(ReadFileText(at + "res/logo.png")).At(1, 1), 0xC000C0u);
        EXPECT_EQ(DecodePng(ReadFileText(at + "res/logo-image.png")).At(1, 1), 0x00C0C0u);

        // The creative: its files, the pictures beside the page, the faces as data.
        // A size's folder names its zip after the size as well.
        const std::string zip =
            at + (size.folder == "banner/" ? std::string("banner_html5.zip")
                                           : "banner_" + std::to_string(size.width) + "x" +
                                                 std::to_string(size.height) + "_html5.zip");
        const auto entries = ZipEntries(zip);
        EXPECT_EQ(entries.size(), 5u);
        for (const char* name :
             {"index.html", "creative.js", "fonts.css", "logo.png", "logo-image.png"}) {
            EXPECT_EQ(entries.count(name), 1u) << name;
            EXPECT_TRUE(platform::FileExists(at + "html5/" + name)) << name;
        }
        const std::string page = ZipEntry(zip, "index.html");
        EXPECT_NE(page.find("<link rel=\"stylesheet\" href=\"fonts.css\">"), std::string::npos);
        EXPECT_NE(page.find("src=\\\"logo-image.png\\\""), std::string::npos);
        EXPECT_NE(page.find("demoWidth=\\\"" + std::to_string(size.width)), std::string::npos);
        EXPECT_EQ(page.find("res/"), std::string::npos);
        const std::string css = ZipEntry(zip, "fonts.css");
        for (const char* rule :
             {"font-family: \"Liberation Sans\";\n  src: url(data:font/ttf;base64,AAEAAA",
              "font-family: \"Liberation Serif\";", "font-family: \"DejaVu Sans\";",
              "font-weight: 700;\n  font-style: normal;",
              "font-weight: 400;\n  font-style: italic;"})
            EXPECT_NE(css.find(rule), std::string::npos) << rule;
        EXPECT_EQ(std::count(css.begin(), css.end(), '@'), 3);
        // Each face holds the outlines of its text only, "Shop caf\u00E9" in the bold one: the
        // composed \u00E9 loads whole (its parts are kept), while "e", only one of those parts,
        // is no character of the face.
        const std::string marker = "Liberation Sans\";\n  src: url(data:font/ttf;base64,";
        const std::size_t data = css.find(marker);
        ASSERT_NE(data, std::string::npos);
        const std::string bold = FromBase64(css.substr(data + marker.size()));
        EXPECT_LT(bold.size(),
                  fs::file_size(bed.ProgramFolder() + "fonts/LiberationSans-Bold.ttf") / 2);
        EXPECT_EQ(OutlinePoints(bold, U"Sf\u00E9eZn"), (std::vector<int>{1, 1, 1, 0, 0, 0}));
        EXPECT_LE(fs::file_size(zip), kCreativeSizeLimit);

        // The backup: background, the shapes, the button, the picture, the text; the shape
        // whose exit ended before the final frame is not drawn.
        Picture backup = DecodePng(ReadFileText(at + "banner_backup.png"));
        ASSERT_EQ(backup.width, size.width);
        ASSERT_EQ(backup.height, size.height);
        if (size.width == 300) {
            EXPECT_TRUE(Near(backup.At(120, 180), 0x1E3A5F));
            EXPECT_TRUE(Near(backup.At(135, 105), 0x1E3A5F)); // "gone"
            EXPECT_TRUE(Near(backup.At(20, 200), 0x00B000));
            EXPECT_TRUE(Near(backup.At(1, 191), 0xFFFFFF, 40)); // its stroke
            EXPECT_TRUE(Near(backup.At(270, 30), 0xFFD000));
            EXPECT_TRUE(Near(backup.At(252, 12), 0x1E3A5F)); // outside the ellipse
            EXPECT_TRUE(Near(backup.At(203, 221), 0xFF6A00));
            EXPECT_TRUE(Near(backup.At(201, 206), 0x00B000)); // the rounded corner
            EXPECT_TRUE(Near(backup.At(50, 30), 0xC000C0));   // 80 x 40: the picture fills it
            EXPECT_TRUE(Near(backup.At(165, 25), 0x00C0C0));
            int white = 0;
            for (int y = 60; y < 110; ++y)
                for (int x = 10; x < 190; ++x)
                    white += Near(backup.At(x, y), 0xFFFFFF, 30);
            EXPECT_GT(white, 150);
        } else {
            EXPECT_TRUE(Near(backup.At(600, 10), 0x00B000)); // the bar fills the banner
            EXPECT_TRUE(Near(backup.At(623, 45), 0xFF6A00));
            EXPECT_TRUE(Near(backup.At(585, 45), 0xFFD000));
            // Placed by the automatic rule: x scaled by 728 / 300, y by 90 / 250.
            EXPECT_TRUE(Near(backup.At(static_cast<int>(50 * 728.0 / 300), 9), 0xC000C0));
        }
    }
    if (keep)
        fs::copy(web, keep, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// Projects that the host's own second reader of the format used to publish wrongly, published
// whole: every answer now comes from the one model, so the creative, the project, the movie and
// the backup image agree with what the banner draws.
class PublishedProject : public ::testing::Test {
protected:
    // Publishes project (saved as work/ad.pbf) with a host of its own into a new folder;
    // answers the banner folder.
    std::string Publish(const std::string& project) {
        bed.reset();
        bed = std::make_unique<HostTestBed>();
        bed->InstallPublishData();
        const std::string work = bed->Scratch("work/");
        fs::create_directories(work);
        WriteFileText(work + "ad.pbf", project);
        bed->MovieAnswers({{"photoEditor", project}});
        bed->Start(work + "ad.pbf");
        bed->host->ApplyCommandLine();
        bed->host->Publisher().SetJpegChoice(JpegChoice::Decline);
        const std::string web = bed->Scratch("web");
        fs::create_directories(web);
        auto reply = bed->player.Command("OutPutProjectFilesVC", {"1", "0", web});
        EXPECT_EQ(reply ? UnwrapStringResult(*reply) : "", "ok")
            << (bed->dialogs.History().empty() ? "" : bed->dialogs.History().back().text);
        return web + "/banner/";
    }
    static std::string Lower(std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    ScratchFolder pictures;
    std::unique_ptr<HostTestBed> bed;
};

// The banner's link and a button's link: only web and mail links reach the creative's clickTag,
// the published project and the button, however a script or data address is written.
TEST_F(PublishedProject, LinksOtherThanWebAndMailNeverReachThePublishedFiles) {
    const char* const refused[] = {
        "javascript:alert(1)",           "JaVaScRiPt:alert(1)",       "  javascript:alert(1)",
        "&#9;javascript:alert(1)",       "&#106;avascript:alert(1)",  "java&#9;script:alert(1)",
        "&#x20;JAVASCRIPT&#58;alert(1)", "data:text/html,&lt;b&gt;x", "vbscript:msgbox(1)",
        "&#10;VBScript:msgbox(1)",       "DATA:image/svg+xml,x"};
    for (const char* link : refused) {
        SCOPED_TRACE(link);
        const std::string banner = Publish(
            std::string(
                "<template version=\"2\" demoWidth=\"200\" demoHeight=\"100\"><link url=\"") +
            link + "\"/><elements><button id=\"b\" url=\"" + link +
            "\"><label>Go</label></button></elements></template>");
        const std::string page = ReadFileText(banner + "html5/index.html");
        EXPECT_NE(page.find("var clickTag = \"\";"), std::string::npos);
        for (const std::string& text : {page, ReadFileText(banner + "template.xml")}) {
            const std::string lower = Lower(text);
            for (const char* scheme : {"script:", "script&#58;", "data:", "alert", "msgbox"})
                EXPECT_EQ(lower.find(scheme), std::string::npos) << scheme << " in " << text;
        }
    }
    // A web link is kept, without the blanks around it.
    const std::string banner = Publish(
        "<template version=\"2\" demoWidth=\"200\" demoHeight=\"100\"><link url=\" "
        "HTTPS://Example.org/a \"/><elements><button id=\"b\" url=\"&#9;mailto:x@example.org\">"
        "<label>Go</label></button></elements></template>");
    const std::string page = ReadFileText(banner + "html5/index.html");
    EXPECT_NE(page.find("var clickTag = \"HTTPS://Example.org/a\";"), std::string::npos);
    EXPECT_NE(ReadFileText(banner + "template.xml").find("url=\"mailto:x@example.org\""),
              std::string::npos);
}

// However the version number is written, a project with elements is read as one: its element
// pictures are copied and renamed, and no published file names the original place.
TEST_F(PublishedProject, OddVersionStringsStillPublishTheElementPictures) {
    const std::string picture = pictures / "elsewhere/pic.png";
    WritePng(picture, 20, 10, false, 0x30C040);
    for (const char* version : {"0x2",
                                "\xC2\xA0"
                                "2",
                                "\x0B"
                                "2",
                                " 2", "+2"}) {
        SCOPED_TRACE(std::string("version ") + version);
        const std::string banner = Publish(
            std::string("<template version=\"") + version +
            "\" demoWidth=\"200\" demoHeight=\"100\" bgColor=\"#000000\"><elements>"
            "<image id=\"p\" x=\"10\" y=\"10\" width=\"100\" height=\"50\" fit=\"stretch\" src=\"" +
            picture + "\"/></elements></template>");
        EXPECT_EQ(DecodePng(ReadFileText(banner + "res/pic.png")).At(1, 1), 0x30C040u);
        EXPECT_EQ(DecodePng(ReadFileText(banner + "html5/pic.png")).At(1, 1), 0x30C040u);
        const std::string project = ReadFileText(banner + "template.xml");
        EXPECT_NE(project.find("src=\"res/pic.png\""), std::string::npos) << project;
        EXPECT_EQ(project.find(picture), std::string::npos);
        const std::string page = ReadFileText(banner + "html5/index.html");
        EXPECT_EQ(page.find(picture), std::string::npos);
        EXPECT_NE(page.find("src=\\\"pic.png\\\""), std::string::npos);
        Picture backup = DecodePng(ReadFileText(banner + "banner_backup.png"));
        ASSERT_EQ(backup.width, 200);
        EXPECT_TRUE(Near(backup.At(60, 35), 0x30C040));
        EXPECT_TRUE(Near(backup.At(150, 80), 0x000000));
    }
}

// A size out of range is clamped alike everywhere: the creative's ad.size, its page, the movie's
// stage, the backup image and the published project.
TEST_F(PublishedProject, OutOfRangeSizesAreClampedAlikeInEveryPublishedFile) {
    struct Case {
        std::string attributes;
        int width, height;
    };
    const Case cases[] = {{"version=\"2\" demoWidth=\"99999\" demoHeight=\"-5\"", 8191, 1},
                          {"version=\"2\" demoWidth=\"0\" demoHeight=\"70000\"", 1, 8191},
                          {"demoWidth=\"100000\" demoHeight=\"250\"", 8191, 250}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        const std::string banner = Publish("<template " + c.attributes + "/>");
        const std::string w = std::to_string(c.width), h = std::to_string(c.height);
        EXPECT_NE(ReadFileText(banner + "html5/index.html")
                      .find("content=\"width=" + w + ",height=" + h + "\""),
                  std::string::npos);
        EXPECT_EQ(ReadStageSize(ReadFileText(banner + "banner.swf")),
                  std::make_pair(c.width, c.height));
        const Picture backup = DecodePng(ReadFileText(banner + "banner_backup.png"));
        EXPECT_EQ(std::make_pair(backup.width, backup.height), std::make_pair(c.width, c.height));
        EXPECT_NE(ReadFileText(banner + "template.xml")
                      .find("demoWidth=\"" + w + "\" demoHeight=\"" + h + "\""),
                  std::string::npos);
    }
}

// Repeated and unusable ids: each element is drawn at its own place; a place names the first
// element of its id, the others follow the automatic rule.
TEST_F(PublishedProject, RepeatedIdsDrawEveryElementAtItsOwnPlace) {
    const std::string banner = Publish(R"(<template version="2" demoWidth="300" demoHeight="100"
        bgColor="#000000"><elements>
      <shape id="a" x="0" y="0" width="50" height="50" fill="#FF0000"/>
      <shape id="a" x="100" y="0" width="50" height="50" fill="#00FF00"/>
      <shape id="not an id!" x="200" y="0" width="50" height="50" fill="#0000FF"/>
    </elements><sizes><size width="300" height="100"/><size width="600" height="200">
      <place ref="a" x="0" y="100" width="50" height="50"/></size></sizes></template>)");
    const Picture first = DecodePng(ReadFileText(banner + "banner_backup.png"));
    ASSERT_EQ(first.width, 300);
    EXPECT_TRUE(Near(first.At(25, 25), 0xFF0000));
    EXPECT_TRUE(Near(first.At(125, 25), 0x00FF00));
    EXPECT_TRUE(Near(first.At(225, 25), 0x0000FF));
    const Picture second = DecodePng(ReadFileText(banner + "600x200/banner_backup.png"));
    ASSERT_EQ(second.width, 600);
    EXPECT_TRUE(Near(second.At(25, 125), 0xFF0000));
    EXPECT_TRUE(Near(second.At(25, 25), 0x000000));
    EXPECT_TRUE(Near(second.At(250, 50), 0x00FF00));
    EXPECT_TRUE(Near(second.At(450, 50), 0x0000FF));
    // The published project of that size names each element once, under distinct ids.
    const std::string project = ReadFileText(banner + "600x200/template.xml");
    EXPECT_NE(project.find("id=\"a\""), std::string::npos);
    EXPECT_EQ(project.find("id=\"a\"", project.find("id=\"a\"") + 1), std::string::npos);
    EXPECT_EQ(project.find("not an id"), std::string::npos);
}

// A face of the user's as the SWF banner gets it: the template face movie with its face tag
// written from the file, for the banner's characters only, every glyph with its outline, code,
// advance and bounds; the movie still loads and keeps the class its face is linked to.
TEST(FontMovie, TheTemplatesFaceIsReplacedByTheUsersGlyphsOfTheText) {
    const auto face =
        platform::ReadWholeFile("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    const auto movieTemplate =
        platform::ReadWholeFile(PENNORIA_PROGRAM_DIR "/editor/templateEditor/userface.swf");
    ASSERT_TRUE(face && movieTemplate);
    std::string error;
    const auto movie = MakeFontMovie(*movieTemplate, *face, "Acme Mono", "Hi, Hi\xC3\xA9", &error);
    ASSERT_TRUE(movie) << error;
    SWFMovie read(nullptr);
    ASSERT_TRUE(read.LoadFromData(*movie)) << read.LoadError();
    std::string body;
    bool linked = false;
    for (const SWFTag& tag : read.Tags()) {
        if (tag.Code() == 75)
            body.assign(reinterpret_cast<const char*>(tag.Body()->Data()), tag.Body()->GetLength());
        linked = linked || tag.Code() == 76; // the class the face is linked to
    }
    ASSERT_GT(body.size(), 8u);
    EXPECT_TRUE(linked);
    auto u16 = [&body](std::size_t at) {
        return static_cast<int>(static_cast<unsigned char>(body.at(at)) |
                                static_cast<unsigned char>(body.at(at + 1)) << 8);
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    const std::size_t nameLength = static_cast<unsigned char>(body.at(4));
    EXPECT_EQ(body.substr(5, nameLength), "Acme Mono");
    EXPECT_EQ(static_cast<unsigned char>(body.at(2)) & 0x8C,
              0x8C); // layout, wide offsets and codes
    const std::size_t table = 5 + nameLength + 2;
    const int glyphs = u16(table - 2);
    // Space, ',', 'H', 'i' and '\u00E9', each once, in code order.
    ASSERT_EQ(glyphs, 5);
    const std::size_t codes = table + u32(table + 4 * glyphs);
    std::vector<int> seen;
    for (int i = 0; i < glyphs; ++i)
        seen.push_back(u16(codes + 2 * i));
    EXPECT_EQ(seen, (std::vector<int>{0x20, 0x2C, 0x48, 0x69, 0xE9}));
    // Every glyph but the space has an outline; a monospaced face's advances are all alike.
    for (int i = 1; i < glyphs; ++i)
        EXPECT_GT(u32(table + 4 * (i + 1)) - u32(table + 4 * i), 2) << i;
    const std::size_t advances = codes + 2 * glyphs + 6;
    for (int i = 0; i < glyphs; ++i)
        EXPECT_EQ(u16(advances + 2 * i), u16(advances)) << i;
    EXPECT_NEAR(u16(advances), 0.602 * 20480, 200); // DejaVu Sans Mono: 1233 of 2048 units
    EXPECT_FALSE(MakeFontMovie(*movieTemplate, "not a face", "Acme Mono", "Hi", &error));
}

// The Add font button's call: the chosen face is copied into fonts/ beside the project under a
// plain name and its family is named; the same face again is the same copy, another face of
// that name gets one of its own; no project file yet, or a file that is no face, is refused. The
// canvas's call then makes a face movie of the copy.
TEST(UserFonts, AFaceIsCopiedBesideTheProjectAndGivenToTheCanvasAsAFaceMovie) {
    HostTestBed bed;
    const std::string program = bed.ProgramFolder() + "editor/templateEditor/";
    fs::create_directories(program);
    fs::copy_file(PENNORIA_PROGRAM_DIR "/editor/templateEditor/userface.swf",
                  program + "userface.swf");
    const std::string mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    auto call = [&bed](const char* name, std::vector<std::string> args) {
        auto reply = bed.player.Command(name, args);
        return reply ? UnwrapStringResult(*reply) : std::string("(none)");
    };
    {
        HostTestBed fresh;
        fresh.Start();
        auto reply = fresh.player.Command("AddFontVC", {mono});
        EXPECT_EQ(reply ? UnwrapStringResult(*reply) : "", "false\tthe project has no file yet");
    }

    const std::string work = bed.Scratch("work/");
    const std::string project = "<template version=\"2\"/>";
    fs::create_directories(work);
    WriteFileText(work + "ad.pbf", project);
    bed.MovieAnswers({{"photoEditor", project}, {"customTemplate", project}});
    bed.Start(work + "ad.pbf");
    bed.host->ApplyCommandLine();
    fs::create_directories(bed.Scratch("mine/"));
    fs::create_directories(bed.Scratch("other/"));
    fs::copy_file(mono, bed.Scratch("mine/My Face!.ttf"));
    fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                  bed.Scratch("other/My Face!.ttf"));
    EXPECT_EQ(call("AddFontVC", {bed.Scratch("mine/My Face!.ttf")}),
              "fonts/My_Face_.ttf\tDejaVu Sans Mono");
    EXPECT_EQ(ReadFileText(work + "fonts/My_Face_.ttf"), *platform::ReadWholeFile(mono));
    EXPECT_EQ(call("AddFontVC", {bed.Scratch("mine/My Face!.ttf")}),
              "fonts/My_Face_.ttf\tDejaVu Sans Mono");
    EXPECT_EQ(call("AddFontVC", {bed.Scratch("other/My Face!.ttf")}),
              "fonts/My_Face_-2.ttf\tDejaVu Sans");
    WriteFileText(bed.Scratch("fake.ttf"), "not a face at all");
    EXPECT_EQ(call("AddFontVC", {bed.Scratch("fake.ttf")}).rfind("false\t", 0), 0u);
    EXPECT_FALSE(platform::PathExists(work + "fonts/fake.ttf"));

    const std::string movie =
        FromBase64(call("FontMovieVC", {"DejaVu Sans Mono", "fonts/My_Face_.ttf", "Hi"}));
    SWFMovie read(nullptr);
    ASSERT_TRUE(read.LoadFromData(movie)) << read.LoadError();
    const auto face = std::find_if(read.Tags().begin(), read.Tags().end(),
                                   [](const SWFTag& tag) { return tag.Code() == 75; });
    ASSERT_NE(face, read.Tags().end());
    const std::string body(reinterpret_cast<const char*>(face->Body()->Data()),
                           face->Body()->GetLength());
    EXPECT_EQ(body.substr(5, 16), "DejaVu Sans Mono");
    EXPECT_EQ(call("FontMovieVC", {"Gone", "fonts/gone.ttf", "Hi"}), "false");
}
