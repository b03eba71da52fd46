// Content-Length framing.
#include "bridge/MessageFraming.h"

#include "platform/Text.h"

#include <algorithm>

namespace pennoria {

namespace {
constexpr std::size_t kMaxHeaderLine = 1024;
constexpr std::size_t kMaxHeaderLines = 32;
} // namespace

std::string FrameMessage(std::string_view message) {
    std::string framed = "Content-Length: " + std::to_string(message.size()) + "\r\n\r\n";
    framed.append(message);
    return framed;
}

bool CFramedChannel::ReadHeaderLine(std::string& line, bool& endOfInput) {
    line.clear();
    endOfInput = false;
    for (;;) {
        int c = std::getc(m_in);
        if (c == EOF) {
            endOfInput = true;
            return false;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        if (line.size() >= kMaxHeaderLine)
            return false;
        line.push_back(static_cast<char>(c));
    }
}

FrameStatus CFramedChannel::Read(std::string& message, std::string* error) {
    auto malformed = [&](const std::string& reason) {
        if (error)
            *error = reason;
        return FrameStatus::Malformed;
    };
    message.clear();
    bool haveLength = false;
    std::size_t length = 0;
    std::string line;
    for (std::size_t count = 0;; ++count) {
        if (count >= kMaxHeaderLines)
            return malformed("too many header lines");
        bool endOfInput = false;
        if (!ReadHeaderLine(line, endOfInput)) {
            if (endOfInput && count == 0 && line.empty())
                return FrameStatus::EndOfInput;
            return malformed(endOfInput ? "input ended inside a header" : "header line too long");
        }
        if (line.empty()) {
            if (count == 0)
                continue; // a stray blank line between messages
            break;
        }
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            return malformed("header line without ':'");
        if (!platform::EqualsIgnoreCase(platform::Trim(line.substr(0, colon)), "Content-Length"))
            continue;
        std::string value = platform::Trim(line.substr(colon + 1));
        if (value.empty() || value.size() > 12)
            return malformed("bad Content-Length");
        std::size_t parsed = 0;
        for (char c : value) {
            if (c < '0' || c > '9')
                return malformed("bad Content-Length");
            parsed = parsed * 10 + static_cast<std::size_t>(c - '0');
        }
        if (parsed > kMaxFramedMessage)
            return malformed("message too large");
        length = parsed;
        haveLength = true;
    }
    if (!haveLength)
        return malformed("no Content-Length");
    // The buffer grows with the bytes that actually arrive, not with the announced length.
    char buffer[65536];
    while (message.size() < length) {
        std::size_t want = std::min(sizeof buffer, length - message.size());
        std::size_t got = std::fread(buffer, 1, want, m_in);
        if (got == 0)
            return malformed("input ended inside a message");
        message.append(buffer, got);
    }
    return FrameStatus::Message;
}

bool CFramedChannel::Write(std::string_view message) {
    std::string header = "Content-Length: " + std::to_string(message.size()) + "\r\n\r\n";
    if (std::fwrite(header.data(), 1, header.size(), m_out) != header.size())
        return false;
    if (!message.empty() && std::fwrite(message.data(), 1, message.size(), m_out) != message.size())
        return false;
    return std::fflush(m_out) == 0;
}

} // namespace pennoria
