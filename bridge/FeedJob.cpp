// The feed panel's host side: rows as JSON, the batch as a background task.
#include "bridge/FeedJob.h"

#include "core/Strings.h"

#include "platform/Text.h"
#include "platform/scripted/ScriptedHost.h"

#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

namespace pennoria {

namespace {

// Lines of a publish kept for the panel (the last ones).
constexpr std::size_t kKeptLines = 50;

} // namespace

struct CFeedJob::State {
    std::mutex mutex;
    std::size_t done = 0;
    std::vector<std::string> lines;
    FeedSummary summary;

    void Say(const std::string& line) {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(platform::ToXmlText(line));
        if (lines.size() > kKeptLines)
            lines.erase(lines.begin());
    }
};

std::string CFeedJob::ReadForPanel(const std::string& feedPath) {
    const FeedRows read = ReadFeedRows(feedPath, kMostRows, kMostBytes);
    if (!read.failure.empty())
        return "{\"error\":" + ScriptString(platform::ToXmlText(read.failure)) + "}";
    std::string out = "{\"columns\":" + ScriptList(read.columns) + ",\"rows\":[";
    for (std::size_t i = 0; i < read.rows.size(); ++i)
        out += (i ? "," : "") + ScriptList(read.rows[i]);
    out += "],\"total\":" + std::to_string(read.total) + ",\"refused\":{";
    bool first = true;
    for (const auto& [row, why] : read.refused) {
        out += (first ? "\"" : ",\"") + std::to_string(row) + "\":" + ScriptString(why);
        first = false;
    }
    return out + "}}";
}

bool CFeedJob::Start(FeedPublishOptions options, const CAppSettings& settings, std::string* why) {
    if (m_task.Running()) {
        if (why)
            *why = "a feed is being published already";
        return false;
    }
    auto state = std::make_shared<State>();
    auto job = [state, options = std::move(options),
                settings = CAppSettings(settings)](TaskControl& control) mutable {
        options.cancelled = [&control] { return control.Cancelled(); };
        options.progress = [state](std::size_t done) {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->done = done;
        };
        // A variant's publish opens nothing and shows no cursor: these only stand in.
        platform::ScriptedShell shell;
        platform::ScriptedHostWindow window;
        const FeedSummary summary =
            PublishFeed(options, settings, shell, window,
                        [&state](const std::string& line) { state->Say(line); });
        if (!summary.failure.empty())
            state->Say(summary.failure);
        std::lock_guard<std::mutex> lock(state->mutex);
        state->summary = summary;
        if (!summary.failure.empty())
            return TaskOutcome{TaskOutcome::Status::Failed, summary.failure};
        return TaskOutcome{
            summary.cancelled ? TaskOutcome::Status::Cancelled : TaskOutcome::Status::Done, {}};
    };
    if (!m_task.Start(std::move(job), {}, {})) {
        if (why)
            *why = "a feed is being published already";
        return false;
    }
    m_state = std::move(state);
    return true;
}

std::string CFeedJob::Progress() {
    if (!m_state)
        return "{\"state\":\"idle\",\"done\":0,\"published\":0,\"failed\":0,\"lines\":[]}";
    // Running until the task's end has come through the loop: the summary is whole by then.
    const bool running = m_task.Running();
    std::lock_guard<std::mutex> lock(m_state->mutex);
    const FeedSummary& summary = m_state->summary;
    const std::string state = running                    ? "running"
                              : !summary.failure.empty() ? "failed"
                              : summary.cancelled        ? "cancelled"
                                                         : "published";
    return "{\"state\":\"" + state + "\",\"done\":" + std::to_string(m_state->done) +
           ",\"published\":" + std::to_string(running ? 0 : summary.published) +
           ",\"failed\":" + std::to_string(running ? 0 : summary.failed) +
           ",\"lines\":" + ScriptList(m_state->lines) + "}";
}

} // namespace pennoria
