#include "bridge/ElementClipboard.h"

#include "bridge/ReplyWords.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Raster.h"
#include "platform/RasterEncode.h"
#include "platform/Text.h"
#include "project/BannerModel.h"
#include "publish/Publisher.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace pennoria {

namespace {

// True when the model reads text as a fragment: a project with elements, whole.
bool IsWholeFragment(BannerModel& model, const std::string& text) {
    std::optional<PublishPlan> plan = model.Plan(text);
    return plan && plan->isProject && plan->overLimits.empty() && !plan->elements.empty() &&
           !plan->sizes.empty();
}

} // namespace

CElementClipboard::CElementClipboard(platform::IClipboard& clipboard, std::string fontFolder,
                                     std::function<void(const std::string&)> onPasted)
    : m_clipboard(clipboard), m_fontFolder(std::move(fontFolder)), m_onPasted(std::move(onPasted)) {
}

BannerModel* CElementClipboard::Model() {
    std::string error;
    BannerModel* model = BannerModel::Shared(&error);
    if (!model)
        platform::DebugOutput("clipboard: no banner model: " + error);
    return model;
}

std::string CElementClipboard::Copy(const std::string& fragment) {
    if (fragment.empty())
        return kReplyOk;
    BannerModel* model = Model();
    if (fragment.size() > kMaxFragmentBytes || !model || !IsWholeFragment(*model, fragment))
        return kReplyFalse;
    platform::ClipboardContent content;
    content.fragment = fragment;
    content.png = Picture(fragment).value_or("");
    return m_clipboard.Put(std::move(content)) ? kReplyOk : kReplyFalse;
}

std::string CElementClipboard::Paste() {
    std::optional<std::string> fragment = m_clipboard.Fragment(kMaxFragmentBytes);
    BannerModel* model = fragment ? Model() : nullptr;
    if (!model || !IsWholeFragment(*model, *fragment))
        return kReplyFalse;
    if (m_onPasted)
        m_onPasted(*fragment);
    return platform::ToXmlText(*fragment);
}

std::optional<std::string> CElementClipboard::Picture(const std::string& fragment) {
    BannerModel* model = Model();
    std::optional<PublishPlan> plan = model ? model->Plan(fragment) : std::nullopt;
    if (!plan || !plan->isProject || plan->sizes.empty())
        return std::nullopt;
    // A fragment names its pictures by whole paths; one that cannot be read is left out.
    const PictureFiles pictures = ReadablePictureFiles(plan->pictures, {});
    std::string error;
    platform::UseFontFolder(m_fontFolder);
    const PlanSize& size = plan->sizes.front();
    std::optional<platform::DisplayList> list =
        model->Display(fragment, size.width, size.height, -1, pictures, &error);
    platform::ArgbFrame frame;
    if (!list || !platform::DisplayListPainter().Paint(*list, frame, &error)) {
        platform::DebugOutput("clipboard: the picture was not painted: " + error);
        return std::nullopt;
    }
    // Cut to the elements' box within the banner.
    double left = frame.width, top = frame.height, right = 0, bottom = 0;
    for (const PlanElement& element : plan->elements) {
        if (element.boxes.empty())
            continue;
        const PlanBox& box = element.boxes.front();
        left = std::min(left, box.x);
        top = std::min(top, box.y);
        right = std::max(right, box.x + box.width);
        bottom = std::max(bottom, box.y + box.height);
    }
    const int x0 = std::clamp(static_cast<int>(std::floor(left)), 0, frame.width);
    const int y0 = std::clamp(static_cast<int>(std::floor(top)), 0, frame.height);
    const int x1 = std::clamp(static_cast<int>(std::ceil(right)), 0, frame.width);
    const int y1 = std::clamp(static_cast<int>(std::ceil(bottom)), 0, frame.height);
    if (x1 <= x0 || y1 <= y0)
        return std::nullopt;
    std::vector<std::uint32_t> cut;
    cut.reserve(static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(y1 - y0));
    for (int y = y0; y < y1; ++y) {
        const auto row = frame.pixels.begin() + static_cast<std::ptrdiff_t>(y) * frame.width;
        cut.insert(cut.end(), row + x0, row + x1);
    }
    return platform::EncodeArgbPng(cut.data(), x1 - x0, y1 - y0, &error);
}

} // namespace pennoria
