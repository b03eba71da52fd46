// Product feeds: a batch of variants of a two-size design published by one process against the
// same variants published by one run of the tool each (the way before feeds), as time per
// variant and their ratio measured in the same run; and the batch's throughput from 10 to 1000
// rows (variants per second per core, which stays flat when the batch scales linearly).
// Run with the program folder built. PENNORIA_BENCH_FEED_ROWS sets the compared batch's size
// (100 by default); PENNORIA_BENCH_FEED_SINGLE how many of its variants are also published by a
// run each (10 by default, spread over the feed): a single run's time does not depend on the row.
#include "platform/FileSystem.h"
#include "project/BannerModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace pennoria;
using Clock = std::chrono::steady_clock;

const std::string kCli = PENNORIA_PROGRAM_DIR "/pennoria-cli";
const std::string kDesign = PENNORIA_SOURCE_DIR "/examples/coffee-launch/";

struct Scratch {
    Scratch() {
        root =
            fs::temp_directory_path() / ("pennoria-bench-feed-" + std::to_string(::time(nullptr)));
        fs::create_directories(root / "config");
        for (const char* file : {"coffee-launch.pbf", "cup.png", "meadow.jpg"})
            fs::copy_file(kDesign + file, root / file);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root;
};

Scratch& Work() {
    static Scratch scratch;
    return scratch;
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A feed of rows variants: a name, a title and a link each.
fs::path Feed(std::size_t rows) {
    const fs::path path = Work().root / ("feed-" + std::to_string(rows) + ".csv");
    std::string text = "name,title,try.url\n";
    for (std::size_t n = 1; n <= rows; ++n)
        text += "Blend " + std::to_string(n) + ",\"Blend " + std::to_string(n) +
                ", roasted today\",https://shop.example/blend/" + std::to_string(n) + "\n";
    Write(path, text);
    return path;
}

std::string ReadWholeFileOrEmpty(const fs::path& path) {
    return platform::ReadWholeFile(path.string()).value_or(std::string());
}

bool Run(const std::string& arguments) {
    const std::string command = "'" + kCli + "' publish " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::size_t ComparedRows() {
    const char* rows = std::getenv("PENNORIA_BENCH_FEED_ROWS");
    return rows && std::atoi(rows) > 0 ? static_cast<std::size_t>(std::atoi(rows)) : 100;
}

std::size_t SampledSingleRuns(std::size_t rows) {
    const char* runs = std::getenv("PENNORIA_BENCH_FEED_SINGLE");
    const std::size_t wanted =
        runs && std::atoi(runs) > 0 ? static_cast<std::size_t>(std::atoi(runs)) : 10;
    return std::min(wanted, rows);
}

// The batch against one run of the tool per variant, each variant's project made by the model
// as the batch makes it.
void BM_BatchAgainstSingleRuns(benchmark::State& state) {
    const std::size_t rows = ComparedRows();
    const fs::path root = Work().root;
    const std::string design = ReadWholeFileOrEmpty(root / "coffee-launch.pbf");
    auto model = BannerModel::Load(PENNORIA_PROGRAM_DIR "/banner-model.js");
    if (!model || design.empty()) {
        state.SkipWithError("no banner model or design");
        return;
    }
    std::vector<fs::path> projects;
    for (std::size_t n = 1; n <= rows; ++n) {
        auto variant = model->Variant(
            design, {{"title", "Blend " + std::to_string(n) + ", roasted today"}}, root.string());
        if (!variant) {
            state.SkipWithError("the model refused a variant");
            return;
        }
        projects.push_back(root / ("variant-" + std::to_string(n) + ".pbf"));
        Write(projects.back(), variant->projectText);
    }
    const fs::path feed = Feed(rows);
    for (auto _ : state) {
        const Clock::time_point batchStart = Clock::now();
        const bool batch =
            Run("'" + (root / "coffee-launch.pbf").string() + "' --feed '" + feed.string() +
                "' --folder '" + (root / "batch").string() + "' --overwrite yes");
        const double batchSeconds = Seconds(batchStart);
        const std::size_t sampled = SampledSingleRuns(rows);
        const Clock::time_point singleStart = Clock::now();
        bool single = true;
        for (std::size_t i = 0; i < sampled; ++i) {
            const std::size_t n = i * rows / sampled;
            single = Run("'" + projects[n].string() + "' --folder '" +
                         (root / "single" / std::to_string(n)).string() + "' --overwrite yes") &&
                     single;
        }
        const double singlePerVariant = Seconds(singleStart) / sampled;
        if (!batch || !single) {
            state.SkipWithError("a publish failed");
            return;
        }
        const double batchPerVariant = batchSeconds / rows;
        state.counters["batch_ms_per_variant"] = 1000 * batchPerVariant;
        state.counters["single_ms_per_variant"] = 1000 * singlePerVariant;
        state.counters["ratio"] = batchPerVariant / singlePerVariant;
        state.counters["variants"] = static_cast<double>(rows);
        state.counters["single_runs"] = static_cast<double>(sampled);
    }
}
BENCHMARK(BM_BatchAgainstSingleRuns)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The batch alone at a size; linear growth keeps variants per second per core flat.
void BM_BatchThroughput(benchmark::State& state) {
    const std::size_t rows = static_cast<std::size_t>(state.range(0));
    const fs::path feed = Feed(rows);
    const fs::path root = Work().root;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (!Run("'" + (root / "coffee-launch.pbf").string() + "' --feed '" + feed.string() +
                 "' --folder '" + (root / ("throughput-" + std::to_string(rows))).string() +
                 "' --overwrite yes")) {
            state.SkipWithError("the batch failed");
            return;
        }
        const double seconds = Seconds(start);
        state.counters["variants_per_second_per_core"] = rows / seconds / cores;
        state.counters["ms_per_variant"] = 1000 * seconds / rows;
    }
}
BENCHMARK(BM_BatchThroughput)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
