// pennoria-draw-skin FOLDER: redraws the frame skin's images into FOLDER (data/skins/frame);
// pennoria-draw-skin --icons FOLDER: draws the program's desktop icons (PNG sizes and SVG).
#include "data/skins/draw/SkinArt.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::strcmp(argv[1], "--icons") == 0;
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: pennoria-draw-skin FOLDER\n"
                             "       pennoria-draw-skin --icons FOLDER\n");
        return 2;
    }
    std::string error;
    if (icons) {
        if (!pennoria::skinart::DrawAppIcons(argv[2], error)) {
            std::fprintf(stderr, "pennoria-draw-skin: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (!pennoria::skinart::DrawSkin(argv[1], error)) {
        std::fprintf(stderr, "pennoria-draw-skin: %s\n", error.c_str());
        return 1;
    }
    for (const auto& image : pennoria::skinart::SkinImages())
        std::printf("%s %dx%d\n", image.fileName.c_str(), image.width, image.height);
    return 0;
}
