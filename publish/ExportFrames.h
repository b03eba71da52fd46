// What every export draws from: a banner's frames at a size and a moment, as plain pixels.
// The exporters know nothing of the banner format; a frame source (the banner model painted by
// the host) answers the sizes, the timing and the pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pennoria {

struct ExportSize {
    int width = 0;
    int height = 0;
    bool operator==(const ExportSize& other) const {
        return width == other.width && height == other.height;
    }
    bool operator!=(const ExportSize& other) const { return !(*this == other); }
};

// "300x250"
std::string SizeText(ExportSize size);

// A picture of width x height pixels, row after row without padding, each 0xAARRGGBB with the
// colour premultiplied by alpha (Cairo's ARGB32 read as 32-bit words).
struct ArgbFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

inline bool SamePicture(const ArgbFrame& a, const ArgbFrame& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// A banner that can be drawn at any of its sizes and at any moment of one loop.
class IFrameSource {
public:
    virtual ~IFrameSource() = default;

    // The sizes the banner is designed for, in the project's order.
    virtual std::vector<ExportSize> Sizes() const = 0;
    // The length of one loop in milliseconds, and how many times the banner plays it (already
    // lowered so that the whole play stays within the banner's limit); after the last loop the
    // banner rests on its final frame, the frame at LengthMs().
    virtual int LengthMs() const = 0;
    virtual int Loops() const = 0;

    // Paints the banner at size and moment tMs (0 to LengthMs()) into frame; false (and why)
    // when it cannot be painted.
    virtual bool Paint(ExportSize size, double tMs, ArgbFrame& frame, std::string* error) = 0;
};

} // namespace pennoria
