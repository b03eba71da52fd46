// Picture headers read without decoding.
#include "platform/PictureHeader.h"

#include <algorithm>

namespace pennoria::platform {

namespace {

// Reads bytes at growing offsets; every read past the end fails and leaves ok false.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    std::size_t left() const { return m_ok ? m_bytes.size() - m_at : 0; }
    std::size_t position() const { return m_at; }

    std::uint32_t U8() {
        if (!Have(1))
            return 0;
        return static_cast<unsigned char>(m_bytes[m_at++]);
    }
    std::uint32_t U16BigEndian() {
        const std::uint32_t high = U8();
        return (high << 8) | U8();
    }
    std::uint32_t U16LittleEndian() {
        const std::uint32_t low = U8();
        return low | (U8() << 8);
    }
    std::uint32_t U32BigEndian() {
        const std::uint32_t high = U16BigEndian();
        return (high << 16) | U16BigEndian();
    }
    void Skip(std::size_t count) {
        if (Have(count))
            m_at += count;
    }

private:
    bool Have(std::size_t count) {
        if (!m_ok || m_bytes.size() - m_at < count)
            m_ok = false;
        return m_ok;
    }

    std::string_view m_bytes;
    std::size_t m_at = 0;
    bool m_ok = true;
};

std::optional<PictureHeader> Made(PictureFormat format, std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0)
        return std::nullopt;
    return PictureHeader{format, width, height};
}

std::optional<PictureHeader> ReadPng(std::string_view bytes) {
    // The signature, then the IHDR chunk, which must come first: length 13, type, width, height.
    ByteReader in(bytes);
    in.Skip(8);
    const std::uint32_t length = in.U32BigEndian();
    const std::uint32_t type = in.U32BigEndian();
    const std::uint32_t width = in.U32BigEndian();
    const std::uint32_t height = in.U32BigEndian();
    if (!in.ok() || length != 13 || type != 0x49484452u) // "IHDR"
        return std::nullopt;
    // Sides beyond 2^31 - 1 are not PNG.
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return std::nullopt;
    return Made(PictureFormat::Png, width, height);
}

bool IsJpegFrameHeader(std::uint32_t marker) {
    // SOF0 to SOF15, without DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The orientation tag (0x0112) of IFD0 in an APP1 "Exif" segment's payload; 1 when absent.
int ExifOrientation(std::string_view payload) {
    if (payload.substr(0, 6) != std::string_view("Exif\0\0", 6))
        return 1;
    const std::string_view tiff = payload.substr(6);
    const bool little = tiff.substr(0, 2) == "II";
    if (!little && tiff.substr(0, 2) != "MM")
        return 1;
    auto number = [&](std::size_t at, int size) -> std::uint32_t {
        if (at > tiff.size() || tiff.size() - at < static_cast<std::size_t>(size))
            return 0;
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            const std::uint32_t byte = static_cast<unsigned char>(tiff[at + i]);
            value |= little ? byte << (8 * i) : byte << (8 * (size - 1 - i));
        }
        return value;
    };
    const std::uint32_t ifd = number(4, 4);
    const std::uint32_t entries = number(ifd, 2);
    for (std::uint32_t i = 0; i < entries && i < 1024; ++i) {
        const std::size_t entry = static_cast<std::size_t>(ifd) + 2 + 12 * std::size_t{i};
        if (entry + 12 > tiff.size())
            break;
        if (number(entry, 2) == 0x0112 && number(entry + 2, 2) == 3) { // SHORT
            const std::uint32_t value = number(entry + 8, 2);
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
    }
    return 1;
}

std::optional<PictureHeader> ReadJpeg(std::string_view bytes) {
    ByteReader in(bytes);
    in.Skip(2); // SOI
    int orientation = 1;
    while (in.ok()) {
        // A marker: one or more 0xFF fill bytes, then its code.
        if (in.U8() != 0xFF)
            return std::nullopt;
        std::uint32_t marker = in.U8();
        while (in.ok() && marker == 0xFF)
            marker = in.U8();
        if (!in.ok())
            return std::nullopt;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // TEM and RSTn stand alone
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00)
            return std::nullopt; // a second SOI, the end, or the scan before any frame header
        const std::uint32_t length = in.U16BigEndian();
        if (!in.ok() || length < 2)
            return std::nullopt;
        if (IsJpegFrameHeader(marker)) {
            in.U8(); // sample precision
            const std::uint32_t height = in.U16BigEndian();
            const std::uint32_t width = in.U16BigEndian();
            // A height of 0 is given later by a DNL segment: a size not known from the header.
            if (!in.ok())
                return std::nullopt;
            auto header = Made(PictureFormat::Jpeg, width, height);
            if (header)
                header->orientation = orientation;
            return header;
        }
        if (marker == 0xE1 && orientation == 1 && in.left() >= length - 2)
            orientation = ExifOrientation(bytes.substr(in.position(), length - 2));
        in.Skip(length - 2);
    }
    return std::nullopt;
}

// Skips a chain of GIF data sub-blocks, up to and including its terminator.
void SkipGifSubBlocks(ByteReader& in) {
    while (in.ok()) {
        const std::uint32_t size = in.U8();
        if (size == 0)
            return;
        in.Skip(size);
    }
}

std::optional<PictureHeader> ReadGif(std::string_view bytes) {
    ByteReader in(bytes);
    in.Skip(6); // "GIF87a" or "GIF89a"
    std::uint32_t width = in.U16LittleEndian();
    std::uint32_t height = in.U16LittleEndian();
    const std::uint32_t flags = in.U8();
    in.Skip(2); // background colour, aspect
    if (!in.ok() || width == 0 || height == 0)
        return std::nullopt;
    if (flags & 0x80)
        in.Skip(3u << ((flags & 7) + 1));
    // Decoders make room for every frame as described, even where it reaches beyond the
    // logical screen; the file ends where its bytes end, so a truncated one keeps what was seen.
    while (in.ok()) {
        const std::uint32_t introducer = in.U8();
        if (!in.ok() || introducer == 0x3B) // trailer
            break;
        if (introducer == 0x21) { // extension: label, sub-blocks
            in.U8();
            SkipGifSubBlocks(in);
        } else if (introducer == 0x2C) { // image descriptor
            const std::uint32_t left = in.U16LittleEndian();
            const std::uint32_t top = in.U16LittleEndian();
            const std::uint32_t frameWidth = in.U16LittleEndian();
            const std::uint32_t frameHeight = in.U16LittleEndian();
            const std::uint32_t frameFlags = in.U8();
            if (!in.ok())
                break;
            width = std::max(width, left + frameWidth);
            height = std::max(height, top + frameHeight);
            if (frameFlags & 0x80)
                in.Skip(3u << ((frameFlags & 7) + 1));
            in.U8(); // LZW minimum code size
            SkipGifSubBlocks(in);
        } else {
            break; // not GIF any more: what was read stands
        }
    }
    return Made(PictureFormat::Gif, width, height);
}

} // namespace

std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes) {
    if (bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1A\n", 8))
        return ReadPng(bytes);
    if (bytes.substr(0, 3) == std::string_view("\xFF\xD8\xFF", 3))
        return ReadJpeg(bytes);
    if (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a")
        return ReadGif(bytes);
    return std::nullopt;
}

std::uint32_t UprightWidth(const PictureHeader& header) {
    return header.orientation >= 5 ? header.height : header.width;
}

std::uint32_t UprightHeight(const PictureHeader& header) {
    return header.orientation >= 5 ? header.width : header.height;
}

bool WithinPictureBudget(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

std::string DescribePictureSize(const PictureHeader& header) {
    return std::to_string(header.width) + " x " + std::to_string(header.height);
}

} // namespace pennoria::platform
