// Publishing with the banner model: a two-size example and a twenty-size banner published whole
// (movies, pages, pictures, creatives, backup images), each against the floor of writing the
// same files' bytes again; and the model's start (reading and evaluating its script) once per
// process. Run with the program folder built (the real movies, fonts and model script).
#include "core/AppSettings.h"
#include "platform/FileSystem.h"
#include "platform/scripted/ScriptedHost.h"
#include "project/BannerModel.h"
#include "publish/Publisher.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace pennoria;
using Clock = std::chrono::steady_clock;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A scratch folder and the program folder as the build lays it out.
struct Bench {
    Bench() {
        root = fs::temp_directory_path() / ("pennoria-bench-" + std::to_string(::time(nullptr)));
        fs::create_directories(root / "config");
        ::setenv("PENNORIA_MODULE_PATH", PENNORIA_PROGRAM_DIR "/pennoria-cli", 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    ~Bench() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root;
};

Bench& Scratch() {
    static Bench bench;
    return bench;
}

// The example with every size the model allows: the first two as written, the rest placed by
// the automatic rule.
std::string TwentySizes(std::string project) {
    std::string sizes;
    for (int i = 0; i < 18; ++i)
        sizes += "<size width=\"" + std::to_string(200 + 37 * i) + "\" height=\"" +
                 std::to_string(90 + 23 * i) + "\"/>";
    return std::regex_replace(project, std::regex("</sizes>"), sizes + "</sizes>");
}

// Publishes project (beside projectPath) into a new folder; answers the folder.
std::string Publish(const std::string& project, const std::string& projectPath, int run) {
    CAppSettings settings;
    platform::ScriptedDialogs dialogs;
    platform::ScriptedShell shell;
    platform::ScriptedHostWindow window;
    CPublisher publisher(
        settings, dialogs, shell, window,
        [&project](ProjectTextKind, std::string& text) {
            text = project;
            return true;
        },
        [&projectPath] { return projectPath; });
    publisher.SetJpegChoice(JpegChoice::Decline);
    const std::string folder = (Scratch().root / ("out" + std::to_string(run))).string();
    fs::create_directories(folder);
    CPublishRequest request(
        {"1", "0", folder, "banner.swf", "banner.html", "template.xml", "bundled", "yes"});
    PublishOutcome outcome = PublishOutcome::Published;
    if (!request.PrepareOutputFolder(outcome, dialogs) ||
        publisher.PublishProject(request) != PublishOutcome::Published) {
        std::cerr << "publish failed: "
                  << (dialogs.History().empty() ? "" : dialogs.History().back().text) << "\n";
        std::abort();
    }
    return folder;
}

// The floor: the published folder's files read and written again (the bytes a publish writes).
double CopySeconds(const std::string& folder, int run) {
    const fs::path target = Scratch().root / ("copy" + std::to_string(run));
    const auto start = Clock::now();
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const fs::path to = target / fs::relative(entry.path(), folder);
        if (entry.is_directory()) {
            fs::create_directories(to);
        } else if (entry.is_regular_file()) {
            const std::string bytes = ReadText(entry.path().string());
            std::ofstream(to, std::ios::binary) << bytes;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    fs::remove_all(target);
    return seconds;
}

void PublishAgainstFloor(benchmark::State& state, bool twenty) {
    const std::string projectPath =
        std::string(PENNORIA_SOURCE_DIR) + "/examples/coffee-launch/coffee-launch.pbf";
    std::string project = ReadText(projectPath);
    if (twenty)
        project = TwentySizes(project);
    double published = 0, floor = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::string folder = Publish(project, projectPath, runs);
        published += std::chrono::duration<double>(Clock::now() - start).count();
        state.PauseTiming();
        floor += CopySeconds(folder, runs);
        fs::remove_all(folder);
        ++runs;
        state.ResumeTiming();
    }
    state.counters["floor_ms"] = 1000 * floor / runs;
    state.counters["ratio"] = published / floor;
    std::cout << (twenty ? "20 sizes" : "2 sizes") << ": publish " << 1000 * published / runs
              << " ms, writing the same files " << 1000 * floor / runs << " ms, ratio "
              << published / floor << "\n";
}

void BM_PublishTwoSizes(benchmark::State& state) {
    PublishAgainstFloor(state, false);
}
BENCHMARK(BM_PublishTwoSizes)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PublishTwentySizes(benchmark::State& state) {
    PublishAgainstFloor(state, true);
}
BENCHMARK(BM_PublishTwentySizes)->Unit(benchmark::kMillisecond)->Iterations(2);

// The model's start: its script read and evaluated in a new context (once per process), with
// the processor time beside the wall time; the floor is reading the script's bytes.
void BM_ModelStart(benchmark::State& state) {
    const std::string script = std::string(PENNORIA_PROGRAM_DIR) + "/" + kBannerModelScript;
    double cpu = 0, wall = 0, floor = 0;
    int runs = 0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        const auto start = Clock::now();
        auto model = BannerModel::Load(script);
        wall += std::chrono::duration<double>(Clock::now() - start).count();
        cpu += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        if (!model)
            std::abort();
        state.PauseTiming();
        const auto read = Clock::now();
        benchmark::DoNotOptimize(ReadText(script));
        floor += std::chrono::duration<double>(Clock::now() - read).count();
        ++runs;
        state.ResumeTiming();
    }
    state.counters["cpu_ms"] = 1000 * cpu / runs;
    std::cout << "model start: " << 1000 * wall / runs << " ms wall, " << 1000 * cpu / runs
              << " ms processor (target under 50 ms); reading the script " << 1000 * floor / runs
              << " ms, ratio " << wall / floor << "\n";
}
BENCHMARK(BM_ModelStart)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
