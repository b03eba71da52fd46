// The desktop player: the editor movie played by Ruffle inside a WebKitGTK 4.1 web view.
//
// The web view loads our player page through the "pennoria:" URI scheme; the page runs Ruffle and
// turns every ExternalInterface.call of the movie into an invoke request sent to the host with a
// synchronous request, so FlashCall is raised while the movie waits. Calls into the movie travel
// back on the outstanding request when there is one, else through the page's script API; every
// wait runs a nested main loop with a timeout.
#pragma once

#include "bridge/FlashPlayer.h"

#include <functional>
#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace pennoria {

struct WebKitPlayerOptions {
    // The folder the page, Ruffle's files and the movie are served from, with its trailing '/'.
    // Empty: GetProgramFolder().
    std::string programFolder;
    // The longest wait for the result of a movie function (CallEditor).
    int callTimeoutMs = 20000;
    // The longest wait for the page and Ruffle to come up (GetFlashVersion, the first SetMovie).
    int startTimeoutMs = 30000;
    // When the web view is made and the page starts loading: at construction, or at the first
    // operation that needs the page (or Start), so a window can paint before WebKit's set-up.
    enum class StartPolicy { AtOnce, OnFirstUse };
    StartPolicy start = StartPolicy::AtOnce;
    // Ruffle's renderer: "canvas", "webgl", or "auto" for the page's rule (the canvas where
    // WebGL would be drawn by the processor).
    std::string renderer = "auto";
};

class CWebKitFlashPlayer : public IFlashPlayer {
public:
    // Creates the web view and starts loading the player page at once (Ruffle's start-up is the
    // slow part: the earlier it begins the better). Needs an initialised GTK.
    explicit CWebKitFlashPlayer(WebKitPlayerOptions options = {});
    ~CWebKitFlashPlayer() override;
    CWebKitFlashPlayer(const CWebKitFlashPlayer&) = delete;
    CWebKitFlashPlayer& operator=(const CWebKitFlashPlayer&) = delete;

    // The web view to pack into a container; with StartPolicy::OnFirstUse a holder that receives
    // the view when the player starts. The player keeps its own reference: the widget lives as
    // long as the player, whatever its parent does.
    GtkWidget* Widget() const;
    // Makes the web view and starts loading the page, unless that is done.
    void Start();

    // Loads a movie: an absolute path (served by the player's scheme) or a URL. Does not wait.
    void SetFlashVars(const std::string& flashVars) override;
    void SetMovie(const std::string& moviePathOrUrl) override;
    // The Flash Player version Ruffle reports, packed major << 16 | minor; 0 when the page or
    // Ruffle cannot be started (waits for the page, at most startTimeoutMs).
    std::int32_t GetFlashVersion() override;
    // Lets the movie read the files the user chose in this session (never write them); other
    // local files stay closed to it.
    void DisableLocalSecurity() override;
    std::optional<std::string> CallEditor(const std::string& invokeText) override;
    void SetReturnValue(const std::string& reply) override;

    // True while a FlashCall is being handled (the movie waits for its reply).
    bool IsHandlingRequest() const;

    // A file the user chose in this session (a dialog's answer, the project given to the program):
    // the movie may read it once local access is allowed. A project file also opens the images it
    // names when it is served.
    void AllowChosenFile(const std::string& path);

    // Called once, when the movie's first frame is on screen (the host's splash can go).
    void SetShownHandler(std::function<void()> handler);

    // Whether the movie is up (its first frame shown since the page was last loaded) and no call
    // of the host into it is being waited for: the time a cheap question must be answered in.
    bool IsIdleAndUp() const;
    // Asks the page a cheap question; answered() runs when it replies, never when it does not.
    void Ping(std::function<void()> answered);
    // Ends the page's process, whatever it is doing, and loads the page and the movie again.
    // Every outstanding request of the old movie goes unanswered.
    void Restart();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace pennoria
