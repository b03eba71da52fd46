// The desktop player: Ruffle in a WebKitGTK web view, the player scheme, and the bridge to the
// host.
#include "host/player/WebKitFlashPlayer.h"

#include "core/ProgramPaths.h"
#include "host/player/BridgeMessages.h"
#include "host/player/PlayerScheme.h"
#include "platform/DebugLog.h"

#include <webkit2/webkit2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pennoria {
namespace {

using Clock = std::chrono::steady_clock;

// A request text larger than this is refused (a project text is far smaller).
constexpr gsize kMaxBridgeBody = gsize{64} << 20;

// Fonts given to Ruffle in place of its built-in fallback, which lacks many glyphs.
constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kFontFiles[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf",
                                      "DejaVuSansMono.ttf"};

// One FlashCall: the movie waits in its ExternalInterface.call until the final answer.
struct Conversation {
    std::uint64_t id = 0;
    // The page's synchronous request that waits for our next answer; null while the page runs
    // a movie function for us.
    WebKitURISchemeRequest* pending = nullptr;
    std::optional<std::string> reply;
};

// A call into the movie; shared with late callbacks, which may arrive after the wait gave up.
struct MovieCall {
    bool done = false;
    std::optional<std::string> result;
    std::string error;
};

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json.push_back('\\');
            json.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        } else {
            json.push_back(static_cast<char>(c));
        }
    }
    return json + "\"";
}

std::string ValidUtf8(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
        return text;
    gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(fixed);
    g_free(fixed);
    return result;
}

// The user's languages as tags Ruffle accepts ("de_DE.UTF-8" becomes "de-DE"); "C" and "POSIX"
// are no languages, so English closes the list.
std::vector<std::string> PreferredLanguages() {
    std::vector<std::string> tags;
    for (const gchar* const* name = g_get_language_names(); *name; ++name) {
        std::string tag(*name);
        tag = tag.substr(0, tag.find_first_of(".@"));
        if (tag.empty() || tag == "C" || tag == "POSIX")
            continue;
        for (char& c : tag)
            if (c == '_')
                c = '-';
        bool valid = true;
        for (char c : tag)
            valid = valid && (g_ascii_isalnum(c) || c == '-');
        bool known = false;
        for (const std::string& existing : tags)
            known = known || existing == tag;
        if (valid && !known)
            tags.push_back(tag);
    }
    bool hasEnglish = false;
    for (const std::string& tag : tags)
        hasEnglish = hasEnglish || tag == "en-US";
    if (!hasEnglish)
        tags.push_back("en-US");
    return tags;
}

void FinishWithStream(WebKitURISchemeRequest* request, GInputStream* stream, gint64 length,
                      int status, const char* contentType) {
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, length);
    webkit_uri_scheme_response_set_status(response, static_cast<guint>(status), nullptr);
    webkit_uri_scheme_response_set_content_type(response, contentType);
    // fetch() sees the type only through the headers.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Type", contentType);
    soup_message_headers_append(headers, "Cache-Control", "no-store");
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
}

void FinishText(WebKitURISchemeRequest* request, const std::string& text, int status = 200) {
    GBytes* bytes = g_bytes_new(text.data(), text.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    FinishWithStream(request, stream, static_cast<gint64>(text.size()), status,
                     "text/plain; charset=utf-8");
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

// Finishes a page request held with a reference, and drops the reference.
void FinishPending(WebKitURISchemeRequest*& request, const std::string& text) {
    if (!request)
        return;
    FinishText(request, text);
    g_object_unref(request);
    request = nullptr;
}

bool ReadBody(WebKitURISchemeRequest* request, std::string& body) {
    body.clear();
    GInputStream* stream = webkit_uri_scheme_request_get_http_body(request);
    if (!stream)
        return true;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        gssize count = g_input_stream_read(stream, buffer, sizeof buffer, nullptr, nullptr);
        if (count < 0 || body.size() + static_cast<gsize>(count) > kMaxBridgeBody) {
            ok = false;
            break;
        }
        if (count == 0)
            break;
        body.append(buffer, static_cast<std::size_t>(count));
    }
    g_object_unref(stream);
    return ok;
}

// Runs the main loop until done() holds or the deadline passes; false on the deadline. Everything
// is dispatched meanwhile: input, timers, further page requests.
template <typename Done> bool RunNestedUntil(Done done, Clock::time_point deadline) {
    while (!done()) {
        auto now = Clock::now();
        if (now >= deadline)
            return false;
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        GSource* timer = g_timeout_source_new(static_cast<guint>(remaining.count()) + 1);
        g_source_set_callback(
            timer, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(timer, nullptr);
        g_main_context_iteration(nullptr, TRUE);
        g_source_destroy(timer);
        g_source_unref(timer);
    }
    return true;
}

} // namespace

struct CWebKitFlashPlayer::State {
    CWebKitFlashPlayer* owner = nullptr;
    WebKitPlayerOptions options;
    std::string programFolder;
    std::string pageUrl;
    std::vector<std::string> fontFiles;
    std::string movieFile;
    bool localFilesAllowed = false;

    WebKitWebContext* context = nullptr;
    WebKitWebView* view = nullptr;
    bool alive = true;
    bool pageReady = false;
    bool pageFailed = false;
    std::int32_t version = 0;
    std::string queuedMovieUrl;

    std::vector<std::shared_ptr<Conversation>> conversations; // innermost last
    std::map<std::uint64_t, std::shared_ptr<Conversation>> answeredLate;
    std::map<std::uint64_t, std::shared_ptr<MovieCall>> movieCalls;
    std::uint64_t nextConversation = 1;
    std::uint64_t nextSequence = 1;
    BridgeLog log;

    bool PageUsable() const { return alive && !pageFailed; }

    bool WaitForPage() {
        auto deadline = Clock::now() + std::chrono::milliseconds(options.startTimeoutMs);
        RunNestedUntil([this] { return pageReady || !PageUsable(); }, deadline);
        return pageReady && PageUsable();
    }

    void HandleSchemeRequest(WebKitURISchemeRequest* request);
    void ServeFile(WebKitURISchemeRequest* request, const std::string& encodedPath);
    void HandleBridge(WebKitURISchemeRequest* request);
    void HandleCall(WebKitURISchemeRequest* request, const std::string& invokeText);
    void HandleResult(WebKitURISchemeRequest* request, const PageMessage& message);
    void LoadMovieNow(const std::string& url);
    void AbandonConversations();
};

void CWebKitFlashPlayer::State::HandleSchemeRequest(WebKitURISchemeRequest* request) {
    const char* uri = webkit_uri_scheme_request_get_uri(request);
    GUri* parsed = g_uri_parse(uri, G_URI_FLAGS_ENCODED, nullptr);
    if (!parsed || g_strcmp0(g_uri_get_host(parsed), "player") != 0) {
        if (parsed)
            g_uri_unref(parsed);
        FinishText(request, "unknown host", 404);
        return;
    }
    std::string path = g_uri_get_path(parsed);
    bool isBridge = path == "/" && g_strcmp0(g_uri_get_query(parsed), "bridge") == 0;
    g_uri_unref(parsed);
    const char* method = webkit_uri_scheme_request_get_http_method(request);
    if (isBridge) {
        if (g_strcmp0(method, "POST") != 0)
            FinishText(request, "bridge requests are posted", 405);
        else
            HandleBridge(request);
        return;
    }
    if (method && g_strcmp0(method, "GET") != 0 && g_strcmp0(method, "HEAD") != 0) {
        FinishText(request, "read only", 405);
        return;
    }
    ServeFile(request, path);
}

void CWebKitFlashPlayer::State::ServeFile(WebKitURISchemeRequest* request,
                                          const std::string& encodedPath) {
    SchemeAccessPolicy policy;
    policy.programFolder = programFolder;
    policy.extraFiles = fontFiles;
    if (!movieFile.empty())
        policy.extraFiles.push_back(movieFile);
    policy.localFilesAllowed = localFilesAllowed;
    std::string file;
    SchemeAccess access = ResolveSchemePath(encodedPath, policy, file);
    if (access != SchemeAccess::Granted && kPlayerOrigin + encodedPath == pageUrl) {
        log.Write("pagefailed", "the player page is not installed");
        pageFailed = true;
    }
    switch (access) {
    case SchemeAccess::Granted:
        break;
    case SchemeAccess::BadRequest:
        log.Write("refused", encodedPath);
        FinishText(request, "bad path", 400);
        return;
    case SchemeAccess::Forbidden:
        log.Write("refused", encodedPath);
        FinishText(request, "forbidden", 403);
        return;
    case SchemeAccess::NotFound:
        FinishText(request, "not found", 404);
        return;
    }
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        FinishText(request, "not found", 404);
        return;
    }
    // Served from a read-only mapping: WebKit reads the stream in small pieces, and memory
    // reads keep that cheap for Ruffle's large WebAssembly files.
    GMappedFile* mapped = g_mapped_file_new_from_fd(fd, FALSE, nullptr);
    ::close(fd);
    if (!mapped) {
        FinishText(request, "not readable", 404);
        return;
    }
    GBytes* bytes = g_mapped_file_get_bytes(mapped);
    g_mapped_file_unref(mapped);
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    FinishWithStream(request, stream, static_cast<gint64>(g_bytes_get_size(bytes)), 200,
                     MimeTypeForPath(file));
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

void CWebKitFlashPlayer::State::HandleBridge(WebKitURISchemeRequest* request) {
    std::string body;
    if (!ReadBody(request, body)) {
        FinishText(request, "request too large", 413);
        return;
    }
    PageMessage message = ParsePageMessage(body);
    switch (message.kind) {
    case PageMessage::Kind::Ready:
        FinishText(request, "ok");
        if (!pageReady && !pageFailed) {
            pageReady = true;
            version = message.version;
            log.Write("ready", std::to_string(version));
            if (!queuedMovieUrl.empty()) {
                LoadMovieNow(queuedMovieUrl);
                queuedMovieUrl.clear();
            }
        }
        return;
    case PageMessage::Kind::Failed:
        FinishText(request, "ok");
        log.Write(pageReady ? "moviefailed" : "pagefailed", message.payload);
        platform::DebugOutput("player: " + message.payload);
        if (!pageReady)
            pageFailed = true;
        return;
    case PageMessage::Kind::Loaded:
        FinishText(request, "ok");
        log.Write("loaded", message.payload);
        return;
    case PageMessage::Kind::Log:
        FinishText(request, "ok");
        log.Write("page", message.payload);
        return;
    case PageMessage::Kind::Call:
        HandleCall(request, message.payload);
        return;
    case PageMessage::Kind::Result:
        HandleResult(request, message);
        return;
    case PageMessage::Kind::Invalid:
        break;
    }
    log.Write("invalid", body.substr(0, 200));
    FinishText(request, "invalid bridge message", 400);
}

void CWebKitFlashPlayer::State::HandleCall(WebKitURISchemeRequest* request,
                                           const std::string& invokeText) {
    auto conversation = std::make_shared<Conversation>();
    conversation->id = nextConversation++;
    conversation->pending = WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request));
    conversations.push_back(conversation);
    log.Write("request", invokeText);
    if (owner) {
        try {
            owner->RaiseFlashCall(invokeText);
        } catch (const std::exception& error) {
            log.Write("handlererror", error.what());
            conversation->reply.reset();
        } catch (...) {
            log.Write("handlererror");
            conversation->reply.reset();
        }
    }
    for (auto it = conversations.begin(); it != conversations.end(); ++it)
        if (*it == conversation) {
            conversations.erase(it);
            break;
        }
    if (conversation->reply)
        log.Write("reply", *conversation->reply);
    else
        log.Write("noreply");
    if (conversation->pending)
        FinishPending(conversation->pending, FormatReplyAnswer(conversation->reply));
    else if (alive)
        answeredLate[conversation->id] = conversation; // the page still runs a movie function
}

void CWebKitFlashPlayer::State::HandleResult(WebKitURISchemeRequest* request,
                                             const PageMessage& message) {
    auto call = movieCalls.find(message.sequence);
    if (call != movieCalls.end()) {
        call->second->done = true;
        if (message.ok)
            call->second->result = message.payload;
        else
            call->second->error = message.payload;
        movieCalls.erase(call);
    } else {
        log.Write("lateresult", std::to_string(message.sequence));
    }
    for (auto& conversation : conversations)
        if (conversation->id == message.conversation) {
            FinishPending(conversation->pending, FormatReplyAnswer(std::nullopt));
            conversation->pending = WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request));
            return;
        }
    auto late = answeredLate.find(message.conversation);
    if (late != answeredLate.end()) {
        FinishText(request, FormatReplyAnswer(late->second->reply));
        answeredLate.erase(late);
        return;
    }
    FinishText(request, FormatReplyAnswer(std::nullopt));
}

void CWebKitFlashPlayer::State::LoadMovieNow(const std::string& url) {
    GVariantBuilder arguments;
    g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&arguments, "{sv}", "url", g_variant_new_string(ValidUtf8(url).c_str()));
    webkit_web_view_call_async_javascript_function(
        view, "pennoriaLoadMovie(url);", -1, g_variant_builder_end(&arguments), nullptr, nullptr,
        nullptr,
        [](GObject* source, GAsyncResult* result, gpointer) {
            GError* error = nullptr;
            JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
                WEBKIT_WEB_VIEW(source), result, &error);
            if (value)
                g_object_unref(value);
            if (error) {
                platform::DebugOutput(std::string("player: the movie cannot be loaded: ") +
                                      error->message);
                g_error_free(error);
            }
        },
        nullptr);
}

void CWebKitFlashPlayer::State::AbandonConversations() {
    for (auto& conversation : conversations)
        FinishPending(conversation->pending, FormatReplyAnswer(std::nullopt));
    answeredLate.clear();
    for (auto& call : movieCalls)
        call.second->error = "the player is gone";
}

CWebKitFlashPlayer::CWebKitFlashPlayer(WebKitPlayerOptions options)
    : m_state(std::make_shared<State>()) {
    State& s = *m_state;
    s.owner = this;
    s.options = std::move(options);
    s.programFolder =
        s.options.programFolder.empty() ? GetProgramFolder() : s.options.programFolder;
    if (s.programFolder.empty() || s.programFolder.back() != '/')
        s.programFolder.push_back('/');
    s.pageUrl = MakePlayerUrl(s.programFolder + "player/player.html");

    std::string fontSources;
    for (const char* name : kFontFiles) {
        std::string path = std::string(kFontFolder) + name;
        if (::access(path.c_str(), R_OK) != 0)
            continue;
        s.fontFiles.push_back(path);
        fontSources += (fontSources.empty() ? "" : ",") + JsonString(MakePlayerUrl(path));
    }
    std::string script = "window.pennoriaPlayerConfig = {bridgeUrl: " + JsonString(kBridgeUrl) +
                         ", fontSources: [" + fontSources +
                         "], defaultFonts: {sans: [\"DejaVu Sans\"], serif: [\"DejaVu Serif\"], "
                         "typewriter: [\"DejaVu Sans Mono\"]}};";

    s.context = webkit_web_context_new_ephemeral();
    std::vector<std::string> languages = PreferredLanguages();
    std::vector<const gchar*> languageList;
    for (const std::string& tag : languages)
        languageList.push_back(tag.c_str());
    languageList.push_back(nullptr);
    webkit_web_context_set_preferred_languages(s.context, languageList.data());
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(s.context);
    webkit_security_manager_register_uri_scheme_as_secure(security, kPlayerScheme);
    webkit_web_context_register_uri_scheme(
        s.context, kPlayerScheme,
        [](WebKitURISchemeRequest* request, gpointer data) {
            std::shared_ptr<State> state = static_cast<std::weak_ptr<State>*>(data)->lock();
            if (!state || !state->alive) {
                FinishText(request, "the player is gone", 410);
                return;
            }
            state->HandleSchemeRequest(request);
        },
        new std::weak_ptr<State>(m_state),
        [](gpointer data) { delete static_cast<std::weak_ptr<State>*>(data); });

    WebKitUserContentManager* content = webkit_user_content_manager_new();
    WebKitUserScript* config =
        webkit_user_script_new(script.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(content, config);
    webkit_user_script_unref(config);

    WebKitSettings* settings = webkit_settings_new();
    webkit_settings_set_enable_javascript(settings, TRUE);
    webkit_settings_set_media_playback_requires_user_gesture(settings, FALSE);
    webkit_settings_set_enable_back_forward_navigation_gestures(settings, FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    if (const char* console = std::getenv("PENNORIA_PLAYER_CONSOLE"); console && *console == '1')
        webkit_settings_set_enable_write_console_messages_to_stdout(settings, TRUE);

    s.view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", s.context,
                                          "user-content-manager", content, "settings", settings,
                                          nullptr));
    g_object_ref_sink(s.view);
    g_object_unref(content);
    g_object_unref(settings);
    gtk_widget_set_can_focus(GTK_WIDGET(s.view), TRUE);

    State* raw = m_state.get();
    g_signal_connect(
        s.view, "decide-policy",
        G_CALLBACK(+[](WebKitWebView*, WebKitPolicyDecision* decision,
                       WebKitPolicyDecisionType type, gpointer data) -> gboolean {
            auto* state = static_cast<State*>(data);
            if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE)
                return FALSE;
            std::string uri;
            WebKitNavigationAction* action =
                webkit_navigation_policy_decision_get_navigation_action(
                    WEBKIT_NAVIGATION_POLICY_DECISION(decision));
            if (const char* target =
                    webkit_uri_request_get_uri(webkit_navigation_action_get_request(action)))
                uri = target;
            std::string page = uri.substr(0, uri.find('#'));
            if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && page == state->pageUrl) {
                webkit_policy_decision_use(decision);
            } else {
                state->log.Write("navigationrefused", uri);
                webkit_policy_decision_ignore(decision);
            }
            return TRUE;
        }),
        raw);
    g_signal_connect(s.view, "context-menu",
                     G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                    WebKitHitTestResult*, gpointer) -> gboolean { return TRUE; }),
                     nullptr);
    g_signal_connect(s.view, "load-failed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                    gpointer data) -> gboolean {
                         auto* state = static_cast<State*>(data);
                         if (g_strcmp0(uri, state->pageUrl.c_str()) == 0 && !state->pageReady) {
                             state->pageFailed = true;
                             state->log.Write("pagefailed", error ? error->message : "");
                         }
                         return FALSE;
                     }),
                     raw);
    g_signal_connect(
        s.view, "web-process-terminated",
        G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason, gpointer data) {
            auto* state = static_cast<State*>(data);
            state->log.Write("pagefailed", "the web process ended");
            platform::DebugOutput("player: the web process ended");
            state->pageFailed = true;
            state->pageReady = false;
        }),
        raw);

    webkit_web_view_load_uri(s.view, s.pageUrl.c_str());
}

CWebKitFlashPlayer::~CWebKitFlashPlayer() {
    State& s = *m_state;
    s.alive = false;
    s.owner = nullptr;
    s.AbandonConversations();
    g_signal_handlers_disconnect_by_data(s.view, m_state.get());
    webkit_web_view_stop_loading(s.view);
    if (GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(s.view)))
        gtk_container_remove(GTK_CONTAINER(parent), GTK_WIDGET(s.view));
    g_object_unref(s.view);
    g_object_unref(s.context);
}

GtkWidget* CWebKitFlashPlayer::Widget() const {
    return GTK_WIDGET(m_state->view);
}

void CWebKitFlashPlayer::SetMovie(const std::string& moviePathOrUrl) {
    State& s = *m_state;
    std::string url;
    if (!moviePathOrUrl.empty() && moviePathOrUrl[0] == '/') {
        s.movieFile = moviePathOrUrl;
        url = MakePlayerUrl(moviePathOrUrl);
    } else if (moviePathOrUrl.find("://") != std::string::npos) {
        url = moviePathOrUrl;
    } else {
        s.movieFile = s.programFolder + moviePathOrUrl;
        url = MakePlayerUrl(s.movieFile);
    }
    s.log.Write("movie", url);
    if (s.pageReady)
        s.LoadMovieNow(url);
    else
        s.queuedMovieUrl = url;
}

std::int32_t CWebKitFlashPlayer::GetFlashVersion() {
    std::shared_ptr<State> s = m_state;
    return s->WaitForPage() ? s->version : 0;
}

void CWebKitFlashPlayer::DisableLocalSecurity() {
    m_state->localFilesAllowed = true;
}

std::optional<std::string> CWebKitFlashPlayer::CallEditor(const std::string& invokeText) {
    std::shared_ptr<State> s = m_state;
    s->log.Write("hostcall", invokeText);
    if (!s->WaitForPage()) {
        s->log.Write("hosterror", "the player page is not running");
        return std::nullopt;
    }
    auto call = std::make_shared<MovieCall>();
    std::uint64_t sequence = s->nextSequence++;
    auto deadline = Clock::now() + std::chrono::milliseconds(s->options.callTimeoutMs);
    bool sent = false;
    while (!sent && s->PageUsable()) {
        if (s->conversations.empty()) {
            // No request of the movie is outstanding: run the function through the page's API.
            GVariantBuilder arguments;
            g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
            g_variant_builder_add(&arguments, "{sv}", "text",
                                  g_variant_new_string(ValidUtf8(invokeText).c_str()));
            webkit_web_view_call_async_javascript_function(
                s->view, "return pennoriaCallMovie(text);", -1, g_variant_builder_end(&arguments),
                nullptr, nullptr, nullptr,
                [](GObject* source, GAsyncResult* result, gpointer data) {
                    std::unique_ptr<std::shared_ptr<MovieCall>> shared(
                        static_cast<std::shared_ptr<MovieCall>*>(data));
                    MovieCall& done = **shared;
                    GError* error = nullptr;
                    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
                        WEBKIT_WEB_VIEW(source), result, &error);
                    done.done = true;
                    if (!value) {
                        done.error = error ? error->message : "the call failed";
                    } else {
                        std::string text;
                        if (jsc_value_is_string(value)) {
                            gchar* raw = jsc_value_to_string(value);
                            text = raw;
                            g_free(raw);
                        }
                        if (text.compare(0, 3, "ok\n") == 0)
                            done.result = text.substr(3);
                        else
                            done.error = text.compare(0, 6, "error\n") == 0 ? text.substr(6) : text;
                        g_object_unref(value);
                    }
                    if (error)
                        g_error_free(error);
                },
                new std::shared_ptr<MovieCall>(call));
            sent = true;
        } else if (auto conversation = s->conversations.back(); conversation->pending) {
            // The movie waits in a call: hand the page the function to run as the next answer.
            s->movieCalls[sequence] = call;
            FinishPending(conversation->pending,
                          FormatCallMovieAnswer(conversation->id, sequence, invokeText));
            sent = true;
        } else if (!RunNestedUntil(
                       [&] {
                           return !s->PageUsable() || s->conversations.empty() ||
                                  s->conversations.back()->pending != nullptr;
                       },
                       deadline)) {
            // The page runs a movie function for an outer call; we wait for it to come back.
            break;
        }
    }
    if (sent)
        RunNestedUntil([&] { return call->done || !s->PageUsable(); }, deadline);
    s->movieCalls.erase(sequence);
    if (call->result) {
        s->log.Write("hostresult", *call->result);
        return call->result;
    }
    s->log.Write("hosterror",
                 call->done ? call->error : (s->PageUsable() ? "timed out" : "the player is gone"));
    return std::nullopt;
}

void CWebKitFlashPlayer::SetReturnValue(const std::string& reply) {
    if (m_state->conversations.empty()) {
        m_state->log.Write("strayreply", reply);
        return;
    }
    m_state->conversations.back()->reply = reply;
}

bool CWebKitFlashPlayer::IsHandlingRequest() const {
    return !m_state->conversations.empty();
}

} // namespace pennoria
