// Benchmarks of the desktop player against a bare page that plays the same movie with Ruffle in
// WebKitGTK: start to the movie's first request, the request round trip, and memory.
// Run under a display (xvfb-run); each ratio compares with the bare page measured in the same run.
#include "host/player/PlayerScheme.h"
#include "host/player/WebKitFlashPlayer.h"

#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

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
    BarePage() {
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
            }
            Finish(request, "new", "text/plain");
        } else if (uri.find("?ping") != std::string::npos) {
            Finish(request, "pong", "text/plain");
        } else if (path == "/page.html") {
            Finish(request,
                   "<!DOCTYPE html><html><head><meta charset='utf-8'>"
                   "<style>html,body{margin:0;height:100%}ruffle-player{width:100%;height:100%;"
                   "display:block}</style>"
                   "<script>window.GetOutputFielsInfoVC = function () {"
                   " const x = new XMLHttpRequest(); x.open('POST', 'barebench://b/?first', false);"
                   " x.send('first'); return x.responseText; };"
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
            Finish(request, ReadFile(PENNORIA_PLAYER_TEST_MOVIE), "application/x-shockwave-flash");
        } else {
            std::string file = kProgram + path.substr(1);
            Finish(request, ReadFile(file), pennoria::MimeTypeForPath(file));
        }
    }

    WebKitWebContext* m_context = nullptr;
    WebKitWebView* m_view = nullptr;
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

// Start (web view created) to the movie's first request reaching the host, ours against the bare
// page; both run in every iteration, one after the other.
void BM_StartToFirstRequest(benchmark::State& state) {
    double bareTotal = 0, oursTotal = 0;
    for (auto _ : state) {
        GtkWidget* bareWindow = NewWindow();
        Clock::time_point bareStart = Clock::now();
        auto bare = std::make_unique<BarePage>();
        gtk_container_add(GTK_CONTAINER(bareWindow), bare->Widget());
        gtk_widget_show_all(bareWindow);
        bare->Load();
        if (!Spin([&] { return bare->firstCall; }, 120)) {
            state.SkipWithError("the bare page never called");
            break;
        }
        double bareMs = Ms(bareStart, bare->firstCallAt);
        bare.reset();
        gtk_widget_destroy(bareWindow);

        GtkWidget* window = NewWindow();
        Clock::time_point start = Clock::now();
        Clock::time_point firstAt;
        bool first = false;
        {
            pennoria::WebKitPlayerOptions options;
            options.programFolder = kProgram;
            options.startTimeoutMs = 300000;
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
            Spin([&] { return first; }, 300);
        }
        gtk_widget_destroy(window);
        if (!first) {
            state.SkipWithError("the player never raised FlashCall");
            break;
        }
        double oursMs = Ms(start, firstAt);
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
BENCHMARK(BM_StartToFirstRequest)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

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

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "player_bench needs a display (run it under xvfb-run)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
