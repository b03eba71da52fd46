// Scripted dialogs, shell and window.
#include "platform/scripted/ScriptedHost.h"

namespace pennoria::platform {

std::string EscapeLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

void ScriptedDialogs::AddAnswers(const std::vector<std::string>& answers) {
    for (const auto& a : answers)
        m_answers.push_back(a);
}

std::optional<std::string> ScriptedDialogs::TakeAnswer() {
    if (m_answers.empty())
        return std::nullopt;
    std::string answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

void ScriptedDialogs::Report(const std::string& kind, const std::string& text,
                             const std::string& title, const std::string& answer) {
    m_history.push_back(Shown{kind, text, title, answer, std::string()});
    if (m_sink) {
        m_sink("dialog: " + kind + ": " + EscapeLineFeeds(text));
        m_sink("answer: " + EscapeLineFeeds(answer));
    }
}

std::optional<std::string> ScriptedDialogs::ChoosePath(const std::string& kind,
                                                       const std::string& initial) {
    std::optional<std::string> answer = TakeAnswer();
    if (answer && *answer == "cancel")
        answer.reset();
    Report(kind, initial, {}, answer ? *answer : "cancel");
    return answer;
}

std::optional<std::string> ScriptedDialogs::ChooseOpenFile(const OpenFileRequest& request) {
    auto chosen = ChoosePath("open", request.initialFile);
    m_history.back().startFolder = request.startFolder;
    return chosen;
}

std::optional<std::string> ScriptedDialogs::ChooseSaveFile(const SaveFileRequest& request) {
    auto chosen = ChoosePath("save", request.initialFile);
    m_history.back().startFolder = request.startFolder;
    return chosen;
}

std::optional<std::string> ScriptedDialogs::ChooseFolder(const FolderRequest& request) {
    m_lastFolderStatus =
        request.statusText ? request.statusText(request.initialFolder) : std::string();
    return ChoosePath("folder", request.initialFolder);
}

MessageAnswer ScriptedDialogs::ShowMessage(const std::string& text, MessageButtons buttons,
                                           MessageIcon icon) {
    return ShowTitledMessage({}, text, buttons, icon);
}

MessageAnswer ScriptedDialogs::ShowTitledMessage(const std::string& title, const std::string& text,
                                                 MessageButtons buttons, MessageIcon /*icon*/) {
    std::optional<std::string> answer = TakeAnswer();
    if (buttons == MessageButtons::YesNo) {
        bool yes = answer && *answer == "yes";
        Report("yesno", text, title, yes ? "yes" : "no");
        return yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    Report("message", text, title, "ok");
    return MessageAnswer::Ok;
}

bool ScriptedShell::HasHandlerFor(const std::string& path) {
    for (const std::string& suffix : m_unhandledSuffixes)
        if (path.size() >= suffix.size() &&
            path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
            return false;
    return true;
}

bool ScriptedShell::Record(const std::string& what) {
    if (m_refuse)
        return false;
    m_opened.push_back(what);
    if (m_sink)
        m_sink("open: " + EscapeLineFeeds(what));
    return true;
}

namespace {
const char* StateWord(WindowState state) {
    switch (state) {
    case WindowState::Minimized:
        return "minimized";
    case WindowState::Maximized:
        return "maximized";
    case WindowState::Normal:
        break;
    }
    return "normal";
}
} // namespace

void ScriptedHostWindow::SetState(WindowState state) {
    if (state == m_state)
        return;
    m_state = state;
    if (m_sink)
        m_sink(std::string("window: ") + StateWord(state));
}

void ScriptedHostWindow::Minimize() {
    if (m_state != WindowState::Minimized)
        m_restoreToMaximized = m_state == WindowState::Maximized;
    SetState(WindowState::Minimized);
}

void ScriptedHostWindow::Maximize() {
    SetState(WindowState::Maximized);
}

// Restoring a minimised window brings back the state it had before; restoring a maximised
// one makes it normal.
void ScriptedHostWindow::Restore() {
    if (m_state == WindowState::Minimized)
        SetState(m_restoreToMaximized ? WindowState::Maximized : WindowState::Normal);
    else
        SetState(WindowState::Normal);
}

void ScriptedHostWindow::SetTitle(const std::string& title) {
    m_title = title;
    if (m_sink)
        m_sink("title: " + EscapeLineFeeds(title));
}

void ScriptedHostWindow::Post(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(m_postedMutex);
    m_posted.push_back(std::move(work));
    m_postedArrived.notify_all();
    // Under the lock, so that the owner cannot clear the wake-up while it is being called.
    if (m_wakeUp)
        m_wakeUp();
}

std::size_t ScriptedHostWindow::RunPostedWork() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(m_postedMutex);
            if (m_posted.empty())
                return ran;
            work = std::move(m_posted.front());
            m_posted.pop_front();
        }
        work();
        ++ran;
    }
}

std::size_t ScriptedHostWindow::PostedCount() const {
    std::lock_guard<std::mutex> lock(m_postedMutex);
    return m_posted.size();
}

void ScriptedHostWindow::WaitForPostedWork() {
    std::unique_lock<std::mutex> lock(m_postedMutex);
    m_postedArrived.wait(lock, [this] { return !m_posted.empty(); });
}

void ScriptedHostWindow::SetWakeUp(std::function<void()> wakeUp) {
    std::lock_guard<std::mutex> lock(m_postedMutex);
    m_wakeUp = std::move(wakeUp);
}

} // namespace pennoria::platform
