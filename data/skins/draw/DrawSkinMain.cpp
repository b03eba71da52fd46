// pennoria-draw-skin FOLDER: redraws the frame skin's images into FOLDER (data/skins/frame).
#include "data/skins/draw/SkinArt.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pennoria-draw-skin FOLDER\n");
        return 2;
    }
    std::string error;
    if (!pennoria::skinart::DrawSkin(argv[1], error)) {
        std::fprintf(stderr, "pennoria-draw-skin: %s\n", error.c_str());
        return 1;
    }
    for (const auto& image : pennoria::skinart::SkinImages())
        std::printf("%s %dx%d\n", image.fileName.c_str(), image.width, image.height);
    return 0;
}
