#include "tests/publish/ExportTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdlib>

namespace pennoria::testing {
namespace {

struct Bytes {
    const std::string& data;
    std::size_t at = 0;
    bool bad = false;
    int U8() {
        if (at >= data.size()) {
            bad = true;
            return 0;
        }
        return static_cast<std::uint8_t>(data[at++]);
    }
    int U16() {
        const int low = U8();
        return low | (U8() << 8);
    }
    std::string Sub() { // a chain of sub-blocks
        std::string out;
        for (int n = U8(); n > 0 && !bad; n = U8()) {
            if (at + static_cast<std::size_t>(n) > data.size()) {
                bad = true;
                break;
            }
            out.append(data, at, static_cast<std::size_t>(n));
            at += static_cast<std::size_t>(n);
        }
        return out;
    }
};

// Variable-length LZW as GIF uses it, codes packed from the low bit.
bool Lzw(const std::string& data, int minimum, std::size_t count, std::vector<int>& out) {
    const int clear = 1 << minimum;
    const int end = clear + 1;
    std::vector<std::vector<int>> table;
    auto reset = [&] {
        table.assign(static_cast<std::size_t>(clear + 2), {});
        for (int i = 0; i < clear; ++i)
            table[static_cast<std::size_t>(i)] = {i};
    };
    reset();
    int size = minimum + 1;
    std::size_t bit = 0;
    int previous = -1;
    out.clear();
    while (bit + static_cast<std::size_t>(size) <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < size; ++i, ++bit)
            code |= ((static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            size = minimum + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        std::vector<int> entry;
        if (code < static_cast<int>(table.size()))
            entry = table[static_cast<std::size_t>(code)];
        else if (code == static_cast<int>(table.size()) && previous >= 0) {
            entry = table[static_cast<std::size_t>(previous)];
            entry.push_back(entry[0]);
        } else
            return false;
        out.insert(out.end(), entry.begin(), entry.end());
        if (previous >= 0 && table.size() < 4096) {
            std::vector<int> grown = table[static_cast<std::size_t>(previous)];
            grown.push_back(entry[0]);
            table.push_back(std::move(grown));
            if (static_cast<int>(table.size()) == (1 << size) && size < 12)
                ++size;
        }
        previous = code;
    }
    return out.size() >= count;
}

} // namespace

GifFile ReadGif(const std::string& data) {
    GifFile gif;
    Bytes in{data};
    if (data.compare(0, 6, "GIF89a") != 0 && data.compare(0, 6, "GIF87a") != 0) {
        gif.problem = "no GIF signature";
        return gif;
    }
    in.at = 6;
    gif.width = in.U16();
    gif.height = in.U16();
    const int flags = in.U8();
    const int background = in.U8();
    in.U8();
    std::vector<std::uint8_t> global;
    if (flags & 0x80) {
        gif.globalColours = 2 << (flags & 7);
        for (int i = 0; i < gif.globalColours * 3; ++i)
            global.push_back(static_cast<std::uint8_t>(in.U8()));
    }
    auto& screen = gif.last;
    screen.width = gif.width;
    screen.height = gif.height;
    screen.rgb.assign(static_cast<std::size_t>(gif.width) * gif.height * 3, 0);
    if (background * 3 + 2 < static_cast<int>(global.size()))
        for (std::size_t i = 0; i < screen.rgb.size(); i += 3)
            std::copy_n(&global[static_cast<std::size_t>(background) * 3], 3, &screen.rgb[i]);
    GifFile::Frame pending;
    while (!in.bad) {
        const int block = in.U8();
        if (block == 0x3B)
            return gif;
        if (block == 0x21) {
            const int label = in.U8();
            const std::string body = in.Sub();
            if (label == 0xF9 && body.size() >= 4) {
                const int packed = static_cast<std::uint8_t>(body[0]);
                pending.disposal = (packed >> 2) & 7;
                pending.delay =
                    static_cast<std::uint8_t>(body[1]) | (static_cast<std::uint8_t>(body[2]) << 8);
                pending.transparent = (packed & 1) ? static_cast<std::uint8_t>(body[3]) : -1;
            } else if (label == 0xFF && body.size() >= 14 &&
                       body.compare(0, 11, "NETSCAPE2.0") == 0) {
                gif.loopCount = static_cast<std::uint8_t>(body[12]) |
                                (static_cast<std::uint8_t>(body[13]) << 8);
            }
            continue;
        }
        if (block != 0x2C) {
            gif.problem = "unknown block " + std::to_string(block);
            return gif;
        }
        GifFile::Frame frame = pending;
        pending = {};
        frame.left = in.U16();
        frame.top = in.U16();
        frame.width = in.U16();
        frame.height = in.U16();
        const int imageFlags = in.U8();
        std::vector<std::uint8_t> colours = global;
        if (imageFlags & 0x80) {
            colours.clear();
            for (int i = 0; i < (2 << (imageFlags & 7)) * 3; ++i)
                colours.push_back(static_cast<std::uint8_t>(in.U8()));
        }
        if (imageFlags & 0x40) {
            gif.problem = "interlaced frame";
            return gif;
        }
        const int minimum = in.U8();
        const std::string compressed = in.Sub();
        const std::size_t count = static_cast<std::size_t>(frame.width) * frame.height;
        std::vector<int> indices;
        if (minimum < 2 || minimum > 11 || !Lzw(compressed, minimum, count, indices)) {
            gif.problem = "frame " + std::to_string(gif.frames.size()) + " does not decode";
            return gif;
        }
        if (frame.left + frame.width > gif.width || frame.top + frame.height > gif.height) {
            gif.problem = "frame outside the screen";
            return gif;
        }
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const int index = indices[static_cast<std::size_t>(y) * frame.width + x];
                if (index == frame.transparent)
                    continue;
                if (index * 3 + 2 >= static_cast<int>(colours.size())) {
                    gif.problem = "index outside the palette";
                    return gif;
                }
                std::copy_n(&colours[static_cast<std::size_t>(index) * 3], 3,
                            &screen.rgb[(static_cast<std::size_t>(frame.top + y) * gif.width +
                                         static_cast<std::size_t>(frame.left + x)) *
                                        3]);
            }
        gif.frames.push_back(frame);
    }
    gif.problem = "the file ends before its trailer";
    return gif;
}

VideoFile ReadVideo(const std::string& path, KeepFrames keep) {
    VideoFile video;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
        video.problem = "not opened";
        return video;
    }
    AVCodecContext* codec = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    SwsContext* scale = nullptr;
    const AVCodec* decoder = nullptr;
    const int stream = avformat_find_stream_info(format, nullptr) >= 0
                           ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0)
                           : -1;
    if (stream < 0 || !decoder) {
        video.problem = "no picture stream";
    } else {
        AVStream* s = format->streams[stream];
        video.container = format->iformat->name;
        video.codec = avcodec_get_name(s->codecpar->codec_id);
        video.fps = s->avg_frame_rate.den ? av_q2d(s->avg_frame_rate) : 0;
        codec = avcodec_alloc_context3(decoder);
        avcodec_parameters_to_context(codec, s->codecpar);
        if (avcodec_open2(codec, decoder, nullptr) < 0)
            video.problem = "no decoder";
        auto take = [&]() {
            while (avcodec_receive_frame(codec, frame) == 0) {
                ++video.frames;
                video.width = frame->width;
                video.height = frame->height;
                video.pixelFormat = av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format));
                scale = sws_getCachedContext(scale, frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format),
                                             frame->width, frame->height, AV_PIX_FMT_RGB24,
                                             SWS_BICUBIC, nullptr, nullptr, nullptr);
                video.last.width = frame->width;
                video.last.height = frame->height;
                // swscale's vector code may write a little past a row: a padded picture first.
                const int stride = (frame->width * 3 + 63) / 64 * 64;
                std::vector<std::uint8_t> padded(static_cast<std::size_t>(stride) *
                                                 (frame->height + 2));
                std::uint8_t* planes[1] = {padded.data()};
                const int strides[1] = {stride};
                sws_scale(scale, frame->data, frame->linesize, 0, frame->height, planes, strides);
                video.last.rgb.resize(static_cast<std::size_t>(frame->width) * frame->height * 3);
                for (int y = 0; y < frame->height; ++y)
                    std::copy_n(&padded[static_cast<std::size_t>(y) * stride], frame->width * 3,
                                &video.last.rgb[static_cast<std::size_t>(y) * frame->width * 3]);
                if (keep == KeepFrames::Every)
                    video.every.push_back(video.last);
            }
        };
        while (video.problem.empty() && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == stream && avcodec_send_packet(codec, packet) >= 0)
                take();
            av_packet_unref(packet);
        }
        if (video.problem.empty()) {
            avcodec_send_packet(codec, nullptr);
            take();
        }
        if (video.fps > 0)
            video.seconds = video.frames / video.fps;
    }
    sws_freeContext(scale);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return video;
}

double ShareOff(const ArgbFrame& expected, const RgbPicture& actual, int tolerance) {
    if (actual.width < expected.width || actual.height < expected.height || expected.width == 0)
        return 1.0;
    std::size_t off = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const std::uint32_t p =
                expected.pixels[static_cast<std::size_t>(y) * expected.width + x];
            const unsigned white = 255 - (p >> 24);
            const int want[3] = {static_cast<int>(std::min(255u, ((p >> 16) & 0xFF) + white)),
                                 static_cast<int>(std::min(255u, ((p >> 8) & 0xFF) + white)),
                                 static_cast<int>(std::min(255u, (p & 0xFF) + white))};
            const std::uint8_t* got =
                &actual.rgb[(static_cast<std::size_t>(y) * actual.width + x) * 3];
            for (int c = 0; c < 3; ++c)
                if (std::abs(want[c] - got[c]) > tolerance) {
                    ++off;
                    break;
                }
        }
    return static_cast<double>(off) / (static_cast<double>(expected.width) * expected.height);
}

double ShareOff(const RgbPicture& expected, const RgbPicture& actual, int tolerance) {
    ArgbFrame frame;
    frame.width = expected.width;
    frame.height = expected.height;
    for (std::size_t i = 0; i + 2 < expected.rgb.size(); i += 3)
        frame.pixels.push_back(0xFF000000u | std::uint32_t{expected.rgb[i]} << 16 |
                               std::uint32_t{expected.rgb[i + 1]} << 8 | expected.rgb[i + 2]);
    return ShareOff(frame, actual, tolerance);
}

} // namespace pennoria::testing
