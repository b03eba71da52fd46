// Pictures that are small on disk and huge once decoded, written as real files: a PNG whose
// rows of zeros deflate to a few kilobytes, a JPEG whose frame header asks for a huge frame, a GIF
// whose logical screen (or one frame) is huge. Each is a file a decoder accepts up to its size.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

namespace pennoria::testing {

inline void PutBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

inline void PngChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    PutBigEndian32(out,
                   static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                    static_cast<uInt>(typed.size()))));
}

// A complete greyscale PNG of width x height, every pixel black (1 bit per pixel), whose image
// data is deflated row by row: 20000 x 20000 takes about 50 KB.
inline std::string PngOfSize(std::uint32_t width, std::uint32_t height) {
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header += std::string("\x01\x00\x00\x00\x00", 5); // 1 bit, grey, deflate, no filter, plain
    PngChunk(png, "IHDR", header);
    z_stream stream{};
    deflateInit(&stream, 9);
    const std::string row(1 + (static_cast<std::size_t>(width) + 7) / 8, '\0');
    std::string compressed;
    char buffer[1 << 16];
    for (std::uint32_t y = 0; y <= height; ++y) {
        const bool last = y == height;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
        stream.avail_in = last ? 0 : static_cast<uInt>(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    PngChunk(png, "IDAT", compressed);
    PngChunk(png, "IEND", "");
    return png;
}

// A baseline JPEG whose frame header says width x height, behind an APP0 and a comment, with a
// scan that ends at once: a decoder sizes its picture from the frame header.
inline std::string JpegOfSize(std::uint16_t width, std::uint16_t height) {
    std::string jpeg("\xFF\xD8", 2);
    jpeg += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    jpeg += std::string("\xFF\xFE\x00\x07hello", 9);
    // Quantisation table 0, all ones.
    jpeg += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    jpeg += std::string("\xFF\xC0\x00\x0B\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 0xFF);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 0xFF);
    jpeg += std::string("\x01\x01\x11\x00", 4); // one component, 1x1 sampling, table 0
    // One DC and one AC table, each with a single code.
    jpeg += std::string("\xFF\xC4\x00\x14\x00\x01", 6) + std::string(15, '\0') + '\0';
    jpeg += std::string("\xFF\xC4\x00\x14\x10\x01", 6) + std::string(15, '\0') + '\0';
    jpeg += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    jpeg += std::string(64, '\0');
    jpeg += std::string("\xFF\xD9", 2);
    return jpeg;
}

// A GIF with a logical screen of screenWidth x screenHeight and one frame of frameWidth x
// frameHeight at the origin, its pixels all colour 0.
inline std::string GifOfSize(std::uint16_t screenWidth, std::uint16_t screenHeight,
                             std::uint16_t frameWidth = 1, std::uint16_t frameHeight = 1) {
    auto little = [](std::uint16_t value) {
        return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    };
    std::string gif = "GIF89a" + little(screenWidth) + little(screenHeight);
    gif += std::string("\x80\x00\x00", 3);             // a global table of two colours
    gif += std::string("\x00\x00\x00\xFF\xFF\xFF", 6); // black, white
    gif += std::string("\x21\xFE\x03hey\x00", 7);      // a comment extension
    gif += '\x2C' + little(0) + little(0) + little(frameWidth) + little(frameHeight) + '\0';
    // LZW minimum code size 2: clear (4), one pixel 0, end (5), packed into one byte each
    // sub-block.
    gif += std::string("\x02\x02\x44\x01\x00", 5);
    gif += '\x3B';
    return gif;
}

} // namespace pennoria::testing
