// Exports read back by readers of their own (ExportTestSupport): the GIF's blocks and timing,
// the videos' container, codec and frames through FFmpeg's demuxers, the stills' pixels; each
// animation's last frame against the final frame; the rules; the refusals.
#include "publish/Export.h"
#include "tests/TestSupport.h"
#include "tests/publish/ExportTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace pennoria {
namespace {

// The video encoders are loaded from the program folder: the one the build made, not this
// test's own folder.
const bool kBuiltProgramFolder = [] {
    ::setenv("PENNORIA_MODULE_PATH", PENNORIA_PROGRAM_DIR "/pennoria-cli", 1);
    return true;
}();

using testing::ReadFileText;
using testing::ReadGif;
using testing::ReadVideo;
using testing::ScratchFolder;
using testing::ShareOff;

// A banner drawn here: a gradient, a disc sliding in over the first second, a bar that appears
// at 1.5 s and stays to the end. Everything is still from 1.0 to 1.5 s and from 1.5 s on.
class TestBanner : public IFrameSource {
public:
    std::vector<ExportSize> sizes{{300, 250}, {301, 251}};
    int length = 2000;
    int loops = 3;
    bool noise = false;
    int paints = 0;

    std::vector<ExportSize> Sizes() const override { return sizes; }
    int LengthMs() const override { return length; }
    int Loops() const override { return loops; }
    bool Paint(ExportSize size, double t, ArgbFrame& frame, std::string* error) override {
        if (t < 0 || t > length) {
            *error = "moment outside the loop";
            return false;
        }
        ++paints;
        frame.width = size.width;
        frame.height = size.height;
        frame.pixels.assign(static_cast<std::size_t>(size.width) * size.height, 0);
        std::mt19937 random(static_cast<unsigned>(t * 7 + 1));
        const double reach = std::min(1.0, t / 1000.0);
        const double cx = size.width * (0.1 + 0.6 * reach), cy = size.height * 0.4;
        const double r = size.height * 0.2;
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) {
                std::uint32_t red = 40 + 160 * x / size.width, green = 60 + 120 * y / size.height,
                              blue = 150;
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r)
                    red = 250, green = 200, blue = 30;
                if (t >= 1500 && y > size.height * 0.75 && x > 20 && x < size.width - 20)
                    red = 20, green = 20, blue = 20;
                if (noise) {
                    const std::uint32_t n = random();
                    // 64 colours at random: no palette or frame rate compresses them much.
                    red = (n & 3) * 85, green = ((n >> 2) & 3) * 85, blue = ((n >> 4) & 3) * 85;
                }
                frame.pixels[static_cast<std::size_t>(y) * size.width + x] =
                    0xFF000000u | red << 16 | green << 8 | blue;
            }
        return true;
    }
    ArgbFrame At(ExportSize size, double t) {
        ArgbFrame frame;
        std::string error;
        Paint(size, t, frame, &error);
        return frame;
    }
};

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ExportRequest Request(ExportFormat format, const std::string& folder) {
    ExportRequest request;
    request.format = format;
    request.folder = folder;
    request.baseName = "sale";
    return request;
}

// --- GIF ---------------------------------------------------------------------------------------

TEST(GifExport, FollowsTheImageAdRulesHoldsStillFramesAndEndsOnTheFinalFrame) {
    ScratchFolder folder;
    TestBanner banner;
    const ExportReport report = RunExport(banner, Request(ExportFormat::Gif, folder.Path()));
    ASSERT_TRUE(report.ok) << (report.errors.empty() ? "" : report.errors[0]);
    EXPECT_EQ(FolderEntries(folder.Path()),
              (std::vector<std::string>{"sale_300x250.gif", "sale_301x251.gif"}));
    for (const ExportSize size : banner.sizes) {
        const std::string bytes = ReadFileText(folder / ("sale_" + SizeText(size) + ".gif"));
        EXPECT_LE(bytes.size(), 150u * 1024);
        const testing::GifFile gif = ReadGif(bytes);
        ASSERT_EQ(gif.problem, "") << SizeText(size);
        EXPECT_EQ(gif.width, size.width);
        EXPECT_EQ(gif.height, size.height);
        int loop = 0;
        for (const auto& frame : gif.frames) {
            EXPECT_GE(frame.delay, 20) << "at most five frames a second";
            loop += frame.delay;
        }
        EXPECT_EQ(loop, banner.length / 10) << "one loop lasts the banner's length";
        // Three plays: the looping block asks for two repeats after the first.
        ASSERT_TRUE(gif.loopCount.has_value());
        EXPECT_EQ(*gif.loopCount, 2);
        EXPECT_LE(loop * (*gif.loopCount + 1), 3000);
        // Ten 0.2 s steps; the still stretches are held, not repeated.
        EXPECT_LT(gif.frames.size(), 10u);
        EXPECT_GE(gif.frames.size(), 5u);
        EXPECT_LE(ShareOff(banner.At(size, banner.length), gif.last), 0.03) << SizeText(size);
    }
    EXPECT_NE(report.notes[0].find("colours"), std::string::npos) << report.notes[0];
}

TEST(GifExport, PlaysOnceWithoutTheLoopingBlockAndStaysWithinThirtySeconds) {
    ScratchFolder folder;
    TestBanner banner;
    banner.sizes = {{120, 90}};
    banner.loops = 1;
    ASSERT_TRUE(RunExport(banner, Request(ExportFormat::Gif, folder.Path())).ok);
    testing::GifFile gif = ReadGif(ReadFileText(folder / "sale_120x90.gif"));
    ASSERT_EQ(gif.problem, "");
    EXPECT_FALSE(gif.loopCount.has_value());

    // A loop of 12 s asked to play 5 times plays twice (24 s), never past 30 s.
    banner.length = 12000;
    banner.loops = 5;
    ExportRequest request = Request(ExportFormat::Gif, folder.Path());
    request.fps = 1;
    ASSERT_TRUE(RunExport(banner, request).ok);
    gif = ReadGif(ReadFileText(folder / "sale_120x90.gif"));
    ASSERT_EQ(gif.problem, "");
    ASSERT_TRUE(gif.loopCount.has_value());
    EXPECT_EQ(*gif.loopCount, 1);
}

TEST(GifExport, ABannerThatCannotFitIsRefusedNamingItsSizeAndLeavesNoFile) {
    ScratchFolder folder;
    TestBanner banner;
    banner.noise = true;
    banner.sizes = {{160, 120}};
    ExportRequest request = Request(ExportFormat::Gif, folder.Path());
    request.maxKilobytes = 10;
    const ExportReport report = RunExport(banner, request);
    EXPECT_FALSE(report.ok);
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_NE(report.errors[0].find("160x120"), std::string::npos) << report.errors[0];
    EXPECT_NE(report.errors[0].find("cannot fit 10 KB"), std::string::npos) << report.errors[0];
    EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

// --- MP4 and WebM ------------------------------------------------------------------------------

// The top-level boxes of an MP4 file, in order.
std::vector<std::string> Mp4Boxes(const std::string& bytes) {
    std::vector<std::string> boxes;
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        std::uint64_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = size << 8 | static_cast<std::uint8_t>(bytes[at + i]);
        if (size == 1 && at + 16 <= bytes.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = size << 8 | static_cast<std::uint8_t>(bytes[at + i]);
        }
        boxes.push_back(bytes.substr(at + 4, 4));
        if (size < 8)
            break;
        at += size;
    }
    return boxes;
}

TEST(VideoExport, Mp4IsH264InFourTwoZeroWithItsIndexFirstPaddedToEvenSidesEndingOnTheFinalFrame) {
    ScratchFolder folder;
    TestBanner banner;
    const ExportReport report = RunExport(banner, Request(ExportFormat::Mp4, folder.Path()));
    ASSERT_TRUE(report.ok) << (report.errors.empty() ? "" : report.errors[0]);
    for (const ExportSize size : banner.sizes) {
        const std::string path = folder / ("sale_" + SizeText(size) + ".mp4");
        const std::vector<std::string> boxes = Mp4Boxes(ReadFileText(path));
        const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
        const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
        ASSERT_TRUE(moov != boxes.end() && mdat != boxes.end());
        EXPECT_LT(moov, mdat) << "the index comes before the data";

        const testing::VideoFile video = ReadVideo(path);
        ASSERT_EQ(video.problem, "");
        EXPECT_NE(video.container.find("mp4"), std::string::npos);
        EXPECT_EQ(video.codec, "h264");
        EXPECT_EQ(video.pixelFormat, "yuv420p");
        EXPECT_EQ(video.width, size.width + size.width % 2);
        EXPECT_EQ(video.height, size.height + size.height % 2);
        EXPECT_GE(video.fps, 24);
        EXPECT_EQ(video.frames, 60 * 3);
        EXPECT_NEAR(video.seconds, banner.length * banner.loops / 1000.0, 0.05);
        EXPECT_LE(ShareOff(banner.At(size, banner.length), video.last), 0.05) << SizeText(size);
    }
    EXPECT_NE(report.notes[1].find("padded to 302x252"), std::string::npos) << report.notes[1];
    EXPECT_EQ(report.notes[0].find("padded"), std::string::npos) << report.notes[0];
}

TEST(VideoExport, WebmIsVp9EndingOnTheFinalFrameAndReportsProgress) {
    ScratchFolder folder;
    TestBanner banner;
    banner.sizes = {{160, 120}};
    banner.loops = 1;
    std::vector<double> steps;
    ExportRequest request = Request(ExportFormat::Webm, folder.Path());
    request.fps = 24;
    const ExportReport report = RunExport(banner, request, [&](double fraction) {
        steps.push_back(fraction);
        return true;
    });
    ASSERT_TRUE(report.ok) << (report.errors.empty() ? "" : report.errors[0]);
    const testing::VideoFile video = ReadVideo(folder / "sale_160x120.webm");
    ASSERT_EQ(video.problem, "");
    EXPECT_NE(video.container.find("webm"), std::string::npos);
    EXPECT_EQ(video.codec, "vp9");
    EXPECT_EQ(video.frames, 48);
    EXPECT_LE(ShareOff(banner.At({160, 120}, banner.length), video.last), 0.05);
    ASSERT_EQ(steps.size(), 48u);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_DOUBLE_EQ(steps.back(), 1.0);

    // Stopped half-way: no video, no debris.
    ScratchFolder other;
    const ExportReport stopped = RunExport(banner, Request(ExportFormat::Mp4, other.Path()),
                                           [](double f) { return f < 0.5; });
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(FolderEntries(other.Path()).empty());
}

// --- Stills ------------------------------------------------------------------------------------

TEST(StillExport, PngAtAMomentIsThatFrameExactlyAndJpgDefaultsToTheFinalFrame) {
    ScratchFolder folder;
    TestBanner banner;
    ExportRequest request = Request(ExportFormat::Png, folder.Path());
    request.atSeconds = 0.5;
    ASSERT_TRUE(RunExport(banner, request).ok);
    for (const ExportSize size : banner.sizes) {
        const testing::VideoFile png = ReadVideo(folder / ("sale_" + SizeText(size) + ".png"));
        ASSERT_EQ(png.problem, "");
        EXPECT_EQ(png.codec, "png");
        EXPECT_EQ(png.width, size.width);
        EXPECT_EQ(ShareOff(banner.At(size, 500), png.last, 0), 0.0);
        EXPECT_GT(ShareOff(banner.At(size, banner.length), png.last, 0), 0.05);
    }
    ASSERT_TRUE(RunExport(banner, Request(ExportFormat::Jpg, folder.Path())).ok);
    const testing::VideoFile jpg = ReadVideo(folder / "sale_301x251.jpg");
    ASSERT_EQ(jpg.problem, "");
    EXPECT_EQ(jpg.codec, "mjpeg");
    EXPECT_LE(ShareOff(banner.At({301, 251}, banner.length), jpg.last), 0.01);
}

// --- Refusals ----------------------------------------------------------------------------------

TEST(ExportRefusals, NameWhatIsWrongAndWriteNothing) {
    ScratchFolder folder;
    TestBanner banner;
    const auto refused = [&](ExportRequest request, const std::string& expected) {
        const std::string problem = CheckExportRequest(banner, request);
        EXPECT_NE(problem.find(expected), std::string::npos) << problem;
        const ExportReport report = RunExport(banner, request);
        EXPECT_FALSE(report.ok);
        ASSERT_EQ(report.errors.size(), 1u);
        EXPECT_EQ(report.errors[0], problem);
    };
    ExportRequest request = Request(ExportFormat::Png, folder.Path());
    request.sizes = {{728, 90}};
    refused(request, "no size 728x90 (its sizes: 300x250, 301x251)");
    request = Request(ExportFormat::Png, folder.Path());
    request.atSeconds = 2.5;
    refused(request, "2.5 s is outside the timeline (0 to 2 s)");
    request.atSeconds = -0.1;
    refused(request, "outside the timeline");
    request = Request(ExportFormat::Gif, folder.Path());
    request.atSeconds = 1;
    refused(request, "for png and jpg stills");
    request = Request(ExportFormat::Gif, folder.Path());
    request.fps = 10;
    refused(request, "1 to 5 frames a second, not 10");
    request = Request(ExportFormat::Mp4, folder.Path());
    request.fps = 12;
    refused(request, "24 to 60 frames a second, not 12");
    request = Request(ExportFormat::Mp4, folder.Path());
    request.maxKilobytes = 100;
    refused(request, "for gif only");
    EXPECT_TRUE(FolderEntries(folder.Path()).empty());
    EXPECT_EQ(banner.paints, 0);

    std::ofstream(folder / "file") << "x";
    refused(Request(ExportFormat::Png, folder / "file"), "is not a folder");
    refused(Request(ExportFormat::Png, folder / "file/below"), "cannot be created");
    refused(Request(ExportFormat::Png, "/proc/pennoria-export"), "cannot be created");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"file"});

    // A missing folder is made.
    ASSERT_TRUE(RunExport(banner, Request(ExportFormat::Png, folder / "new")).ok);
    EXPECT_EQ(FolderEntries(folder / "new"),
              (std::vector<std::string>{"sale_300x250.png", "sale_301x251.png"}));
}

} // namespace
} // namespace pennoria
