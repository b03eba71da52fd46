// Pictures of a video for the browser tests, decoded by FFmpeg's libraries: for each fraction of
// the play given (0 the first frame, 1 the last), the frame nearest it, as a binary PPM file in
// the folder given (frame-1.ppm, frame-2.ppm, ...). Prints the number of frames.
//
// usage: video_frames VIDEO FOLDER FRACTION...
#include "tests/publish/ExportTestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: video_frames VIDEO FOLDER FRACTION...\n");
        return 2;
    }
    using namespace pennoria::testing;
    const VideoFile video = ReadVideo(argv[1], KeepFrames::Every);
    if (!video.problem.empty() || video.every.empty()) {
        std::fprintf(stderr, "video_frames: %s: %s\n", argv[1],
                     video.problem.empty() ? "no frames" : video.problem.c_str());
        return 1;
    }
    const int last = static_cast<int>(video.every.size()) - 1;
    for (int i = 3; i < argc; ++i) {
        const double fraction = std::atof(argv[i]);
        const long index = std::lround(std::fmin(1.0, std::fmax(0.0, fraction)) * last);
        const RgbPicture& picture = video.every[static_cast<std::size_t>(index)];
        std::ofstream out(std::string(argv[2]) + "/frame-" + std::to_string(i - 2) + ".ppm",
                          std::ios::binary);
        out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
        out.write(reinterpret_cast<const char*>(picture.rgb.data()),
                  static_cast<std::streamsize>(picture.rgb.size()));
        if (!out) {
            std::fprintf(stderr, "video_frames: cannot write into %s\n", argv[2]);
            return 1;
        }
    }
    std::printf("%zu\n", video.every.size());
    return 0;
}
