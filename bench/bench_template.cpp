// Page generation throughput on a ~1 MB template, against copying and reading the same bytes.
#include "platform/FileSystem.h"
#include "template/PageTemplate.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

// A page section with the usual mix: conditional blocks (active, inactive and their else
// blocks), expression tags in attributes, variable references, comments, scripts and text.
const char kSection[] = R"(<div class="banner" id="b$AlbumTitle">
  <ca:if x="$AlbumTitle">
    <h1 title="$AlbumTitle">$AlbumTitle</h1>
    <object width="<%= MovieWidth ;%>" height="<%= MovieHeight ;%>" data="$MainSWF">
      <param name="movie" value="$MainSWF">
      <embed src="$MainSWF" width="<%= (int)(MovieWidth*3)/4 ;%>" height="<%= MovieHeight/2+10 ;%>">
    </object>
  </ca:if>
  <ca:else><p>No title</p></ca:else>
  <ca:if x="$Empty">
    <p style="width: <%= MovieWidth-20 ;%>px">Never shown, with (parenthesised < text).</p>
  </ca:if>
  <ca:else>
    <p class="tip" style="margin-left: <%= Float(MovieWidth)/8 ;%>px">Shown instead.</p>
  </ca:else>
  <!-- layout note: <%= MovieWidth ;%> stays as written -->
  <% server side %>
  <p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor.</p>
  <a href="$CreatorSite">$Creator</a> &middot; <a href="$SponsorSite">$Copyright</a>
</div>
)";

const std::string& Template() {
    static const std::string text = [] {
        std::string built;
        while (built.size() < (std::size_t{1} << 20))
            built += kSection;
        return built;
    }();
    return text;
}

void SetVariables(pennoria::CPageTemplate& engine) {
    auto& variables = engine.Variables();
    variables.Set("AlbumTitle", "banner");
    variables.Set("MainSWF", "banner.swf");
    variables.Set("MovieWidth", "720");
    variables.Set("MovieHeight", "540");
    variables.Set("Empty", "");
    variables.Set("Creator", "Slidora");
    variables.Set("CreatorSite", "https://pennoria.org/slidora/");
    variables.Set("SponsorSite", "https://pennoria.org/");
    variables.Set("Copyright", "Copyright (C) Pennoria");
}

struct Scratch {
    Scratch() {
        folder = fs::temp_directory_path() /
                 ("pennoria-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        templatePath = (folder / "page.htt").string();
        pagePath = (folder / "page.html").string();
        pennoria::platform::WriteFileAtomically(templatePath, Template());
    }
    ~Scratch() { fs::remove_all(folder); }
    fs::path folder;
    std::string templatePath;
    std::string pagePath;
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

void BM_RenderTemplate(benchmark::State& state) {
    pennoria::CPageTemplate engine("banner.swf", 720, 540);
    SetVariables(engine);
    for (auto _ : state) {
        std::string page = engine.RenderTemplate(Template());
        benchmark::DoNotOptimize(page.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Template().size()));
}
BENCHMARK(BM_RenderTemplate)->Unit(benchmark::kMillisecond);

// The whole Generate: read the file, run it, write the page atomically (with its flush to disk).
void BM_GeneratePage(benchmark::State& state) {
    pennoria::CPageTemplate engine("banner.swf", 720, 540);
    for (auto _ : state) {
        if (!engine.Generate(Files().templatePath, Files().pagePath) ||
            !engine.LastWriteError().empty())
            state.SkipWithError("Generate failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Template().size()));
}
BENCHMARK(BM_GeneratePage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The limit for rendering: copying the same bytes once.
void BM_Memcpy(benchmark::State& state) {
    const std::string& source = Template();
    std::string target(source.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The limit for Generate: reading the template file and writing the same bytes atomically.
void BM_ReadAndWriteFile(benchmark::State& state) {
    for (auto _ : state) {
        auto bytes = pennoria::platform::ReadWholeFile(Files().templatePath);
        if (!bytes || !pennoria::platform::WriteFileAtomically(Files().pagePath, *bytes))
            state.SkipWithError("file copy failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Template().size()));
}
BENCHMARK(BM_ReadAndWriteFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps every run's bytes per second for the ratios printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end() && run.run_type == Run::RT_Iteration)
                rates[run.run_name.function_name] = rate->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

void PrintRatio(const RecordingReporter& reporter, const char* what, const char* limit) {
    auto measured = reporter.rates.find(what);
    auto bound = reporter.rates.find(limit);
    if (measured == reporter.rates.end() || bound == reporter.rates.end() || bound->second <= 0)
        return;
    std::printf("%-20s %9.1f MB/s   %-20s %9.1f MB/s   ratio %.4f\n", what, measured->second / 1e6,
                limit, bound->second / 1e6, measured->second / bound->second);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("template: %zu bytes\n", Template().size());
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatio(reporter, "BM_RenderTemplate", "BM_Memcpy");
    PrintRatio(reporter, "BM_GeneratePage", "BM_ReadAndWriteFile");
    benchmark::Shutdown();
    return 0;
}
