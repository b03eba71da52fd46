// The video library: H.264/MP4 and VP9/WebM encoders over libavcodec and libavformat, loaded by
// VideoEncoder::Open on the first video a program writes.
#include "publish/ExportVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

namespace pennoria {
namespace {

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

std::string AvText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace

struct CodecState {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;
    int width = 0, height = 0; // the banner's
    int codedWidth = 0, codedHeight = 0;
    std::int64_t nextPts = 0;
    bool headerWritten = false;
    bool finished = false;
    std::vector<std::uint32_t> padded; // an odd-sized frame with its edge repeated

    ~CodecState() {
        sws_freeContext(scale);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format) {
            if (format->pb && !(format->oformat->flags & AVFMT_NOFILE))
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    // Writes every packet the encoder has ready.
    bool Drain(std::string* error) {
        for (;;) {
            const int got = avcodec_receive_packet(codec, packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return true;
            if (got < 0) {
                SetError(error, "video encoder: " + AvText(got));
                return false;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int wrote = av_interleaved_write_frame(format, packet);
            av_packet_unref(packet);
            if (wrote < 0) {
                SetError(error, "video file: " + AvText(wrote));
                return false;
            }
        }
    }
};

namespace {

class CodecVideoEncoder final : public VideoEncoder {
public:
    explicit CodecVideoEncoder(std::unique_ptr<CodecState> state) : state_(std::move(state)) {}
    bool Add(const ArgbFrame& frame, std::string* error) override;
    bool Finish(std::string* error) override;
    ExportSize CodedSize() const override { return {state_->codedWidth, state_->codedHeight}; }

private:
    std::unique_ptr<CodecState> state_;
};

VideoEncoder* OpenCodec(const std::string& path, VideoCodec kind, int width, int height, int fps,
                        std::string* error) {
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || fps < 1 || fps > 120) {
        SetError(error, "video size or frame rate out of range");
        return nullptr;
    }
    // The encoders' statistics and notes stay quiet; errors still reach standard error.
    if (av_log_get_level() > AV_LOG_ERROR)
        av_log_set_level(AV_LOG_ERROR);
    auto state = std::make_unique<CodecState>();
    CodecState& s = *state;
    s.width = width;
    s.height = height;
    s.codedWidth = width + (width & 1);
    s.codedHeight = height + (height & 1);

    const bool mp4 = kind == VideoCodec::H264Mp4;
    const char* encoderName = mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder) {
        SetError(error, std::string("this libavcodec has no ") + encoderName + " encoder");
        return nullptr;
    }
    int code =
        avformat_alloc_output_context2(&s.format, nullptr, mp4 ? "mp4" : "webm", path.c_str());
    if (code < 0 || !s.format) {
        SetError(error, "video container: " + AvText(code));
        return nullptr;
    }
    s.stream = avformat_new_stream(s.format, nullptr);
    s.codec = avcodec_alloc_context3(encoder);
    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (!s.stream || !s.codec || !s.frame || !s.packet) {
        SetError(error, "out of memory for the video encoder");
        return nullptr;
    }
    AVCodecContext* c = s.codec;
    c->width = s.codedWidth;
    c->height = s.codedHeight;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    c->gop_size = fps * 2;
    c->sample_aspect_ratio = AVRational{1, 1};
    // swscale converts with the BT.601 matrix into the limited range; say so in the stream.
    c->color_range = AVCOL_RANGE_MPEG;
    c->colorspace = AVCOL_SPC_SMPTE170M;
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_IEC61966_2_1;
    c->thread_count = 0;
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (mp4) {
        av_dict_set(&options, "preset", "medium", 0);
        av_dict_set(&options, "crf", "20", 0);
        av_dict_set(&options, "profile", "high", 0);
    } else {
        c->bit_rate = 0;
        av_dict_set(&options, "crf", "32", 0);
        av_dict_set(&options, "deadline", "good", 0);
        av_dict_set(&options, "cpu-used", "4", 0);
        av_dict_set(&options, "row-mt", "1", 0);
    }
    code = avcodec_open2(c, encoder, &options);
    av_dict_free(&options);
    if (code < 0) {
        SetError(error, std::string(encoderName) + ": " + AvText(code));
        return nullptr;
    }
    s.stream->time_base = c->time_base;
    s.stream->avg_frame_rate = c->framerate;
    s.stream->sample_aspect_ratio = c->sample_aspect_ratio;
    code = avcodec_parameters_from_context(s.stream->codecpar, c);
    if (code < 0) {
        SetError(error, "video stream: " + AvText(code));
        return nullptr;
    }

    s.frame->format = c->pix_fmt;
    s.frame->width = c->width;
    s.frame->height = c->height;
    code = av_frame_get_buffer(s.frame, 0);
    if (code < 0) {
        SetError(error, "video frame: " + AvText(code));
        return nullptr;
    }
    // AV_PIX_FMT_RGB32 is a native-endian 0xAARRGGBB word per pixel, as the frames are.
    s.scale = sws_getContext(c->width, c->height, AV_PIX_FMT_RGB32, c->width, c->height, c->pix_fmt,
                             SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!s.scale) {
        SetError(error, "no colour conversion to 4:2:0");
        return nullptr;
    }

    code = avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) {
        SetError(error, path + ": " + AvText(code));
        return nullptr;
    }
    AVDictionary* muxing = nullptr;
    if (mp4)
        av_dict_set(&muxing, "movflags", "+faststart", 0);
    code = avformat_write_header(s.format, &muxing);
    av_dict_free(&muxing);
    if (code < 0) {
        SetError(error, "video header: " + AvText(code));
        return nullptr;
    }
    s.headerWritten = true;
    return new CodecVideoEncoder(std::move(state));
}

bool CodecVideoEncoder::Add(const ArgbFrame& picture, std::string* error) {
    CodecState& s = *state_;
    if (s.finished || picture.width != s.width || picture.height != s.height ||
        picture.pixels.size() != static_cast<std::size_t>(s.width) * s.height) {
        SetError(error, "a frame of the wrong size");
        return false;
    }
    const std::uint32_t* source = picture.pixels.data();
    if (s.codedWidth != s.width || s.codedHeight != s.height) {
        s.padded.resize(static_cast<std::size_t>(s.codedWidth) * s.codedHeight);
        for (int y = 0; y < s.codedHeight; ++y) {
            const std::uint32_t* from =
                source + static_cast<std::size_t>(std::min(y, s.height - 1)) * s.width;
            std::uint32_t* to = s.padded.data() + static_cast<std::size_t>(y) * s.codedWidth;
            std::memcpy(to, from, static_cast<std::size_t>(s.width) * 4);
            if (s.codedWidth != s.width)
                to[s.width] = from[s.width - 1];
        }
        source = s.padded.data();
    }
    int code = av_frame_make_writable(s.frame);
    if (code < 0) {
        SetError(error, "video frame: " + AvText(code));
        return false;
    }
    const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(source)};
    const int strides[1] = {s.codedWidth * 4};
    sws_scale(s.scale, planes, strides, 0, s.codedHeight, s.frame->data, s.frame->linesize);
    s.frame->pts = s.nextPts++;
    code = avcodec_send_frame(s.codec, s.frame);
    if (code < 0) {
        SetError(error, "video encoder: " + AvText(code));
        return false;
    }
    return s.Drain(error);
}

bool CodecVideoEncoder::Finish(std::string* error) {
    CodecState& s = *state_;
    if (s.finished)
        return true;
    s.finished = true;
    const int code = avcodec_send_frame(s.codec, nullptr);
    if (code < 0) {
        SetError(error, "video encoder: " + AvText(code));
        return false;
    }
    if (!s.Drain(error))
        return false;
    const int wrote = av_write_trailer(s.format);
    if (wrote < 0) {
        SetError(error, "video file: " + AvText(wrote));
        return false;
    }
    const int closed = avio_closep(&s.format->pb);
    if (closed < 0) {
        SetError(error, "video file: " + AvText(closed));
        return false;
    }
    return true;
}

} // namespace

} // namespace pennoria

// The library's one export, found by VideoEncoder::Open by name.
extern "C" __attribute__((visibility("default"))) pennoria::VideoEncoder*
PennoriaOpenVideoEncoder(const std::string& path, pennoria::VideoCodec codec, int width, int height,
                         int fps, std::string* error) {
    return pennoria::OpenCodec(path, codec, width, height, fps, error);
}
