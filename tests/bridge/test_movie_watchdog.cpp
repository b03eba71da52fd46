// The movie watchdog's rules, with the time given by the test: a silent movie is reported once
// after the deadline; answers, busy spells and long gaps between ticks (a suspended process, a
// sleeping machine) never make a stall.
#include "bridge/MovieWatchdog.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pennoria;
using Action = CMovieWatchdog::Action;

namespace {

// Ticks every step ms from `from` up to (not including) `to`; the actions seen, in order.
std::vector<Action> TickEvery(CMovieWatchdog& dog, std::int64_t from, std::int64_t to, bool answer,
                              bool busy = false, std::int64_t step = 1000) {
    std::vector<Action> seen;
    for (std::int64_t t = from; t < to; t += step) {
        Action action = dog.Tick(t, busy);
        if (action != Action::None)
            seen.push_back(action);
        if (action == Action::Ask && answer)
            dog.Answered();
    }
    return seen;
}

} // namespace

TEST(MovieWatchdog, AnAnsweringMovieIsAskedEveryPeriodAndASilentOneIsReportedOnce) {
    CMovieWatchdog dog({1000, 5000});
    EXPECT_EQ(TickEvery(dog, 0, 4500, true), (std::vector<Action>(4, Action::Ask)));
    // Silent from here: asked once, reported 5 s later, then left alone.
    EXPECT_EQ(TickEvery(dog, 4500, 30500, false),
              (std::vector<Action>{Action::Ask, Action::Stalled}));
    dog.Answered(); // a late answer does not start the watch again; a reset does
    EXPECT_TRUE(TickEvery(dog, 30500, 40500, false).empty());
    dog.Reset();
    EXPECT_EQ(TickEvery(dog, 40500, 47500, false),
              (std::vector<Action>{Action::Ask, Action::Stalled}));
}

TEST(MovieWatchdog, BusySpellsAndLongGapsDoNotCount) {
    CMovieWatchdog dog({1000, 5000});
    EXPECT_EQ(TickEvery(dog, 0, 2000, false), (std::vector<Action>{Action::Ask}));
    // A dialog of ours is open for a minute: the movie rightly waits.
    EXPECT_TRUE(TickEvery(dog, 2000, 62000, false, true).empty());
    EXPECT_TRUE(TickEvery(dog, 62000, 65000, false).empty());
    // The process was stopped for an hour (or the machine slept): the gap counts one period.
    const std::int64_t woken = 64000 + 3600000;
    EXPECT_EQ(dog.Tick(woken, false), Action::None);
    EXPECT_EQ(dog.WaitedMs(), 4000);
    // Ticks that come late (a loaded machine) count a period each: the stall is told later, not
    // sooner.
    EXPECT_EQ(dog.Tick(woken + 10000, false), Action::Stalled);
}
