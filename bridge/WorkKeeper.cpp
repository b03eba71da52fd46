// The kept-work files and their writer thread.
#include "bridge/WorkKeeper.h"

#include "platform/ConfinedFolder.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <algorithm>

namespace pennoria {

namespace {

const char kPrefix[] = "work-";
const char kSuffix[] = ".pbf";
// A project is a few kilobytes of text; a kept file far larger than any is not one of ours.
constexpr std::uint64_t kLargestKeptWork = std::uint64_t{64} << 20;

} // namespace

std::optional<int> KeptWorkProcessId(const std::string& name) {
    const std::size_t prefix = sizeof kPrefix - 1;
    const std::size_t suffix = sizeof kSuffix - 1;
    if (name.size() <= prefix + suffix || name.compare(0, prefix, kPrefix) != 0 ||
        name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return std::nullopt;
    std::string digits = name.substr(prefix, name.size() - prefix - suffix);
    if (const std::size_t dash = digits.find('-'); dash != std::string::npos) {
        const std::string count = digits.substr(dash + 1);
        if (count.empty() || count.size() > 9 || count.front() == '0' ||
            count.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        digits.resize(dash);
    }
    if (digits.empty() || digits.size() > 9 || digits.front() == '0')
        return std::nullopt;
    int pid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

CWorkKeeper::CWorkKeeper(std::string folder)
    : m_folder(std::move(folder)),
      m_ownName(kPrefix + std::to_string(platform::CurrentProcessId()) + kSuffix) {
    if (!m_folder.empty())
        m_writer = std::thread([this] { WriterLoop(); });
}

CWorkKeeper::~CWorkKeeper() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_writer.joinable())
        m_writer.join();
}

bool CWorkKeeper::Keep(std::string text) {
    if (!Enabled())
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.waiting = true;
        m_pending.remove = false;
        m_pending.text = std::move(text);
    }
    m_wake.notify_all();
    return true;
}

void CWorkKeeper::Forget() {
    if (!Enabled())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.waiting = true;
        m_pending.remove = true;
        m_pending.text.clear();
    }
    m_wake.notify_all();
}

void CWorkKeeper::Flush() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending.waiting && !m_writing; });
}

void CWorkKeeper::WriterLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending.waiting || m_stopping; });
        if (!m_pending.waiting)
            break; // stopping, with nothing left to write
        Pending job = std::move(m_pending);
        m_pending = Pending{};
        m_writing = true;
        lock.unlock();
        std::string error;
        if (auto folder = platform::ConfinedFolder::Open(m_folder, &error)) {
            if (job.remove) {
                folder->RemoveFile(m_ownName);
            } else if (auto written = folder->WriteFile(m_ownName, job.text); !written) {
                platform::DebugOutput("host: the work could not be kept: " + written.error);
            }
        } else {
            platform::DebugOutput("host: no folder for kept work: " + error);
        }
        lock.lock();
        m_writing = false;
        m_idle.notify_all();
    }
}

bool CWorkKeeper::IsLeftBehind(const std::string& name) const {
    const std::optional<int> pid = KeptWorkProcessId(name);
    if (std::find(m_setAside.begin(), m_setAside.end(), name) != m_setAside.end())
        return true;
    return pid && name != m_ownName && !platform::IsOtherRunningCopy(*pid);
}

std::vector<std::string> CWorkKeeper::LeftBehind() const {
    std::vector<std::string> names;
    if (!Enabled())
        return names;
    std::string error;
    auto folder = platform::ConfinedFolder::Open(m_folder, &error);
    if (!folder)
        return names;
    // What an interrupted write left is never whole work.
    folder->RemoveStaleTemporaries({});
    for (std::string& name : folder->ListFiles())
        if (IsLeftBehind(name))
            names.push_back(std::move(name));
    return names;
}

std::optional<std::string> CWorkKeeper::Recover(const std::string& name) {
    const std::vector<std::string> left = LeftBehind();
    if (std::find(left.begin(), left.end(), name) == left.end())
        return std::nullopt;
    std::string error;
    auto folder = platform::ConfinedFolder::Open(m_folder, &error);
    if (!folder)
        return std::nullopt;
    std::optional<std::string> text = folder->ReadFile(name, kLargestKeptWork);
    if (!text)
        return std::nullopt;
    // Kept under this run's name first, so that there is no moment when it is nowhere.
    Keep(*text);
    Flush();
    if (platform::FileExists(m_folder + "/" + m_ownName)) {
        folder->RemoveFile(name);
        m_setAside.erase(std::remove(m_setAside.begin(), m_setAside.end(), name), m_setAside.end());
    }
    return text;
}

bool CWorkKeeper::Discard(const std::string& name) {
    const std::vector<std::string> left = LeftBehind();
    if (std::find(left.begin(), left.end(), name) == left.end())
        return false;
    std::string error;
    auto folder = platform::ConfinedFolder::Open(m_folder, &error);
    if (!folder || !folder->RemoveFile(name))
        return false;
    m_setAside.erase(std::remove(m_setAside.begin(), m_setAside.end(), name), m_setAside.end());
    return true;
}

bool CWorkKeeper::SetAside() {
    if (!Enabled())
        return false;
    Flush();
    std::string error;
    auto folder = platform::ConfinedFolder::Open(m_folder, &error);
    if (!folder)
        return false;
    std::optional<std::string> text = folder->ReadFile(m_ownName, kLargestKeptWork);
    if (!text)
        return false;
    const std::string stem = m_ownName.substr(0, m_ownName.size() - (sizeof kSuffix - 1));
    std::string aside;
    for (int n = 1; aside.empty() || platform::FileExists(m_folder + "/" + aside); ++n)
        aside = stem + "-" + std::to_string(n) + kSuffix;
    // Written under the new name before the old one goes, so that it is never nowhere.
    if (!folder->WriteFile(aside, *text))
        return false;
    folder->RemoveFile(m_ownName);
    m_setAside.push_back(aside);
    return true;
}

} // namespace pennoria
