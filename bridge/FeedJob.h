// A product feed for the editor's feed panel: the rows of a CSV file handed to the movie, and the
// whole feed published as a background task while the editor goes on, followed by the movie
// asking how far it has got, and stopped on request. Every answer is JSON text.
#pragma once

#include "bridge/BackgroundTask.h"
#include "core/AppSettings.h"
#include "publish/FeedPublish.h"

#include <cstddef>
#include <memory>
#include <string>

namespace pennoria {

class CFeedJob {
public:
    // What the panel is handed of a feed at most; every row is still counted.
    static constexpr std::size_t kMostRows = 1000;
    static constexpr std::size_t kMostBytes = std::size_t{4} << 20;

    // The task's end comes through the window's loop.
    explicit CFeedJob(platform::IHostWindow& window) : m_task(window) {}

    // {"columns": [...], "rows": [[...], ...], "total": N, "refused": {"<row>": "why"}}, or
    // {"error": "why"} when the file cannot be read.
    static std::string ReadForPanel(const std::string& feedPath);

    // Starts publishing every row; false (and why) while another publish of a feed runs.
    // settings is copied: the batch never changes the host's.
    bool Start(FeedPublishOptions options, const CAppSettings& settings, std::string* why);
    // {"state": "running"|"published"|"cancelled"|"failed", "done": n, "published": n,
    //  "failed": n, "lines": [the last lines said]}; state "idle" before any publish.
    std::string Progress();
    // No further row is started; those being published are finished.
    void Cancel() { m_task.Cancel(); }

private:
    struct State; // shared with the job's thread
    std::shared_ptr<State> m_state;
    // Last: destroyed first, it stops a publish still running and waits for its thread.
    CBackgroundTask m_task;
};

} // namespace pennoria
