// Pixels to image files, without a display: PNG (Cairo) and baseline JPEG (gdk-pixbuf).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pennoria::platform {

// width x height pixels, row after row, each a premultiplied 0xAARRGGBB word.
std::optional<std::string> EncodeArgbPng(const std::uint32_t* pixels, int width, int height,
                                         std::string* error = nullptr);

// The same pixels laid over white as a baseline JPEG of quality 1 to 100.
std::optional<std::string> EncodeArgbJpeg(const std::uint32_t* pixels, int width, int height,
                                          int quality, std::string* error = nullptr);

} // namespace pennoria::platform
