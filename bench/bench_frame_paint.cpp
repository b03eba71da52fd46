// Paint time of the skinned frame at 1920 x 1080: the skin description and images read from
// disk, the frame composed off screen and copied to a window-sized surface, as every paint does.
// The limit beside it: copying one 1920 x 1080 ARGB frame in memory.
#include "host/FramePainter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using pennoria::host::ComposeFrameInto;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::string MakeSkin() {
    char pattern[] = "/tmp/pennoria-bench-XXXXXX";
    std::string folder = ::mkdtemp(pattern);
    const std::string skins = folder + "/skins/frame/";
    if (std::system(("mkdir -p '" + skins + "'").c_str()) != 0)
        std::abort();
    struct Piece {
        const char* name;
        int w, h;
    } pieces[] = {{"LeftTop", 4, 24},    {"Top", 8, 24},  {"RightTop", 4, 24},
                  {"Left", 4, 8},        {"Right", 4, 8}, {"LeftBottom", 4, 4},
                  {"RightBottom", 4, 4}, {"Bottom", 8, 4}};
    std::ofstream xml(skins + "skins.xml");
    xml << "<?xml version=\"1.0\"?>\n<skins><frame>\n";
    for (const Piece& p : pieces) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.w, p.h);
        cairo_t* cr = cairo_create(s);
        cairo_set_source_rgba(cr, 0.3, 0.4, 0.5, 0.9);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_write_to_png(s, (skins + p.name + ".png").c_str());
        cairo_surface_destroy(s);
        xml << "<" << p.name << ">" << p.name << ".png</" << p.name << ">\n";
    }
    xml << "</frame><button/></skins>\n";
    return folder + "/";
}

const std::string& SkinFolder() {
    static const std::string folder = MakeSkin();
    return folder;
}

void BM_FramePaint1920x1080(benchmark::State& state) {
    const std::string& program = SkinFolder();
    cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    for (auto _ : state) {
        if (!ComposeFrameInto(frame, true, program, ""))
            state.SkipWithError("the skin did not load");
        cairo_t* cr = cairo_create(window);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, frame, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
    cairo_surface_destroy(frame);
    cairo_surface_destroy(window);
}

// The physical limit: one frame's worth of pixels copied in memory.
void BM_CopyOneFrame(benchmark::State& state) {
    std::vector<std::uint32_t> from(kWidth * kHeight, 0xFFD3D6DD), to(kWidth * kHeight);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}

BENCHMARK(BM_FramePaint1920x1080)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the ratio of the paint to the frame copy after the runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            const bool paint = run.benchmark_name().find("FramePaint") != std::string::npos;
            (paint ? m_paint : m_copy) = run.GetAdjustedRealTime();
            (paint ? m_paintCpu : m_copyCpu) = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        // CPU time is printed too: on a shared machine the wall clock also counts waiting.
        if (m_paint > 0 && m_copy > 0)
            std::printf("frame paint %.3f ms wall, %.3f ms CPU (goal < 4 ms) = %.1f x one "
                        "1920x1080 frame copy (%.3f ms wall, %.3f ms CPU)\n",
                        m_paint, m_paintCpu, m_paint / m_copy, m_copy, m_copyCpu);
    }

private:
    double m_paint = 0, m_paintCpu = 0;
    double m_copy = 0, m_copyCpu = 0;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::string cleanup = "rm -rf '" + SkinFolder() + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
