// Keeps the editor's unsaved work on disk while it is being edited, so that a crash, a kill or a
// power loss loses at most the last few seconds of it, and offers what an ended run left behind.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pennoria {

// One file per running copy of the program, "work-<process id>.pbf", in the kept-work folder.
// Writes happen on a thread of their own, so that handing the work over never waits for the
// disk; only the latest text handed over is written, atomically (temporary file and rename).
class CWorkKeeper {
public:
    // folder: where kept work lives (created by the caller); empty turns keeping off.
    explicit CWorkKeeper(std::string folder);
    // Writes what is still waiting, then stops the writer.
    ~CWorkKeeper();
    CWorkKeeper(const CWorkKeeper&) = delete;
    CWorkKeeper& operator=(const CWorkKeeper&) = delete;

    bool Enabled() const { return !m_folder.empty(); }

    // Keeps text as this run's work, replacing what was kept before. Returns at once.
    bool Keep(std::string text);
    // This run's work is saved or given up: its kept file goes. Returns at once.
    void Forget();
    // Waits until everything handed over so far is on disk.
    void Flush();

    // Files that runs which are no longer running left behind, by name, in name order.
    std::vector<std::string> LeftBehind() const;
    // The text of one of them, which becomes this run's kept work (the old file goes once the
    // text is kept under this run's name). Nothing for a name LeftBehind does not list.
    std::optional<std::string> Recover(const std::string& name);
    // Removes one of them; false for a name LeftBehind does not list.
    bool Discard(const std::string& name);

    // The editor is started again within this run: what it handed over is put aside under a name
    // of its own ("work-<process id>-<n>.pbf") and listed by LeftBehind, so the new editor offers
    // it back as work an ended run left. Waits for the writer; false when nothing was kept.
    bool SetAside();

    // This run's file name.
    const std::string& OwnName() const { return m_ownName; }

private:
    struct Pending {
        bool waiting = false;
        bool remove = false;
        std::string text;
    };
    void WriterLoop();
    bool IsLeftBehind(const std::string& name) const;

    std::string m_folder;
    std::string m_ownName;
    std::vector<std::string> m_setAside; // put aside by this run, not yet recovered or discarded
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    Pending m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    std::thread m_writer;
};

// Whether name has the form of a kept-work file ("work-<process id>.pbf", or
// "work-<process id>-<n>.pbf" for work put aside), and the process id it carries.
std::optional<int> KeptWorkProcessId(const std::string& name);

} // namespace pennoria
