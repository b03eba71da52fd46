// Shell "open" through GIO's default handlers, launched asynchronously.
#include "platform/gtk/GtkShell.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <gio/gio.h>

#include <mutex>

namespace pennoria::platform {

namespace {

constexpr std::size_t kMaxRequestHead = 8192;
constexpr std::uint64_t kMaxServedFile = std::uint64_t{64} << 20;

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

// The path of a request target below prefix, percent-decoded; empty when it is not below it or
// would leave it ("..", a zero byte, a query).
std::string PathBelow(const std::string& target, const std::string& prefix) {
    if (target.rfind(prefix, 0) != 0)
        return {};
    std::string path;
    for (std::size_t i = prefix.size(); i < target.size(); ++i) {
        char c = target[i];
        if (c == '?' || c == '#')
            break;
        if (c == '%' && i + 2 < target.size() && HexDigit(target[i + 1]) >= 0 &&
            HexDigit(target[i + 2]) >= 0) {
            c = static_cast<char>(HexDigit(target[i + 1]) * 16 + HexDigit(target[i + 2]));
            i += 2;
        }
        if (c == '\0' || c == '\\')
            return {};
        path += c;
    }
    if (path.empty() || path.back() == '/')
        path += "index.html";
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0 || end == start)
            return {};
        start = end + 1;
    }
    return path;
}

} // namespace

struct GtkShell::FolderServer {
    GSocketService* service = nullptr;
    std::string prefix; // "/<random>/"
    int port = 0;
    std::mutex lock;
    std::string folder; // ends in '/'

    static gboolean OnRun(GThreadedSocketService*, GSocketConnection* connection, GObject*,
                          gpointer data) {
        static_cast<FolderServer*>(data)->Answer(connection);
        return FALSE;
    }

    void Answer(GSocketConnection* connection) {
        GIOStream* stream = reinterpret_cast<GIOStream*>(connection);
        GInputStream* in = g_io_stream_get_input_stream(stream);
        GOutputStream* out = g_io_stream_get_output_stream(stream);
        std::string head;
        char buffer[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead) {
            gssize n = g_input_stream_read(in, buffer, sizeof buffer, nullptr, nullptr);
            if (n <= 0)
                return;
            head.append(buffer, static_cast<std::size_t>(n));
        }
        std::string status = "404 Not Found", type = "text/plain", body = "not found";
        const std::size_t space = head.find(' ');
        const std::size_t end = space == std::string::npos ? space : head.find(' ', space + 1);
        if (head.compare(0, 4, "GET ") == 0 && end != std::string::npos) {
            const std::string path = PathBelow(head.substr(space + 1, end - space - 1), prefix);
            std::string root;
            {
                std::lock_guard<std::mutex> guard(lock);
                root = folder;
            }
            if (!path.empty() && !root.empty() && FileExists(root + path)) {
                if (auto data = ReadWholeFile(root + path, nullptr, kMaxServedFile)) {
                    status = "200 OK";
                    type = ContentType(path);
                    body = std::move(*data);
                }
            }
        }
        const std::string reply = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                                  "\r\nContent-Length: " + std::to_string(body.size()) +
                                  "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
        if (g_output_stream_write_all(out, reply.data(), reply.size(), nullptr, nullptr, nullptr))
            g_output_stream_write_all(out, body.data(), body.size(), nullptr, nullptr, nullptr);
        g_io_stream_close(stream, nullptr, nullptr);
    }

    bool Start() {
        service = g_threaded_socket_service_new(4);
        GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
        GSocketAddress* address = g_inet_socket_address_new(loopback, 0);
        GSocketAddress* bound = nullptr;
        GError* error = nullptr;
        const bool ok = g_socket_listener_add_address(
            reinterpret_cast<GSocketListener*>(service), address, G_SOCKET_TYPE_STREAM,
            G_SOCKET_PROTOCOL_TCP, nullptr, &bound, &error);
        g_object_unref(address);
        g_object_unref(loopback);
        if (!ok) {
            DebugOutput(std::string("shell: cannot serve the preview: ") +
                        (error ? error->message : "?"));
            g_clear_error(&error);
            return false;
        }
        port = g_inet_socket_address_get_port(reinterpret_cast<GInetSocketAddress*>(bound));
        g_object_unref(bound);
        gchar* secret = g_uuid_string_random();
        prefix = std::string("/") + secret + "/";
        g_free(secret);
        g_signal_connect(service, "run", G_CALLBACK(OnRun), this);
        g_socket_service_start(service);
        return true;
    }

    ~FolderServer() {
        if (service) {
            g_socket_service_stop(service);
            g_socket_listener_close(reinterpret_cast<GSocketListener*>(service));
            g_object_unref(service);
        }
    }
};

namespace {

void OnLaunched(GObject*, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    std::string* uri = static_cast<std::string*>(data);
    if (!g_app_info_launch_default_for_uri_finish(result, &error)) {
        DebugOutput("shell: cannot open " + *uri + ": " + (error ? error->message : "?"));
        g_clear_error(&error);
    }
    delete uri;
}

bool Launch(const std::string& uri) {
    if (uri.empty())
        return false;
    DebugOutput("shell: open " + uri);
    g_app_info_launch_default_for_uri_async(uri.c_str(), nullptr, nullptr, OnLaunched,
                                            new std::string(uri));
    return true;
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

GtkShell::GtkShell() = default;
GtkShell::~GtkShell() = default;

std::string GtkShell::BrowserAddressOf(const std::string& folder) {
    if (!m_server) {
        auto server = std::make_unique<FolderServer>();
        if (!server->Start())
            return IShell::BrowserAddressOf(folder);
        m_server = std::move(server);
    }
    {
        std::lock_guard<std::mutex> guard(m_server->lock);
        m_server->folder = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    }
    return "http://127.0.0.1:" + std::to_string(m_server->port) + m_server->prefix;
}

bool GtkShell::OpenFolder(const std::string& path) {
    if (!DirectoryExists(path))
        return false;
    return Launch(FileUriForPath(path));
}

bool GtkShell::OpenDocument(const std::string& path) {
    if (!FileExists(path))
        return false;
    return Launch(FileUriForPath(path));
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
    return Launch(uri);
}

} // namespace pennoria::platform
