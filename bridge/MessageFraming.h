// Messages framed as "Content-Length: N" CR LF CR LF followed by N bytes, over two streams.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace pennoria {

// The largest message accepted; a larger length is refused before anything is allocated.
constexpr std::size_t kMaxFramedMessage = std::size_t{256} << 20;

enum class FrameStatus { Message, EndOfInput, Malformed };

// "Content-Length: N\r\n\r\n" + message.
std::string FrameMessage(std::string_view message);

// Reads and writes framed messages. Header lines end in CR LF (a bare LF is accepted); header
// names compare without regard to case, and headers other than Content-Length are skipped.
class CFramedChannel {
public:
    CFramedChannel(std::FILE* in, std::FILE* out) : m_in(in), m_out(out) {}

    // The next message. EndOfInput when the input ends before a header starts; Malformed (with
    // a reason) for a bad header, an excessive length or a message cut short.
    FrameStatus Read(std::string& message, std::string* error = nullptr);
    // Writes and flushes one message; false when the output is gone.
    bool Write(std::string_view message);
    std::FILE* Input() const { return m_in; }

private:
    // One header line without its line end; false at end of input or when it is too long.
    bool ReadHeaderLine(std::string& line, bool& endOfInput);

    std::FILE* m_in;
    std::FILE* m_out;
};

} // namespace pennoria
