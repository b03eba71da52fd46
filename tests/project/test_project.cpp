// Project save and save-as, titles and the project file, through the dispatcher.
#include "project/ProjectFiles.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <csignal>
#include <sys/resource.h>

using namespace pennoria;
using namespace pennoria::testing;

TEST(ProjectName, LastSeparatorRule) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Work\\ad.pbf", "ad.pbf"}, {"C:\\Work/sub\\ad.pbf", "sub\\ad.pbf"},
        {"/home/u/ad.pbf", "ad.pbf"},   {"ad.pbf", "ad.pbf"},
        {"/ad.pbf", "/ad.pbf"},         {"\\ad.pbf", "\\ad.pbf"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(ProjectNameOf(path), name) << path;
}

class ProjectSave : public ::testing::Test {
protected:
    void SetUp() override {
        bed.Start();
        bed.MovieAnswers({{"customTemplate", kText}});
    }
    // Non-Latin text with escaped line breaks, as the movie hands it over.
    const std::string kText = "<template name=\"\xE6\x97\xA5\xE6\x9C\xAC & co\">\\n</template>";
    const std::string kWritten = "<template name=\"\xE6\x97\xA5\xE6\x9C\xAC & co\">\n</template>";
    HostTestBed bed;
};

TEST_F(ProjectSave, NewProjectAsksWhereAndWritesUtf8WithoutBom) {
    const std::string path = bed.Scratch("first.pbf");
    bed.dialogs.AddAnswer(path);
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC"), "<string>" + path + "</string>");
    EXPECT_EQ(bed.dialogs.History().back().kind, "save");
    EXPECT_EQ(bed.dialogs.History().back().text, ""); // no initial file for a new project
    EXPECT_EQ(ReadFileText(path), kWritten);
    EXPECT_EQ(bed.window.Title(), "Pennoria-[first.pbf]");
    // The text was fetched with a nested call while the save request was outstanding.
    ASSERT_EQ(bed.player.Calls().size(), 1u);
    EXPECT_EQ(bed.player.Calls()[0],
              BuildInvokeCall("GetProjectFileXmlDataVC", {"customTemplate"}));
}

TEST_F(ProjectSave, OpenedProjectSavesInPlaceAndSaveAsAsks) {
    const std::string path = bed.Scratch("opened.pbf");
    WriteFileText(path, "old");
    bed.host->OpenProject(path);
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC", {"save"}), "<string>" + path + "</string>");
    EXPECT_TRUE(bed.dialogs.History().empty());
    EXPECT_EQ(ReadFileText(path), kWritten);

    const std::string other = bed.Scratch("other.pbf");
    bed.dialogs.AddAnswer(other);
    EXPECT_EQ(bed.player.Command("saveprojectfilevc", {"SaveAs"}),
              "<string>" + other + "</string>");
    EXPECT_EQ(bed.dialogs.History().back().text, path); // opens at the current project
    EXPECT_EQ(bed.host->CurrentProjectPath(), other);
}

TEST_F(ProjectSave, CancelledSaveChangesNothing) {
    const std::string path = bed.Scratch("keep.pbf");
    bed.host->OpenProject(path);
    const std::string title = bed.window.Title();
    bed.dialogs.AddAnswer("cancel");
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC", {"saveas"}), "<string>false</string>");
    EXPECT_EQ(bed.host->CurrentProjectPath(), path);
    EXPECT_EQ(bed.window.Title(), title);
    EXPECT_TRUE(bed.player.Calls().empty());
}

TEST_F(ProjectSave, MovieThatCannotDeliverGivesSaveFailedButKeepsTheNewName) {
    bed.MovieAnswers({});
    const std::string path = bed.Scratch("x/y.pbf");
    bed.dialogs.AddAnswer(path);
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC"), "<string>saveFailed</string>");
    EXPECT_EQ(bed.window.Title(), "Pennoria-[y.pbf]");
    EXPECT_FALSE(platform::PathExists(path));
}

TEST_F(ProjectSave, UnwritableFileGivesSaveFailedAndLeavesTheOldFileWhole) {
    // Into a folder that does not exist.
    bed.dialogs.AddAnswer(bed.Scratch("missing/p.pbf"));
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC"), "<string>saveFailed</string>");

    // A write that fails part-way (the file size limit stands in for a full disk): the old
    // project stays as it was.
    const std::string path = bed.Scratch("precious.pbf");
    WriteFileText(path, "old project");
    bed.host->OpenProject(path);
    bed.MovieAnswers({{"customTemplate", std::string(100000, 'x')}});
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto reply = bed.player.Command("SaveProjectFileVC");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(reply, "<string>saveFailed</string>");
    EXPECT_EQ(ReadFileText(path), "old project");
}

TEST_F(ProjectSave, EmptyProjectTextIsWrittenAsAnEmptyFile) {
    bed.player.SetMovieFunction([](const std::string&, const std::vector<std::string>&) {
        return std::optional<std::string>("<null/>");
    });
    const std::string path = bed.Scratch("empty.pbf");
    WriteFileText(path, "something");
    bed.host->OpenProject(path);
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC"), "<string>" + path + "</string>");
    EXPECT_EQ(ReadFileText(path), "");
}

// Pictures in the project's folder or below it are stored relative to the project file, others
// absolute; a relative path is the project's own, so a Save As elsewhere keeps it reachable.
TEST(ProjectPictures, StoredRelativeInsideTheProjectFolderAndAbsoluteOutside) {
    HostTestBed bed;
    bed.Start();
    const std::string work = bed.Scratch("work/"), elsewhere = bed.Scratch("elsewhere/");
    for (const std::string& file : {work + "sky.jpg", work + "art/logo.png", elsewhere + "x.png"})
        WriteFileMakingFolders(file, "picture");
    // As the editor hands it over for a project opened from work/: one path relative to it.
    auto text = [](const std::string& img, const std::string& logo, const std::string& mark) {
        return "<template version=\"2\" img=\"" + img + "\"><elements><image id=\"a\" src=\"" +
               logo + "\"/><text id=\"t\"><label>a &amp; b</label></text><image id=\"b\" src=\"" +
               mark +
               "\"/><image id=\"c\" src=\"https://example.org/c.png\"/></elements></template>";
    };
    auto paths = [](const std::string& file) {
        pugi::xml_document xml;
        EXPECT_TRUE(xml.load_string(ReadFileText(file).c_str())) << file;
        std::vector<std::string> found = {xml.child("template").attribute("img").value()};
        for (pugi::xml_node image : xml.child("template").child("elements").children("image"))
            found.push_back(image.attribute("src").value());
        EXPECT_STREQ(xml.child("template").child("elements").child("text").child_value("label"),
                     "a & b");
        return found;
    };
    const std::string url = "https://example.org/c.png";

    bed.host->OpenProject(work + "ad.pbf");
    bed.MovieAnswers(
        {{"customTemplate", text(work + "sky.jpg", "art/logo.png", elsewhere + "x.png")}});
    ASSERT_EQ(bed.player.Command("SaveProjectFileVC", {"save"}),
              "<string>" + work + "ad.pbf</string>");
    EXPECT_EQ(paths(work + "ad.pbf"),
              (std::vector<std::string>{"sky.jpg", "art/logo.png", elsewhere + "x.png", url}));

    // Save As into another folder: the same text, every picture now outside.
    const std::string moved = bed.Scratch("moved/sub/ad.pbf");
    MakeFolders(bed.Scratch("moved/sub"));
    bed.dialogs.AddAnswer(moved);
    ASSERT_EQ(bed.player.Command("SaveProjectFileVC", {"saveas"}),
              "<string>" + moved + "</string>");
    EXPECT_EQ(paths(moved), (std::vector<std::string>{work + "sky.jpg", work + "art/logo.png",
                                                      elsewhere + "x.png", url}));

    // Save As below the pictures' folder, the editor's paths absolute: beside and below it
    // become relative, a climb out stays absolute.
    bed.MovieAnswers({{"customTemplate", text(work + "sky.jpg", work + "./art/../art/logo.png",
                                              elsewhere + "x.png")}});
    bed.dialogs.AddAnswer(work + "art/ad.pbf");
    ASSERT_EQ(bed.player.Command("SaveProjectFileVC", {"saveas"}),
              "<string>" + work + "art/ad.pbf</string>");
    EXPECT_EQ(paths(work + "art/ad.pbf"),
              (std::vector<std::string>{work + "sky.jpg", "logo.png", elsewhere + "x.png", url}));

    // A version-1 project keeps its form; only its picture path changes.
    bed.MovieAnswers({{"customTemplate", "<template img=\"" + elsewhere +
                                             "x.png\"><headline>Hi</headline></template>"}});
    bed.dialogs.AddAnswer(elsewhere + "old.pbf");
    bed.player.Command("SaveProjectFileVC", {"saveas"});
    EXPECT_EQ(ReadFileText(elsewhere + "old.pbf"),
              "<template img=\"x.png\"><headline>Hi</headline></template>");
}
