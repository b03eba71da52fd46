// Shell "open" through GIO's default handlers, launched asynchronously.
#include "platform/gtk/GtkShell.h"

#include "platform/ConfinedFolder.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PreviewRequest.h"

#include <gio/gio.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <unistd.h>

namespace pennoria::platform {

namespace {

constexpr std::uint64_t kMaxServedFile = std::uint64_t{64} << 20;
// A connection that sends nothing for this long, or whose request head has not come whole in
// this long, is dropped: idle connections never hold the server's threads for good.
constexpr guint kIdleSeconds = 10;
constexpr auto kHeadDeadline = std::chrono::seconds(10);
constexpr int kServerThreads = 16;

const char* ContentType(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (extension == "html")
        return "text/html; charset=utf-8";
    if (extension == "js")
        return "text/javascript";
    if (extension == "wasm")
        return "application/wasm";
    if (extension == "swf")
        return "application/x-shockwave-flash";
    if (extension == "xml")
        return "text/xml";
    if (extension == "png")
        return "image/png";
    if (extension == "jpg" || extension == "jpeg")
        return "image/jpeg";
    if (extension == "gif")
        return "image/gif";
    if (extension == "css")
        return "text/css";
    return "application/octet-stream";
}

std::string RandomName() {
    gchar* random = g_uuid_string_random();
    std::string name = random;
    g_free(random);
    return name;
}

} // namespace

// Serves one preview folder over http on 127.0.0.1, below a secret path that changes with every
// preview; only regular files inside the folder, reached without links, and none hidden.
struct GtkShell::FolderServer {
    // What the worker threads read; it lives until the last of them is done with it, which may
    // be after the server object has gone.
    struct State {
        std::mutex lock;
        std::string prefix;                            // "/<secret>/"
        std::shared_ptr<const ConfinedFolder> folder;  // the preview being served
        std::chrono::steady_clock::time_point expires; // no file is served after this
    };

    GSocketService* service = nullptr;
    GSocket* socket = nullptr; // the listening socket
    int port = 0;
    std::shared_ptr<State> state = std::make_shared<State>();

    static gboolean OnRun(GThreadedSocketService*, GSocketConnection* connection, GObject*,
                          gpointer data) {
        Answer(**static_cast<std::shared_ptr<State>*>(data), connection);
        return FALSE;
    }

    static void Answer(State& state, GSocketConnection* connection) {
        g_socket_set_timeout(g_socket_connection_get_socket(connection), kIdleSeconds);
        GIOStream* stream = reinterpret_cast<GIOStream*>(connection);
        GInputStream* in = g_io_stream_get_input_stream(stream);
        GOutputStream* out = g_io_stream_get_output_stream(stream);
        std::string secret;
        std::shared_ptr<const ConfinedFolder> served;
        bool expired;
        {
            std::lock_guard<std::mutex> guard(state.lock);
            secret = state.prefix;
            served = state.folder;
            expired = std::chrono::steady_clock::now() >= state.expires;
        }
        const auto deadline = std::chrono::steady_clock::now() + kHeadDeadline;
        std::string head;
        PreviewRequest request = ReadPreviewRequest(head, secret);
        char buffer[1024];
        while (request.status == PreviewRequest::Status::Incomplete) {
            if (std::chrono::steady_clock::now() >= deadline) {
                g_io_stream_close(stream, nullptr, nullptr);
                return;
            }
            gssize n = g_input_stream_read(in, buffer, sizeof buffer, nullptr, nullptr);
            if (n <= 0) {
                g_io_stream_close(stream, nullptr, nullptr);
                return;
            }
            head.append(buffer, static_cast<std::size_t>(n));
            request = ReadPreviewRequest(head, secret);
        }
        std::string status = "404 Not Found", type = "text/plain", body = "not found";
        if (request.status == PreviewRequest::Status::Bad) {
            status = "400 Bad Request";
            body = "bad request";
        } else if (request.status == PreviewRequest::Status::File && served && !expired) {
            if (auto data = served->ReadFile(request.path, kMaxServedFile)) {
                status = "200 OK";
                type = ContentType(request.path);
                body = std::move(*data);
            }
        }
        const std::string reply = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                                  "\r\nContent-Length: " + std::to_string(body.size()) +
                                  "\r\nCache-Control: no-store\r\nReferrer-Policy: no-referrer"
                                  "\r\nConnection: close\r\n\r\n";
        if (g_output_stream_write_all(out, reply.data(), reply.size(), nullptr, nullptr, nullptr) &&
            !request.headOnly)
            g_output_stream_write_all(out, body.data(), body.size(), nullptr, nullptr, nullptr);
        g_io_stream_close(stream, nullptr, nullptr);
    }

    bool Start() {
        GError* error = nullptr;
        socket =
            g_socket_new(G_SOCKET_FAMILY_IPV4, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, &error);
        GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
        GSocketAddress* address = g_inet_socket_address_new(loopback, 0);
        if (socket) {
            g_socket_set_listen_backlog(socket, 64);
        }
        const bool ok = socket && g_socket_bind(socket, address, FALSE, &error) &&
                        g_socket_listen(socket, &error);
        g_object_unref(address);
        g_object_unref(loopback);
        service = g_threaded_socket_service_new(kServerThreads);
        if (!ok || !g_socket_listener_add_socket(reinterpret_cast<GSocketListener*>(service),
                                                 socket, nullptr, &error)) {
            DebugOutput(std::string("shell: cannot serve the preview: ") +
                        (error ? error->message : "?"));
            g_clear_error(&error);
            return false;
        }
        GSocketAddress* bound = g_socket_get_local_address(socket, nullptr);
        if (!bound)
            return false;
        port = g_inet_socket_address_get_port(reinterpret_cast<GInetSocketAddress*>(bound));
        g_object_unref(bound);
        g_signal_connect_data(
            service, "run", G_CALLBACK(OnRun), new std::shared_ptr<State>(state),
            +[](gpointer data, GClosure*) { delete static_cast<std::shared_ptr<State>*>(data); },
            GConnectFlags(0));
        g_socket_service_start(service);
        return true;
    }

    std::string Origin() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

    ~FolderServer() {
        if (service) {
            g_socket_service_stop(service);
            g_socket_listener_close(reinterpret_cast<GSocketListener*>(service));
        }
        // The listening socket itself is closed here, whoever else still holds it: from now on
        // a connection is refused.
        if (socket) {
            g_socket_close(socket, nullptr);
            g_object_unref(socket);
        }
        if (service)
            g_object_unref(service);
    }
};

namespace {

struct LaunchUnderWay {
    std::string shown;
    std::weak_ptr<IShell::LaunchFailureHandler> failed;
};

void OnLaunched(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<LaunchUnderWay> launch(static_cast<LaunchUnderWay*>(data));
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri_finish(result, &error))
        return;
    const std::string reason = error && error->message ? error->message : "?";
    g_clear_error(&error);
    DebugOutput("shell: cannot open " + launch->shown + ": " + reason);
    if (auto failed = launch->failed.lock(); failed && *failed)
        (*failed)(launch->shown, reason);
}

} // namespace

std::string FileUriForPath(const std::string& path) {
    if (path.empty() || path.front() != '/')
        return {};
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri)
        return {};
    std::string result = uri;
    g_free(uri);
    return result;
}

GtkShell::GtkShell(std::function<bool(const std::string& uri)> launch)
    : m_launch(std::move(launch)), m_launchFailed(std::make_shared<LaunchFailureHandler>()) {}

void GtkShell::SetLaunchFailureHandler(LaunchFailureHandler handler) {
    *m_launchFailed = std::move(handler);
}

bool GtkShell::Launch(const std::string& uri, const std::string& shown) {
    if (uri.empty())
        return false;
    if (m_launch)
        return m_launch(uri);
    DebugOutput("shell: open " + uri);
    g_app_info_launch_default_for_uri_async(uri.c_str(), nullptr, nullptr, OnLaunched,
                                            new LaunchUnderWay{shown, m_launchFailed});
    return true;
}

GtkShell::~GtkShell() {
    StopPreview();
}

void GtkShell::SetPreviewLifetime(std::chrono::seconds lifetime) {
    m_previewLifetime = lifetime;
}

std::string GtkShell::BrowserAddressOf(const std::string& folder) {
    std::string error;
    auto opened = ConfinedFolder::Open(folder, &error);
    if (!opened) {
        DebugOutput("shell: cannot serve the preview: " + error);
        return IShell::BrowserAddressOf(folder);
    }
    if (!m_server) {
        auto server = std::make_unique<FolderServer>();
        if (!server->Start())
            return IShell::BrowserAddressOf(folder);
        m_server = std::move(server);
    }
    std::string prefix = "/" + RandomName() + "/";
    {
        FolderServer::State& state = *m_server->state;
        std::lock_guard<std::mutex> guard(state.lock);
        state.prefix = prefix;
        state.folder = std::make_shared<const ConfinedFolder>(std::move(*opened));
        state.expires = std::chrono::steady_clock::now() + m_previewLifetime;
    }
    // The server goes when the preview's time is up.
    if (m_expiry)
        g_source_remove(m_expiry);
    const auto seconds = std::max<std::chrono::seconds::rep>(1, m_previewLifetime.count());
    m_expiry = g_timeout_add_seconds(
        static_cast<guint>(std::min<std::chrono::seconds::rep>(seconds, G_MAXUINT)),
        +[](gpointer self) {
            auto* shell = static_cast<GtkShell*>(self);
            shell->m_expiry = 0;
            shell->StopPreview();
            return G_SOURCE_REMOVE;
        },
        this);
    RemoveRedirectPages();
    return m_server->Origin() + prefix.substr(1);
}

void GtkShell::StopPreview() {
    if (m_expiry) {
        g_source_remove(m_expiry);
        m_expiry = 0;
    }
    if (m_server)
        DebugOutput("shell: the preview is no longer served");
    m_server.reset();
    RemoveRedirectPages();
}

void GtkShell::RemoveRedirectPages() {
    for (const std::string& page : m_redirectPages)
        ::unlink(page.c_str());
    m_redirectPages.clear();
}

bool GtkShell::OpenPreviewAddress(const std::string& uri) {
    // A program's command line is readable by every local user: the browser gets the address
    // of a page in the user's private folder, which sends it on to the secret one.
    for (char c : uri)
        if (!g_ascii_isalnum(c) && std::string_view(":/.-_%").find(c) == std::string_view::npos)
            return false;
    const std::string folder = GetPreviewFolder();
    if (folder.empty())
        return false;
    const std::string page = folder + "/open-" + RandomName() + ".html";
    const std::string text = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                             "<meta name=\"referrer\" content=\"no-referrer\">"
                             "<meta http-equiv=\"refresh\" content=\"0;url=" +
                             uri +
                             "\"><title>Preview</title>"
                             "<script>location.replace(\"" +
                             uri + "\");</script></head><body></body></html>\n";
    const int fd = ::open(page.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
        ::unlink(page.c_str());
        return false;
    }
    m_redirectPages.push_back(page);
    return Launch(FileUriForPath(page), uri);
}

bool GtkShell::OpenFolder(const std::string& path) {
    if (!DirectoryExists(path))
        return false;
    return Launch(FileUriForPath(path), path);
}

bool GtkShell::OpenDocument(const std::string& path) {
    if (!FileExists(path))
        return false;
    return Launch(FileUriForPath(path), path);
}

bool GtkShell::HasHandlerFor(const std::string& path) {
    // The type as the desktop's launcher sees it: from the name, then from the content.
    GFile* file = g_file_new_for_path(path.c_str());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    g_object_unref(file);
    if (!info)
        return false;
    const char* type = g_file_info_get_content_type(info);
    GAppInfo* handler = type ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
    DebugOutput("shell: " + path + " is " + (type ? type : "?") +
                (handler ? std::string(", opened by ") + g_app_info_get_id(handler)
                         : std::string(", with no program to open it")));
    g_object_unref(info);
    if (!handler)
        return false;
    g_object_unref(handler);
    return true;
}

bool GtkShell::OpenUri(const std::string& uri) {
    // Only web addresses: a file or program address handed in here would run or open
    // something local.
    if (uri.rfind("https://", 0) != 0 && uri.rfind("http://", 0) != 0)
        return false;
    if (m_server && uri.rfind(m_server->Origin(), 0) == 0)
        return OpenPreviewAddress(uri);
    return Launch(uri, uri);
}

void GtkShell::AddToRecentFiles(const std::string& path) {
    const std::string uri = FileUriForPath(path);
    if (uri.empty())
        return;
    if (!gtk_recent_manager_add_item(gtk_recent_manager_get_default(), uri.c_str()))
        DebugOutput("shell: cannot add " + path + " to the recent files");
}

} // namespace pennoria::platform
