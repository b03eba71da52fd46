// A stand-in for the player in tests of the window alone (PENNORIA_STAND_IN_PLAYER=1): an empty
// widget that logs the keys and buttons reaching it to the debug channel and has no movie.
#pragma once

#include "bridge/FlashPlayer.h"

#include <gtk/gtk.h>

namespace pennoria::host {

class CStandInPlayer : public IFlashPlayer {
public:
    CStandInPlayer();
    ~CStandInPlayer() override;
    GtkWidget* Widget() const { return m_widget; }

    void SetFlashVars(const std::string&) override {}
    void SetMovie(const std::string& moviePathOrUrl) override;
    std::int32_t GetFlashVersion() override;
    void DisableLocalSecurity() override {}
    std::optional<std::string> CallEditor(const std::string& invokeText) override;
    void SetReturnValue(const std::string&) override {}

private:
    GtkWidget* m_widget;
};

} // namespace pennoria::host
