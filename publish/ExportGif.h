// An animated GIF from a banner's frames: one palette for the whole animation chosen by
// libimagequant, each later frame stored as the rectangle that changed with the unchanged
// pixels transparent, written by giflib.
#pragma once

#include "publish/ExportFrames.h"

#include <optional>
#include <string>
#include <vector>

namespace pennoria {

struct GifFrame {
    const ArgbFrame* picture = nullptr; // all of one size
    int delayCentiseconds = 20;
};

struct GifSettings {
    int colours = 256;   // 2 to 256, one of them kept for the transparent pixels of later frames
    float dither = 1.0f; // 0 (none) to 1 (full error diffusion)
    int plays = 1;       // how many times the animation plays before it stops on its last frame
};

// The GIF file's bytes; nothing (and why) when the frames cannot be encoded.
std::optional<std::string> EncodeGif(const std::vector<GifFrame>& frames,
                                     const GifSettings& settings, std::string* error = nullptr);

} // namespace pennoria
