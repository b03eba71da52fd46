// Pictures in publishing: a picture's size read from its header against a decode of it, and a
// still frame whose texts cast blurred shadows against the same frame without them (the floor).
// Prints each pair's ratio.
#include "platform/FileSystem.h"
#include "platform/PictureHeader.h"
#include "platform/Raster.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace {

namespace platform = pennoria::platform;

using Clock = std::chrono::steady_clock;

// A 2000 x 1500 PNG of 3 MB decoded pixels, written once.
const std::string& PicturePath() {
    static const std::string path = [] {
        const std::string made = std::filesystem::temp_directory_path().string();
        platform::StillFrame frame;
        frame.width = 2000;
        frame.height = 1500;
        frame.background = 0x336699;
        auto png = platform::DrawStillFramePng(frame, {});
        platform::WriteFileAtomically(made + "/pennoria-bench-picture.png",
                                      png ? *png : std::string());
        return made + "/pennoria-bench-picture.png";
    }();
    return path;
}

// A 2000 x 2000 frame with ten texts in boxes as large as the frame, each a few words.
platform::StillFrame TextFrame(bool shadows) {
    platform::StillFrame frame;
    frame.width = frame.height = 2000;
    for (int i = 0; i < 10; ++i) {
        platform::StillElement text;
        text.kind = platform::StillElement::Kind::Text;
        text.x = 0;
        text.y = 150.0 * i;
        text.width = 2000;
        text.height = 2000;
        text.text = "Summer sale " + std::to_string(i);
        text.fontPixels = 40;
        if (shadows) {
            text.shadowColour = 0x000000;
            text.shadowBlur = 20;
        }
        frame.elements.push_back(text);
    }
    return frame;
}

double Seconds(const std::function<void()>& work, int times) {
    const auto start = Clock::now();
    for (int i = 0; i < times; ++i)
        work();
    return std::chrono::duration<double>(Clock::now() - start).count() / times;
}

void BM_SizeFromHeader(benchmark::State& state) {
    const std::string& path = PicturePath();
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::ReadImageSize(path));
    const double header = Seconds([&] { platform::ReadImageSize(path); }, 20);
    const double decode = Seconds([&] { platform::DecodedPicture::Load(path); }, 3);
    state.counters["decode_over_header"] = decode / header;
}
BENCHMARK(BM_SizeFromHeader)->Unit(benchmark::kMicrosecond);

void BM_ShadowedTexts(benchmark::State& state) {
    const auto shadowed = TextFrame(true);
    const auto plain = TextFrame(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::DrawStillFramePng(shadowed, {}));
    const double withShadows = Seconds([&] { platform::DrawStillFramePng(shadowed, {}); }, 2);
    const double floor = Seconds([&] { platform::DrawStillFramePng(plain, {}); }, 2);
    state.counters["shadows_over_plain"] = withShadows / floor;
}
BENCHMARK(BM_ShadowedTexts)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
