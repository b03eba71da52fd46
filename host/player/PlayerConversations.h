// The player's conversation bookkeeping, free of GTK and WebKit: the movie's outstanding requests,
// the host's calls into the movie riding on them, nested waits and results that come too late.
//
// A page request that waits for an answer is an Answer: a function that finishes it with a text.
// Waiting (a nested main loop in the desktop player) and running a movie function through the
// page's script API are given by the caller, so the whole conversation runs in tests without a
// display.
#pragma once

#include "host/player/BridgeMessages.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pennoria {

// A call into the movie; shared with late callbacks, which may arrive after the wait gave up.
struct MovieCall {
    bool done = false;
    std::optional<std::string> result;
    std::string error;
};

class CPlayerConversations {
public:
    // Finishes one waiting page request with the answer text.
    using Answer = std::function<void(const std::string& text)>;
    // Runs the event loop until done() holds; false when the caller's deadline passed first.
    using Wait = std::function<bool(const std::function<bool()>& done)>;
    // Runs a movie function through the page's script API; the page fills the call later.
    using RunThroughPage =
        std::function<void(const std::string& invokeText, std::shared_ptr<MovieCall> call)>;
    // The FlashCall event; may throw, may nest further conversations and calls into the movie.
    using RaiseFlashCall = std::function<void(const std::string& request)>;

    explicit CPlayerConversations(const BridgeLog& log) : m_log(log) {}

    // The movie called ExternalInterface.call: raises FlashCall while the page waits on answer,
    // then gives the page the reply (or keeps it until the page comes back from a movie function).
    void HandleCall(Answer answer, const std::string& invokeText, const RaiseFlashCall& raise);
    // The page's result of a movie function; answer waits for the conversation's next answer.
    void HandleResult(Answer answer, const PageMessage& message);
    // Sets the reply of the innermost request; false (and logged) when none is outstanding.
    bool SetReturnValue(const std::string& reply);
    bool IsHandlingRequest() const { return !m_conversations.empty(); }

    // Calls a movie function: on the innermost outstanding request when there is one (waiting for
    // it to come back from an outer call first), else through the page's API. The result text, or
    // nullopt on a movie error, the deadline, or when the page stops being usable.
    std::optional<std::string> CallMovie(const std::string& invokeText,
                                         const std::function<bool()>& pageUsable, const Wait& wait,
                                         const RunThroughPage& runThroughPage);

    // The player goes away: every waiting request gets no reply, every call fails.
    void Abandon();

private:
    struct Conversation {
        std::uint64_t id = 0;
        // The page's request waiting for our next answer; empty while the page runs a movie
        // function for us.
        Answer pending;
        std::optional<std::string> reply;
    };

    static void Finish(Answer& pending, const std::string& text);

    const BridgeLog& m_log;
    std::vector<std::shared_ptr<Conversation>> m_conversations; // innermost last
    std::map<std::uint64_t, std::shared_ptr<Conversation>> m_answeredLate;
    std::map<std::uint64_t, std::shared_ptr<MovieCall>> m_movieCalls;
    std::uint64_t m_nextConversation = 1;
    std::uint64_t m_nextSequence = 1;
    bool m_abandoned = false;
};

} // namespace pennoria
