// Benchmarks of the desktop player against a bare page that plays the same movie with Ruffle in
// WebKitGTK: the desktop program's start as a user starts it (splash, where the time goes, idle
// processor time, memory of every process, the hand-over of a second start), start to the movie's
// first request in one process, the request round trip.
// Run under a display (xvfb-run); each ratio compares with the bare page measured in the same run.
#include "host/player/BridgeMessages.h"
#include "host/player/PlayerScheme.h"
#include "host/player/WebKitFlashPlayer.h"

#include <benchmark/benchmark.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using pennoria::CWebKitFlashPlayer;

const std::string kProgram = std::string(PENNORIA_PROGRAM_DIR) + "/";

bool Spin(const std::function<bool()>& done, int seconds) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done() && Clock::now() < deadline)
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(200);
    return done();
}

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The bare page: Ruffle from the program folder, the movie, a global function for its first
// ExternalInterface.call that reports to the host with a synchronous request; nothing else.
class BarePage {
public:
    // movie: the movie it plays; its first ExternalInterface.call is GetOutputFielsInfoVC.
    explicit BarePage(std::string movie = PENNORIA_PLAYER_TEST_MOVIE) : m_movie(std::move(movie)) {
        m_context = webkit_web_context_new_ephemeral();
        webkit_web_context_set_preferred_languages(m_context, kLanguages);
        webkit_security_manager_register_uri_scheme_as_secure(
            webkit_web_context_get_security_manager(m_context), "barebench");
        webkit_web_context_register_uri_scheme(m_context, "barebench", &BarePage::Serve, this,
                                               nullptr);
        m_view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(m_context));
        g_object_ref_sink(m_view);
        webkit_settings_set_media_playback_requires_user_gesture(
            webkit_web_view_get_settings(m_view), FALSE);
        if (const char* console = std::getenv("PENNORIA_PLAYER_CONSOLE");
            console && *console == '1')
            webkit_settings_set_enable_write_console_messages_to_stdout(
                webkit_web_view_get_settings(m_view), TRUE);
    }
    ~BarePage() {
        if (GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(m_view)))
            gtk_container_remove(GTK_CONTAINER(parent), GTK_WIDGET(m_view));
        g_object_unref(m_view);
        g_object_unref(m_context);
    }
    GtkWidget* Widget() { return GTK_WIDGET(m_view); }
    void Load() { webkit_web_view_load_uri(m_view, "barebench://b/page.html"); }
    bool firstCall = false;
    Clock::time_point firstCallAt;

    // The same movie's ExternalInterface.call to a page function that makes one synchronous
    // request answered at once: the floor of a round trip, timed by the movie as ours is.
    double MovieRoundTripMs(int count) {
        std::string body = "return document.querySelector('ruffle-player').TimeCallsVC("
                           "'PingBareVC', " +
                           std::to_string(count) + ") / " + std::to_string(count) + ";";
        double result = -1;
        bool done = false;
        struct Out {
            double* result;
            bool* done;
        } out{&result, &done};
        webkit_web_view_call_async_javascript_function(
            m_view, body.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
            [](GObject* source, GAsyncResult* async, gpointer data) {
                auto* o = static_cast<Out*>(data);
                JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
                    WEBKIT_WEB_VIEW(source), async, nullptr);
                if (value) {
                    *o->result = jsc_value_to_double(value);
                    g_object_unref(value);
                }
                *o->done = true;
            },
            &out);
        Spin([&] { return done; }, 120);
        return result;
    }

private:
    static constexpr const char* kLanguages[] = {"en-US", nullptr};

    static void Finish(WebKitURISchemeRequest* request, const std::string& data, const char* type) {
        GBytes* bytes = g_bytes_new(data.data(), data.size());
        GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
        WebKitURISchemeResponse* response =
            webkit_uri_scheme_response_new(stream, static_cast<gint64>(data.size()));
        SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
        soup_message_headers_append(headers, "Content-Type", type);
        webkit_uri_scheme_response_set_content_type(response, type);
        webkit_uri_scheme_response_set_http_headers(response, headers);
        webkit_uri_scheme_request_finish_with_response(request, response);
        g_object_unref(response);
        g_object_unref(stream);
        g_bytes_unref(bytes);
    }

    static void Serve(WebKitURISchemeRequest* request, gpointer data) {
        auto* self = static_cast<BarePage*>(data);
        std::string path = webkit_uri_scheme_request_get_path(request);
        std::string uri = webkit_uri_scheme_request_get_uri(request);
        if (std::getenv("BENCH_TRACE"))
            std::fprintf(stderr, "serve %s\n", uri.c_str());
        if (uri.find("?first") != std::string::npos) {
            if (!self->firstCall) {
                self->firstCall = true;
                self->firstCallAt = Clock::now();
                self->m_log.Write("request", "GetOutputFielsInfoVC");
            }
            Finish(request, "new", "text/plain");
        } else if (uri.find("?mark=wasm") != std::string::npos) {
            self->m_log.Write("page", "wasm ready");
            Finish(request, "ok", "text/plain");
        } else if (uri.find("?mark=shown") != std::string::npos) {
            self->m_log.Write("shown");
            Finish(request, "ok", "text/plain");
        } else if (uri.find("?ping") != std::string::npos) {
            Finish(request, "pong", "text/plain");
        } else if (path == "/page.html") {
            self->m_log.Write("serve", path);
            Finish(request,
                   "<!DOCTYPE html><html><head><meta charset='utf-8'>"
                   "<style>html,body{margin:0;height:100%}ruffle-player{width:100%;height:100%;"
                   "display:block}</style>"
                   "<script>function mark(m) { const x = new XMLHttpRequest();"
                   " x.open('POST', 'barebench://b/?mark=' + m, false); x.send(m); }"
                   "let shown = false;"
                   "window.GetOutputFielsInfoVC = function () {"
                   " const x = new XMLHttpRequest(); x.open('POST', 'barebench://b/?first', false);"
                   " x.send('first');"
                   " if (!shown) { shown = true; setTimeout(function () { requestAnimationFrame("
                   "  function () { requestAnimationFrame(function () { mark('shown'); }); }); }, "
                   "0); }"
                   " return x.responseText; };"
                   "for (const n of ['instantiateStreaming', 'compileStreaming', 'instantiate',"
                   " 'compile']) { const o = WebAssembly[n]; if (typeof o !== 'function') continue;"
                   " WebAssembly[n] = function () { const r = o.apply(this, arguments);"
                   " r.then(function () { mark('wasm'); }, function () {}); return r; }; }"
                   "window.PingBareVC = function () {"
                   " const x = new XMLHttpRequest(); x.open('POST', 'barebench://b/?ping', false);"
                   " x.send('ping'); return x.responseText; };</script>"
                   "<script src='ruffle/ruffle.js'></script></head><body><script>"
                   "const p = window.RufflePlayer.newest().createPlayer();"
                   "document.body.appendChild(p);"
                   "p.ruffle().load({url: 'movie.swf', allowScriptAccess: true, autoplay: 'on',"
                   " unmuteOverlay: 'hidden'});"
                   "</script></body></html>",
                   "text/html; charset=utf-8");
        } else if (path == "/movie.swf") {
            self->m_log.Write("serve", self->m_movie);
            Finish(request, ReadFile(self->m_movie), "application/x-shockwave-flash");
        } else {
            std::string file = kProgram + path.substr(1);
            self->m_log.Write("serve", path == "/page.html" ? path : file);
            Finish(request, ReadFile(file), pennoria::MimeTypeForPath(file));
        }
    }

    WebKitWebContext* m_context = nullptr;
    WebKitWebView* m_view = nullptr;
    std::string m_movie;
    pennoria::BridgeLog m_log; // silent unless PENNORIA_BRIDGE_LOG is set (the bare-page child)
};

// Resident memory in MiB of this process and of each kind of child (WebKit's web and network
// processes).
std::map<std::string, double> ResidentMemory() {
    std::map<std::string, double> memory;
    auto rss = [](const std::string& status) {
        std::istringstream in(status);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("VmRSS:", 0) == 0)
                return std::stod(line.substr(6)) / 1024.0;
        return 0.0;
    };
    memory["host"] = rss(ReadFile("/proc/self/status"));
    std::string self = std::to_string(::getpid());
    if (DIR* proc = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(proc)) {
            std::string pid = entry->d_name;
            if (pid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::string stat = ReadFile("/proc/" + pid + "/stat");
            std::size_t close = stat.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream fields(stat.substr(close + 2));
            std::string state, ppid;
            fields >> state >> ppid;
            if (ppid != self)
                continue;
            std::string name = stat.substr(stat.find('(') + 1, close - stat.find('(') - 1);
            memory[name] += rss(ReadFile("/proc/" + pid + "/status"));
        }
        ::closedir(proc);
    }
    return memory;
}

GtkWidget* NewWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    return window;
}

bool StartBare(double& ms) {
    GtkWidget* window = NewWindow();
    Clock::time_point start = Clock::now();
    auto bare = std::make_unique<BarePage>();
    gtk_container_add(GTK_CONTAINER(window), bare->Widget());
    gtk_widget_show_all(window);
    bare->Load();
    bool ok = Spin([&] { return bare->firstCall; }, 120);
    ms = Ms(start, bare->firstCallAt);
    bare.reset();
    gtk_widget_destroy(window);
    return ok;
}

bool StartOurs(double& ms) {
    GtkWidget* window = NewWindow();
    Clock::time_point start = Clock::now();
    Clock::time_point firstAt;
    bool first = false;
    {
        pennoria::WebKitPlayerOptions options;
        options.programFolder = kProgram;
        options.startTimeoutMs = 120000;
        CWebKitFlashPlayer player(options);
        gtk_container_add(GTK_CONTAINER(window), player.Widget());
        gtk_widget_show_all(window);
        player.SetFlashCallHandler([&](const std::string&) {
            if (!first)
                firstAt = Clock::now();
            first = true;
            player.SetReturnValue("<string>new</string>");
        });
        player.GetFlashVersion();
        player.SetMovie(PENNORIA_PLAYER_TEST_MOVIE);
        Spin([&] { return first; }, 120);
    }
    gtk_widget_destroy(window);
    ms = Ms(start, firstAt);
    return first;
}

// ---- The desktop program as a user starts it, against the bare page in a process of its own.

// One line of a bridge log: its monotonic stamp in milliseconds, its kind and text.
struct LogLine {
    double ms = 0;
    std::string kind, text;
};

std::vector<LogLine> ReadLog(const std::string& path) {
    std::vector<LogLine> lines;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        LogLine entry;
        std::istringstream fields(line);
        fields >> entry.ms >> entry.kind;
        std::getline(fields, entry.text);
        if (!entry.text.empty() && entry.text[0] == ' ')
            entry.text.erase(0, 1);
        lines.push_back(entry);
    }
    return lines;
}

// The stamp of the first line of that kind whose text satisfies the test; -1 when none.
double FirstStamp(const std::vector<LogLine>& lines, const std::string& kind,
                  const std::function<bool(const std::string&)>& test = {}) {
    for (const LogLine& line : lines)
        if (line.kind == kind && (!test || test(line.text)))
            return line.ms;
    return -1;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// A child process with its own environment additions.
pid_t Spawn(const std::vector<std::string>& command,
            const std::map<std::string, std::string>& env) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('='))))
            environment.push_back(entry);
    }
    for (const auto& [name, value] : env)
        environment.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (const std::string& a : command)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, command[0].c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

int Finish(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return status;
        g_usleep(100000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return status;
}

// The process and everything it started: pid -> (name, parent).
std::map<int, std::pair<std::string, int>> ProcessTree(int root) {
    std::map<int, std::pair<std::string, int>> all, tree;
    if (DIR* proc = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(proc)) {
            std::string pid = entry->d_name;
            if (pid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::string stat = ReadFile("/proc/" + pid + "/stat");
            std::size_t close = stat.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream fields(stat.substr(close + 2));
            std::string state;
            int parent = 0;
            fields >> state >> parent;
            all[std::stoi(pid)] = {stat.substr(stat.find('(') + 1, close - stat.find('(') - 1),
                                   parent};
        }
        ::closedir(proc);
    }
    std::set<int> members{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, info] : all)
            if (members.count(info.second) && !members.count(pid))
                grew = members.insert(pid).second;
    }
    for (int pid : members)
        if (all.count(pid))
            tree[pid] = all[pid];
    return tree;
}

double CpuTicks(int pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)
        fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

// Short names for the counters: the program, WebKit's web and network processes.
std::string Role(const std::string& name) {
    if (name.find("WebProces") != std::string::npos)
        return "web";
    if (name.find("NetworkPr") != std::string::npos)
        return "network";
    return "host";
}

// Processor time of every process of the tree over a while, in percent of one core.
std::map<std::string, double> IdleCpu(int root, double seconds) {
    auto before = ProcessTree(root);
    std::map<int, double> ticks;
    for (const auto& [pid, info] : before)
        ticks[pid] = CpuTicks(pid);
    Clock::time_point start = Clock::now();
    g_usleep(static_cast<gulong>(seconds * 1e6));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double hz = static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::map<std::string, double> cpu;
    for (const auto& [pid, info] : ProcessTree(root))
        if (ticks.count(pid))
            cpu[Role(info.first)] += (CpuTicks(pid) - ticks[pid]) / hz / elapsed * 100;
    return cpu;
}

// Resident and proportional memory of every process of the tree, in MiB.
std::map<std::string, double> Memory(int root) {
    std::map<std::string, double> memory;
    for (const auto& [pid, info] : ProcessTree(root)) {
        std::istringstream in(ReadFile("/proc/" + std::to_string(pid) + "/smaps_rollup"));
        std::string line;
        while (std::getline(in, line))
            for (const char* field : {"Rss:", "Pss:"})
                if (line.rfind(field, 0) == 0)
                    memory[std::string(field[0] == 'R' ? "rss_" : "pss_") + Role(info.first)] +=
                        std::stod(line.substr(std::strlen(field))) / 1024.0;
    }
    return memory;
}

bool WaitForLog(const std::string& path,
                const std::function<bool(const std::vector<LogLine>&)>& done, int seconds) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        if (done(ReadLog(path)))
            return true;
        g_usleep(50000);
    }
    return false;
}

// One start of a program (ours or the bare page) in its own process, until its first frame is
// on screen: the time spent in each step, from the spawn on.
struct StartRun {
    bool ok = false;
    double splash = -1, process = -1, scripts = -1, wasm = -1, ruffle = -1, movie = -1, frame = -1,
           usable = -1;
};

StartRun Breakdown(double spawnMs, const std::vector<LogLine>& log, const std::string& movie) {
    StartRun run;
    const double page = FirstStamp(log, "serve", [](const std::string& f) {
        return EndsWith(f, "player.html") || EndsWith(f, "page.html");
    });
    const double wasmAsked =
        FirstStamp(log, "serve", [](const std::string& f) { return EndsWith(f, ".wasm"); });
    const double wasmLoaded =
        FirstStamp(log, "page", [](const std::string& t) { return t.rfind("wasm ready", 0) == 0; });
    const double movieAsked =
        FirstStamp(log, "serve", [&](const std::string& f) { return EndsWith(f, movie); });
    const double request = FirstStamp(log, "request");
    const double shown = FirstStamp(log, "shown");
    const double splash = FirstStamp(log, "splash");
    if (page < 0 || wasmAsked < 0 || wasmLoaded < 0 || movieAsked < 0 || request < 0 || shown < 0)
        return run;
    run.ok = true;
    run.splash = splash < 0 ? -1 : splash - spawnMs;
    run.process = page - spawnMs;
    run.scripts = wasmAsked - page;
    run.wasm = wasmLoaded - wasmAsked;
    run.ruffle = movieAsked - wasmLoaded;
    run.movie = request - movieAsked;
    run.frame = shown - request;
    run.usable = shown - spawnMs;
    return run;
}

std::string ReadLinkSelf() {
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

struct ProgramMeasure {
    StartRun start;
    std::map<std::string, double> cpu, memory;
    double handOverMs = -1;
    int secondExit = -1;
};

// Starts ours (the installed program) or the bare page (this benchmark in its bare-page mode),
// waits for the first frame, then for the editor to rest, and measures.
ProgramMeasure MeasureProgram(bool ours, const std::string& scratch, int iteration) {
    ProgramMeasure result;
    const std::string log =
        scratch + "/" + (ours ? "ours" : "bare") + std::to_string(iteration) + ".log";
    std::map<std::string, std::string> env = {
        {"PENNORIA_BRIDGE_LOG", log},
        {"WEBKIT_DISABLE_COMPOSITING_MODE", "1"},
        {"HOME", scratch + "/home"},
        {"XDG_CONFIG_HOME", scratch + "/config"},
        {"XDG_DATA_HOME", scratch + "/data"},
        {"PENNORIA_APPLICATION_ID", "org.oskarel.PennoriaBench" + std::to_string(::getpid())},
        {"NO_AT_BRIDGE", "1"}};
    const std::string movie = kProgram + "editor/Pennoria.swf";
    const std::vector<std::string> command =
        ours ? std::vector<std::string>{kProgram + "pennoria"}
             : std::vector<std::string>{ReadLinkSelf(), "--bare-page", movie};
    const double spawnMs = NowMs();
    pid_t pid = Spawn(command, env);
    if (pid < 0)
        return result;
    if (!WaitForLog(
            log, [](const auto& l) { return FirstStamp(l, "shown") >= 0; }, 300)) {
        Finish(pid);
        return result;
    }
    result.start = Breakdown(spawnMs, ReadLog(log), "Pennoria.swf");
    // Ten seconds after the editor came up, nobody touching it.
    g_usleep(10 * 1000000);
    result.cpu = IdleCpu(pid, 10);
    result.memory = Memory(pid);
    if (ours) {
        // A second start with a project hands it over and ends.
        const std::string project = scratch + "/handed.pbf";
        const double handSpawn = NowMs();
        pid_t second = Spawn({kProgram + "pennoria", project}, env);
        int status = 0;
        ::waitpid(second, &status, 0);
        result.secondExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (WaitForLog(
                log,
                [&](const auto& l) {
                    return FirstStamp(l, "reply", [&](const std::string& t) {
                               return t.find(project) != std::string::npos;
                           }) >= 0;
                },
                60))
            result.handOverMs = FirstStamp(ReadLog(log), "reply",
                                           [&](const std::string& t) {
                                               return t.find(project) != std::string::npos;
                                           }) -
                                handSpawn;
    }
    Finish(pid);
    return result;
}

// The desktop program as a user starts it, side by side with the bare page started the same way:
// the breakdown of the start in milliseconds (process start up to the page's request, the page's
// scripts up to the WebAssembly request, its transfer and compilation, Ruffle's set-up up to the
// movie's request,
// the movie's load up to its first request, the first frame), the splash, the usable time and its
// ratio to the bare page, idle processor time of every process ten seconds after the first frame,
// RSS and PSS of every process, and the hand-over of a second start.
void BM_ProgramStart(benchmark::State& state) {
    char folder[] = "/tmp/bench-player-XXXXXX";
    if (!::mkdtemp(folder)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string scratch = folder;
    ::mkdir((scratch + "/home").c_str(), 0700);
    {
        std::ofstream project(scratch + "/handed.pbf");
        project
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template demoWidth=\"300\" "
               "demoHeight=\"250\" bgColor=\"#1E3A5F\"><headline>Handed</headline></template>\n";
    }
    std::map<std::string, double> totals;
    int iteration = 0;
    for (auto _ : state) {
        ProgramMeasure bare, ours;
        // Alternate which starts first: one must not pay for the other's exit.
        if (iteration % 2 == 0) {
            bare = MeasureProgram(false, scratch, iteration);
            ours = MeasureProgram(true, scratch, iteration);
        } else {
            ours = MeasureProgram(true, scratch, iteration);
            bare = MeasureProgram(false, scratch, iteration);
        }
        ++iteration;
        if (!bare.start.ok || !ours.start.ok) {
            std::fprintf(stderr, "see the bridge logs in %s\n", scratch.c_str());
            state.SkipWithError("a program never showed its first frame");
            return;
        }
        state.SetIterationTime(ours.start.usable / 1000.0);
        for (const auto& [prefix, m] :
             {std::pair<std::string, ProgramMeasure*>{"bare_", &bare}, {"ours_", &ours}}) {
            const StartRun& r = m->start;
            for (const auto& [name, value] :
                 std::map<std::string, double>{{"1process_ms", r.process},
                                               {"2scripts_ms", r.scripts},
                                               {"3wasm_ms", r.wasm},
                                               {"4ruffle_ms", r.ruffle},
                                               {"5movie_ms", r.movie},
                                               {"6frame_ms", r.frame},
                                               {"usable_ms", r.usable}})
                totals[prefix + name] += value;
            double cpuTotal = 0;
            for (const auto& [role, cpu] : m->cpu) {
                totals[prefix + "idle_cpu_pct_" + role] += cpu;
                cpuTotal += cpu;
            }
            totals[prefix + "idle_cpu_pct_all"] += cpuTotal;
            double pssTotal = 0;
            for (const auto& [name, mib] : m->memory) {
                totals[prefix + name + "_mib"] += mib;
                if (name.rfind("pss_", 0) == 0)
                    pssTotal += mib;
            }
            totals[prefix + "pss_all_mib"] += pssTotal;
        }
        totals["ours_splash_ms"] += ours.start.splash;
        totals["ours_handover_ms"] += ours.handOverMs;
        totals["ours_second_start_exit"] += ours.secondExit;
    }
    const double n = static_cast<double>(std::max<int>(iteration, 1));
    for (const auto& [name, total] : totals)
        state.counters[name] = total / n;
    if (totals["bare_usable_ms"] > 0)
        state.counters["usable_ratio"] = totals["ours_usable_ms"] / totals["bare_usable_ms"];
    state.counters["pss_over_bare_mib"] =
        (totals["ours_pss_all_mib"] - totals["bare_pss_all_mib"]) / n;
    if (std::system(("rm -rf '" + scratch + "'").c_str()) != 0)
        std::fprintf(stderr, "the scratch folder %s stays\n", scratch.c_str());
}
BENCHMARK(BM_ProgramStart)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// Start (web view created) to the movie's first request reaching the host, ours against the bare
// page; both run in every iteration, one after the other.
void BM_StartToFirstRequest(benchmark::State& state) {
    double bareTotal = 0, oursTotal = 0;
    bool bareFirst = true;
    for (auto _ : state) {
        // Alternate which page starts first: a page's start must not pay for the other's exit.
        double bareMs = 0, oursMs = 0;
        bool ok = true;
        for (int turn = 0; turn < 2 && ok; ++turn) {
            if ((turn == 0) == bareFirst)
                ok = StartBare(bareMs);
            else
                ok = StartOurs(oursMs);
        }
        bareFirst = !bareFirst;
        if (!ok) {
            state.SkipWithError("a page never made its first request");
            break;
        }
        state.SetIterationTime(oursMs / 1000.0);
        bareTotal += bareMs;
        oursTotal += oursMs;
    }
    if (bareTotal > 0) {
        state.counters["bare_ms"] = bareTotal / static_cast<double>(state.iterations());
        state.counters["ours_ms"] = oursTotal / static_cast<double>(state.iterations());
        state.counters["ratio"] = oursTotal / bareTotal;
    }
}
BENCHMARK(BM_StartToFirstRequest)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);

// The movie's ExternalInterface.call round trip through our bridge, against the floor: the same
// movie on the bare page calling a function that makes one synchronous request answered at once.
// Both timed by the movie. Also the memory of the host and of WebKit's processes for our player.
void BM_RequestRoundTrip(benchmark::State& state) {
    const int calls = 500;
    GtkWidget* bareWindow = NewWindow();
    auto barePage = std::make_unique<BarePage>();
    BarePage& bare = *barePage;
    gtk_container_add(GTK_CONTAINER(bareWindow), bare.Widget());
    gtk_widget_show_all(bareWindow);
    bare.Load();

    GtkWidget* window = NewWindow();
    pennoria::WebKitPlayerOptions options;
    options.programFolder = kProgram;
    options.startTimeoutMs = 300000;
    options.callTimeoutMs = 300000;
    auto player = std::make_unique<CWebKitFlashPlayer>(options);
    gtk_container_add(GTK_CONTAINER(window), player->Widget());
    gtk_widget_show_all(window);
    bool first = false;
    player->SetFlashCallHandler([&](const std::string&) {
        first = true;
        player->SetReturnValue("<string>pong</string>");
    });
    player->SetMovie(PENNORIA_PLAYER_TEST_MOVIE);
    if (!Spin([&] { return first && bare.firstCall; }, 300)) {
        state.SkipWithError("the movies did not start");
        return;
    }
    const std::string invoke = "<invoke name=\"TimeCallsVC\" returntype=\"xml\"><arguments>"
                               "<string>PingVC</string><number>" +
                               std::to_string(calls) + "</number></arguments></invoke>";
    double oursTotal = 0, floorTotal = 0;
    for (auto _ : state) {
        std::optional<std::string> result = player->CallEditor(invoke);
        if (!result || result->rfind("<number>", 0) != 0) {
            state.SkipWithError("TimeCallsVC failed");
            break;
        }
        double ms = std::stod(result->substr(8)) / calls;
        double floorMs = bare.MovieRoundTripMs(calls);
        state.SetIterationTime(ms / 1000.0);
        oursTotal += ms;
        floorTotal += floorMs;
    }
    if (floorTotal > 0) {
        state.counters["ours_ms"] = oursTotal / static_cast<double>(state.iterations());
        state.counters["floor_ms"] = floorTotal / static_cast<double>(state.iterations());
        state.counters["ratio"] = oursTotal / floorTotal;
    }
    // Memory of our player alone, once the bare page and its processes are gone.
    barePage.reset();
    gtk_widget_destroy(bareWindow);
    Spin([] { return false; }, 3);
    for (const auto& [name, mib] : ResidentMemory())
        state.counters["rss_mib_" + name] = mib;
    player.reset();
    gtk_widget_destroy(window);
}
BENCHMARK(BM_RequestRoundTrip)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

// The bare page as a program of its own: "bench_player --bare-page MOVIE" plays the movie in a
// window until it is ended, writing its steps to PENNORIA_BRIDGE_LOG.
int RunBarePage(const std::string& movie) {
    GtkWidget* window = NewWindow();
    BarePage bare(movie);
    gtk_container_add(GTK_CONTAINER(window), bare.Widget());
    gtk_widget_show_all(window);
    bare.Load();
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_unix_signal_add(
        SIGTERM,
        [](gpointer data) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(data));
            return G_SOURCE_REMOVE;
        },
        loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--bare-page") {
        if (!gtk_init_check(nullptr, nullptr))
            return 1;
        return RunBarePage(argv[2]);
    }
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "player_bench needs a display (run it under xvfb-run)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
