// One slow job at a time on a thread of its own, while the user-interface loop stays free: the
// job reports how far it is, the loop hears of it, the user can cancel, and the host never goes
// away with the thread still running.
#pragma once

#include "platform/HostWindow.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace pennoria {

// How a job ended, and what to tell the user.
struct TaskOutcome {
    enum class Status { Done, Failed, Cancelled };
    Status status = Status::Done;
    std::string message;
};

// What the job sees of its task, on the job's thread.
class TaskControl {
public:
    // The fraction done (0 to 1) and a short note (what is being worked on). Returns false once
    // the task is cancelled: the job then stops soon, leaving nothing half-written.
    bool Report(double fraction, const std::string& note = {});
    bool Cancelled() const;

private:
    friend class CBackgroundTask;
    struct Shared;
    explicit TaskControl(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    std::shared_ptr<Shared> m_shared;
};

// Owned and driven by the user-interface thread; the callbacks run there too, through the
// window's Post. Progress reports are folded together: however fast the job reports, at most one
// progress call waits in the loop, and it carries the latest report. No progress call comes
// after the finished call.
class CBackgroundTask {
public:
    using Job = std::function<TaskOutcome(TaskControl& control)>;
    using OnProgress = std::function<void(double fraction, const std::string& note)>;
    using OnFinished = std::function<void(const TaskOutcome& outcome)>;

    explicit CBackgroundTask(platform::IHostWindow& window) : m_window(window) {}
    // Cancels a running job and waits for its thread; no callback runs after this.
    ~CBackgroundTask();
    CBackgroundTask(const CBackgroundTask&) = delete;
    CBackgroundTask& operator=(const CBackgroundTask&) = delete;

    // Runs job on a new thread. False (and nothing started) while another job's task is running.
    // A job that throws ends Failed with the exception's text.
    bool Start(Job job, OnProgress onProgress, OnFinished onFinished);
    // Asks the running job to stop; it still ends through onFinished (normally Cancelled).
    void Cancel();
    // From Start until onFinished has been called.
    bool Running() const { return m_shared != nullptr; }

private:
    void Finish(const std::shared_ptr<TaskControl::Shared>& shared, const TaskOutcome& outcome);

    platform::IHostWindow& m_window;
    std::shared_ptr<TaskControl::Shared> m_shared;
    std::thread m_thread;
};

} // namespace pennoria
