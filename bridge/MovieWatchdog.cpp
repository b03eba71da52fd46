// The movie watchdog's rules.
#include "bridge/MovieWatchdog.h"

#include <algorithm>

namespace pennoria {

CMovieWatchdog::Action CMovieWatchdog::Tick(std::int64_t nowMs, bool busy) {
    const std::int64_t gap =
        m_started ? std::clamp<std::int64_t>(nowMs - m_lastTickMs, 0, m_timing.periodMs) : 0;
    m_started = true;
    m_lastTickMs = nowMs;
    if (m_stalled)
        return Action::None;
    if (busy) {
        m_waitedMs = 0;
        return Action::None;
    }
    if (m_asking) {
        m_waitedMs += gap;
        if (m_waitedMs < m_timing.deadlineMs)
            return Action::None;
        m_stalled = true;
        return Action::Stalled;
    }
    m_sinceAnswerMs += gap;
    if (m_sinceAnswerMs < m_timing.periodMs)
        return Action::None;
    m_asking = true;
    m_waitedMs = 0;
    return Action::Ask;
}

void CMovieWatchdog::Answered() {
    m_asking = false;
    m_waitedMs = 0;
    m_sinceAnswerMs = 0;
}

void CMovieWatchdog::Reset() {
    m_asking = false;
    m_waitedMs = 0;
    m_sinceAnswerMs = 0;
    m_stalled = false;
}

} // namespace pennoria
