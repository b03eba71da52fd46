// A banner's frames as a video file: H.264 in MP4 (the index before the data, so a player starts
// before the file has arrived) or VP9 in WebM, both 4:2:0, through libavcodec and libavformat.
#pragma once

#include "publish/ExportFrames.h"

#include <memory>
#include <string>

namespace pennoria {

enum class VideoCodec { H264Mp4, Vp9Webm };

class VideoEncoder {
public:
    // Opens path for a video of frames of width x height at fps frames a second. 4:2:0 needs an
    // even width and height: an odd side is padded by one pixel repeating the banner's last
    // column or row (CodedSize() tells the size written). Nothing (and why) on failure.
    // The encoders live in a library of their own in the program folder (kVideoLibrary), loaded
    // on the first video: the codecs' libraries are many and large, and a program that never
    // writes a video does not pay for loading them at every start.
    static std::unique_ptr<VideoEncoder> Open(const std::string& path, VideoCodec codec, int width,
                                              int height, int fps, std::string* error);
    virtual ~VideoEncoder() = default;

    // Appends one frame, shown for 1/fps seconds.
    virtual bool Add(const ArgbFrame& frame, std::string* error) = 0;
    // Drains the encoder and completes the file; the encoder can take no more frames.
    virtual bool Finish(std::string* error) = 0;

    virtual ExportSize CodedSize() const = 0;
};

// The video library's file name in the program folder, and its one export: Open's work, the
// encoder allocated with new (nullptr, and why, on failure).
extern const char* const kVideoLibrary; // "libpennoria-video.so"
using OpenVideoEncoderFunction = VideoEncoder* (*)(const std::string& path, VideoCodec codec,
                                                   int width, int height, int fps,
                                                   std::string* error);
#define PENNORIA_OPEN_VIDEO_ENCODER "PennoriaOpenVideoEncoder"

} // namespace pennoria
