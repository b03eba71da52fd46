// Kept work: the editor's unsaved work on disk while it is edited, and what ended runs left
// behind offered back, driven through the commands the editor sends.
#include "bridge/WorkKeeper.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace pennoria;
using namespace pennoria::testing;

namespace {

// Above the largest process id Linux hands out (2^22), so never a running process.
const std::string kEndedRun = "work-999999991.pbf";

class KeptWork : public ::testing::Test {
protected:
    void SetUp() override {
        folder = bed.Scratch("state/pennoria");
        ASSERT_TRUE(platform::CreateOneDirectory(bed.Scratch("state")));
        ASSERT_TRUE(platform::CreateOneDirectory(folder));
        bed.Start();
        bed.host->KeepWorkIn(folder,
                             [this](const std::string& text) { recovered.push_back(text); });
        own = folder + "/" + bed.host->WorkKeeper()->OwnName();
    }
    std::string Reply(const std::string& command, const std::vector<std::string>& args) {
        std::string reply = bed.player.Command(command, args).value_or("(no reply)");
        // What the editor hands over is on disk before the test looks.
        bed.host->WorkKeeper()->Flush();
        return reply;
    }

    HostTestBed bed;
    std::string folder;
    std::string own;
    std::vector<std::string> recovered;
};

} // namespace

// Each hand-over replaces the run's one file whole; an empty text (saved, or nothing changed)
// and a clean exit remove it.
TEST_F(KeptWork, TheRunsFileFollowsTheWorkAndGoesWhenItIsSavedOrClosed) {
    EXPECT_EQ(own, folder + "/work-" + std::to_string(::getpid()) + ".pbf");
    EXPECT_EQ(Reply("KeepWorkVC", {"<template a=\"1\"/>"}), "<string>ok</string>");
    EXPECT_EQ(ReadFileText(own), "<template a=\"1\"/>");
    EXPECT_EQ(Reply("KeepWorkVC", {"<template a=\"2\">x &amp; y</template>"}),
              "<string>ok</string>");
    EXPECT_EQ(ReadFileText(own), "<template a=\"2\">x &amp; y</template>");
    EXPECT_EQ(Reply("KeepWorkVC", {""}), "<string>ok</string>");
    EXPECT_FALSE(platform::PathExists(own));
    Reply("KeepWorkVC", {"<template a=\"3\"/>"});
    EXPECT_TRUE(platform::FileExists(own));
    Reply("ExitApplicationVC", {});
    EXPECT_FALSE(platform::PathExists(own));
    // The run's own file is never offered back to it.
    Reply("KeepWorkVC", {"<template a=\"4\"/>"});
    EXPECT_EQ(Reply("KeptWorkVC", {}), "<string>false</string>");
}

// Files that ended runs left behind are offered one at a time; recovered, the text comes back and
// becomes this run's kept work; discarded, it goes. Names that are not such files are refused.
TEST_F(KeptWork, WorkLeftBehindIsOfferedRecoveredOrDiscarded) {
    WriteFileText(folder + "/" + kEndedRun, "<template t=\"a &amp; b\"/>");
    WriteFileText(folder + "/work-999999992.pbf", "<template t=\"second\"/>");
    WriteFileText(folder + "/work-999999993.pbf" + platform::kTemporaryMarker + "abcdef", "torn");
    WriteFileText(folder + "/notes.txt", "not work");
    WriteFileText(folder + "/work-x1.pbf", "not a process");
    ASSERT_EQ(::symlink((folder + "/notes.txt").c_str(), (folder + "/work-999999994.pbf").c_str()),
              0);

    EXPECT_EQ(Reply("KeptWorkVC", {}), "<string>" + kEndedRun + "</string>");
    for (const std::string& name :
         {std::string("notes.txt"), std::string("work-x1.pbf"), std::string("work-999999994.pbf"),
          std::string("../pennoria/") + kEndedRun, std::string("work-1.pbf")})
        EXPECT_EQ(Reply("RecoverWorkVC", {name, "recover"}), "<string>false</string>") << name;
    EXPECT_EQ(Reply("RecoverWorkVC", {kEndedRun, "keep"}), "<string>false</string>");
    EXPECT_TRUE(recovered.empty());

    EXPECT_EQ(Reply("RecoverWorkVC", {kEndedRun, "recover"}),
              "<string>&lt;template t=&quot;a &amp;amp; b&quot;/&gt;</string>");
    EXPECT_EQ(recovered, (std::vector<std::string>{"<template t=\"a &amp; b\"/>"}));
    EXPECT_EQ(ReadFileText(own), "<template t=\"a &amp; b\"/>");
    EXPECT_FALSE(platform::PathExists(folder + "/" + kEndedRun));
    // A torn write is debris, not work: cleared when the folder is looked at.
    EXPECT_FALSE(platform::PathExists(folder + "/work-999999993.pbf" + platform::kTemporaryMarker +
                                      "abcdef"));

    EXPECT_EQ(Reply("KeptWorkVC", {}), "<string>work-999999992.pbf</string>");
    EXPECT_EQ(Reply("RecoverWorkVC", {"work-999999992.pbf", "discard"}), "<string>ok</string>");
    EXPECT_FALSE(platform::PathExists(folder + "/work-999999992.pbf"));
    EXPECT_EQ(Reply("KeptWorkVC", {}), "<string>false</string>");
    EXPECT_TRUE(platform::FileExists(folder + "/notes.txt"));
}

// The editor started again within the run (it stopped answering): its work is put aside and
// offered to the new editor like work of an ended run; twice put aside, two offers; recovered, it
// is this run's kept work again.
TEST_F(KeptWork, WorkPutAsideForAnEditorStartedAgainIsOfferedBack) {
    CWorkKeeper& keeper = *bed.host->WorkKeeper();
    EXPECT_FALSE(keeper.SetAside()); // nothing kept yet
    Reply("KeepWorkVC", {"<template n=\"first\"/>"});
    ASSERT_TRUE(keeper.SetAside());
    EXPECT_FALSE(platform::PathExists(own));
    const std::string stem = "work-" + std::to_string(::getpid());
    EXPECT_EQ(Reply("KeptWorkVC", {}), "<string>" + stem + "-1.pbf</string>");
    Reply("KeepWorkVC", {"<template n=\"second\"/>"});
    ASSERT_TRUE(keeper.SetAside());
    EXPECT_EQ(keeper.LeftBehind(), (std::vector<std::string>{stem + "-1.pbf", stem + "-2.pbf"}));

    EXPECT_EQ(Reply("RecoverWorkVC", {stem + "-1.pbf", "recover"}),
              "<string>&lt;template n=&quot;first&quot;/&gt;</string>");
    EXPECT_EQ(ReadFileText(own), "<template n=\"first\"/>");
    EXPECT_EQ(Reply("RecoverWorkVC", {stem + "-2.pbf", "discard"}), "<string>ok</string>");
    EXPECT_EQ(Reply("KeptWorkVC", {}), "<string>false</string>");
    EXPECT_EQ(ReadFileText(own), "<template n=\"first\"/>");
}

TEST(KeptWorkNames, OnlyProcessIdsAreTaken) {
    EXPECT_EQ(KeptWorkProcessId("work-42.pbf"), 42);
    EXPECT_EQ(KeptWorkProcessId("work-42-3.pbf"), 42);
    for (const char* name : {"work-.pbf", "work-042.pbf", "work-4x.pbf", "work-42.pbf.bak",
                             "xwork-42.pbf", "work-1234567890.pbf", "work--1.pbf", "work-42-.pbf",
                             "work-42-03.pbf", "work-42-1-1.pbf", "work--.pbf"})
        EXPECT_FALSE(KeptWorkProcessId(name)) << name;
}

// Without a folder nothing is kept and the editor is told so.
TEST(KeptWorkOff, CommandsAnswerFalse) {
    HostTestBed bed;
    bed.Start();
    EXPECT_EQ(bed.player.Command("KeepWorkVC", {"<template/>"}), "<string>false</string>");
    EXPECT_EQ(bed.player.Command("KeptWorkVC", {}), "<string>false</string>");
    EXPECT_EQ(bed.player.Command("RecoverWorkVC", {kEndedRun, "recover"}),
              "<string>false</string>");
}
