// Recent projects: what the user opened and saved, listed newest first for the editor across
// starts, missing files marked, opened again or taken off, and handed to the desktop's list.
#include "platform/FileSystem.h"
#include "project/RecentProjects.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace pennoria;
using namespace pennoria::testing;

namespace {

class RecentProjects : public ::testing::Test {
protected:
    void Begin() {
        bed.Start();
        bed.MovieAnswers({{"customTemplate", "<template saved=\"1\"/>"}});
        bed.host->RememberProjectsIn(listFile,
                                     [this](const std::string& path) { allowed.push_back(path); });
    }
    std::string Listed() { return bed.player.Command("RecentProjectsVC").value_or("(none)"); }
    std::string Project(const std::string& name) {
        const std::string path = bed.Scratch(name);
        WriteFileText(path, "<template/>");
        return path;
    }

    HostTestBed bed;
    // Neither the list's folder nor the configuration folder above it exist yet.
    std::string listFile = bed.Scratch("config/pennoria/recent-projects");
    std::vector<std::string> allowed;
};

} // namespace

TEST_F(RecentProjects, OpenedAndSavedProjectsAreListedNewestFirstAcrossStarts) {
    Begin();
    EXPECT_EQ(Listed(), "<string></string>");
    const std::string first = Project("first.pbf");
    const std::string second = Project("second.pbf");
    const std::string saved = bed.Scratch("saved as.pbf");
    bed.dialogs.AddAnswers({first, saved});
    bed.player.Command("GetSelectedFilePathVC", {"Projects(*.pbf)|*.pbf||", "openprj"});
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC", {"saveas"}),
              "<string>" + saved + "</string>");
    bed.host->HandOverProject(second);
    bed.player.Command("OpenHandedProjectVC", {second});
    // Saved again: it moves up, not in twice. An image chosen is no project.
    bed.host->OpenProject(saved);
    bed.dialogs.AddAnswer(bed.Scratch("sky.png"));
    bed.player.Command("GetSelectedFilePathVC", {"Images(*.png)|*.png||", ""});
    EXPECT_EQ(Listed(), "<string>present\t" + saved + "\npresent\t" + second + "\npresent\t" +
                            first + "</string>");
    EXPECT_EQ(bed.shell.RecentFiles(), (std::vector<std::string>{first, saved, second, saved}));

    // The next start lists the same; a file gone since is marked, and cannot be opened.
    bed.host.reset();
    Begin();
    std::remove(second.c_str());
    EXPECT_EQ(Listed(), "<string>present\t" + saved + "\nmissing\t" + second + "\npresent\t" +
                            first + "</string>");
    EXPECT_EQ(bed.player.Command("OpenRecentProjectVC", {second}), "<string>false</string>");
    EXPECT_EQ(bed.player.Command("OpenRecentProjectVC", {bed.Scratch("never.pbf")}),
              "<string>false</string>");
    EXPECT_TRUE(allowed.empty());
    EXPECT_EQ(bed.host->CurrentProjectPath(), "");

    // Opened from the list: the movie may read it, it is the current project and first again.
    EXPECT_EQ(bed.player.Command("OpenRecentProjectVC", {first}), "<string>" + first + "</string>");
    EXPECT_EQ(allowed, std::vector<std::string>{first});
    EXPECT_EQ(bed.host->CurrentProjectPath(), first);
    EXPECT_EQ(bed.window.Title(), "Pennoria-[first.pbf]");
    EXPECT_EQ(bed.player.Command("ForgetRecentProjectVC", {second}), "<string>ok</string>");
    EXPECT_EQ(bed.player.Command("ForgetRecentProjectVC", {second}), "<string>false</string>");
    EXPECT_EQ(Listed(), "<string>present\t" + first + "\npresent\t" + saved + "</string>");
}

// Ten at most; a file the editor could not read is taken off with the open; a list file that is
// not one (too large, stray lines) is read for what it holds, and nothing is kept without a list.
TEST_F(RecentProjects, TheListStaysShortAndHoldsOnlyProjectsThatOpened) {
    Begin();
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(Project("p" + std::to_string(i) + ".pbf"));
        bed.host->OpenProject(paths.back());
    }
    const std::vector<std::string> listed = CRecentProjects(listFile).List();
    ASSERT_EQ(listed.size(), 10u);
    EXPECT_EQ(listed.front(), paths[11]);
    EXPECT_EQ(listed.back(), paths[2]);

    const std::string broken = Project("broken.pbf");
    bed.host->OpenProject(broken);
    EXPECT_EQ(bed.player.Command("ReopenPreviousProjectVC"), "<string>" + paths[11] + "</string>");
    EXPECT_EQ(CRecentProjects(listFile).List().front(), paths[11]);
    EXPECT_FALSE(CRecentProjects(listFile).Contains(broken));

    WriteFileText(listFile, "relative.pbf\n" + paths[0] + "\n\n" + paths[0] + "\n" + paths[1]);
    EXPECT_EQ(CRecentProjects(listFile).List(), (std::vector<std::string>{paths[0], paths[1]}));
    EXPECT_FALSE(CRecentProjects(listFile).Add("not/absolute.pbf"));
    EXPECT_FALSE(CRecentProjects(listFile).Add(bed.Scratch("two\nlines.pbf")));
    WriteFileText(listFile, std::string(100 * 1024, '/'));
    EXPECT_TRUE(CRecentProjects(listFile).List().empty());

    bed.host->RememberProjectsIn("");
    EXPECT_EQ(Listed(), "<string>false</string>");
    EXPECT_EQ(bed.player.Command("OpenRecentProjectVC", {paths[0]}), "<string>false</string>");
}
