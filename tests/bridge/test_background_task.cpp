// A slow job on its own thread with progress, cancel and its end heard on the user-interface
// loop (here the scripted window's queue, as in the headless host), and the headless host's
// wait that a posting worker wakes.
#include "bridge/BackgroundTask.h"
#include "platform/InputWait.h"
#include "platform/scripted/ScriptedHost.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace pennoria;

namespace {

struct Loop {
    platform::ScriptedHostWindow window;
    std::vector<double> progress;
    std::vector<std::string> notes;
    std::vector<TaskOutcome> finished;
    bool ended = false; // the current task's end has been heard

    CBackgroundTask::OnProgress Progress() {
        return [this](double fraction, const std::string& note) {
            // Never after the end.
            EXPECT_FALSE(ended);
            progress.push_back(fraction);
            notes.push_back(note);
        };
    }
    CBackgroundTask::OnFinished Finished() {
        return [this](const TaskOutcome& outcome) {
            ended = true;
            finished.push_back(outcome);
        };
    }
    // Runs the loop until the condition holds.
    template <class Condition> void RunUntil(Condition condition) {
        while (!condition()) {
            window.WaitForPostedWork();
            window.RunPostedWork();
        }
    }
};

TEST(BackgroundTask, ReportsFoldTogetherAndTheEndComesLastOnTheLoop) {
    Loop loop;
    CBackgroundTask task(loop.window);
    std::promise<void> reported;
    const std::thread::id loopThread = std::this_thread::get_id();
    std::thread::id jobThread;
    ASSERT_TRUE(task.Start(
        [&](TaskControl& control) {
            jobThread = std::this_thread::get_id();
            for (int i = 1; i <= 1000; ++i)
                EXPECT_TRUE(control.Report(i / 1000.0, "frame " + std::to_string(i)));
            reported.set_value();
            return TaskOutcome{TaskOutcome::Status::Done, "3 files"};
        },
        loop.Progress(), loop.Finished()));
    EXPECT_TRUE(task.Running());
    EXPECT_FALSE(task.Start([](TaskControl&) { return TaskOutcome{}; }, {}, {}));
    // Nobody ran the loop while the job reported: one progress call waits, with the latest.
    reported.get_future().wait();
    loop.RunUntil([&] { return !loop.finished.empty(); });
    EXPECT_NE(jobThread, loopThread);
    ASSERT_EQ(loop.progress.size(), 1u);
    EXPECT_EQ(loop.progress[0], 1.0);
    EXPECT_EQ(loop.notes[0], "frame 1000");
    ASSERT_EQ(loop.finished.size(), 1u);
    EXPECT_EQ(loop.finished[0].status, TaskOutcome::Status::Done);
    EXPECT_EQ(loop.finished[0].message, "3 files");
    EXPECT_FALSE(task.Running());

    // The next job may start; one that throws ends Failed with its text.
    loop.ended = false;
    ASSERT_TRUE(task.Start(
        [](TaskControl& control) -> TaskOutcome {
            control.Report(2.5); // held to the range
            throw std::runtime_error("the disk is full");
        },
        loop.Progress(), loop.Finished()));
    loop.RunUntil([&] { return loop.finished.size() == 2; });
    EXPECT_EQ(loop.progress.back(), 1.0);
    EXPECT_EQ(loop.finished[1].status, TaskOutcome::Status::Failed);
    EXPECT_EQ(loop.finished[1].message, "the disk is full");
}

TEST(BackgroundTask, CancelStopsTheJobAndGoingAwayWaitsForItSilently) {
    Loop loop;
    {
        CBackgroundTask task(loop.window);
        ASSERT_TRUE(task.Start(
            [](TaskControl& control) {
                int steps = 0;
                while (control.Report(0.25, "working"))
                    ++steps;
                EXPECT_TRUE(control.Cancelled());
                return TaskOutcome{TaskOutcome::Status::Cancelled, std::to_string(steps)};
            },
            loop.Progress(), loop.Finished()));
        loop.RunUntil([&] { return !loop.progress.empty(); });
        task.Cancel();
        loop.RunUntil([&] { return !loop.finished.empty(); });
        EXPECT_EQ(loop.finished[0].status, TaskOutcome::Status::Cancelled);
        EXPECT_FALSE(task.Running());
    }

    // A task that goes away while its job runs stops the job and waits for its thread; the
    // calls already in the loop then do nothing.
    Loop other;
    std::promise<void> started;
    {
        CBackgroundTask task(other.window);
        ASSERT_TRUE(task.Start(
            [&](TaskControl& control) {
                control.Report(0.5);
                started.set_value();
                while (!control.Cancelled())
                    std::this_thread::yield();
                return TaskOutcome{TaskOutcome::Status::Cancelled, {}};
            },
            other.Progress(), other.Finished()));
        started.get_future().wait();
    }
    EXPECT_GE(other.window.RunPostedWork(), 2u); // the progress and the end were posted
    EXPECT_TRUE(other.progress.empty());
    EXPECT_TRUE(other.finished.empty());
}

TEST(BackgroundTask, WorkPostedFromAnotherThreadWakesTheHeadlessWait) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::FILE* in = ::fdopen(ends[0], "r");
    ASSERT_NE(in, nullptr);
    std::setvbuf(in, nullptr, _IONBF, 0);

    platform::ScriptedHostWindow window;
    platform::InputWaiter waiter;
    window.SetWakeUp([&] { waiter.Wake(); });
    bool ran = false;
    std::thread worker([&] { window.Post([&] { ran = true; }); });
    // Nothing to read: only the post can end this wait.
    EXPECT_EQ(waiter.Wait(in), platform::InputWaiter::Ready::Woken);
    worker.join();
    EXPECT_EQ(window.RunPostedWork(), 1u);
    EXPECT_TRUE(ran);

    ASSERT_EQ(::write(ends[1], "C", 1), 1);
    EXPECT_EQ(waiter.Wait(in), platform::InputWaiter::Ready::Input);
    EXPECT_EQ(std::fgetc(in), 'C');
    window.SetWakeUp({});
    std::fclose(in);
    ::close(ends[1]);
}

} // namespace
