// The job's thread, its folded progress reports and its end, handed to the user-interface loop.
#include "bridge/BackgroundTask.h"

#include <exception>
#include <mutex>

namespace pennoria {

struct TaskControl::Shared {
    platform::IHostWindow* window = nullptr;
    std::atomic<bool> cancelled{false};

    std::mutex mutex;
    double fraction = 0;
    std::string note;
    bool progressWaiting = false; // a progress call is in the loop and will read the latest

    // The user-interface thread's alone.
    CBackgroundTask* owner = nullptr; // none once the task finished or went away
    CBackgroundTask::OnProgress onProgress;
    CBackgroundTask::OnFinished onFinished;
};

bool TaskControl::Report(double fraction, const std::string& note) {
    Shared& shared = *m_shared;
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.fraction = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
        shared.note = note;
        post = !shared.progressWaiting;
        shared.progressWaiting = true;
    }
    if (post) {
        std::shared_ptr<Shared> keep = m_shared;
        shared.window->Post([keep] {
            double latest = 0;
            std::string latestNote;
            {
                std::lock_guard<std::mutex> lock(keep->mutex);
                latest = keep->fraction;
                latestNote = std::move(keep->note);
                keep->progressWaiting = false;
            }
            if (keep->owner && keep->onProgress)
                keep->onProgress(latest, latestNote);
        });
    }
    return !Cancelled();
}

bool TaskControl::Cancelled() const {
    return m_shared->cancelled.load();
}

CBackgroundTask::~CBackgroundTask() {
    if (m_shared) {
        m_shared->cancelled = true;
        m_shared->owner = nullptr;
    }
    if (m_thread.joinable())
        m_thread.join();
}

bool CBackgroundTask::Start(Job job, OnProgress onProgress, OnFinished onFinished) {
    if (m_shared)
        return false;
    // The thread of the task before has ended: its finished call joins it, but a task whose
    // finished call never came (the loop stopped) may still hold it.
    if (m_thread.joinable())
        m_thread.join();
    auto shared = std::make_shared<TaskControl::Shared>();
    shared->window = &m_window;
    shared->owner = this;
    shared->onProgress = std::move(onProgress);
    shared->onFinished = std::move(onFinished);
    m_shared = shared;
    m_thread = std::thread([shared, job = std::move(job)] {
        TaskControl control(shared);
        TaskOutcome outcome;
        try {
            outcome = job(control);
        } catch (const std::exception& error) {
            outcome = {TaskOutcome::Status::Failed, error.what()};
        } catch (...) {
            outcome = {TaskOutcome::Status::Failed, "the work stopped on an unknown error"};
        }
        shared->window->Post([shared, outcome] {
            if (shared->owner)
                shared->owner->Finish(shared, outcome);
        });
    });
    return true;
}

void CBackgroundTask::Cancel() {
    if (m_shared)
        m_shared->cancelled = true;
}

void CBackgroundTask::Finish(const std::shared_ptr<TaskControl::Shared>& shared,
                             const TaskOutcome& outcome) {
    if (m_shared != shared)
        return;
    // The job has returned; its thread has only the posting left to do.
    if (m_thread.joinable())
        m_thread.join();
    m_shared.reset();
    shared->owner = nullptr;
    OnFinished onFinished = std::move(shared->onFinished);
    shared->onProgress = nullptr;
    if (onFinished)
        onFinished(outcome);
}

} // namespace pennoria
