// Exports of a 5 s 300 x 250 banner: the whole GIF and MP4 exports (painting, palette, encoding,
// writing) each against the floor of giflib or libavcodec alone encoding the same frames
// painted beforehand; and painting one frame of a 30-element banner against a frame's time at
// 30 frames a second. Run with the program folder built (the model script and the fonts).
#include "core/ProgramPaths.h"
#include "project/BannerModel.h"
#include "publish/Export.h"
#include "publish/ExportBanner.h"
#include "publish/Publisher.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

namespace {

namespace fs = std::filesystem;
using namespace pennoria;
using Clock = std::chrono::steady_clock;

struct Scratch {
    Scratch() {
        root = fs::temp_directory_path() /
               ("pennoria-bench-export-" + std::to_string(::time(nullptr)));
        fs::create_directories(root / "config");
        ::setenv("PENNORIA_MODULE_PATH", PENNORIA_PROGRAM_DIR "/pennoria-cli", 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root;
};

Scratch& Folder() {
    static Scratch scratch;
    return scratch;
}

// A 300 x 250 banner of `elements` elements (shapes, texts and buttons in turn), each entering
// at its own moment of a 5 s loop played once.
std::string Banner(int elements) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template version=\"2\" "
                       "demoWidth=\"300\" demoHeight=\"250\" img=\"\" bgColor=\"#2B2D42\" "
                       "length=\"5000\" loops=\"1\"><elements>";
    const char* enters[] = {"fade", "zoom", "slide"};
    for (int i = 0; i < elements; ++i) {
        const std::string id = "e" + std::to_string(i);
        const int x = (i * 37) % 240, y = (i * 53) % 210;
        const std::string enter =
            std::string("<enter type=\"") + enters[i % 3] + "\" from=\"left\" delay=\"" +
            std::to_string(i * 4000 / elements) + "\" duration=\"600\" easing=\"easeOut\"/>";
        const std::string box = " x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
                                "\" width=\"120\" height=\"36\" opacity=\"0.9\"";
        if (i % 3 == 0)
            text += "<shape id=\"" + id + "\" kind=\"" + (i % 2 ? "ellipse" : "rect") + "\"" + box +
                    " fill=\"#F8C630\" stroke=\"#FFFFFF\" strokeWidth=\"2\" radius=\"6\">" + enter +
                    "</shape>";
        else if (i % 3 == 1)
            text += "<text id=\"" + id + "\"" + box +
                    " font=\"Liberation Sans\" size=\"18\" bold=\"true\" color=\"#FFFFFF\" "
                    "align=\"left\" lineHeight=\"1.2\" shadowColor=\"#000000\" shadowX=\"1\" "
                    "shadowY=\"1\" shadowBlur=\"2\"><label>Autumn sale " +
                    std::to_string(i) + "</label>" + enter + "</text>";
        else
            text += "<button id=\"" + id + "\"" + box +
                    " url=\"https://example.org/\" target=\"_blank\" fill=\"#D90429\" "
                    "radius=\"18\" font=\"Liberation Serif\" size=\"15\" bold=\"true\" "
                    "color=\"#FFFFFF\"><label>Shop now</label>" +
                    enter + "</button>";
    }
    return text + "</elements></template>";
}

std::unique_ptr<BannerFrames> Frames(int elements) {
    Folder(); // the program folder, before the model is looked for
    std::string error;
    BannerModel* model = BannerModel::Shared(&error);
    std::unique_ptr<BannerFrames> frames;
    if (model)
        frames =
            BannerFrames::Open(*model, Banner(elements), "",
                               GetPublishSources(GetProgramFolder(), false).fontFolder, &error);
    if (!frames) {
        std::cerr << "the banner cannot be read: " << error << "\n";
        std::abort();
    }
    return frames;
}

std::vector<ArgbFrame> Painted(BannerFrames& frames, const std::vector<double>& moments) {
    std::vector<ArgbFrame> painted(moments.size());
    for (std::size_t i = 0; i < moments.size(); ++i)
        if (!frames.Paint({300, 250}, moments[i], painted[i], nullptr))
            std::abort();
    return painted;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int DiscardBytes(GifFileType*, const GifByteType*, int length) {
    return length;
}

// giflib alone: each frame whole, its colours cut to a fixed 6 x 6 x 6 cube.
void GifFloor(const std::vector<ArgbFrame>& frames) {
    int code = 0;
    GifFileType* gif = EGifOpen(nullptr, DiscardBytes, &code);
    GifColorType colours[256] = {};
    for (int i = 0; i < 216; ++i)
        colours[i] = {static_cast<GifByteType>(i / 36 * 51),
                      static_cast<GifByteType>(i / 6 % 6 * 51),
                      static_cast<GifByteType>(i % 6 * 51)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 300, 250, 8, 0, map);
    std::vector<GifPixelType> row(300);
    for (const ArgbFrame& frame : frames) {
        GraphicsControlBlock control{};
        control.DelayTime = 20;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(gif, 0, 0, 300, 250, false, nullptr);
        for (int y = 0; y < 250; ++y) {
            for (int x = 0; x < 300; ++x) {
                const std::uint32_t p = frame.pixels[static_cast<std::size_t>(y) * 300 + x];
                row[x] = static_cast<GifPixelType>((p >> 16 & 255) / 43 * 36 +
                                                   (p >> 8 & 255) / 43 * 6 + (p & 255) / 43);
            }
            EGifPutLine(gif, row.data(), 300);
        }
    }
    EGifCloseFile(gif, &code);
    GifFreeMapObject(map);
}

// libavcodec alone: libx264 with the export's settings, fed the frames already in 4:2:0.
void Mp4Floor(const std::vector<AVFrame*>& frames) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    AVCodecContext* c = avcodec_alloc_context3(codec);
    c->width = 300;
    c->height = 250;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, kVideoDefaultFps};
    c->framerate = AVRational{kVideoDefaultFps, 1};
    c->gop_size = kVideoDefaultFps * 2;
    c->thread_count = 0;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", "medium", 0);
    av_dict_set(&options, "crf", "20", 0);
    av_dict_set(&options, "profile", "high", 0);
    if (avcodec_open2(c, codec, &options) < 0)
        std::abort();
    av_dict_free(&options);
    AVPacket* packet = av_packet_alloc();
    auto drain = [&] {
        while (avcodec_receive_packet(c, packet) == 0)
            av_packet_unref(packet);
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i]->pts = static_cast<std::int64_t>(i);
        avcodec_send_frame(c, frames[i]);
        drain();
    }
    avcodec_send_frame(c, nullptr);
    drain();
    av_packet_free(&packet);
    avcodec_free_context(&c);
}

void Report(benchmark::State& state, const char* what, double exported, double floor) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["ratio"] = exported / floor;
    std::cout << what << ": export " << 1000 * exported / runs << " ms, the encoder alone "
              << 1000 * floor / runs << " ms, ratio " << exported / floor << "\n";
}

void BM_GifExportAgainstGiflib(benchmark::State& state) {
    auto frames = Frames(8);
    // The moments the export's first try shows: every 0.2 s, the last the final frame.
    std::vector<double> moments;
    for (int i = 0; i < 24; ++i)
        moments.push_back(i * 200.0);
    moments.push_back(5000);
    const std::vector<ArgbFrame> painted = Painted(*frames, moments);
    ExportRequest request;
    request.format = ExportFormat::Gif;
    request.folder = (Folder().root / "gif").string();
    request.baseName = "bench";
    double exported = 0, floor = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!RunExport(*frames, request).ok)
            std::abort();
        exported += Seconds(start);
        start = Clock::now();
        GifFloor(painted);
        floor += Seconds(start);
    }
    Report(state, "GIF 300x250, 5 s", exported, floor);
}
BENCHMARK(BM_GifExportAgainstGiflib)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Mp4ExportAgainstLibavcodec(benchmark::State& state) {
    auto frames = Frames(8);
    const int count = 5 * kVideoDefaultFps;
    std::vector<double> moments;
    for (int k = 0; k < count; ++k)
        moments.push_back(5000.0 * k / (count - 1));
    const std::vector<ArgbFrame> painted = Painted(*frames, moments);
    SwsContext* scale = sws_getContext(300, 250, AV_PIX_FMT_RGB32, 300, 250, AV_PIX_FMT_YUV420P,
                                       SWS_BICUBIC, nullptr, nullptr, nullptr);
    std::vector<AVFrame*> yuv;
    for (const ArgbFrame& frame : painted) {
        AVFrame* out = av_frame_alloc();
        out->format = AV_PIX_FMT_YUV420P;
        out->width = 300;
        out->height = 250;
        av_frame_get_buffer(out, 0);
        const std::uint8_t* planes[1] = {
            reinterpret_cast<const std::uint8_t*>(frame.pixels.data())};
        const int strides[1] = {300 * 4};
        sws_scale(scale, planes, strides, 0, 250, out->data, out->linesize);
        yuv.push_back(out);
    }
    sws_freeContext(scale);
    ExportRequest request;
    request.format = ExportFormat::Mp4;
    request.folder = (Folder().root / "mp4").string();
    request.baseName = "bench";
    double exported = 0, floor = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!RunExport(*frames, request).ok)
            std::abort();
        exported += Seconds(start);
        start = Clock::now();
        Mp4Floor(yuv);
        floor += Seconds(start);
    }
    for (AVFrame* frame : yuv)
        av_frame_free(&frame);
    Report(state, "MP4 300x250, 5 s", exported, floor);
}
BENCHMARK(BM_Mp4ExportAgainstLibavcodec)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PaintOneFrameOfThirtyElements(benchmark::State& state) {
    auto frames = Frames(30);
    ArgbFrame frame;
    double t = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        // A new moment each time, so that nothing painted before is reused.
        t = std::fmod(t + 137, 5000);
        if (!frames->Paint({300, 250}, t, frame, nullptr))
            std::abort();
    }
    const double each = Seconds(start) / static_cast<double>(state.iterations());
    const double frameTime = 1.0 / 30;
    state.counters["of_a_frame"] = each / frameTime;
    std::cout << "one frame of 30 elements at 300x250: " << 1000 * each << " ms, "
              << 100 * each / frameTime << " % of a frame's time at 30 fps\n";
}
BENCHMARK(BM_PaintOneFrameOfThirtyElements)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
