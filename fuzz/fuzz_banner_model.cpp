// libFuzzer target: the banner model's answers for any text (the plan, the final frame's display
// list at every size, the project text publishing writes), the picture paths of a saved project,
// and cutting a TrueType face down to some text (an input starting with 'T' is a face).
#include "project/BannerModel.h"
#include "project/ProjectFiles.h"
#include "publish/FontSubset.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria;

namespace {

bool Finite(const std::vector<platform::DisplayOp>& ops) {
    for (const platform::DisplayOp& op : ops)
        if (!std::isfinite(op.x + op.y + op.w + op.h + op.opacity) || !Finite(op.ops))
            return false;
    return true;
}

} // namespace

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
    static std::unique_ptr<BannerModel> model =
        BannerModel::Load(std::string(PENNORIA_PROGRAM_DIR) + "/" + kBannerModelScript);
    if (!model)
        std::abort();
    auto plan = model->Plan(input);
    if (!plan || plan->sizes.empty() || plan->sizes.size() > 20 ||
        plan->length * plan->loops > 30000)
        std::abort();
    for (const PlanSize& at : plan->sizes) {
        if (at.width < 1 || at.height < 1 || at.width > 8191 || at.height > 8191)
            std::abort();
        auto list = model->Display(input, at.width, at.height, -1, {});
        if (!list || list->width != at.width || !Finite(list->ops))
            std::abort();
        // What publishing writes for a size reads again as that one size.
        auto text = model->PublishText(input, at.width, at.height, {}, "res/template.swf");
        auto again = text ? model->Plan(*text) : std::nullopt;
        if (!again || (plan->version >= 2 && again->sizes.size() != 1))
            std::abort();
    }
    RelocateImagePaths(input, "/work/ad.pbf", "/work/moved/ad.pbf");
    return 0;
}
