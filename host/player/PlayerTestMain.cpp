// pennoria-player-test: the desktop player in a plain window, answering the movie's requests with
// a small dispatcher; for trying the player by hand and measuring its start and round trips.
//
//   pennoria-player-test [--movie FILE] [--first-request] [--round-trips N]
//     --first-request   print the time from start to the movie's first request, then quit
//     --round-trips N   after the first request, time N calls into the movie that each make one
//                       request of the host (the test movie's TestCallVC), then quit
#include "host/player/WebKitFlashPlayer.h"

#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using pennoria::CWebKitFlashPlayer;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string CommandName(const std::string& request) {
    std::size_t start = request.find("name=\"");
    if (start == std::string::npos)
        return {};
    start += 6;
    return request.substr(start, request.find('"', start) - start);
}

} // namespace

int main(int argc, char** argv) {
    std::string movie;
    bool firstRequestOnly = false;
    int roundTrips = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--movie") == 0 && i + 1 < argc)
            movie = argv[++i];
        else if (std::strcmp(argv[i], "--first-request") == 0)
            firstRequestOnly = true;
        else if (std::strcmp(argv[i], "--round-trips") == 0 && i + 1 < argc)
            roundTrips = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--movie FILE] [--first-request] [--round-trips N]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "pennoria-player-test: no display\n");
        return 1;
    }
    Clock::time_point start = Clock::now();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    gtk_window_set_title(GTK_WINDOW(window), "pennoria-player-test");
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

    pennoria::WebKitPlayerOptions options;
    options.programFolder = PENNORIA_PROGRAM_DIR "/";
    CWebKitFlashPlayer player(options);
    gtk_container_add(GTK_CONTAINER(window), player.Widget());
    gtk_widget_show_all(window);

    bool firstSeen = false;
    player.SetFlashCallHandler([&](const std::string& request) {
        std::string name = CommandName(request);
        if (!firstSeen) {
            firstSeen = true;
            std::printf("first request after %.1f ms: %s\n", MillisecondsSince(start),
                        request.c_str());
            if (firstRequestOnly || roundTrips > 0)
                g_idle_add(
                    [](gpointer) -> gboolean {
                        gtk_main_quit();
                        return G_SOURCE_REMOVE;
                    },
                    nullptr);
        } else if (roundTrips == 0) {
            std::printf("request: %s\n", request.c_str());
        }
        if (name == "GetOutputFielsInfoVC")
            player.SetReturnValue("<string>new</string>");
        else if (name == "MaximizeApplicationVC")
            player.SetReturnValue("<string>true</string>");
        else if (name == "SaveProjectFileVC") {
            auto xml = player.CallEditor("<invoke name=\"GetProjectFileXmlDataVC\" "
                                         "returntype=\"xml\"><arguments><string>customTemplate"
                                         "</string></arguments></invoke>");
            std::printf("project text: %s\n", xml ? xml->c_str() : "(player error)");
            player.SetReturnValue(xml ? "<string>/tmp/saved.pbf</string>"
                                      : "<string>saveFailed</string>");
        } else if (name == "PingVC")
            player.SetReturnValue("<string>pong</string>");
        else
            player.SetReturnValue("<string>NoDefine Call</string>");
    });

    std::printf("Flash version 0x%08x after %.1f ms\n",
                static_cast<unsigned>(player.GetFlashVersion()), MillisecondsSince(start));
    if (movie.empty())
        movie = PENNORIA_PLAYER_TEST_MOVIE;
    player.SetMovie(movie);
    gtk_main();
    if (!firstSeen)
        return 1;

    if (roundTrips > 0) {
        const std::string call = "<invoke name=\"TestCallVC\" returntype=\"xml\"><arguments>"
                                 "<string>PingVC</string><string>none</string></arguments>"
                                 "</invoke>";
        Clock::time_point begin = Clock::now();
        int ok = 0;
        for (int i = 0; i < roundTrips; ++i)
            ok += player.CallEditor(call) == std::optional<std::string>("<string>pong</string>");
        double total = MillisecondsSince(begin);
        std::printf("%d of %d host calls answered, %.3f ms per call into the movie with one "
                    "request back\n",
                    ok, roundTrips, total / roundTrips);
    }
    return 0;
}
