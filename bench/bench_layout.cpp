// The automatic layout in the banner model: a 300 x 250 design of 30 elements given 18 standard
// sizes in one call (what `pennoria-cli layout` and the editor's sizes do; the aim is under 50 ms),
// against the floor of the script engine's bare call with the same project text, which every
// answer of the model pays. Prints the milliseconds per layout and the ratio to the floor.
#include "platform/ScriptEngine.h"
#include "project/BannerModel.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> kSizes = {"728x90",  "970x90",   "970x250", "468x60",  "320x50",
                                         "320x100", "300x600",  "160x600", "120x600", "336x280",
                                         "250x250", "200x200",  "300x50",  "234x60",  "180x150",
                                         "125x125", "300x1050", "980x120"};

// A logo, a headline, a sub-line and a call to action over a background, with 25 more texts,
// pictures and shapes about the banner.
std::string Design() {
    std::string text =
        "<template version=\"2\" demoWidth=\"300\" demoHeight=\"250\"><elements>"
        "<shape id=\"bg\" x=\"0\" y=\"0\" width=\"300\" height=\"250\" fill=\"#1E3A5F\"/>"
        "<image id=\"logo\" x=\"10\" y=\"10\" width=\"80\" height=\"40\" src=\"logo.png\"/>"
        "<text id=\"headline\" x=\"10\" y=\"70\" width=\"280\" height=\"64\" size=\"26\" "
        "bold=\"true\" autoFit=\"true\"><label>Northwind Ultra-Light Trail Running "
        "Shoes</label></text>"
        "<text id=\"subline\" x=\"10\" y=\"138\" width=\"280\" height=\"40\" size=\"14\" "
        "autoFit=\"true\"><label>Free delivery on every order over 30 euros</label></text>"
        "<button id=\"cta\" x=\"90\" y=\"194\" width=\"120\" height=\"36\" size=\"15\">"
        "<label>Shop now</label></button>";
    for (int i = 0; i < 25; ++i) {
        const std::string at = " x=\"" + std::to_string(10 * i % 270) + "\" y=\"" +
                               std::to_string(9 * i % 220) + "\" width=\"30\" height=\"20\"";
        const std::string id = std::to_string(i);
        if (i % 3 == 0)
            text += "<text id=\"t" + id + "\"" + at + " size=\"10\"><label>Note " + id +
                    "</label></text>";
        else if (i % 3 == 1)
            text += "<image id=\"p" + id + "\"" + at + " src=\"p.png\"/>";
        else
            text += "<shape id=\"s" + id + "\"" + at + " kind=\"ellipse\"/>";
    }
    return text + "</elements><sizes><size width=\"300\" height=\"250\"/></sizes></template>";
}

double Seconds(const std::function<void()>& work, int times) {
    const auto start = Clock::now();
    for (int i = 0; i < times; ++i)
        work();
    return std::chrono::duration<double>(Clock::now() - start).count() / times;
}

void BM_LayoutEighteenSizes(benchmark::State& state) {
    std::string error;
    auto model = pennoria::BannerModel::Load(
        std::string(PENNORIA_PROGRAM_DIR) + "/" + pennoria::kBannerModelScript, &error);
    auto bare = pennoria::platform::CreateScriptEngine(
        "var M = { length: function (t) { return String(t.length); } };", "bare.js", &error);
    if (!model || !bare) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string design = Design();
    auto layout = [&] {
        auto laid = model->Layout(design, kSizes, false);
        if (!laid || laid->refused)
            state.SkipWithError("the layout failed");
    };
    for (auto _ : state)
        layout();
    const double seconds = Seconds(layout, 5);
    const double floor = Seconds([&] { bare->Call("M", "length", {design}); }, 200);
    state.counters["ms_per_layout"] = seconds * 1000;
    state.counters["layout_over_bare_call"] = seconds / floor;
}
BENCHMARK(BM_LayoutEighteenSizes)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
