// The editor's Export panel, host side: the design as the editor has it exported (GIF, video or
// stills, one file per size) as a background task while the editor goes on, followed by the
// movie asking how far it has got, and stopped on request. Its own library, so that only the
// programs that offer exports link the encoders.
#pragma once

#include "bridge/BackgroundTask.h"
#include "bridge/HostDialog.h"
#include "publish/Export.h"

#include <memory>
#include <string>
#include <vector>

namespace pennoria {

class CExportJob {
public:
    // The task's end comes through the window's loop; fontFolder holds the program's faces.
    CExportJob(platform::IHostWindow& window, std::string fontFolder)
        : m_fontFolder(std::move(fontFolder)), m_task(window) {}

    // Checks the choices against the project (projectPath: where its pictures are found; the
    // files are named after it) and starts writing. Empty once started, else one line saying
    // why not, as the command line's export says it.
    std::string Start(const ExportChoices& choices, std::string projectXml,
                      const std::string& projectPath);
    // {"state": "idle"|"running"|"done"|"cancelled"|"failed", "fraction": 0 to 1,
    //  "written": [files], "notes": [a line per file], "errors": [a line per size not written]}
    std::string Progress();
    // The file being written is given up (nothing of it stays); those written stay.
    void Cancel() { m_task.Cancel(); }

private:
    struct State; // shared with the job's thread
    std::string m_fontFolder;
    std::shared_ptr<State> m_state;
    // Last: destroyed first, it stops an export still running and waits for its thread.
    CBackgroundTask m_task;
};

// The Export panel's calls beside the twelve, answered by a job of their own for as long as this
// lives:
//   "ExportBannerVC" format, folder, moment (s), frames a second, GIF limit (KB), sizes...:
//     empty texts take the defaults, no size is every size; "ok" once started, else why not;
//   "ExportProgressVC": the job's Progress;
//   "CancelExportVC": "ok".
class CExportCommands {
public:
    // The frames' text has the faces of the program folder's fonts/.
    CExportCommands(CHostDlg& core, platform::IHostWindow& window);
    ~CExportCommands();
    CExportCommands(const CExportCommands&) = delete;
    CExportCommands& operator=(const CExportCommands&) = delete;

    // The choices of an "ExportBannerVC" call, the files named after projectPath ("banner" for
    // a project not saved yet).
    static ExportChoices ReadArguments(const std::vector<std::string>& arguments,
                                       const std::string& projectPath);

private:
    CHostDlg& m_core;
    CExportJob m_job;
};

} // namespace pennoria
