// Draws the images of the frame skin (frame pieces, caption-button strips, logo) and the
// program's desktop icons with Cairo.
#pragma once

#include <string>
#include <vector>

namespace pennoria::skinart {

// One image of the skin: its file name in skins/frame and its size in pixels.
struct SkinImage {
    std::string fileName;
    int width;
    int height;
};

// The images DrawSkin writes, in a fixed order (frame pieces, button strips, then logo.ico).
const std::vector<SkinImage>& SkinImages();

// Draws every image of the skin into folder (which must exist). False, with a reason in error,
// when a file cannot be written.
bool DrawSkin(const std::string& folder, std::string& error);

// The sizes of the program's icon drawn as PNG images (16 to 512 pixels square).
const std::vector<int>& AppIconSizes();

// Draws the program's icon (the skin's pennant logo) into folder (which must exist):
// pennoria-NxN.png for each of AppIconSizes() and the scalable pennoria.svg. False, with a
// reason in error, when a file cannot be written.
bool DrawAppIcons(const std::string& folder, std::string& error);

} // namespace pennoria::skinart
