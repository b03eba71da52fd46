// What a publish leaves in its folder, through the dispatcher as the editor asks for it: pictures
// beyond the pixel budget refused by name before anything is written, published picture names
// that stand in a URL as they are, and a republish that removes exactly what an earlier publish
// of ours wrote and the project no longer produces.
#include "platform/ConfinedFolder.h"
#include "platform/FileSystem.h"
#include "publish/Html5Creative.h"
#include "publish/PublishImage.h"
#include "publish/PublishManifest.h"
#include "tests/PictureBombs.h"
#include "tests/TestSupport.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <set>

using namespace pennoria;
using namespace pennoria::testing;
namespace fs = std::filesystem;

namespace {

// A small PNG whose size (and so its bytes) differs with n.
std::string SmallPng(int n) {
    return PngOfSize(static_cast<std::uint32_t>(4 + n % 13),
                     static_cast<std::uint32_t>(4 + n / 13));
}

std::string Project(const std::string& background, const std::vector<std::string>& pictures,
                    const std::vector<std::pair<int, int>>& sizes) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template version=\"2\" "
                      "demoWidth=\"300\" demoHeight=\"250\" bgColor=\"#1E3A5F\"";
    if (!background.empty())
        xml += " img=\"" + background + "\"";
    xml += ">\n  <elements>\n";
    int n = 0;
    for (const std::string& picture : pictures) {
        xml += "    <image id=\"p" + std::to_string(n) + "\" x=\"" + std::to_string(10 + 40 * n) +
               "\" y=\"10\" width=\"30\" height=\"30\" src=\"" + EscapeXmlText(picture) + "\"/>\n";
        ++n;
    }
    xml += "  </elements>\n  <sizes>\n";
    for (auto [w, h] : sizes)
        xml += "    <size width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
               "\"/>\n";
    return xml + "  </sizes>\n</template>\n";
}

// The files below folder, as relative paths.
std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.insert(fs::relative(entry.path(), folder).string());
    return files;
}

// Letters, digits, '_', '-' and the characters in extra: nothing a URL would read specially.
bool OnlyUrlSafeCharacters(const std::string& text, const std::string& extra) {
    for (const char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!plain && extra.find(c) == std::string::npos)
            return false;
    }
    return true;
}

// A published picture's name: a non-empty safe stem and the picture's own extension.
bool IsSafePictureName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    const std::string extension = name.substr(dot + 1);
    return OnlyUrlSafeCharacters(name.substr(0, dot), "") &&
           (extension == "png" || extension == "jpg" || extension == "gif");
}

class PublishOutputs : public ::testing::Test {
protected:
    void SetUp() override {
        bed.InstallPublishData();
        work = bed.Scratch("work/");
        web = bed.Scratch("web");
        fs::create_directories(work);
        fs::create_directories(web);
    }

    // Publishes project (saved as work/ad.pbf) into web/banner; the reply and the last message.
    std::pair<std::string, std::string> Publish(const std::string& project) {
        WriteFileText(work + "ad.pbf", project);
        bed.MovieAnswers({{"photoEditor", project}, {"customTemplate", project}});
        if (!bed.host) {
            bed.Start(work + "ad.pbf");
            bed.host->ApplyCommandLine();
            bed.host->Publisher().SetJpegChoice(JpegChoice::Decline);
        }
        // A publish into an existing folder answers the overwrite question with yes.
        if (fs::exists(web + "/banner"))
            bed.dialogs.AddAnswer("yes");
        auto reply = bed.player.Command("OutPutProjectFilesVC", {"1", "0", web});
        const std::string message =
            bed.dialogs.History().empty() ? "" : bed.dialogs.History().back().text;
        return {reply ? UnwrapStringResult(*reply) : "", message};
    }

    HostTestBed bed;
    std::string work, web;
};

TEST_F(PublishOutputs, PicturesBeyondThePixelBudgetAreRefusedByNameBeforeAnythingIsWritten) {
    // Bombs of a few kilobytes: decoded, each would take gigabytes and minutes.
    const std::pair<std::string, std::string> bombs[] = {
        {"huge.png", PngOfSize(20000, 20000)},
        {"huge.jpg", JpegOfSize(60000, 60000)},
        {"huge.gif", GifOfSize(65535, 65535)},
        {"frame.gif", GifOfSize(10, 10, 30000, 20000)}};
    for (const auto& [name, bytes] : bombs) {
        SCOPED_TRACE(name);
        ASSERT_LT(bytes.size(), 100000u);
        WriteFileText(work + name, bytes);
        WriteFileText(work + "ok.png", SmallPng(1));
        // As the background, and as an element's picture beside a good one.
        for (const std::string& project :
             {Project(name, {}, {{300, 250}}), Project("", {"ok.png", name}, {{300, 250}})}) {
            const auto [reply, message] = Publish(project);
            EXPECT_NE(reply, "ok");
            EXPECT_NE(message.find(name), std::string::npos) << message;
            EXPECT_NE(message.find("pixels"), std::string::npos) << message;
            EXPECT_FALSE(fs::exists(web + "/banner/banner.swf"));
        }
    }
    // At the budget's edge a picture is published.
    WriteFileText(work + "edge.png", PngOfSize(4096, 4096));
    EXPECT_EQ(Publish(Project("edge.png", {}, {{300, 250}})).first, "ok");
}

TEST_F(PublishOutputs, PublishedPictureNamesStandInAUrlAsTheyAre) {
    const std::vector<std::string> names = {"a#b.png",      "c?d.png",         "e%41.png",
                                            "my photo.png", "caf\xC3\xA9.png", ".hidden.png",
                                            "x&y'z.png"};
    std::vector<std::string> pictures;
    int n = 1;
    for (const std::string& name : names) {
        WriteFileText(work + name, SmallPng(n++));
        pictures.push_back(name);
    }
    WriteFileText(work + "bg #1.png", SmallPng(200));
    ASSERT_EQ(Publish(Project("bg #1.png", pictures, {{300, 250}})).first, "ok");
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_string(ReadFileText(web + "/banner/template.xml").c_str()));
    std::set<std::string> published;
    std::vector<std::string> referenced = {xml.child("template").attribute("img").value()};
    for (pugi::xml_node image : xml.child("template").child("elements").children("image"))
        referenced.push_back(image.attribute("src").value());
    for (const std::string& reference : referenced) {
        ASSERT_EQ(reference.rfind("res/", 0), 0u) << reference;
        const std::string name = reference.substr(4);
        EXPECT_TRUE(IsSafePictureName(name)) << name;
        EXPECT_TRUE(platform::FileExists(web + "/banner/" + reference)) << reference;
        published.insert(name);
    }
    EXPECT_EQ(published.size(), names.size() + 1); // each picture under a name of its own
    for (const std::string& file : FilesBelow(web + "/banner/html5"))
        EXPECT_TRUE(!file.empty() && OnlyUrlSafeCharacters(file, ".")) << file;
}

TEST_F(PublishOutputs, ARepublishRemovesWhatOnlyAnEarlierPublishOfOursWrote) {
    for (const char* name : {"one.png", "two.png", "three.png"})
        WriteFileText(work + name, SmallPng(name[1]));
    ASSERT_EQ(
        Publish(Project("one.png", {"two.png", "three.png"}, {{300, 250}, {728, 90}, {160, 600}}))
            .first,
        "ok");
    const std::string banner = web + "/banner/";
    ASSERT_TRUE(platform::FileExists(banner + "728x90/res/three.png"));
    ASSERT_TRUE(platform::FileExists(banner + "160x600/banner_160x600_html5.zip"));
    // The user's own files, beside ours and inside a size folder, and one of ours they changed.
    WriteFileText(banner + "notes.txt", "mine");
    WriteFileText(banner + "160x600/res/mine.png", SmallPng(9));
    WriteFileText(banner + "728x90/banner.html", "edited by hand");

    // Fewer sizes, one picture less.
    ASSERT_EQ(Publish(Project("one.png", {"two.png"}, {{300, 250}, {160, 600}})).first, "ok");
    EXPECT_TRUE(platform::FileExists(banner + "notes.txt"));
    EXPECT_TRUE(platform::FileExists(banner + "160x600/res/mine.png"));
    EXPECT_EQ(ReadFileText(banner + "728x90/banner.html"), "edited by hand");
    // Of the dropped size, only the changed page is left; the folder stays for it.
    EXPECT_EQ(FilesBelow(banner + "728x90"), std::set<std::string>{"banner.html"});
    for (const char* gone : {"res/three.png", "300x250/res/three.png", "160x600/res/three.png",
                             "html5/three.png", "160x600/html5/three.png"})
        EXPECT_FALSE(fs::exists(banner + gone)) << gone;
    for (const char* kept : {"banner.swf", "res/two.png", "160x600/res/two.png",
                             "160x600/banner_160x600_html5.zip", "300x250/banner.swf"})
        EXPECT_TRUE(platform::FileExists(banner + kept)) << kept;

    // One size only: every size folder goes but for what the user put there.
    ASSERT_EQ(Publish(Project("one.png", {}, {{300, 250}})).first, "ok");
    EXPECT_FALSE(fs::exists(banner + "300x250"));
    EXPECT_EQ(FilesBelow(banner + "160x600"), std::set<std::string>{"res/mine.png"});
    EXPECT_FALSE(fs::exists(banner + "res/two.png"));
    EXPECT_TRUE(platform::FileExists(banner + "notes.txt"));
    EXPECT_TRUE(platform::FileExists(banner + "res/one.png"));
}

// A noisy picture of width x height (it compresses badly, as a photograph does).
std::string NoisyPng(const std::string& path, int width, int height) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    std::uint32_t seed = 7;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x) {
            seed = seed * 1664525u + 1013904223u;
            pixels[y * stride + x] = static_cast<guchar>(seed >> 24);
        }
    EXPECT_TRUE(gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr));
    g_object_unref(pixbuf);
    return ReadFileText(path);
}

std::pair<int, int> PictureSize(const std::string& path) {
    int width = 0, height = 0;
    gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    return {width, height};
}

TEST_F(PublishOutputs, PicturesArePublishedAtTwiceTheLargestBoxTheyAreDrawnInAtEachSize) {
    // A 1740 px photograph shown small: drawn 100 x 60 at 300 x 250, 40 x 24 at 320 x 50.
    const std::string original = NoisyPng(work + "photo.png", 1740, 1160);
    ASSERT_GT(original.size(), kCreativeSizeLimit);
    std::string project = Project("", {"photo.png"}, {{300, 250}, {320, 50}});
    auto change = [&project](const std::string& from, const std::string& to) {
        project.replace(project.find(from), from.size(), to);
    };
    change("width=\"30\" height=\"30\"", "width=\"100\" height=\"60\"");
    change("<size width=\"320\" height=\"50\"/>",
           "<size width=\"320\" height=\"50\"><place ref=\"p0\" x=\"2\" y=\"2\" width=\"40\" "
           "height=\"24\"/></size>");
    ASSERT_EQ(Publish(project).first, "ok");
    const std::string banner = web + "/banner/";
    const struct {
        std::string folder;
        int box;
    } sizes[] = {{"", 100}, {"300x250/", 100}, {"320x50/", 40}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.folder);
        const auto [width, height] = PictureSize(banner + size.folder + "res/photo.png");
        // Sharp on a screen of twice the density, and no larger.
        EXPECT_GE(width, 2 * size.box);
        EXPECT_LE(width, 2 * size.box + 1);
        EXPECT_EQ(height, (width * 1160 + 1739) / 1740);
        EXPECT_EQ(PictureSize(banner + size.folder + "html5/photo.png"),
                  std::make_pair(width, height));
        const std::string zip =
            size.folder.empty()
                ? "banner_html5.zip"
                : "banner_" + size.folder.substr(0, size.folder.size() - 1) + "_html5.zip";
        EXPECT_LT(fs::file_size(banner + size.folder + zip), kCreativeSizeLimit);
    }
    // The project keeps its own picture.
    EXPECT_EQ(ReadFileText(work + "photo.png"), original);
}

TEST(PublishManifestTest, AForgedManifestNeverRemovesAnythingOutsideOrNotOurs) {
    ScratchFolder scratch;
    const std::string folder = scratch / "pub";
    fs::create_directories(folder + "/sub");
    WriteFileText(scratch / "outside.txt", "outside");
    WriteFileText(folder + "/sub/ours.txt", "ours");
    WriteFileText(folder + "/changed.txt", "changed since");
    fs::create_symlink(scratch / "outside.txt", folder + "/link.txt");
    fs::create_directory_symlink(scratch.Path(), folder + "/up");
    std::string manifest = "pennoria-published 1\n";
    auto line = [](const std::string& path, std::string_view bytes) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(ContentDigest(bytes)));
        return std::string(hex) + " " + path + "\n";
    };
    manifest += line("../outside.txt", "outside");
    manifest += line("/" + scratch / "outside.txt", "outside");
    manifest += line("up/outside.txt", "outside");
    manifest += line("link.txt", "outside");
    manifest += line("sub/./ours.txt", "ours");
    manifest += line("changed.txt", "as we wrote it");
    manifest += line("sub/ours.txt", "ours");
    manifest += "garbage line\n" + std::string(5000, 'x') + "\n";
    WriteFileText(folder + "/" + kPublishManifestName, manifest);

    auto opened = platform::ConfinedFolder::Open(folder, nullptr);
    ASSERT_TRUE(opened);
    PublishLedger ledger;
    ledger.Record("new.txt", "new");
    const ManifestCleanup cleanup = UpdatePublishFolder(*opened, ledger, true);
    EXPECT_EQ(cleanup.removed, std::vector<std::string>{"sub/ours.txt"});
    EXPECT_EQ(cleanup.kept, std::vector<std::string>{"changed.txt"});
    EXPECT_EQ(ReadFileText(scratch / "outside.txt"), "outside");
    EXPECT_TRUE(fs::is_symlink(folder + "/link.txt"));
    EXPECT_FALSE(fs::exists(folder + "/sub")); // emptied by the removal
    EXPECT_TRUE(platform::FileExists(folder + "/changed.txt"));
    // The manifest now lists this publish's files only.
    const auto records = ParseManifest(ReadFileText(folder + "/" + kPublishManifestName));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, "new.txt");

    // A run that stopped part way removes nothing and keeps the earlier records.
    PublishLedger partial;
    partial.Record("half.txt", "half");
    UpdatePublishFolder(*opened, partial, false);
    std::set<std::string> listed;
    for (const auto& record : ParseManifest(ReadFileText(folder + "/" + kPublishManifestName)))
        listed.insert(record.path);
    EXPECT_EQ(listed, (std::set<std::string>{"new.txt", "half.txt"}));
}

} // namespace
