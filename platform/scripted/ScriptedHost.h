// Scripted stand-ins for the host's dialogs, shell and window: answers come from a queue, and
// every event is reported as one text line, for tests and for the headless host.
#pragma once

#include "platform/Dialogs.h"
#include "platform/HostWindow.h"
#include "platform/Shell.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace pennoria::platform {

// Receives one line per event ("title: ...", "dialog: yesno: ...", "answer: yes").
using EventSink = std::function<void(const std::string& line)>;

// Line feeds written as the two characters backslash and 'n', so that an event stays one line.
std::string EscapeLineFeeds(const std::string& text);

// Dialogs answered from a queue of lines: a path or "cancel" for file and folder dialogs, "yes"
// or "no" for prompts, "ok" for message boxes. With the queue empty a dialog is cancelled (a
// prompt answers No).
class ScriptedDialogs : public IDialogs {
public:
    explicit ScriptedDialogs(EventSink sink = {}) : m_sink(std::move(sink)) {}

    void AddAnswer(std::string answer) { m_answers.push_back(std::move(answer)); }
    void AddAnswers(const std::vector<std::string>& answers);
    std::size_t AnswersLeft() const { return m_answers.size(); }

    std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
    std::optional<std::string> ChooseFolder(const FolderRequest& request) override;
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                              MessageIcon icon) override;
    MessageAnswer ShowTitledMessage(const std::string& title, const std::string& text,
                                    MessageButtons buttons, MessageIcon icon) override;

    // What the dialogs were asked, in order (kind and text as in the event lines).
    struct Shown {
        std::string kind;
        std::string text;
        std::string title;
        std::string answer;
        std::string startFolder; // file dialogs: where the dialog was asked to start
    };
    const std::vector<Shown>& History() const { return m_history; }
    // The last status-line text a folder dialog showed for its initial folder.
    const std::string& LastFolderStatus() const { return m_lastFolderStatus; }

private:
    std::optional<std::string> TakeAnswer();
    std::optional<std::string> ChoosePath(const std::string& kind, const std::string& initial);
    void Report(const std::string& kind, const std::string& text, const std::string& title,
                const std::string& answer);

    EventSink m_sink;
    std::deque<std::string> m_answers;
    std::vector<Shown> m_history;
    std::string m_lastFolderStatus;
};

// A shell that opens nothing and records what it was asked to open.
class ScriptedShell : public IShell {
public:
    explicit ScriptedShell(EventSink sink = {}) : m_sink(std::move(sink)) {}
    bool OpenFolder(const std::string& path) override { return Record(path); }
    bool OpenDocument(const std::string& path) override { return Record(path); }
    bool OpenUri(const std::string& uri) override { return Record(uri); }
    void SetLaunchFailureHandler(LaunchFailureHandler handler) override {
        m_launchFailed = std::move(handler);
    }
    // From now on nothing is handed over: every Open* answers false (and records nothing).
    void RefuseOpening() { m_refuse = true; }
    // A launch that was handed over fails afterwards, as the desktop reports it.
    void FailLaunch(const std::string& shown, const std::string& reason) {
        if (m_launchFailed)
            m_launchFailed(shown, reason);
    }
    // Every file has a handler unless its name ends with a suffix given here.
    bool HasHandlerFor(const std::string& path) override;
    void RemoveHandlerFor(const std::string& suffix) { m_unhandledSuffixes.push_back(suffix); }
    const std::vector<std::string>& Opened() const { return m_opened; }
    void ClearOpened() { m_opened.clear(); }
    void AddToRecentFiles(const std::string& path) override { m_recent.push_back(path); }
    // What was added to the desktop's recent files, in order.
    const std::vector<std::string>& RecentFiles() const { return m_recent; }

private:
    bool Record(const std::string& what);
    EventSink m_sink;
    std::vector<std::string> m_opened;
    std::vector<std::string> m_recent;
    LaunchFailureHandler m_launchFailed;
    bool m_refuse = false;
    std::vector<std::string> m_unhandledSuffixes;
};

// A window that only keeps its state and title. Posted work waits in a queue until
// RunPostedWork, which the owner calls once the current reply has gone back. Post may be called
// from any thread (a worker reporting progress); everything else belongs to the owner's thread.
class ScriptedHostWindow : public IHostWindow {
public:
    explicit ScriptedHostWindow(EventSink sink = {}) : m_sink(std::move(sink)) {}

    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    bool IsMaximized() override { return m_state == WindowState::Maximized; }
    void SetTitle(const std::string& title) override;
    void SaveWindowPlacement() override { ++m_placementSaves; }
    void Close() override { m_closed = true; }
    void Post(std::function<void()> work) override;
    void BeginBusy() override { ++m_busyDepth; }
    void EndBusy() override {
        if (m_busyDepth > 0)
            --m_busyDepth;
    }

    // Runs the queued work, including work queued while it runs; returns how many ran.
    std::size_t RunPostedWork();
    std::size_t PostedCount() const;
    // Blocks until work is queued.
    void WaitForPostedWork();
    // Called after every Post, on the posting thread, so that an owner asleep on something else
    // looks at the queue; empty for none.
    void SetWakeUp(std::function<void()> wakeUp);

    WindowState State() const { return m_state; }
    const std::string& Title() const { return m_title; }
    bool Closed() const { return m_closed; }
    int PlacementSaves() const { return m_placementSaves; }
    int BusyDepth() const { return m_busyDepth; }

private:
    void SetState(WindowState state);

    EventSink m_sink;
    WindowState m_state = WindowState::Normal;
    bool m_restoreToMaximized = false;
    std::string m_title;
    bool m_closed = false;
    int m_placementSaves = 0;
    int m_busyDepth = 0;
    mutable std::mutex m_postedMutex;
    std::condition_variable m_postedArrived;
    std::deque<std::function<void()>> m_posted;
    std::function<void()> m_wakeUp;
};

} // namespace pennoria::platform
