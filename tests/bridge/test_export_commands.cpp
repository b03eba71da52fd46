// The Export panel's calls through the host's dispatcher, with the real banner model: refusals in
// the command line's words, a GIF of every size followed to its end, a stop that leaves only
// whole files, and frames painted on the worker with the program's faces.
#include "bridge/ExportJob.h"
#include "publish/ExportBanner.h"
#include "tests/bridge/BridgeTestSupport.h"
#include "tests/publish/ExportTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace pennoria {
namespace {

namespace fs = std::filesystem;
using testing::HostTestBed;
using testing::ReadFileText;
using testing::WriteFileText;

// The system has no faces at all in this test: text has only the program's own, so a frame
// painted without them cannot pass for one painted with them.
const bool kNoSystemFaces = [] {
    // Kept (and removed) with the process, which reads it whenever text is laid out.
    static const testing::ScratchFolder folder;
    const std::string config = folder / "no-fonts.conf";
    WriteFileText(config, "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    ::setenv("FONTCONFIG_FILE", config.c_str(), 1);
    return true;
}();

const char* const kProject = R"(<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F" length="2000">
  <elements>
    <shape id="dot" kind="ellipse" x="20" y="150" width="60" height="60" fill="#FFD000">
      <enter type="slide" from="left" duration="1500"/></shape>
    <text id="t1" x="10" y="20" width="280" height="80" font="Liberation Sans" bold="true"
          size="30" color="#FFFFFF"><label>Summer sale 30% off</label></text>
  </elements>
  <sizes>
    <size width="300" height="250"/>
    <size width="160" height="600"/>
  </sizes>
</template>)";

class ExportCommands : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(bed.ProgramFolder() + "fonts");
        fs::copy_file("/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
                      bed.ProgramFolder() + "fonts/LiberationSans-Bold.ttf");
        project = bed.Scratch("work/sale.pbf");
        fs::create_directories(bed.Scratch("work"));
        WriteFileText(project, kProject);
        folder = bed.Scratch("out");
        bed.MovieAnswers({{"photoEditor", kProject}});
        bed.Start(project);
        exports = std::make_unique<CExportCommands>(*bed.host, bed.window);
    }

    std::string Call(const std::string& name, const std::vector<std::string>& arguments = {}) {
        std::string reply;
        EXPECT_TRUE(bed.host->DispatchEditorCommand({name, arguments}, reply)) << name;
        return reply;
    }

    // Asks for the progress as the panel does, running the host's loop between questions, until
    // the export has ended; the fractions seen on the way.
    std::vector<double> FollowToTheEnd(std::string& last) {
        std::vector<double> fractions;
        for (;;) {
            last = Call("ExportProgressVC");
            const std::size_t at = last.find("\"fraction\":");
            fractions.push_back(std::stod(last.substr(at + 11)));
            if (last.find("\"state\":\"running\"") == std::string::npos)
                return fractions;
            bed.window.WaitForPostedWork();
            bed.window.RunPostedWork();
        }
    }

    std::vector<std::string> Written() const {
        std::vector<std::string> names;
        if (fs::exists(folder))
            for (const auto& entry : fs::directory_iterator(folder))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    HostTestBed bed;
    std::string project;
    std::string folder;
    std::unique_ptr<CExportCommands> exports;
};

TEST_F(ExportCommands, BadRequestsAreRefusedInTheCommandLinesWordsAndWriteNothing) {
    EXPECT_EQ(Call("ExportProgressVC"),
              "{\"state\":\"idle\",\"fraction\":0,\"written\":[],\"notes\":[],\"errors\":[]}");
    EXPECT_EQ(Call("ExportBannerVC", {"bmp", folder}),
              "unknown format \"bmp\" (gif, mp4, webm, png or jpg)");
    EXPECT_EQ(Call("ExportBannerVC", {"gif", folder, "", "", "", "300x250", "728x90"}),
              "the banner has no size 728x90 (its sizes: 300x250, 160x600)");
    EXPECT_EQ(Call("ExportBannerVC", {"png", folder, "9"}),
              "the moment 9 s is outside the timeline (0 to 2 s)");
    EXPECT_EQ(Call("ExportBannerVC", {"gif", folder, "", "", "1.5"}),
              "the size limit \"1.5\" is not a whole number of KB");
    EXPECT_EQ(Call("ExportBannerVC", {"png", "/proc/no-such-folder"}).rfind("the export folder", 0),
              0u);
    EXPECT_TRUE(Written().empty());
    EXPECT_NE(Call("ExportProgressVC").find("\"state\":\"idle\""), std::string::npos);
}

TEST_F(ExportCommands, AGifOfEverySizeIsFollowedToItsEndAndReadsBackAtItsSize) {
    ASSERT_EQ(Call("ExportBannerVC", {"gif", folder}), "ok");
    EXPECT_EQ(Call("ExportBannerVC", {"gif", folder}), "an export is running already");
    std::string last;
    const std::vector<double> fractions = FollowToTheEnd(last);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_EQ(fractions.back(), 1.0);
    EXPECT_NE(last.find("\"state\":\"done\""), std::string::npos) << last;
    EXPECT_NE(last.find("\"errors\":[]"), std::string::npos) << last;
    EXPECT_EQ(Written(), (std::vector<std::string>{"sale_160x600.gif", "sale_300x250.gif"}));
    for (const auto& [name, width, height] :
         {std::tuple{"sale_300x250.gif", 300, 250}, std::tuple{"sale_160x600.gif", 160, 600}}) {
        EXPECT_NE(last.find(folder + "/" + name), std::string::npos) << last;
        const testing::GifFile gif = testing::ReadGif(ReadFileText(folder + "/" + name));
        EXPECT_EQ(gif.problem, "");
        EXPECT_EQ(gif.width, width);
        EXPECT_EQ(gif.height, height);
        EXPECT_GT(gif.frames.size(), 1u);
    }
}

TEST_F(ExportCommands, AStoppedExportLeavesOnlyWholeFiles) {
    ASSERT_EQ(Call("ExportBannerVC", {"gif", folder, "", "", "", "300x250", "160x600"}), "ok");
    EXPECT_EQ(Call("CancelExportVC"), "ok");
    std::string last;
    FollowToTheEnd(last);
    EXPECT_NE(last.find("\"state\":\"cancelled\""), std::string::npos) << last;
    EXPECT_NE(last.find("the export was stopped"), std::string::npos) << last;
    // Whatever was finished before the stop is whole and said; nothing else is there.
    for (const std::string& name : Written()) {
        EXPECT_NE(last.find(folder + "/" + name), std::string::npos) << name;
        EXPECT_EQ(testing::ReadGif(ReadFileText(folder + "/" + name)).problem, "") << name;
    }
    EXPECT_LT(Written().size(), 2u);
}

TEST_F(ExportCommands, AStillPaintedOnTheWorkerHasTheProgramsFaces) {
    ASSERT_EQ(Call("ExportBannerVC", {"png", folder, "1", "", "", "300x250"}), "ok");
    std::string last;
    FollowToTheEnd(last);
    ASSERT_NE(last.find("\"state\":\"done\""), std::string::npos) << last;

    // The same still exported on this thread.
    BannerModel* model = BannerModel::Shared();
    ASSERT_NE(model, nullptr);
    std::string error;
    std::unique_ptr<BannerFrames> frames =
        BannerFrames::Open(*model, kProject, project, bed.ProgramFolder() + "fonts", &error);
    ASSERT_NE(frames, nullptr) << error;
    ExportRequest request;
    request.format = ExportFormat::Png;
    request.folder = bed.Scratch("here");
    request.baseName = "sale";
    request.sizes = {{300, 250}};
    request.atSeconds = 1;
    ASSERT_TRUE(RunExport(*frames, request).ok);
    const std::string here = ReadFileText(request.folder + "/sale_300x250.png");
    EXPECT_EQ(ReadFileText(folder + "/sale_300x250.png"), here);

    // And the faces are what the text is drawn with: without them there is none to draw with.
    std::unique_ptr<BannerFrames> faceless =
        BannerFrames::Open(*model, kProject, project, bed.Scratch("no-fonts"), &error);
    ASSERT_NE(faceless, nullptr) << error;
    request.folder = bed.Scratch("faceless");
    ASSERT_TRUE(RunExport(*faceless, request).ok);
    EXPECT_NE(ReadFileText(request.folder + "/sale_300x250.png"), here);
}

} // namespace
} // namespace pennoria
