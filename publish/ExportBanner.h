// A saved project as a frame source for exports: the banner model lays out each moment and the
// host's painter draws it, so every exported frame is the frame the creative and the backup
// image show.
#pragma once

#include "project/BannerModel.h"
#include "publish/ExportFrames.h"

#include <memory>
#include <string>

namespace pennoria {

class BannerFrames : public IFrameSource {
public:
    // The project text and its path (relative pictures are found beside it), read through
    // model; nothing (and why, one line) when the text is not a readable project. fontFolder
    // holds the program's TrueType faces.
    static std::unique_ptr<BannerFrames> Open(BannerModel& model, std::string projectXml,
                                              const std::string& projectPath,
                                              const std::string& fontFolder, std::string* error);

    std::vector<ExportSize> Sizes() const override;
    int LengthMs() const override;
    int Loops() const override;
    // A moment at or past LengthMs() is the banner's final frame. Any one thread at a time may
    // paint; its text has the program's faces.
    bool Paint(ExportSize size, double tMs, ArgbFrame& frame, std::string* error) override;

private:
    BannerFrames(BannerModel& model, std::string projectXml, PublishPlan plan,
                 std::string fontFolder);

    BannerModel& m_model;
    std::string m_projectXml;
    PublishPlan m_plan;
    PictureFiles m_pictures;
    // Given to the painting thread before each frame: frames may be painted on any thread.
    std::string m_fontFolder;
    std::vector<std::string> m_userFonts; // the files of the user's own faces
    platform::DisplayListPainter m_painter;
};

} // namespace pennoria
