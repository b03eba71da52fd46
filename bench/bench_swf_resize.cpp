// Benchmark: resizing a large compressed movie against zlib's uncompress + compress of its body,
// and against libdeflate's pair (the movie layer inflates with zlib and deflates with libdeflate).
//
//   bench_swf_resize                  time all three and print the ratios (goal: at most 1.10)
//   bench_swf_resize --peak FILE      resize FILE once and print the peak resident memory
//
// The default run also starts itself with --peak on the same movie, so that the memory figure
// (goal: at most 2.5 × the plain length) comes from a process that did nothing else.
#include "swf/Swf.h"

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

using namespace pennoria;

namespace {

constexpr std::size_t kPlainTarget = 24u << 20; // comfortably above 20 MB

std::string g_moviePath;
std::string g_plain; // the plain movie, for the zlib pair
std::string g_file;  // the compressed movie file

void AppendTag(std::string& out, unsigned code, const std::string& body) {
    auto le = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>(v >> (8 * i)));
    };
    if (body.size() < 63) {
        le(code << 6 | static_cast<unsigned>(body.size()), 2);
    } else {
        le(code << 6 | 63, 2);
        le(static_cast<std::uint32_t>(body.size()), 4);
    }
    out += body;
}

// A movie shaped like a real one: many small tags, scripts and text (compressible) and a share
// of image-like data (nearly incompressible).
void MakeMovie() {
    std::mt19937 random(12345);
    const char* words[] = {"stage", "banner", "movie",  "frame", "shape", "button", "sprite",
                           "text",  "width",  "height", "image", "sound", "action", "label"};
    std::string body;
    // Rectangle 0, 14400, 0, 10800 with 15 bits, 24 fps, 100 frames.
    body += std::string("\x78\x00\x05\x5F\x00\x00\x0F\xA0\x00\x00\x18\x64\x00", 13);
    while (body.size() < kPlainTarget) {
        std::string tag;
        unsigned kind = random() % 10;
        std::size_t length = kind < 6 ? random() % 60 : 1000 + random() % 200000;
        if (kind < 8) {
            while (tag.size() < length) {
                tag += words[random() % 14];
                tag.push_back(' ');
            }
            tag.resize(length);
        } else {
            for (std::size_t i = 0; i < length; ++i)
                tag.push_back(static_cast<char>(random()));
        }
        AppendTag(body, kind < 6 ? 26u : (kind < 8 ? 82u : 36u), tag);
    }
    AppendTag(body, 0, "");
    std::uint32_t total = static_cast<std::uint32_t>(body.size() + 8);
    g_plain = std::string("CWS\x0A", 4);
    for (int i = 0; i < 4; ++i)
        g_plain.push_back(static_cast<char>(total >> (8 * i)));
    g_plain += body;
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size,
             reinterpret_cast<const Bytef*>(body.data()), static_cast<uLong>(body.size()));
    g_file = g_plain.substr(0, 8) + packed.substr(0, size);
    std::ofstream(g_moviePath, std::ios::binary | std::ios::trunc) << g_file;
}

void BM_ResizeMovieStage(benchmark::State& state) {
    std::int32_t width = 300;
    for (auto _ : state) {
        std::string reason;
        if (!TryResizeMovieStage(g_moviePath, width, 250, &reason, nullptr))
            state.SkipWithError(reason.c_str());
        width = width == 300 ? 2000 : 300; // alternate the rectangle's size
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_plain.size()));
}

void BM_ZlibUncompressCompress(benchmark::State& state) {
    const std::size_t bodyLength = g_plain.size() - 8;
    std::string body(bodyLength, '\0');
    std::string packed(compressBound(static_cast<uLong>(bodyLength)), '\0');
    for (auto _ : state) {
        uLongf inflated = static_cast<uLongf>(bodyLength);
        uncompress(reinterpret_cast<Bytef*>(&body[0]), &inflated,
                   reinterpret_cast<const Bytef*>(g_file.data() + 8),
                   static_cast<uLong>(g_file.size() - 8));
        uLongf deflated = static_cast<uLongf>(packed.size());
        compress(reinterpret_cast<Bytef*>(&packed[0]), &deflated,
                 reinterpret_cast<const Bytef*>(body.data()), static_cast<uLong>(bodyLength));
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_plain.size()));
}

void BM_LibdeflateDecompressCompress(benchmark::State& state) {
    const std::size_t bodyLength = g_plain.size() - 8;
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::string body(bodyLength, '\0');
    std::string packed(libdeflate_zlib_compress_bound(compressor, bodyLength), '\0');
    std::size_t packedSize = 0;
    for (auto _ : state) {
        if (libdeflate_zlib_decompress(decompressor, g_file.data() + 8, g_file.size() - 8, &body[0],
                                       bodyLength, nullptr) != LIBDEFLATE_SUCCESS)
            state.SkipWithError("libdeflate cannot inflate the movie");
        packedSize = libdeflate_zlib_compress(compressor, body.data(), bodyLength, &packed[0],
                                              packed.size());
        benchmark::DoNotOptimize(packed.data());
    }
    state.counters["deflated_bytes"] = static_cast<double>(packedSize);
    libdeflate_free_compressor(compressor);
    libdeflate_free_decompressor(decompressor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_plain.size()));
}

BENCHMARK(BM_ResizeMovieStage)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);
BENCHMARK(BM_ZlibUncompressCompress)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5);
BENCHMARK(BM_LibdeflateDecompressCompress)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(5);

// Keeps each benchmark's best real and CPU time per iteration for the ratio, by function name.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.iterations == 0 || run.run_type != Run::RT_Iteration)
                continue;
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find('/'));
            // The fastest repetition: the least disturbed by other work on the machine.
            double r = run.GetAdjustedRealTime(), c = run.GetAdjustedCPUTime();
            real[name] = real.count(name) ? std::min(real[name], r) : r;
            cpu[name] = cpu.count(name) ? std::min(cpu[name], c) : c;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> real;
    std::map<std::string, double> cpu;
};

// The high-water mark of resident memory, in bytes, from the kernel's account of this process.
long long PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atoll(line.c_str() + 6) * 1024;
    return -1;
}

int MeasurePeak(const std::string& path) {
    long long before = PeakResidentBytes();
    std::string reason;
    if (!TryResizeMovieStage(path, 300, 250, &reason, nullptr)) {
        std::fprintf(stderr, "resize failed: %s\n", reason.c_str());
        return 1;
    }
    std::printf("%lld %lld\n", before, PeakResidentBytes());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--peak")
        return MeasurePeak(argv[2]);

    std::random_device seed;
    g_moviePath = "/tmp/pennoria-bench-" + std::to_string(seed()) + ".swf";
    MakeMovie();
    std::printf("movie: %zu bytes plain, %zu bytes compressed\n", g_plain.size(), g_file.size());

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // Real time includes reading and the flushed atomic write of the file; CPU time is the
    // steadier figure on a busy machine.
    const char* resize = "BM_ResizeMovieStage";
    const char* zlibPair = "BM_ZlibUncompressCompress";
    const char* libdeflatePair = "BM_LibdeflateDecompressCompress";
    if (reporter.real[zlibPair] > 0 && reporter.cpu[zlibPair] > 0)
        std::printf("resize / zlib (uncompress + compress) = %.3f real time, %.3f CPU time "
                    "(goal <= 1.10)\n",
                    reporter.real[resize] / reporter.real[zlibPair],
                    reporter.cpu[resize] / reporter.cpu[zlibPair]);
    if (reporter.real[libdeflatePair] > 0 && reporter.cpu[libdeflatePair] > 0)
        std::printf("resize / libdeflate (decompress + compress) = %.3f real time, %.3f CPU time; "
                    "libdeflate pair / zlib pair = %.3f CPU time\n",
                    reporter.real[resize] / reporter.real[libdeflatePair],
                    reporter.cpu[resize] / reporter.cpu[libdeflatePair],
                    reporter.cpu[libdeflatePair] / reporter.cpu[zlibPair]);
    // The size of the resized file against zlib's default deflate of the same body.
    if (std::FILE* resized = std::fopen(g_moviePath.c_str(), "rb")) {
        std::fseek(resized, 0, SEEK_END);
        const long ours = std::ftell(resized);
        std::fclose(resized);
        std::printf("resized file: %ld bytes against zlib's %zu (%.4f)\n", ours, g_file.size(),
                    static_cast<double>(ours) / static_cast<double>(g_file.size()));
    }

    // Peak memory of one resize in a fresh process.
    std::string command = std::string("'") + argv[0] + "' --peak '" + g_moviePath + "'";
    if (std::FILE* child = popen(command.c_str(), "r")) {
        long long before = 0, peak = 0;
        if (std::fscanf(child, "%lld %lld", &before, &peak) == 2) {
            double plain = static_cast<double>(g_plain.size());
            std::printf("peak resident memory of one resize: %.1f MB = %.2f x plain length "
                        "(%.2f x counting only what the resize added; goal <= 2.5)\n",
                        peak / 1e6, peak / plain, (peak - before) / plain);
        }
        pclose(child);
    }
    std::remove(g_moviePath.c_str());
    return 0;
}
