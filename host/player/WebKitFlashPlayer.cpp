// The desktop player: Ruffle in a WebKitGTK web view, the player scheme, and the bridge to the
// host.
#include "host/player/WebKitFlashPlayer.h"

#include "core/ProgramPaths.h"
#include "host/player/BridgeMessages.h"
#include "host/player/GlibPtr.h"
#include "host/player/PlayerConversations.h"
#include "host/player/PlayerScheme.h"
#include "platform/DebugLog.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace pennoria {
namespace {

using Clock = std::chrono::steady_clock;
using glib::GBytesPtr;
using glib::GCharPtr;
using glib::GErrorPtr;
using glib::GObjectPtr;

// A request text larger than this is refused (a project text is far smaller).
constexpr gsize kMaxBridgeBody = gsize{64} << 20;
// A served file larger than this is refused (Ruffle's largest file is 14 MB).
constexpr std::size_t kMaxServedFile = std::size_t{512} << 20;

// Fonts given to Ruffle in place of its built-in fallback, which lacks many glyphs. The editor
// writes everything in the device font "_sans", regular and bold, so only those two faces are
// loaded (each costs start-up time); "_serif" and "_typewriter" fall back to them.
constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kFontFiles[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"};

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
    GCharPtr fixed(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    return fixed.get();
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

void FinishWithBytes(WebKitURISchemeRequest* request, GBytes* bytes, int status,
                     const char* contentType) {
    GObjectPtr<GInputStream> stream(g_memory_input_stream_new_from_bytes(bytes));
    GObjectPtr<WebKitURISchemeResponse> response(
        webkit_uri_scheme_response_new(stream.get(), static_cast<gint64>(g_bytes_get_size(bytes))));
    webkit_uri_scheme_response_set_status(response.get(), static_cast<guint>(status), nullptr);
    webkit_uri_scheme_response_set_content_type(response.get(), contentType);
    // fetch() sees the type only through the headers.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Type", contentType);
    soup_message_headers_append(headers, "Cache-Control", "no-store");
    webkit_uri_scheme_response_set_http_headers(response.get(), headers);
    webkit_uri_scheme_request_finish_with_response(request, response.get());
}

void FinishText(WebKitURISchemeRequest* request, const std::string& text, int status = 200) {
    GBytesPtr bytes(g_bytes_new(text.data(), text.size()));
    FinishWithBytes(request, bytes.get(), status, "text/plain; charset=utf-8");
}

// Bytes that own a string's buffer, so a file read into memory is handed on without a copy.
GBytesPtr BytesTaking(std::string&& contents) {
    auto* owned = new std::string(std::move(contents));
    return GBytesPtr(g_bytes_new_with_free_func(
        owned->data(), owned->size(), [](gpointer data) { delete static_cast<std::string*>(data); },
        owned));
}

// The answer to a page request that waits: holds a reference until it is finished.
CPlayerConversations::Answer AnswerFor(WebKitURISchemeRequest* request) {
    auto held = std::make_shared<GObjectPtr<WebKitURISchemeRequest>>(glib::Ref(request));
    return [held](const std::string& text) { FinishText(held->get(), text); };
}

bool ReadBody(WebKitURISchemeRequest* request, std::string& body) {
    body.clear();
    GObjectPtr<GInputStream> stream(webkit_uri_scheme_request_get_http_body(request));
    if (!stream)
        return true;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        gssize count = g_input_stream_read(stream.get(), buffer, sizeof buffer, nullptr, nullptr);
        if (count < 0 || body.size() + static_cast<gsize>(count) > kMaxBridgeBody) {
            ok = false;
            break;
        }
        if (count == 0)
            break;
        body.append(buffer, static_cast<std::size_t>(count));
    }
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
        glib::GSourcePtr timer(g_timeout_source_new(static_cast<guint>(remaining.count()) + 1));
        g_source_set_callback(
            timer.get(), [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(timer.get(), nullptr);
        g_main_context_iteration(nullptr, TRUE);
    }
    return true;
}

// The page's hooks for the tests (a key that stops the movie's script), only where the test's
// environment asks for them.
bool TestHooksWanted() {
    const char* hooks = std::getenv("PENNORIA_TEST_HOOKS");
    return hooks && *hooks == '1';
}

struct EventFree {
    void operator()(GdkEvent* event) const {
        if (event)
            gdk_event_free(event);
    }
};
using GdkEventPtr = std::unique_ptr<GdkEvent, EventFree>;

// The modifier a key holds while it is down; 0 for other keys. Caps Lock is left out: it toggles,
// so its mask says nothing about the key being down.
GdkModifierType ModifierOfKey(guint keyval) {
    switch (keyval) {
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
        return GDK_CONTROL_MASK;
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R:
        return GDK_SHIFT_MASK;
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R:
    case GDK_KEY_Meta_L:
    case GDK_KEY_Meta_R:
        return GDK_MOD1_MASK;
    case GDK_KEY_Super_L:
    case GDK_KEY_Super_R:
        return GDK_SUPER_MASK;
    case GDK_KEY_ISO_Level3_Shift:
        return GDK_MOD5_MASK;
    default:
        return static_cast<GdkModifierType>(0);
    }
}

} // namespace

struct CWebKitFlashPlayer::State {
    CWebKitFlashPlayer* owner = nullptr;
    WebKitPlayerOptions options;
    std::string programFolder;
    std::string pageUrl;
    std::vector<std::string> fontFiles;
    std::string movieFile;
    std::vector<std::string> chosenFiles;
    bool localFilesAllowed = false;

    GObjectPtr<WebKitWebContext> context;
    GObjectPtr<WebKitWebView> view;
    GObjectPtr<GtkWidget> holder; // holds the view when it is made after construction
    bool alive = true;
    bool pageReady = false;
    bool pageFailed = false;
    bool shown = false;
    bool upSinceLoad = false; // the first frame shown since the page was last loaded
    int callsWaited = 0;      // calls of the host into the movie being waited for
    std::string movieUrl;
    std::int32_t version = 0;
    std::string queuedMovieUrl;
    std::function<void()> onShown;
    std::string flashVars;

    // The keys the view was given a press of and no release yet, in the order pressed.
    std::vector<GdkEventPtr> heldKeys;

    BridgeLog log;
    std::unique_ptr<CPlayerConversations> talks = std::make_unique<CPlayerConversations>(log);
    std::vector<std::unique_ptr<CPlayerConversations>> retiredTalks;
    CPlayerConversations& conversations() { return *talks; }

    bool PageUsable() const { return alive && !pageFailed; }

    bool WaitForPage() {
        auto deadline = Clock::now() + std::chrono::milliseconds(options.startTimeoutMs);
        RunNestedUntil([this] { return pageReady || !PageUsable(); }, deadline);
        return pageReady && PageUsable();
    }

    // Construction, in order.
    void ChooseFiles();
    std::string ConfigScript() const;
    void CreateContext(const std::shared_ptr<State>& self);
    void CreateView(const std::string& configScript);
    void ConnectViewSignals();
    bool NoteKey(const GdkEventKey& event);
    void ReleaseKeysLetGoElsewhere();

    void HandleSchemeRequest(WebKitURISchemeRequest* request);
    void ServeFile(WebKitURISchemeRequest* request, const std::string& encodedPath);
    void HandleBridge(WebKitURISchemeRequest* request);
    void LoadMovieNow(const std::string& url);
    void RunThroughPage(const std::string& invokeText, std::shared_ptr<MovieCall> call);
    void AllowChosen(const std::string& path);
};

void CWebKitFlashPlayer::State::ChooseFiles() {
    programFolder = options.programFolder.empty() ? GetProgramFolder() : options.programFolder;
    if (programFolder.empty() || programFolder.back() != '/')
        programFolder.push_back('/');
    pageUrl = MakePlayerUrl(programFolder + "player/player.html");
    for (const char* name : kFontFiles) {
        std::string path = std::string(kFontFolder) + name;
        if (::access(path.c_str(), R_OK) == 0)
            fontFiles.push_back(path);
    }
}

std::string CWebKitFlashPlayer::State::ConfigScript() const {
    std::string fontSources;
    for (const std::string& path : fontFiles)
        fontSources += (fontSources.empty() ? "" : ",") + JsonString(MakePlayerUrl(path));
    return "window.pennoriaPlayerConfig = {bridgeUrl: " + JsonString(kBridgeUrl) +
           ", renderer: " + JsonString(options.renderer) +
           ", testHooks: " + (TestHooksWanted() ? "true" : "false") + ", fontSources: [" +
           fontSources +
           "], defaultFonts: {sans: [\"DejaVu Sans\"], serif: [\"DejaVu Sans\"], "
           "typewriter: [\"DejaVu Sans\"]}};";
}

void CWebKitFlashPlayer::State::CreateContext(const std::shared_ptr<State>& self) {
    context.reset(webkit_web_context_new_ephemeral());
    std::vector<std::string> languages = PreferredLanguages();
    std::vector<const gchar*> languageList;
    for (const std::string& tag : languages)
        languageList.push_back(tag.c_str());
    languageList.push_back(nullptr);
    webkit_web_context_set_preferred_languages(context.get(), languageList.data());
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context.get());
    webkit_security_manager_register_uri_scheme_as_secure(security, kPlayerScheme);
    webkit_web_context_register_uri_scheme(
        context.get(), kPlayerScheme,
        [](WebKitURISchemeRequest* request, gpointer data) {
            std::shared_ptr<State> state = static_cast<std::weak_ptr<State>*>(data)->lock();
            if (!state || !state->alive) {
                FinishText(request, "the player is gone", 410);
                return;
            }
            state->HandleSchemeRequest(request);
        },
        new std::weak_ptr<State>(self),
        [](gpointer data) { delete static_cast<std::weak_ptr<State>*>(data); });
}

void CWebKitFlashPlayer::State::CreateView(const std::string& configScript) {
    GObjectPtr<WebKitUserContentManager> content(webkit_user_content_manager_new());
    WebKitUserScript* config =
        webkit_user_script_new(configScript.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(content.get(), config);
    webkit_user_script_unref(config);

    GObjectPtr<WebKitSettings> settings(webkit_settings_new());
    webkit_settings_set_enable_javascript(settings.get(), TRUE);
    webkit_settings_set_media_playback_requires_user_gesture(settings.get(), FALSE);
    webkit_settings_set_enable_back_forward_navigation_gestures(settings.get(), FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(settings.get(), FALSE);
    if (const char* console = std::getenv("PENNORIA_PLAYER_CONSOLE"); console && *console == '1')
        webkit_settings_set_enable_write_console_messages_to_stdout(settings.get(), TRUE);

    view.reset(WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(),
                                            "user-content-manager", content.get(), "settings",
                                            settings.get(), nullptr)));
    g_object_ref_sink(view.get()); // the floating reference becomes ours
    gtk_widget_set_can_focus(GTK_WIDGET(view.get()), TRUE);
}

void CWebKitFlashPlayer::State::ConnectViewSignals() {
    g_signal_connect(
        view.get(), "decide-policy",
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
        this);
    // Keys are noted before the view hands them to the page (the signal runs its class handler
    // last), and the ones let go while another window had the keyboard are let go on return.
    auto noteKey = +[](GtkWidget*, GdkEventKey* event, gpointer data) -> gboolean {
        return static_cast<State*>(data)->NoteKey(*event) ? FALSE : TRUE;
    };
    g_signal_connect(view.get(), "key-press-event", G_CALLBACK(noteKey), this);
    g_signal_connect(view.get(), "key-release-event", G_CALLBACK(noteKey), this);
    g_signal_connect(view.get(), "focus-in-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventFocus*, gpointer data) -> gboolean {
                         static_cast<State*>(data)->ReleaseKeysLetGoElsewhere();
                         return FALSE;
                     }),
                     this);
    g_signal_connect(view.get(), "context-menu",
                     G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                    WebKitHitTestResult*, gpointer) -> gboolean { return TRUE; }),
                     nullptr);
    g_signal_connect(view.get(), "load-failed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                    gpointer data) -> gboolean {
                         auto* state = static_cast<State*>(data);
                         if (g_strcmp0(uri, state->pageUrl.c_str()) == 0 && !state->pageReady) {
                             state->pageFailed = true;
                             state->log.Write("pagefailed", error ? error->message : "");
                         }
                         return FALSE;
                     }),
                     this);
    g_signal_connect(
        view.get(), "web-process-terminated",
        G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer data) {
            auto* state = static_cast<State*>(data);
            if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API)
                return; // ours, on the way to starting the page again
            state->log.Write("pagefailed", "the web process ended");
            platform::DebugOutput("player: the web process ended");
            state->pageFailed = true;
            state->pageReady = false;
        }),
        this);
}

// Whether the page is to be given the key. A key held down repeats; the repeats that come while
// the movie waits for the host (a box the key opened, say) would all reach it at once afterwards
// and do the key's command again, so they are dropped.
bool CWebKitFlashPlayer::State::NoteKey(const GdkEventKey& event) {
    auto same = std::find_if(heldKeys.begin(), heldKeys.end(), [&event](const GdkEventPtr& held) {
        return held->key.hardware_keycode == event.hardware_keycode;
    });
    const bool repeat = event.type == GDK_KEY_PRESS && same != heldKeys.end();
    if (repeat && conversations().IsHandlingRequest())
        return false;
    if (same != heldKeys.end())
        heldKeys.erase(same);
    if (event.type == GDK_KEY_PRESS)
        heldKeys.emplace_back(gdk_event_copy(reinterpret_cast<const GdkEvent*>(&event)));
    return true;
}

// A key pressed in the view and let go while a dialog (or another program) had the keyboard never
// reaches the page as let go: the player would go on holding it, and a Ctrl or Shift held that way
// turns the next keys into other commands (Ctrl+S into Save As). When the view has the keyboard
// again, the page is given the release of every such key, as WebKit gives any other, latest
// pressed first. A modifier still held down stays held; any other key still down repeats.
void CWebKitFlashPlayer::State::ReleaseKeysLetGoElsewhere() {
    if (heldKeys.empty() || !view)
        return;
    GtkWidget* widget = GTK_WIDGET(view.get());
    const guint down =
        gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(gtk_widget_get_display(widget)));
    std::vector<GdkEventPtr> released;
    for (auto it = heldKeys.begin(); it != heldKeys.end();) {
        const GdkModifierType modifier = ModifierOfKey((*it)->key.keyval);
        if (modifier != 0 && (down & modifier) != 0) {
            ++it;
            continue;
        }
        released.push_back(std::move(*it));
        it = heldKeys.erase(it);
    }
    for (auto it = released.rbegin(); it != released.rend(); ++it) {
        GdkEvent* release = it->get();
        // The press's window, device and key, now let go.
        if (!release->key.window || !gdk_window_is_viewable(release->key.window))
            continue;
        release->key.type = GDK_KEY_RELEASE;
        release->key.send_event = TRUE;
        release->key.state = static_cast<GdkModifierType>(release->key.state | down);
        const char* name = gdk_keyval_name(release->key.keyval);
        log.Write("keyreleased", name ? name : "");
        gtk_widget_event(widget, release);
    }
}

void CWebKitFlashPlayer::State::HandleSchemeRequest(WebKitURISchemeRequest* request) {
    const char* uri = webkit_uri_scheme_request_get_uri(request);
    glib::GUriPtr parsed(g_uri_parse(uri, G_URI_FLAGS_ENCODED, nullptr));
    if (!parsed || g_strcmp0(g_uri_get_host(parsed.get()), "player") != 0) {
        FinishText(request, "unknown host", 404);
        return;
    }
    std::string path = g_uri_get_path(parsed.get());
    bool isBridge = path == "/" && g_strcmp0(g_uri_get_query(parsed.get()), "bridge") == 0;
    parsed.reset();
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
    policy.chosenFiles = chosenFiles;
    policy.localFilesAllowed = localFilesAllowed;
    std::string file;
    SchemeAccess access = ResolveSchemePath(encodedPath, policy, file);
    if (access != SchemeAccess::Granted && kPlayerOrigin + encodedPath == pageUrl) {
        log.Write("pagefailed", "the player page is not installed");
        pageFailed = true;
    }
    switch (access) {
    case SchemeAccess::Granted:
        log.Write("serve", file);
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
    // Read whole into memory: a mapping would fault if another program truncated the file while
    // WebKit still reads it.
    std::string contents;
    switch (ReadServedFile(file, kMaxServedFile, contents)) {
    case ServedFileError::None:
        break;
    case ServedFileError::TooLarge:
        FinishText(request, "too large", 413);
        return;
    case ServedFileError::NotReadable:
        FinishText(request, "not readable", 404);
        return;
    }
    // A project the user chose opens the images it names.
    const char* type = MimeTypeForPath(file);
    if (localFilesAllowed && std::string_view(type) == "text/xml" &&
        std::find(chosenFiles.begin(), chosenFiles.end(), file) != chosenFiles.end())
        for (const std::string& image : ProjectImagePaths(file, contents))
            AllowChosen(image);
    FinishWithBytes(request, BytesTaking(std::move(contents)).get(), 200, type);
}

void CWebKitFlashPlayer::State::AllowChosen(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return;
    std::string canonical = CanonicalPath(path);
    if (canonical.empty())
        canonical = path; // a file still to be written (save as) keeps its name
    if (std::find(chosenFiles.begin(), chosenFiles.end(), canonical) == chosenFiles.end())
        chosenFiles.push_back(canonical);
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
    case PageMessage::Kind::Pace:
        FinishText(request, "ok");
        log.Write("pace", message.payload);
        return;
    case PageMessage::Kind::Shown:
        FinishText(request, "ok");
        upSinceLoad = true;
        if (!shown) {
            shown = true;
            log.Write("shown");
            if (onShown)
                onShown();
        }
        return;
    case PageMessage::Kind::Call:
        conversations().HandleCall(AnswerFor(request), message.payload,
                                   [this](const std::string& invokeText) {
                                       if (owner)
                                           owner->RaiseFlashCall(invokeText);
                                   });
        return;
    case PageMessage::Kind::Result:
        conversations().HandleResult(AnswerFor(request), message);
        return;
    case PageMessage::Kind::Invalid:
        break;
    }
    log.Write("invalid", body.substr(0, 200));
    FinishText(request, "invalid bridge message", 400);
}

void CWebKitFlashPlayer::State::LoadMovieNow(const std::string& url) {
    GVariantBuilder arguments;
    g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&arguments, "{sv}", "url", g_variant_new_string(ValidUtf8(url).c_str()));
    g_variant_builder_add(&arguments, "{sv}", "vars",
                          g_variant_new_string(ValidUtf8(flashVars).c_str()));
    webkit_web_view_call_async_javascript_function(
        view.get(), "pennoriaLoadMovie(url, vars);", -1, g_variant_builder_end(&arguments), nullptr,
        nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer) {
            GErrorPtr error;
            GObjectPtr<JSCValue> value(webkit_web_view_call_async_javascript_function_finish(
                WEBKIT_WEB_VIEW(source), result, error.Out()));
            if (error)
                platform::DebugOutput(std::string("player: the movie cannot be loaded: ") +
                                      error.Message());
        },
        nullptr);
}

void CWebKitFlashPlayer::State::RunThroughPage(const std::string& invokeText,
                                               std::shared_ptr<MovieCall> call) {
    GVariantBuilder arguments;
    g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&arguments, "{sv}", "text",
                          g_variant_new_string(ValidUtf8(invokeText).c_str()));
    webkit_web_view_call_async_javascript_function(
        view.get(), "return pennoriaCallMovie(text);", -1, g_variant_builder_end(&arguments),
        nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::shared_ptr<MovieCall>> shared(
                static_cast<std::shared_ptr<MovieCall>*>(data));
            MovieCall& done = **shared;
            GErrorPtr error;
            GObjectPtr<JSCValue> value(webkit_web_view_call_async_javascript_function_finish(
                WEBKIT_WEB_VIEW(source), result, error.Out()));
            done.done = true;
            if (!value) {
                done.error = error ? error.Message() : "the call failed";
                return;
            }
            std::string text;
            if (jsc_value_is_string(value.get()))
                text = GCharPtr(jsc_value_to_string(value.get())).get();
            if (text.compare(0, 3, "ok\n") == 0)
                done.result = text.substr(3);
            else
                done.error = text.compare(0, 6, "error\n") == 0 ? text.substr(6) : text;
        },
        new std::shared_ptr<MovieCall>(std::move(call)));
}

CWebKitFlashPlayer::CWebKitFlashPlayer(WebKitPlayerOptions options)
    : m_state(std::make_shared<State>()) {
    State& s = *m_state;
    s.owner = this;
    s.options = std::move(options);
    s.ChooseFiles();
    if (s.options.start == WebKitPlayerOptions::StartPolicy::AtOnce) {
        Start();
    } else {
        s.holder.reset(GTK_WIDGET(g_object_ref_sink(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0))));
        gtk_widget_set_can_focus(s.holder.get(), FALSE);
    }
}

void CWebKitFlashPlayer::Start() {
    State& s = *m_state;
    if (s.view)
        return;
    s.CreateContext(m_state);
    s.CreateView(s.ConfigScript());
    s.ConnectViewSignals();
    if (s.holder) {
        gtk_box_pack_start(GTK_BOX(s.holder.get()), GTK_WIDGET(s.view.get()), TRUE, TRUE, 0);
        gtk_widget_show(GTK_WIDGET(s.view.get()));
    }
    webkit_web_view_load_uri(s.view.get(), s.pageUrl.c_str());
    s.log.Write("webview");
}

CWebKitFlashPlayer::~CWebKitFlashPlayer() {
    State& s = *m_state;
    s.alive = false;
    s.owner = nullptr;
    s.onShown = nullptr;
    s.conversations().Abandon();
    s.heldKeys.clear();
    if (s.view) {
        g_signal_handlers_disconnect_by_data(s.view.get(), m_state.get());
        webkit_web_view_stop_loading(s.view.get());
        if (GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(s.view.get())))
            gtk_container_remove(GTK_CONTAINER(parent), GTK_WIDGET(s.view.get()));
    }
    if (s.holder)
        if (GtkWidget* parent = gtk_widget_get_parent(s.holder.get()))
            gtk_container_remove(GTK_CONTAINER(parent), s.holder.get());
    s.view.reset();
    s.holder.reset();
    s.context.reset();
}

GtkWidget* CWebKitFlashPlayer::Widget() const {
    return m_state->holder ? m_state->holder.get() : GTK_WIDGET(m_state->view.get());
}

void CWebKitFlashPlayer::SetFlashVars(const std::string& flashVars) {
    m_state->flashVars = flashVars;
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
    s.movieUrl = url;
    Start();
    if (s.pageReady)
        s.LoadMovieNow(url);
    else
        s.queuedMovieUrl = url;
}

std::int32_t CWebKitFlashPlayer::GetFlashVersion() {
    Start();
    std::shared_ptr<State> s = m_state;
    return s->WaitForPage() ? s->version : 0;
}

void CWebKitFlashPlayer::DisableLocalSecurity() {
    m_state->localFilesAllowed = true;
}

void CWebKitFlashPlayer::AllowChosenFile(const std::string& path) {
    m_state->AllowChosen(path);
}

void CWebKitFlashPlayer::SetShownHandler(std::function<void()> handler) {
    m_state->onShown = std::move(handler);
}

std::optional<std::string> CWebKitFlashPlayer::CallEditor(const std::string& invokeText) {
    Start();
    std::shared_ptr<State> s = m_state;
    s->log.Write("hostcall", invokeText);
    if (!s->WaitForPage()) {
        s->log.Write("hosterror", "the player page is not running");
        return std::nullopt;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(s->options.callTimeoutMs);
    ++s->callsWaited;
    struct Done {
        State& state;
        ~Done() { --state.callsWaited; }
    } waited{*s};
    return s->conversations().CallMovie(
        invokeText, [&s] { return s->PageUsable(); },
        [deadline](const std::function<bool()>& done) { return RunNestedUntil(done, deadline); },
        [&s](const std::string& text, std::shared_ptr<MovieCall> call) {
            s->RunThroughPage(text, std::move(call));
        });
}

void CWebKitFlashPlayer::SetReturnValue(const std::string& reply) {
    m_state->conversations().SetReturnValue(reply);
}

bool CWebKitFlashPlayer::IsIdleAndUp() const {
    const State& s = *m_state;
    return s.PageUsable() && s.upSinceLoad && s.callsWaited == 0 && !s.talks->IsHandlingRequest();
}

void CWebKitFlashPlayer::Ping(std::function<void()> answered) {
    State& s = *m_state;
    if (!s.view)
        return;
    struct Asked {
        std::weak_ptr<State> state;
        std::function<void()> answered;
    };
    webkit_web_view_evaluate_javascript(
        s.view.get(), "1", -1, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Asked> asked(static_cast<Asked*>(data));
            GErrorPtr error;
            GObjectPtr<JSCValue> value(webkit_web_view_evaluate_javascript_finish(
                WEBKIT_WEB_VIEW(source), result, error.Out()));
            std::shared_ptr<State> state = asked->state.lock();
            // A process that ended answers with an error: that is no answer.
            if (value && state && state->alive && asked->answered)
                asked->answered();
        },
        new Asked{m_state, std::move(answered)});
}

void CWebKitFlashPlayer::Restart() {
    State& s = *m_state;
    if (!s.view)
        return;
    s.log.Write("restart");
    platform::DebugOutput("player: the movie stopped answering; starting it again");
    // The old movie's requests end unanswered; the new movie talks afresh.
    // The old bookkeeping is kept: a request of the old page may still be on the stack.
    s.talks->Abandon();
    s.retiredTalks.push_back(std::move(s.talks));
    s.talks = std::make_unique<CPlayerConversations>(s.log);
    s.upSinceLoad = false;
    s.heldKeys.clear(); // the new page holds no key
    webkit_web_view_terminate_web_process(s.view.get());
    s.pageReady = false;
    s.pageFailed = false;
    s.queuedMovieUrl = s.movieUrl;
    webkit_web_view_load_uri(s.view.get(), s.pageUrl.c_str());
}

bool CWebKitFlashPlayer::IsHandlingRequest() const {
    return m_state->conversations().IsHandlingRequest();
}

} // namespace pennoria
