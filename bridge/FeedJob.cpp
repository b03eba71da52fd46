// The feed panel's host side: rows as JSON, the batch on a worker thread.
#include "bridge/FeedJob.h"

#include "platform/Text.h"
#include "platform/scripted/ScriptedHost.h"

#include <cstdio>
#include <utility>

namespace pennoria {

namespace {

// Lines of a publish kept for the panel (the last ones).
constexpr std::size_t kKeptLines = 50;

// A JSON string of UTF-8 text.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string List(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + Quoted(items[i]);
    return out + "]";
}

} // namespace

CFeedJob::~CFeedJob() {
    m_cancel = true;
    Join();
}

void CFeedJob::Join() {
    if (m_thread.joinable())
        m_thread.join();
}

std::string CFeedJob::ReadForPanel(const std::string& feedPath) {
    const FeedRows read = ReadFeedRows(feedPath, kMostRows, kMostBytes);
    if (!read.failure.empty())
        return "{\"error\":" + Quoted(platform::ToXmlText(read.failure)) + "}";
    std::string out = "{\"columns\":" + List(read.columns) + ",\"rows\":[";
    for (std::size_t i = 0; i < read.rows.size(); ++i)
        out += (i ? "," : "") + List(read.rows[i]);
    out += "],\"total\":" + std::to_string(read.total) + ",\"refused\":{";
    bool first = true;
    for (const auto& [row, why] : read.refused) {
        out += (first ? "\"" : ",\"") + std::to_string(row) + "\":" + Quoted(why);
        first = false;
    }
    return out + "}}";
}

bool CFeedJob::Running() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_started && !m_finished;
}

bool CFeedJob::Start(FeedPublishOptions options, const CAppSettings& settings, std::string* why) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_started && !m_finished) {
            if (why)
                *why = "a feed is being published already";
            return false;
        }
    }
    Join();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cancel = false;
    m_started = true;
    m_finished = false;
    m_done = 0;
    m_lines.clear();
    m_summary = FeedSummary();
    options.cancelled = [this] { return m_cancel.load(); };
    options.progress = [this](std::size_t done) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_done = done;
    };
    m_thread = std::thread(
        [this, options = std::move(options), settings = CAppSettings(settings)]() mutable {
            // A variant's publish opens nothing and shows no cursor: these only stand in.
            platform::ScriptedShell shell;
            platform::ScriptedHostWindow window;
            const FeedSummary summary =
                PublishFeed(options, settings, shell, window, [this](const std::string& line) {
                    std::lock_guard<std::mutex> guard(m_mutex);
                    m_lines.push_back(platform::ToXmlText(line));
                    if (m_lines.size() > kKeptLines)
                        m_lines.erase(m_lines.begin());
                });
            std::lock_guard<std::mutex> guard(m_mutex);
            m_summary = summary;
            if (!summary.failure.empty())
                m_lines.push_back(platform::ToXmlText(summary.failure));
            m_finished = true;
        });
    return true;
}

std::string CFeedJob::Progress() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string state = "idle";
    if (m_started && !m_finished)
        state = "running";
    else if (m_finished)
        state = !m_summary.failure.empty() ? "failed"
                : m_summary.cancelled      ? "cancelled"
                                           : "published";
    const std::size_t published = m_finished ? m_summary.published : 0;
    const std::size_t failed = m_finished ? m_summary.failed : 0;
    return "{\"state\":\"" + state + "\",\"done\":" + std::to_string(m_done) +
           ",\"published\":" + std::to_string(published) + ",\"failed\":" + std::to_string(failed) +
           ",\"lines\":" + List(m_lines) + "}";
}

} // namespace pennoria
