// The native GTK dialogs and shell on a real display (run through xvfb-run): the default
// extension, the overwrite question, the folder chooser's status line, message boxes, and what
// the shell hands on.
#include "platform/FileSystem.h"
#include "platform/gtk/GtkDialogs.h"
#include "platform/gtk/GtkShell.h"
#include "tests/TestSupport.h"
#include "tests/platform/gtk/GtkTestSupport.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

using namespace pennoria;
using pennoria::testing::Pump;
using pennoria::testing::ScratchFolder;

namespace {
// GTK starts once for the whole test program, the window tests included.
const auto* const kGtk = ::testing::AddGlobalTestEnvironment(new pennoria::testing::GtkEnvironment);
} // namespace

namespace {

// Runs the main loop until the file chooser has caught up with a change.
void Settle() {
    for (int i = 0; i < 40; ++i) {
        Pump();
        g_usleep(10000);
    }
}

// The file chooser selects asynchronously, after it has listed the folder: waits (at most a few
// seconds) until a label shows the expected text, and gives what it shows then.
std::string LabelTextOnceSettled(GtkWidget* label, const std::string& expected) {
    for (int i = 0; i < 500 && gtk_label_get_text(GTK_LABEL(label)) != expected; ++i) {
        Pump();
        g_usleep(10000);
    }
    return gtk_label_get_text(GTK_LABEL(label));
}

struct PendingDialogWork {
    GType type;
    std::function<void(GtkWidget*)> work;
};

// Runs work against the dialog of a type that a call opens, once it is on screen.
void WhenShown(GType type, std::function<void(GtkWidget*)> work) {
    auto* job = new PendingDialogWork{type, std::move(work)};
    g_timeout_add(
        50,
        [](gpointer data) -> gboolean {
            auto* pending = static_cast<PendingDialogWork*>(data);
            GList* windows = gtk_window_list_toplevels();
            GtkWidget* dialog = nullptr;
            for (GList* l = windows; l; l = l->next)
                if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, pending->type) &&
                    gtk_widget_get_visible(GTK_WIDGET(l->data)))
                    dialog = GTK_WIDGET(l->data);
            g_list_free(windows);
            if (!dialog)
                return G_SOURCE_CONTINUE;
            pending->work(dialog);
            delete pending;
            return G_SOURCE_REMOVE;
        },
        job);
}

void WhenChooserShows(std::function<void(GtkWidget*)> work) {
    WhenShown(GTK_TYPE_FILE_CHOOSER_DIALOG, std::move(work));
}

void WhenMessageShows(std::function<void(GtkWidget*)> work) {
    WhenShown(GTK_TYPE_MESSAGE_DIALOG, std::move(work));
}

GtkWidget* FindByName(GtkWidget* root, const char* name) {
    if (g_strcmp0(gtk_widget_get_name(root), name) == 0)
        return root;
    if (!GTK_IS_CONTAINER(root))
        return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* l = children; l && !found; l = l->next)
        found = FindByName(GTK_WIDGET(l->data), name);
    g_list_free(children);
    return found;
}

} // namespace

TEST(GtkDialogsTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    ScratchFolder folder;
    platform::GtkDialogs dialogs;
    platform::SaveFileRequest request;
    request.filter = "Project files(*.pbf;*.xml)|*.pbf;*.xml||";
    request.defaultExtension = "pbf";
    request.initialFile = folder / "banner";
    WhenChooserShows([](GtkWidget* d) {
        Settle();
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_EQ(dialogs.ChooseSaveFile(request), folder / "banner.pbf");

    // The file exists: the question comes, "No" returns to the chooser, "Yes" takes the name.
    std::ofstream(folder / "banner.pbf") << "old";
    int questions = 0;
    std::function<void(GtkWidget*)> accept;
    accept = [&](GtkWidget* d) {
        Settle();
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
        WhenMessageShows([&](GtkWidget* q) {
            ++questions;
            if (questions == 1) {
                gtk_dialog_response(GTK_DIALOG(q), GTK_RESPONSE_NO);
                WhenChooserShows(accept);
            } else {
                gtk_dialog_response(GTK_DIALOG(q), GTK_RESPONSE_YES);
            }
        });
    };
    WhenChooserShows(accept);
    EXPECT_EQ(dialogs.ChooseSaveFile(request), folder / "banner.pbf");
    EXPECT_EQ(questions, 2);
}

TEST(GtkDialogsTest, FolderChooserShowsAndFollowsTheStatusLine) {
    ScratchFolder folder;
    ASSERT_EQ(std::system(
                  ("mkdir -p '" + (folder / "first") + "' '" + (folder / "second") + "'").c_str()),
              0);
    platform::GtkDialogs dialogs;
    platform::FolderRequest request;
    request.title = "Current Selection";
    request.initialFolder = folder / "first";
    request.statusText = [](const std::string& path) { return "status:" + path; };
    std::string initialStatus, movedStatus;
    WhenChooserShows([&](GtkWidget* d) {
        GtkWidget* label = FindByName(d, "folder-status");
        ASSERT_NE(label, nullptr);
        initialStatus = LabelTextOnceSettled(label, "status:" + (folder / "first"));
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(d), (folder / "second").c_str());
        movedStatus = LabelTextOnceSettled(label, "status:" + (folder / "second"));
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_EQ(dialogs.ChooseFolder(request), folder / "second");
    EXPECT_EQ(initialStatus, "status:" + (folder / "first"));
    EXPECT_EQ(movedStatus, "status:" + (folder / "second"));

    // Confirmed at once: the initial folder itself. Cancelled: nothing.
    WhenChooserShows([&](GtkWidget* d) {
        Settle();
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_EQ(dialogs.ChooseFolder(request), folder / "first");
    WhenChooserShows([](GtkWidget* d) { gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL); });
    EXPECT_EQ(dialogs.ChooseFolder(request), std::nullopt);
}

TEST(GtkDialogsTest, MessageBoxAnswers) {
    platform::GtkDialogs dialogs;
    WhenMessageShows([](GtkWidget* d) { gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_YES); });
    EXPECT_EQ(dialogs.ShowMessage("Replace?", platform::MessageButtons::YesNo,
                                  platform::MessageIcon::Question),
              platform::MessageAnswer::Yes);
    // Closed from the window: a Yes/No question counts as No.
    WhenMessageShows(
        [](GtkWidget* d) { gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_DELETE_EVENT); });
    EXPECT_EQ(dialogs.ShowMessage("Replace?", platform::MessageButtons::YesNo,
                                  platform::MessageIcon::Question),
              platform::MessageAnswer::No);
}

TEST(DefaultExtension, AddedOnlyToNamesWithoutOne) {
    using platform::WithDefaultExtension;
    EXPECT_EQ(WithDefaultExtension("/a/banner", "pbf"), "/a/banner.pbf");
    EXPECT_EQ(WithDefaultExtension("/a/banner", ".pbf"), "/a/banner.pbf");
    EXPECT_EQ(WithDefaultExtension("/a/banner.xml", "pbf"), "/a/banner.xml");
    EXPECT_EQ(WithDefaultExtension("/a.b/banner", "pbf"), "/a.b/banner.pbf");
    EXPECT_EQ(WithDefaultExtension("/a/banner", ""), "/a/banner");
}

TEST(GtkShellTest, OnlyExistingPlacesAndWebAddressesAreHandedOn) {
    ScratchFolder folder;
    platform::GtkShell shell;
    EXPECT_EQ(platform::FileUriForPath("/tmp/a b#c"), "file:///tmp/a%20b%23c");
    EXPECT_EQ(platform::FileUriForPath("relative/path"), "");
    EXPECT_FALSE(shell.OpenFolder(folder / "missing"));
    std::ofstream(folder / "file.txt") << "not a folder";
    EXPECT_FALSE(shell.OpenFolder(folder / "file.txt"));
    EXPECT_FALSE(shell.OpenDocument(folder / "missing.chm"));
    EXPECT_FALSE(shell.OpenUri("file:///etc/passwd"));
    EXPECT_FALSE(shell.OpenUri("/usr/bin/xterm"));
}

namespace {

// One GET through GIO's blocking client on another thread while this one runs the main loop,
// which accepts the connection. The whole answer, head and body.
std::string Fetch(const std::string& address, const std::string& target) {
    const std::size_t colon = address.rfind(':');
    const int port = std::stoi(address.substr(colon + 1));
    std::string answer;
    bool done = false;
    std::thread client([&] {
        GSocketClient* socketClient = g_socket_client_new();
        GSocketConnection* connection = g_socket_client_connect_to_host(
            socketClient, "127.0.0.1", static_cast<guint16>(port), nullptr, nullptr);
        if (connection) {
            GIOStream* stream = reinterpret_cast<GIOStream*>(connection);
            const std::string request = "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n";
            g_output_stream_write_all(g_io_stream_get_output_stream(stream), request.data(),
                                      request.size(), nullptr, nullptr, nullptr);
            char buffer[4096];
            gssize n;
            while ((n = g_input_stream_read(g_io_stream_get_input_stream(stream), buffer,
                                            sizeof buffer, nullptr, nullptr)) > 0)
                answer.append(buffer, static_cast<std::size_t>(n));
            g_object_unref(connection);
        }
        g_object_unref(socketClient);
        done = true;
    });
    for (int i = 0; i < 2000 && !done; ++i) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(2000);
    }
    client.join();
    return answer;
}

} // namespace

TEST(GtkShellTest, PreviewFolderIsServedOnLoopbackBelowASecretPathOnly) {
    ScratchFolder folder;
    std::ofstream(folder / "index.html") << "<p>preview</p>";
    std::ofstream(folder / "player.wasm") << "wasm";
    platform::GtkShell shell;
    const std::string address = shell.BrowserAddressOf(folder / "");
    ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;
    const std::size_t pathStart = address.find('/', 7);
    const std::string prefix = address.substr(pathStart);
    ASSERT_GT(prefix.size(), 20u); // a random part nobody else knows

    const std::string page = Fetch(address.substr(0, pathStart), prefix);
    EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("Content-Type: text/html; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(page.find("\r\n\r\n<p>preview</p>"), std::string::npos);
    const std::string wasm = Fetch(address.substr(0, pathStart), prefix + "player%2ewasm");
    EXPECT_NE(wasm.find("Content-Type: application/wasm"), std::string::npos) << wasm;

    for (const std::string& outside : {std::string("/index.html"), prefix + "../index.html",
                                       prefix + "%2e%2e/x", prefix + "missing.html"})
        EXPECT_EQ(Fetch(address.substr(0, pathStart), outside).rfind("HTTP/1.1 404", 0), 0u)
            << outside;
}

namespace {

// A raw request through a plain socket on another thread while this one runs the main loop,
// which accepts connections; the whole answer. Waits as long as the answer takes.
std::string Exchange(int port, const std::string& request) {
    std::string answer;
    std::atomic<bool> done{false};
    std::thread client([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 &&
            ::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            ssize_t n;
            while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
                answer.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        done = true;
    });
    while (!done) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(2000);
    }
    client.join();
    return answer;
}

int PortOf(const std::string& address) {
    return std::stoi(address.substr(address.rfind(':') + 1));
}

std::string PathOf(const std::string& address) {
    return address.substr(address.find('/', 7));
}

// Whether something listens on the loopback port.
bool Listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    ::close(fd);
    return open;
}

} // namespace

TEST(GtkShellTest, PreviewServesOnlyItsOwnFilesAndOutlivesIdleConnections) {
    ScratchFolder folder, outside;
    std::ofstream(folder / "index.html") << "<p>preview</p>";
    std::ofstream(folder / ".hidden") << "hidden";
    std::ofstream(folder / "x.png.pennoria-tmp-Ab3dE9") << "debris";
    std::ofstream(outside / "secret.txt") << "secret";
    ASSERT_EQ(::symlink((outside / "secret.txt").c_str(), (folder / "secret.html").c_str()), 0);
    ASSERT_EQ(::symlink(outside.Path().c_str(), (folder / "up").c_str()), 0);
    platform::GtkShell shell([](const std::string&) { return true; });
    const std::string address = shell.BrowserAddressOf(folder / "");
    ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;
    const int port = PortOf(address);
    const std::string prefix = PathOf(address);

    // More connections that say nothing than the server has threads: they are dropped in time
    // and the browser's request is answered.
    std::vector<int> idle;
    for (int i = 0; i < 24; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        idle.push_back(fd);
        // Accepted, and handed to a worker that waits for a request.
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }
    const std::string page = Exchange(port, "GET " + prefix + " HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("\r\n\r\n<p>preview</p>"), std::string::npos);
    for (int fd : idle)
        ::close(fd);
    const std::string head = Exchange(port, "HEAD " + prefix + "index.html HTTP/1.1\r\n\r\n");
    EXPECT_EQ(head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << head;
    EXPECT_EQ(head.find("<p>"), std::string::npos);

    for (const std::string& refused :
         {std::string("secret.html"), std::string("up/secret.txt"), std::string(".hidden"),
          std::string("x.png.pennoria-tmp-Ab3dE9")})
        EXPECT_EQ(Exchange(port, "GET " + prefix + refused + " HTTP/1.1\r\n\r\n")
                      .rfind("HTTP/1.1 404", 0),
                  0u)
            << refused;
    EXPECT_EQ(Exchange(port, "POST " + prefix + " HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 400", 0), 0u);

    // The next preview has an address of its own; the last one's no longer serves.
    const std::string next = shell.BrowserAddressOf(folder / "");
    EXPECT_NE(PathOf(next), prefix);
    EXPECT_EQ(Exchange(port, "GET " + prefix + " HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 404", 0), 0u);
    EXPECT_EQ(Exchange(port, "GET " + PathOf(next) + " HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0),
              0u);
}

TEST(GtkShellTest, PreviewAddressReachesTheBrowserThroughAPrivatePageAndExpires) {
    ScratchFolder runtime, folder;
    pennoria::testing::ScopedEnv env("XDG_RUNTIME_DIR", runtime.Path());
    std::ofstream(folder / "index.html") << "<p>preview</p>";
    std::vector<std::string> launched;
    platform::GtkShell shell([&launched](const std::string& uri) {
        launched.push_back(uri);
        return true;
    });
    const std::string address = shell.BrowserAddressOf(folder / "");
    const std::string secret = PathOf(address);
    ASSERT_TRUE(shell.OpenUri(address + "index.html"));
    ASSERT_EQ(launched.size(), 1u);
    // What a browser's command line shows: a page in the private folder, not the secret.
    const std::string privateFolder = runtime / "pennoria-preview";
    EXPECT_EQ(launched[0].rfind("file://" + privateFolder + "/open-", 0), 0u) << launched[0];
    EXPECT_EQ(launched[0].find(secret.substr(1, secret.size() - 2)), std::string::npos);
    const std::string pagePath = launched[0].substr(7);
    struct stat st {};
    ASSERT_EQ(::stat(pagePath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(privateFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const std::string page = pennoria::testing::ReadFileText(pagePath);
    EXPECT_NE(page.find("location.replace(\"" + address + "index.html\")"), std::string::npos);
    // Other web addresses go to the browser as they are.
    ASSERT_TRUE(shell.OpenUri("https://example.org/help"));
    EXPECT_EQ(launched.back(), "https://example.org/help");

    // The next preview's pages replace this one's; its time up, the server stops and its page
    // goes.
    shell.SetPreviewLifetime(std::chrono::seconds(1));
    const std::string next = shell.BrowserAddressOf(folder / "");
    EXPECT_FALSE(platform::PathExists(pagePath));
    ASSERT_TRUE(shell.OpenUri(next + "index.html"));
    const std::string nextPage = launched.back().substr(7);
    EXPECT_TRUE(platform::PathExists(nextPage));
    while (Listening(PortOf(next))) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(20000);
    }
    EXPECT_FALSE(platform::PathExists(nextPage));
}
