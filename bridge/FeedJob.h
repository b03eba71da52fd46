// A product feed for the editor's feed panel: the rows of a CSV file handed to the movie, and the
// whole feed published on a thread of its own while the editor goes on, followed by the movie
// asking how far it has got, and stopped on request. Every answer is JSON text.
#pragma once

#include "core/AppSettings.h"
#include "publish/FeedPublish.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pennoria {

class CFeedJob {
public:
    // What the panel is handed of a feed at most; every row is still counted.
    static constexpr std::size_t kMostRows = 1000;
    static constexpr std::size_t kMostBytes = std::size_t{4} << 20;

    CFeedJob() = default;
    // Stops a publish still running and waits for the rows being published to finish.
    ~CFeedJob();
    CFeedJob(const CFeedJob&) = delete;
    CFeedJob& operator=(const CFeedJob&) = delete;

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
    void Cancel() { m_cancel = true; }
    bool Running();

private:
    void Join();

    std::mutex m_mutex; // guards everything below but the thread and the flag
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_started = false;
    bool m_finished = false;
    std::size_t m_done = 0;
    std::vector<std::string> m_lines;
    FeedSummary m_summary;
};

} // namespace pennoria
