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
    static std::unique_ptr<VideoEncoder> Open(const std::string& path, VideoCodec codec, int width,
                                              int height, int fps, std::string* error);
    ~VideoEncoder();

    // Appends one frame, shown for 1/fps seconds.
    bool Add(const ArgbFrame& frame, std::string* error);
    // Drains the encoder and completes the file; the encoder can take no more frames.
    bool Finish(std::string* error);

    ExportSize CodedSize() const;

    struct State;

private:
    explicit VideoEncoder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace pennoria
