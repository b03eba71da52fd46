// Cost of serving one editor request: in process (parse, dispatch, reply) against parsing the
// request alone, and through `pennoria-cli serve` over pipes against a bare pipe echo.
#include "bridge/HostDialog.h"
#include "bridge/MessageFraming.h"
#include "bridge/ScriptedPlayer.h"
#include "core/AppSettings.h"
#include "platform/ChildProcess.h"
#include "platform/scripted/ScriptedHost.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::string kRequest = "<invoke name=\"MaximizeApplicationVC\" returntype=\"xml\">"
                             "<arguments><string>a</string><number>5</number><true/>"
                             "</arguments></invoke>";

// The median time in nanoseconds of one call of work, over batches of calls.
template <typename Work> double MedianNanoseconds(Work&& work, int batches, int perBatch) {
    std::vector<double> samples;
    for (int b = 0; b < batches; ++b) {
        auto start = Clock::now();
        for (int i = 0; i < perBatch; ++i)
            work();
        std::chrono::duration<double, std::nano> spent = Clock::now() - start;
        samples.push_back(spent.count() / perBatch);
    }
    std::nth_element(samples.begin(), samples.begin() + static_cast<long>(samples.size() / 2),
                     samples.end());
    return samples[samples.size() / 2];
}

void BM_HandleRequest(benchmark::State& state) {
    pennoria::CAppSettings settings;
    pennoria::CScriptedPlayer player;
    pennoria::platform::ScriptedDialogs dialogs;
    pennoria::platform::ScriptedShell shell;
    pennoria::platform::ScriptedHostWindow window;
    pennoria::CHostDlg host(player, dialogs, shell, window, settings);

    // The floor: parsing the request text and nothing else.
    double parseFloor = MedianNanoseconds(
        [] {
            pugi::xml_document document;
            benchmark::DoNotOptimize(document.load_string(kRequest.c_str()));
        },
        31, 200);

    auto start = Clock::now();
    for (auto _ : state) {
        auto reply = player.Request(kRequest);
        benchmark::DoNotOptimize(reply);
    }
    std::chrono::duration<double, std::nano> spent = Clock::now() - start;
    double perRequest = spent.count() / static_cast<double>(state.iterations());
    state.counters["request_us"] = perRequest / 1000.0;
    state.counters["xml_parse_floor_us"] = parseFloor / 1000.0;
    state.counters["ratio_vs_parse"] = perRequest / parseFloor;
    state.counters["ratio_vs_20us_goal"] = perRequest / 20000.0;
}
BENCHMARK(BM_HandleRequest)->Repetitions(5)->ReportAggregatesOnly(true);

// Starts a child speaking the framing on its standard streams.
bool StartChild(pennoria::platform::ChildProcess& child, const std::vector<std::string>& argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string scratch = std::string(tmp ? tmp : "/tmp");
    return child.Start(argv,
                       {{"XDG_CONFIG_HOME", scratch + "/pennoria-bench-config"},
                        {"XDG_DATA_HOME", scratch + "/pennoria-bench-data"}},
                       "/dev/null");
}

void BM_ServeRoundTrip(benchmark::State& state) {
    std::signal(SIGPIPE, SIG_IGN);
    const std::string framed = pennoria::FrameMessage(kRequest);

    // The floor: the same bytes through two pipes and a process that echoes them.
    pennoria::platform::ChildProcess echo;
    if (!StartChild(echo, {"/bin/cat"})) {
        state.SkipWithError("cannot start /bin/cat");
        return;
    }
    std::string back(framed.size(), '\0');
    double pipeFloor = MedianNanoseconds(
        [&] {
            std::fwrite(framed.data(), 1, framed.size(), echo.Input());
            std::fflush(echo.Input());
            benchmark::DoNotOptimize(std::fread(back.data(), 1, back.size(), echo.Output()));
        },
        31, 50);
    echo.CloseInput();
    echo.Wait();

    pennoria::platform::ChildProcess serve;
    if (!StartChild(serve, {std::string(PENNORIA_PROGRAM_DIR) + "/pennoria-cli", "serve"})) {
        state.SkipWithError("cannot start pennoria-cli serve");
        return;
    }
    pennoria::CFramedChannel channel(serve.Output(), serve.Input());
    std::string reply;
    auto start = Clock::now();
    for (auto _ : state) {
        channel.Write(kRequest);
        if (channel.Read(reply) != pennoria::FrameStatus::Message) {
            state.SkipWithError("serve stopped answering");
            break;
        }
    }
    std::chrono::duration<double, std::nano> spent = Clock::now() - start;
    serve.CloseInput();
    serve.Wait();
    double perRequest = spent.count() / static_cast<double>(state.iterations());
    state.counters["round_trip_us"] = perRequest / 1000.0;
    state.counters["pipe_echo_floor_us"] = pipeFloor / 1000.0;
    state.counters["ratio_vs_pipe_echo"] = perRequest / pipeFloor;
}
BENCHMARK(BM_ServeRoundTrip)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
