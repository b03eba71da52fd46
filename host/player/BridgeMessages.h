// The texts the player page and the host exchange over the bridge endpoint, and the bridge log.
//
// Page to host, first line the kind:
//   "ready\n<packed version>"              Ruffle is loaded
//   "call\n<invoke text>"                  the movie called ExternalInterface.call
//   "result\n<conv>\n<seq>\nok\n<xml>"     a movie function's result, for the host's call <seq>
//   "result\n<conv>\n<seq>\nerror\n<text>" the movie function is missing or failed
//   "loaded\n<url>", "failed\n<text>", "log\n<text>"   diagnostics
//   "pace\n<frames per second>"           the movie changed its frame rate (rest or motion)
//   "shown\n"                             the movie's first frame is on screen
// Host to page, answering "call" and "result":
//   "reply\n<reply text>"                  the final reply to the movie's call
//   "noreply\n"                            the call gets no return value
//   "callmovie\n<conv>\n<seq>\n<invoke>"   call this movie function, then send its result
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pennoria {

struct PageMessage {
    enum class Kind { Invalid, Ready, Call, Result, Loaded, Failed, Log, Pace, Shown };
    Kind kind = Kind::Invalid;
    std::uint64_t conversation = 0;
    std::uint64_t sequence = 0;
    bool ok = false;
    std::int32_t version = 0;
    std::string payload;
};

PageMessage ParsePageMessage(std::string_view body);

std::string FormatReplyAnswer(const std::optional<std::string>& reply);
std::string FormatCallMovieAnswer(std::uint64_t conversation, std::uint64_t sequence,
                                  std::string_view invokeText);

// A text on one line: backslash, line feed and carriage return written as \\, \n and \r.
std::string OneLine(std::string_view text);

// Appends one line per event to the file named by PENNORIA_BRIDGE_LOG: a monotonic time stamp in
// milliseconds, the kind and the text ("request <invoke>",
// "reply <text>", "noreply", "hostcall <invoke>", "hostresult <xml>", "hosterror <why>", ...).
// Silent when the variable is unset.
class BridgeLog {
public:
    BridgeLog();
    bool Enabled() const { return !m_path.empty(); }
    void Write(std::string_view kind, std::string_view text = {}) const;

private:
    std::string m_path;
};

} // namespace pennoria
