// A stand-in for the player while the desktop window is built without the real one: an empty
// widget that reports no player version, so the window takes its "no player" path. Tests of the
// window alone set PENNORIA_STAND_IN_PLAYER=1 to let it report a usable version instead.
#pragma once

#include "bridge/FlashPlayer.h"

#include <gtk/gtk.h>

namespace pennoria::host {

class CStandInPlayer : public IFlashPlayer {
public:
    CStandInPlayer();
    ~CStandInPlayer() override;
    GtkWidget* Widget() const { return m_widget; }

    void SetMovie(const std::string& moviePathOrUrl) override;
    std::int32_t GetFlashVersion() override;
    void DisableLocalSecurity() override {}
    std::optional<std::string> CallEditor(const std::string& invokeText) override;
    void SetReturnValue(const std::string&) override {}

private:
    GtkWidget* m_widget;
};

} // namespace pennoria::host
