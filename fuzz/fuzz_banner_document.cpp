// libFuzzer target: the host's reading of a banner with elements and sizes (boxes and timeline
// state at the final frame), the picture paths of a saved project, and cutting a TrueType face
// down to some text (an input starting with 'T' is a face).
#include "project/BannerDocument.h"
#include "project/ProjectFiles.h"
#include "publish/FontSubset.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (!input.empty() && input[0] == 'T') {
        const std::string text = "Shop caf\xC3\xA9 \xE2\x82\xAC fi \xFF";
        // What the cut writes, it reads again.
        if (auto subset = SubsetTrueType(input.substr(1), text))
            if (!SubsetTrueType(*subset, text))
                std::abort();
        return 0;
    }
    const BannerDocument document = ReadBannerDocument(input);
    if (document.sizes.empty() || document.elements.size() > kMaxBannerElements ||
        document.sizes.size() > kMaxBannerSizes || document.length * document.loops > 30000)
        std::abort();
    for (std::size_t index = 0; index < document.sizes.size(); ++index)
        for (const BannerElement& element : document.elements) {
            const ElementBox box = BoxAt(document, element, index);
            const ElementState state = StateAt(element, box, document.sizes[index].width,
                                               document.sizes[index].height, FinalTime(document));
            if (!std::isfinite(box.x + box.y + box.width + box.height + state.alpha + state.dx +
                               state.dy + state.scale) ||
                box.width < 1 || box.height < 1 || box.fontSize < 6)
                std::abort();
        }
    RelocateImagePaths(input, "/work/ad.pbf", "/work/moved/ad.pbf");
    return 0;
}
