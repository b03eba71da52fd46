// Notices a movie that stopped answering: a cheap question every period, a deadline for the
// answer. Free of any clock or event loop: the caller passes the monotonic time of every tick, so
// the rules run in tests without waiting.
//
// Only time the movie could have used counts towards the deadline:
// - while busy (the movie rightly waits: a dialog of ours is open, a call is being answered, the
//   editor is not up yet) the wait starts over;
// - a tick that comes far later than the period (a suspended process, a sleeping machine, a main
//   loop held elsewhere) adds at most one period, so waking up never looks like a stall.
#pragma once

#include <cstdint>

namespace pennoria {

// How often the movie is asked, and how long its answer may take.
struct MovieWatchTiming {
    std::int64_t periodMs = 1000;
    std::int64_t deadlineMs = 15000;
};

class CMovieWatchdog {
public:
    using Timing = MovieWatchTiming;
    enum class Action {
        None,
        Ask,    // send the movie a question now; Answered() when it replies
        Stalled // no answer within the deadline: told once, until Reset()
    };

    explicit CMovieWatchdog(Timing timing = Timing()) : m_timing(timing) {}

    Action Tick(std::int64_t nowMs, bool busy);
    // The movie answered the last question.
    void Answered();
    // Starts afresh (the movie was started again, or the user chose to wait on).
    void Reset();

    // Time counted towards the deadline for the question outstanding, for the log.
    std::int64_t WaitedMs() const { return m_waitedMs; }

private:
    Timing m_timing;
    bool m_started = false;
    std::int64_t m_lastTickMs = 0;
    std::int64_t m_sinceAnswerMs = 0;
    bool m_asking = false;
    std::int64_t m_waitedMs = 0;
    bool m_stalled = false;
};

} // namespace pennoria
