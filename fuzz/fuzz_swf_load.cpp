// libFuzzer target: SWF movie loading, stage resize and saving from arbitrary bytes.
#include "swf/Swf.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace pennoria;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SWFMovie movie(nullptr);
    if (!movie.LoadFromData(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    // A movie that loaded must save, and what it saves must load again with the same tags.
    std::int32_t width = size > 0 ? data[0] * 37 : 0;
    std::int32_t height = size > 1 ? data[1] * 11 : 0;
    if (!movie.SetStageSize(width, height))
        std::abort();
    std::string saved;
    if (!movie.SaveToData(saved))
        std::abort();
    SWFMovie again(nullptr);
    if (!again.LoadFromData(saved))
        std::abort();
    if (again.Tags().size() != movie.Tags().size() || again.Header().FrameRect.Xmax != width * 20 ||
        again.Header().FrameRect.Ymax != height * 20)
        std::abort();
    for (std::size_t i = 0; i < movie.Tags().size(); ++i) {
        const SWFTagBody* a = movie.Tags()[i].Body();
        const SWFTagBody* b = again.Tags()[i].Body();
        if (a->GetLength() != b->GetLength() ||
            (a->GetLength() > 0 && std::memcmp(a->Data(), b->Data(), a->GetLength()) != 0))
            std::abort();
    }
    return 0;
}
