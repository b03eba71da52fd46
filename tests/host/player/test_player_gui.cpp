// The desktop player end to end: Ruffle in WebKitGTK plays the test movie, and requests, replies
// and calls into the movie make their round trips through the real page, nested ones included.
// Runs under xvfb-run; one player serves the whole suite (starting Ruffle is the slow part).
#include "host/player/PlayerScheme.h"
#include "host/player/WebKitFlashPlayer.h"

#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace pennoria {
namespace {

using Clock = std::chrono::steady_clock;

std::string Invoke(const std::string& name, const std::vector<std::string>& strings) {
    std::string text = "<invoke name=\"" + name + "\" returntype=\"xml\"><arguments>";
    for (const std::string& s : strings)
        text += "<string>" + s + "</string>";
    return text + "</arguments></invoke>";
}

std::string CommandOf(const std::string& request) {
    std::size_t start = request.find("name=\"") + 6;
    return request.substr(start, request.find('"', start) - start);
}

bool Spin(const std::function<bool()>& done, int seconds) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done() && Clock::now() < deadline)
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(1000);
    return done();
}

class PlayerGuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!gtk_init_check(nullptr, nullptr)) {
            skipReason = new std::string("no display");
            return;
        }
        std::string program = std::string(PENNORIA_PROGRAM_DIR) + "/";
        if (!testing::ReadFileText(program + "ruffle/ruffle.js").size()) {
            skipReason = new std::string("Ruffle is not installed in " + program + "ruffle/");
            return;
        }
        logFolder = new testing::ScratchFolder;
        logEnv = new testing::ScopedEnv("PENNORIA_BRIDGE_LOG", *logFolder / "bridge.log");
        WebKitPlayerOptions options;
        options.programFolder = program;
        options.startTimeoutMs = 120000;
        options.callTimeoutMs = 60000;
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
        player = new CWebKitFlashPlayer(options);
        gtk_container_add(GTK_CONTAINER(window), player->Widget());
        gtk_widget_show_all(window);
        player->SetFlashCallHandler([](const std::string& request) { Dispatch(request); });
        version = player->GetFlashVersion();
        player->SetMovie(PENNORIA_PLAYER_TEST_MOVIE);
        started = Spin([] { return !requests.empty(); }, 90);
        if (!started) {
            // Say what the player did before trying once more, so a stall on a slow machine
            // can be told apart from a movie that cannot start at all.
            std::string log = testing::ReadFileText(*logFolder / "bridge.log");
            std::fprintf(stderr,
                         "no first request after 90 s (player version %d); bridge log:\n%s\n",
                         static_cast<int>(version),
                         log.substr(log.size() > 4000 ? log.size() - 4000 : 0).c_str());
            player->SetMovie(PENNORIA_PLAYER_TEST_MOVIE);
            started = Spin([] { return !requests.empty(); }, 90);
        }
    }

    static void TearDownTestSuite() {
        delete player;
        player = nullptr;
        if (window)
            gtk_widget_destroy(window);
        window = nullptr;
        delete logEnv;
        delete logFolder;
    }

    void SetUp() override {
        if (skipReason)
            GTEST_SKIP() << *skipReason;
        ASSERT_TRUE(started) << "the movie never sent its first request";
        requests.clear();
        handlers.clear();
    }

    // The host side: each command answered by a handler the test installs, or by the defaults.
    static void Dispatch(const std::string& request) {
        requests.push_back(request);
        std::string name = CommandOf(request);
        if (auto handler = handlers.find(name); handler != handlers.end()) {
            handler->second(request);
            return;
        }
        if (name == "GetOutputFielsInfoVC")
            player->SetReturnValue("<string>new</string>");
        else if (name == "MaximizeApplicationVC")
            player->SetReturnValue("<string>true</string>");
        else if (name == "ExitApplicationVC")
            player->SetReturnValue("<string>NoDefine Call</string>");
        // Anything else gets no reply.
    }

    // Asks the movie to make the request `name` with arguments of the given kind.
    static std::optional<std::string> MovieRequests(const std::string& name,
                                                    const std::string& kind = "none") {
        return player->CallEditor(Invoke("TestCallVC", {name, kind}));
    }

    // Runs a function of the page (an async function body) and gives its result as text.
    static std::string RunPageScript(const std::string& body) {
        auto result = std::make_shared<std::optional<std::string>>();
        webkit_web_view_call_async_javascript_function(
            WEBKIT_WEB_VIEW(player->Widget()), body.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
            [](GObject* source, GAsyncResult* async, gpointer data) {
                std::unique_ptr<std::shared_ptr<std::optional<std::string>>> out(
                    static_cast<std::shared_ptr<std::optional<std::string>>*>(data));
                GError* error = nullptr;
                JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
                    WEBKIT_WEB_VIEW(source), async, &error);
                if (value) {
                    gchar* text = jsc_value_to_string(value);
                    **out = text;
                    g_free(text);
                    g_object_unref(value);
                } else {
                    **out = std::string("error: ") + (error ? error->message : "");
                }
                if (error)
                    g_error_free(error);
            },
            new std::shared_ptr<std::optional<std::string>>(result));
        Spin([&] { return result->has_value(); }, 60);
        return result->value_or("timed out");
    }

    static inline std::string* skipReason = nullptr;
    static inline testing::ScratchFolder* logFolder = nullptr;
    static inline testing::ScopedEnv* logEnv = nullptr;
    static inline GtkWidget* window = nullptr;
    static inline CWebKitFlashPlayer* player = nullptr;
    static inline std::int32_t version = 0;
    static inline bool started = false;
    static inline std::vector<std::string> requests;
    static inline std::map<std::string, std::function<void(const std::string&)>> handlers;
};

TEST_F(PlayerGuiTest, ReportsRufflesFlashVersionAndTheMoviesFirstRequestArrives) {
    EXPECT_GE(version, kMinimumFlashVersion);
    EXPECT_EQ(version & 0xFFFF, 0);
    std::string log = testing::ReadFileText(*logFolder / "bridge.log");
    EXPECT_NE(log.find(" request <invoke name=\"GetOutputFielsInfoVC\" returntype=\"xml\">"
                       "<arguments></arguments></invoke>\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(" reply <string>new</string>\n"), std::string::npos) << log;
}

TEST_F(PlayerGuiTest, WithoutRuffleOrWithoutThePageThereIsNoPlayerVersion) {
    testing::ScratchFolder program;
    ::mkdir((program / "player").c_str(), 0755);
    WebKitPlayerOptions options;
    options.programFolder = program.Path() + "/";
    options.startTimeoutMs = 120000;
    std::size_t logBefore = testing::ReadFileText(*logFolder / "bridge.log").size();
    {
        CWebKitFlashPlayer noPage(options);
        EXPECT_EQ(noPage.GetFlashVersion(), 0);
        EXPECT_EQ(noPage.CallEditor(Invoke("EchoVC", {})), std::nullopt);
    }
    for (const char* file : {"player.html", "player.js"})
        testing::WriteFileText(
            program / "player/" + file,
            testing::ReadFileText(std::string(PENNORIA_PROGRAM_DIR) + "/player/" + file));
    {
        CWebKitFlashPlayer noRuffle(options);
        EXPECT_EQ(noRuffle.GetFlashVersion(), 0);
    }
    // Both failures are noticed, not waited out.
    std::string log = testing::ReadFileText(*logFolder / "bridge.log").substr(logBefore);
    EXPECT_NE(log.find(" pagefailed the player page is not installed\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" pagefailed Ruffle could not be loaded\n"), std::string::npos) << log;
}

TEST_F(PlayerGuiTest, ArgumentsOfEveryKindAreWrittenAsTheExternalApiWritesThem) {
    std::string echoed;
    handlers["EchoKindsVC"] = [&](const std::string&) {
        // The reply text is passed verbatim: a bare "&" or "<" must still reach the movie whole.
        player->SetReturnValue("<string>a & b < c &amp; d</string>");
    };
    std::optional<std::string> result = MovieRequests("EchoKindsVC", "kinds");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0],
              "<invoke name=\"EchoKindsVC\" returntype=\"xml\"><arguments>"
              "<string>a&lt;&amp;&gt;&quot;&apos; \xC3\xA9</string>"
              "<number>5</number><number>-1.5</number><true/><false/><null/>"
              "<array><property id=\"0\"><number>1</number></property>"
              "<property id=\"1\"><string>x</string></property>"
              "<property id=\"2\"><array><property id=\"0\"><true/></property></array></property>"
              "</array>"
              "<object><property id=\"k\"><string>v</string></property></object>"
              "</arguments></invoke>");
    EXPECT_EQ(result, "<string>a &amp; b &lt; c &amp; d</string>");
}

TEST_F(PlayerGuiTest, HostArgumentsReachTheMovieFunctionAsValues) {
    EXPECT_EQ(player->CallEditor("<invoke name=\"EchoVC\" returntype=\"xml\"><arguments>"
                                 "<string>a &amp; b</string><number>3</number><true/>"
                                 "</arguments></invoke>"),
              "<array><property id=\"0\"><string>a &amp; b</string></property>"
              "<property id=\"1\"><number>3</number></property>"
              "<property id=\"2\"><true/></property></array>");
    EXPECT_EQ(player->CallEditor(Invoke("SettingOutputFilesVC", {"/out", "b.swf", "b.html"})),
              "<undefined/>");
}

TEST_F(PlayerGuiTest, UnansweredAndUnknownRequestsGiveTheMovieUndefined) {
    EXPECT_EQ(MovieRequests("NotACommandVC"), "<undefined/>");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(CommandOf(requests[0]), "NotACommandVC");
}

TEST_F(PlayerGuiTest, SaveFetchesTheProjectTextWhileTheMoviesRequestIsOutstanding) {
    std::optional<std::string> projectText;
    handlers["SaveProjectFileVC"] = [&](const std::string&) {
        EXPECT_TRUE(player->IsHandlingRequest());
        projectText = player->CallEditor(Invoke("GetProjectFileXmlDataVC", {"customTemplate"}));
        player->SetReturnValue(projectText ? "<string>/tmp/project.pbf</string>"
                                           : "<string>saveFailed</string>");
    };
    EXPECT_EQ(MovieRequests("SaveProjectFileVC", "saveas"), "<string>/tmp/project.pbf</string>");
    EXPECT_FALSE(player->IsHandlingRequest());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], Invoke("SaveProjectFileVC", {"saveas"}));
    EXPECT_EQ(projectText, "<string>&lt;project kind=&quot;customTemplate&quot;&gt;&lt;title&gt;"
                           "a &amp;amp; b &lt; c&lt;/title&gt;line1\\nline2 \xC3\xA9\xE6\x97\xA5"
                           "&lt;/project&gt;</string>");
}

TEST_F(PlayerGuiTest, WindowNotificationsNestTwoLevelsDeep) {
    // The host tells the movie about a window action while the movie waits in a request; the
    // movie answers with the matching window command, which the host serves at the second level.
    std::optional<std::string> inner;
    handlers["OuterVC"] = [&](const std::string&) {
        inner = player->CallEditor(Invoke("ControlAppWindowVC", {"maximizeAppButton"}));
        player->SetReturnValue("<string>outer done</string>");
    };
    EXPECT_EQ(MovieRequests("OuterVC"), "<string>outer done</string>");
    EXPECT_EQ(inner, "<string>true</string>");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(CommandOf(requests[1]), "MaximizeApplicationVC");

    // Without an outstanding request the notification goes through the page's script API.
    requests.clear();
    EXPECT_EQ(player->CallEditor(Invoke("ControlAppWindowVC", {"closeAppButton"})),
              "<string>NoDefine Call</string>");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(CommandOf(requests[0]), "ExitApplicationVC");
}

TEST_F(PlayerGuiTest, AHostCallMadeWhileTheMovieIsBusyWaitsForItsTurn) {
    // A timer fires in the nested loop while the page runs GetProjectFileXmlDataVC for the outer
    // call; its own call must be served once the page is back, and both get their results.
    std::optional<std::string> outer, fromTimer;
    bool timerRan = false;
    handlers["SaveProjectFileVC"] = [&](const std::string&) {
        auto* context = new std::function<void()>([&] {
            fromTimer = player->CallEditor(Invoke("EchoVC", {"timer"}));
            timerRan = true;
        });
        g_idle_add_full(
            G_PRIORITY_HIGH,
            [](gpointer data) -> gboolean {
                (*static_cast<std::function<void()>*>(data))();
                return G_SOURCE_REMOVE;
            },
            context, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
        outer = player->CallEditor(Invoke("GetProjectFileXmlDataVC", {"photoEditor"}));
        Spin([&] { return timerRan; }, 60);
        player->SetReturnValue("<string>saved</string>");
    };
    EXPECT_EQ(MovieRequests("SaveProjectFileVC"), "<string>saved</string>");
    ASSERT_TRUE(outer.has_value());
    EXPECT_NE(outer->find("project kind=&quot;photoEditor&quot;"), std::string::npos) << *outer;
    EXPECT_EQ(fromTimer, "<array><property id=\"0\"><string>timer</string></property>"
                         "<property id=\"1\"><undefined/></property>"
                         "<property id=\"2\"><undefined/></property></array>");
}

TEST_F(PlayerGuiTest, MissingAndFailingMovieFunctionsArePlayerErrors) {
    EXPECT_EQ(player->CallEditor(Invoke("NoSuchFunctionVC", {"x"})), std::nullopt);
    EXPECT_EQ(player->CallEditor(Invoke("ThrowVC", {})), std::nullopt);
    // Methods of the page's player element are not movie functions.
    EXPECT_EQ(player->CallEditor(Invoke("remove", {})), std::nullopt);
    EXPECT_EQ(player->CallEditor("<invoke name=\"EchoVC\"><arguments><string>&</arguments>"),
              std::nullopt);

    // Inside a request the error leaves the request itself intact.
    std::optional<std::string> missing = std::string("unset"), failed = missing, fine;
    handlers["AskMissingVC"] = [&](const std::string&) {
        missing = player->CallEditor(Invoke("NoSuchFunctionVC", {}));
        failed = player->CallEditor(Invoke("ThrowVC", {}));
        fine = player->CallEditor(Invoke("ControlAppWindowVC", {"unknownAppButton"}));
        player->SetReturnValue("<string>still answered</string>");
    };
    EXPECT_EQ(MovieRequests("AskMissingVC"), "<string>still answered</string>");
    EXPECT_EQ(missing, std::nullopt);
    EXPECT_EQ(failed, std::nullopt);
    // A function that answers null on purpose is no failure.
    EXPECT_EQ(fine, "<null/>");
    std::string log = testing::ReadFileText(*logFolder / "bridge.log");
    EXPECT_NE(log.find(" hosterror the movie has no function NoSuchFunctionVC\n"),
              std::string::npos);
}

TEST_F(PlayerGuiTest, TheSchemeServesOnlyWhatTheMovieMayReadAndTheViewStaysOnThePage) {
    testing::ScratchFolder outside;
    testing::WriteFileText(outside / "secret.txt", "secret");
    std::string url = MakePlayerUrl(outside / "secret.txt");
    std::string status = "return String((await fetch(" + std::string("\"") + url + "\")).status);";
    // Encoded dot segments climbing from the page's folder to the file outside.
    std::string climb = MakePlayerUrl(std::string(PENNORIA_PROGRAM_DIR) + "/player/");
    for (char c : std::string(PENNORIA_PROGRAM_DIR) + "/player")
        if (c == '/')
            climb += "%2e%2e/";
    std::string escaped = "return String((await fetch(\"" + climb +
                          url.substr(std::string(kPlayerOrigin).size() + 1) + "\")).status);";
    std::string write = "return String((await fetch(\"" +
                        MakePlayerUrl(std::string(PENNORIA_PROGRAM_DIR) + "/player/player.js") +
                        "\", {method: \"PUT\", body: \"x\"})).status);";
    EXPECT_EQ(RunPageScript(status), "403");
    EXPECT_EQ(RunPageScript(escaped), "403");
    EXPECT_EQ(RunPageScript(write), "405");
    // Local access opens the files the user chose, and nothing else.
    player->DisableLocalSecurity();
    EXPECT_EQ(RunPageScript(status), "403");
    player->AllowChosenFile(outside / "secret.txt");
    EXPECT_EQ(RunPageScript(status), "200");
    EXPECT_EQ(RunPageScript("return await (await fetch(\"" + url + "\")).text();"), "secret");
    player->AllowChosenFile("/proc/self/environ");
    EXPECT_EQ(RunPageScript("return String((await fetch(\"pennoria://player/proc/self/environ\"))"
                            ".status);"),
              "403");
    // A chosen project opens the image it names beside it once it has been read. The pictures a
    // project names come from the banner model in the program folder.
    testing::ScopedEnv module("PENNORIA_MODULE_PATH",
                              std::string(PENNORIA_PROGRAM_DIR) + "/pennoria");
    testing::WriteFileText(outside / "p.pbf", "<template img=\"sky.png\"/>");
    testing::WriteFileText(outside / "sky.png", "png");
    const std::string image =
        "return String((await fetch(\"" + MakePlayerUrl(outside / "sky.png") + "\")).status);";
    EXPECT_EQ(RunPageScript(image), "403");
    player->AllowChosenFile(outside / "p.pbf");
    EXPECT_EQ(RunPageScript("return await (await fetch(\"" + MakePlayerUrl(outside / "p.pbf") +
                            "\")).text();"),
              "<template img=\"sky.png\"/>");
    EXPECT_EQ(RunPageScript(image), "200");

    std::string page = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(player->Widget()));
    RunPageScript("location.href = \"" + url + "\"; return \"\";");
    RunPageScript("window.open(\"" + url + "\"); return \"\";");
    // The page still answers, so it was never replaced.
    EXPECT_EQ(player->CallEditor(Invoke("ControlAppWindowVC", {"maximizeAppButton"})),
              "<string>true</string>");
    EXPECT_EQ(webkit_web_view_get_uri(WEBKIT_WEB_VIEW(player->Widget())), page);
    std::string log = testing::ReadFileText(*logFolder / "bridge.log");
    EXPECT_NE(log.find(" navigationrefused " + url), std::string::npos) << log;
}

TEST_F(PlayerGuiTest, TheBridgeLogHasOneLinePerRequestReplyAndHostCall) {
    std::string before = testing::ReadFileText(*logFolder / "bridge.log");
    EXPECT_EQ(MovieRequests("MaximizeApplicationVC"), "<string>true</string>");
    std::string after = testing::ReadFileText(*logFolder / "bridge.log").substr(before.size());
    std::vector<std::string> kinds;
    std::size_t start = 0;
    while (start < after.size()) {
        std::size_t end = after.find('\n', start);
        std::string line = after.substr(start, end - start);
        std::size_t space = line.find(' ');
        kinds.push_back(line.substr(space + 1, line.find(' ', space + 1) - space - 1));
        start = end + 1;
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"hostcall", "request", "reply", "hostresult"}));
}

} // namespace
} // namespace pennoria
