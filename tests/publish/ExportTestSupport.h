// Readers for the export tests that share no code with the exporters: a GIF reader written here
// from the format's description (blocks, LZW, frame composition), and FFmpeg's demuxers and
// decoders for the videos and stills.
#pragma once

#include "publish/ExportFrames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::testing {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // 3 bytes a pixel
};

struct GifFile {
    int width = 0, height = 0;
    int globalColours = 0;
    std::optional<int> loopCount; // the looping block's count; none: plays once
    struct Frame {
        int left = 0, top = 0, width = 0, height = 0;
        int delay = 0; // centiseconds
        int disposal = 0;
        int transparent = -1;
    };
    std::vector<Frame> frames;
    RgbPicture last;     // the screen after the last frame
    std::string problem; // empty: read whole
};

GifFile ReadGif(const std::string& bytes);

struct VideoFile {
    std::string container; // the demuxer's name
    std::string codec;
    std::string pixelFormat;
    int width = 0, height = 0;
    double fps = 0;
    double seconds = 0; // the stream's frames / rate
    int frames = 0;
    RgbPicture last;
    std::vector<RgbPicture> every; // in the order shown, when asked for
    std::string problem;
};

// Decodes every frame of the file's picture stream (also a PNG or JPEG still); keeps every
// picture when told to (else the last only).
enum class KeepFrames { Last, Every };
VideoFile ReadVideo(const std::string& path, KeepFrames keep = KeepFrames::Last);

// The share of pixels of a banner frame (compared at its size, from the top-left) whose
// red, green or blue differs by more than tolerance in the picture.
double ShareOff(const ArgbFrame& expected, const RgbPicture& actual, int tolerance = 32);
double ShareOff(const RgbPicture& expected, const RgbPicture& actual, int tolerance = 32);

} // namespace pennoria::testing
