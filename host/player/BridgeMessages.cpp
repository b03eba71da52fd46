// Parsing and formatting of the bridge texts, and the bridge log file.
#include "host/player/BridgeMessages.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace pennoria {
namespace {

// Splits off the text up to the next line feed; false when there is none.
bool TakeLine(std::string_view& rest, std::string_view& line) {
    std::size_t end = rest.find('\n');
    if (end == std::string_view::npos)
        return false;
    line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return true;
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    if (text.empty())
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

PageMessage ParsePageMessage(std::string_view body) {
    PageMessage message;
    std::string_view rest = body;
    std::string_view kind;
    if (!TakeLine(rest, kind))
        return message;
    if (kind == "call" || kind == "loaded" || kind == "failed" || kind == "log" || kind == "pace" ||
        kind == "shown") {
        message.kind = kind == "call"     ? PageMessage::Kind::Call
                       : kind == "loaded" ? PageMessage::Kind::Loaded
                       : kind == "failed" ? PageMessage::Kind::Failed
                       : kind == "pace"   ? PageMessage::Kind::Pace
                       : kind == "shown"  ? PageMessage::Kind::Shown
                                          : PageMessage::Kind::Log;
        message.payload.assign(rest);
        return message;
    }
    if (kind == "ready") {
        if (ParseNumber(rest, message.version))
            message.kind = PageMessage::Kind::Ready;
        return message;
    }
    if (kind == "result") {
        std::string_view conversation, sequence, status;
        if (!TakeLine(rest, conversation) || !TakeLine(rest, sequence) || !TakeLine(rest, status) ||
            !ParseNumber(conversation, message.conversation) ||
            !ParseNumber(sequence, message.sequence) || (status != "ok" && status != "error"))
            return message;
        message.kind = PageMessage::Kind::Result;
        message.ok = status == "ok";
        message.payload.assign(rest);
    }
    return message;
}

std::string FormatReplyAnswer(const std::optional<std::string>& reply) {
    return reply ? "reply\n" + *reply : std::string("noreply\n");
}

std::string FormatCallMovieAnswer(std::uint64_t conversation, std::uint64_t sequence,
                                  std::string_view invokeText) {
    std::string answer =
        "callmovie\n" + std::to_string(conversation) + "\n" + std::to_string(sequence) + "\n";
    answer.append(invokeText);
    return answer;
}

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line.push_back(c);
    }
    return line;
}

BridgeLog::BridgeLog() {
    if (const char* path = std::getenv("PENNORIA_BRIDGE_LOG"))
        m_path = path;
}

void BridgeLog::Write(std::string_view kind, std::string_view text) const {
    if (m_path.empty())
        return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f ",
                  std::chrono::duration<double, std::milli>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
    std::string line = stamp;
    line.append(kind);
    if (!text.empty()) {
        line.push_back(' ');
        line += OneLine(text);
    }
    line.push_back('\n');
    if (std::FILE* file = std::fopen(m_path.c_str(), "a")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

} // namespace pennoria
