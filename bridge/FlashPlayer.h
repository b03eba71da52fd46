// The player contract: the operations the host drives the editor movie with, and its one event.
// Implementations: the scripted player (tests, headless serving) and the desktop player.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pennoria {

// The packed player version 10.2: major in the upper 16 bits, minor in the lower.
constexpr std::int32_t kMinimumFlashVersion = 0x000A0002;

// The player must report at least 10.2; the version is compared as a signed number, so a
// negative report (an error) is never usable.
constexpr bool IsUsablePlayerVersion(std::int32_t packedVersion) {
    return packedVersion >= kMinimumFlashVersion;
}

class IFlashPlayer {
public:
    using FlashCallHandler = std::function<void(const std::string& request)>;

    virtual ~IFlashPlayer() = default;
    // The movie's parameters as a query text ("name=value&..."), given before SetMovie; the
    // movie reads them as its FlashVars.
    virtual void SetFlashVars(const std::string& flashVars) = 0;
    virtual void SetMovie(const std::string& moviePathOrUrl) = 0;
    virtual std::int32_t GetFlashVersion() = 0;
    virtual void DisableLocalSecurity() = 0;
    // Calls a movie function with an invoke text; the movie's result text (still XML-encoded by
    // the player), or nullopt for a player error (the function is missing or failed).
    virtual std::optional<std::string> CallEditor(const std::string& invokeText) = 0;
    // Answers the request being handled; only meaningful inside the FlashCall handler.
    virtual void SetReturnValue(const std::string& reply) = 0;

    // The FlashCall event: the player calls the handler with each request from the movie, on the
    // user-interface thread, and the movie waits until the handler returns.
    void SetFlashCallHandler(FlashCallHandler handler) { m_onFlashCall = std::move(handler); }

protected:
    void RaiseFlashCall(const std::string& request) {
        if (m_onFlashCall)
            m_onFlashCall(request);
    }

private:
    FlashCallHandler m_onFlashCall;
};

} // namespace pennoria
