#include "publish/ExportBanner.h"

#include "platform/FileSystem.h"
#include "platform/Raster.h"
#include "project/BannerSize.h"
#include "publish/Publisher.h"

namespace pennoria {

std::unique_ptr<BannerFrames> BannerFrames::Open(BannerModel& model, std::string projectXml,
                                                 const std::string& projectPath,
                                                 const std::string& fontFolder,
                                                 std::string* error) {
    std::string why;
    std::optional<PublishPlan> plan = model.Plan(projectXml, &why);
    if (plan && !plan->isProject)
        why = "it is not a project file (XML with a template element)";
    else if (plan && !plan->overLimits.empty())
        why = "it goes past what is read: " + DescribeLimits(plan->overLimits);
    if (!plan || !plan->isProject || !plan->overLimits.empty()) {
        if (error)
            *error = why;
        return nullptr;
    }
    std::unique_ptr<BannerFrames> frames(
        new BannerFrames(model, std::move(projectXml), std::move(*plan), fontFolder));
    // The pictures as publishing finds them; one that cannot be read is left out of the frames,
    // as the painter leaves out any picture without a readable file.
    std::vector<std::string> names = frames->m_plan.pictures;
    if (!frames->m_plan.image.empty())
        names.push_back(frames->m_plan.image);
    frames->m_pictures = ReadablePictureFiles(names, projectPath);
    for (const PlanFont& font : frames->m_plan.fonts)
        frames->m_userFonts.push_back(
            platform::ResolvedPath(ResolveImageSource(font.src, projectPath)));
    return frames;
}

BannerFrames::BannerFrames(BannerModel& model, std::string projectXml, PublishPlan plan,
                           std::string fontFolder)
    : m_model(model), m_projectXml(std::move(projectXml)), m_plan(std::move(plan)),
      m_fontFolder(std::move(fontFolder)) {}

std::vector<ExportSize> BannerFrames::Sizes() const {
    std::vector<ExportSize> sizes;
    for (const PlanSize& size : m_plan.sizes)
        sizes.push_back({ClampBannerSide(size.width), ClampBannerSide(size.height)});
    return sizes;
}

int BannerFrames::LengthMs() const {
    return m_plan.length;
}

int BannerFrames::Loops() const {
    return m_plan.loops;
}

bool BannerFrames::Paint(ExportSize size, double tMs, ArgbFrame& frame, std::string* error) {
    const double t = tMs >= m_plan.length ? -1 : std::max(0.0, tMs);
    auto list = m_model.Display(m_projectXml, size.width, size.height, t, m_pictures, error);
    if (!list)
        return false;
    // Each thread lays text out with the faces it was given; the same folder again costs nothing.
    platform::UseFontFiles(m_fontFolder, m_userFonts);
    platform::ArgbFrame painted;
    if (!m_painter.Paint(*list, painted, error))
        return false;
    frame.width = painted.width;
    frame.height = painted.height;
    frame.pixels = std::move(painted.pixels);
    return true;
}

} // namespace pennoria
