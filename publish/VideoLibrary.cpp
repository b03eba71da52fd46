// Opening a video encoder: the video library is loaded from the program folder on the first call
// and stays loaded; every later call goes straight to its export.
#include "core/ProgramPaths.h"
#include "platform/LoadedLibrary.h"
#include "publish/ExportVideo.h"

#include <mutex>

namespace pennoria {

const char* const kVideoLibrary = "libpennoria-video.so";

std::unique_ptr<VideoEncoder> VideoEncoder::Open(const std::string& path, VideoCodec codec,
                                                 int width, int height, int fps,
                                                 std::string* error) {
    static std::once_flag loading;
    static OpenVideoEncoderFunction openEncoder = nullptr;
    static std::string why;
    std::call_once(loading, [] {
        openEncoder = reinterpret_cast<OpenVideoEncoderFunction>(platform::LoadLibrarySymbol(
            GetProgramFolder() + kVideoLibrary, PENNORIA_OPEN_VIDEO_ENCODER, &why));
    });
    if (!openEncoder) {
        if (error)
            *error = "the video encoders cannot be loaded: " + why;
        return nullptr;
    }
    return std::unique_ptr<VideoEncoder>(openEncoder(path, codec, width, height, fps, error));
}

} // namespace pennoria
