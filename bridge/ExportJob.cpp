// The Export panel's host side: the choices read as the command line reads them, the export as a
// background task, its progress and outcome as JSON.
#include "bridge/ExportJob.h"

#include "bridge/ReplyWords.h"
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "platform/Text.h"
#include "publish/ExportBanner.h"
#include "publish/Publisher.h"

#include <filesystem>
#include <mutex>
#include <utility>

namespace pennoria {

namespace {

constexpr const char* kRunning = "an export is running already";

// The names the files take for a project not saved yet.
constexpr const char* kUnsavedBaseName = "banner";

std::vector<std::string> XmlTexts(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines)
        out.push_back(platform::ToXmlText(line));
    return out;
}

} // namespace

struct CExportJob::State {
    std::mutex mutex;
    double fraction = 0;
    bool cancelled = false;
    ExportReport report;
};

std::string CExportJob::Start(const ExportChoices& choices, std::string projectXml,
                              const std::string& projectPath) {
    if (m_task.Running())
        return kRunning;
    ExportRequest request;
    std::string problem = ReadExportChoices(choices, request);
    if (!problem.empty())
        return problem;
    BannerModel* model = BannerModel::Shared(&problem);
    if (!model)
        return "the banner model cannot start: " + problem;
    std::shared_ptr<BannerFrames> frames =
        BannerFrames::Open(*model, std::move(projectXml), projectPath, m_fontFolder, &problem);
    if (!frames)
        return "cannot export the banner: " + problem;
    // Refusals come before anything is written, while the panel waits for the answer.
    problem = CheckExportRequest(*frames, request);
    if (!problem.empty())
        return problem;
    auto state = std::make_shared<State>();
    auto job = [state, frames, request = std::move(request)](TaskControl& control) {
        const ExportReport report = RunExport(*frames, request, [&](double fraction) {
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->fraction = fraction;
            }
            return control.Report(fraction);
        });
        std::lock_guard<std::mutex> lock(state->mutex);
        state->report = report;
        state->cancelled = control.Cancelled();
        if (state->cancelled)
            return TaskOutcome{TaskOutcome::Status::Cancelled, {}};
        return TaskOutcome{report.ok ? TaskOutcome::Status::Done : TaskOutcome::Status::Failed, {}};
    };
    if (!m_task.Start(std::move(job), {}, {}))
        return kRunning;
    m_state = std::move(state);
    return {};
}

std::string CExportJob::Progress() {
    if (!m_state)
        return "{\"state\":\"idle\",\"fraction\":0,\"written\":[],\"notes\":[],\"errors\":[]}";
    // Running until the task's end has come through the loop: the report is whole by then.
    const bool running = m_task.Running();
    std::lock_guard<std::mutex> lock(m_state->mutex);
    const ExportReport& report = m_state->report;
    const char* state = running              ? "running"
                        : m_state->cancelled ? "cancelled"
                        : report.ok          ? "done"
                                             : "failed";
    return std::string("{\"state\":\"") + state +
           "\",\"fraction\":" + std::to_string(running ? m_state->fraction : 1.0) +
           ",\"written\":" + ScriptList(XmlTexts(report.written)) +
           ",\"notes\":" + ScriptList(XmlTexts(report.notes)) +
           ",\"errors\":" + ScriptList(XmlTexts(report.errors)) + "}";
}

ExportChoices CExportCommands::ReadArguments(const std::vector<std::string>& arguments,
                                             const std::string& projectPath) {
    ExportChoices choices;
    std::string* fields[] = {&choices.format, &choices.folder, &choices.atSeconds, &choices.fps,
                             &choices.maxKilobytes};
    std::size_t next = 0;
    for (std::string* field : fields)
        if (next < arguments.size())
            *field = arguments[next++];
    for (; next < arguments.size(); ++next)
        if (!arguments[next].empty())
            choices.sizes.push_back(arguments[next]);
    choices.baseName = projectPath.empty() ? std::string(kUnsavedBaseName)
                                           : std::filesystem::path(projectPath).stem().string();
    return choices;
}

CExportCommands::CExportCommands(CHostDlg& core, platform::IHostWindow& window)
    : m_core(core), m_job(window, GetPublishSources(GetProgramFolder(), false).fontFolder) {
    m_core.AddCommand("ExportBannerVC", [this](const std::vector<std::string>& arguments) {
        const std::string& path = m_core.CurrentProjectPath();
        // The design as the editor has it now, saved or not.
        std::string projectXml;
        if (!m_core.RequestProjectXml("photoEditor", projectXml) || projectXml.empty())
            return std::string(kReplyFalse);
        const std::string why = m_job.Start(ReadArguments(arguments, path), projectXml, path);
        return why.empty() ? std::string(kReplyOk) : platform::ToXmlText(why);
    });
    m_core.AddCommand("ExportProgressVC",
                      [this](const std::vector<std::string>&) { return m_job.Progress(); });
    m_core.AddCommand("CancelExportVC", [this](const std::vector<std::string>&) {
        m_job.Cancel();
        return std::string(kReplyOk);
    });
}

CExportCommands::~CExportCommands() {
    for (const char* name : {"ExportBannerVC", "ExportProgressVC", "CancelExportVC"})
        m_core.AddCommand(name, {});
}

} // namespace pennoria
