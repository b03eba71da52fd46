// A player without a movie: tests send requests in and read the replies, and movie functions
// are answered by a script.
#pragma once

#include "bridge/FlashPlayer.h"

#include <optional>
#include <string>
#include <vector>

namespace pennoria {

class CScriptedPlayer : public IFlashPlayer {
public:
    // Answers a call into the movie: the function's name and argument texts, and the raw call.
    // The result text as the player gives it ("<string>...</string>"), or nullopt for a
    // player error.
    using MovieFunction = std::function<std::optional<std::string>(
        const std::string& function, const std::vector<std::string>& arguments)>;

    explicit CScriptedPlayer(std::int32_t version = 0x000B0000) : m_version(version) {}

    void SetFlashVars(const std::string& flashVars) override { m_flashVars = flashVars; }
    void SetMovie(const std::string& moviePathOrUrl) override { m_movie = moviePathOrUrl; }
    std::int32_t GetFlashVersion() override { return m_version; }
    void DisableLocalSecurity() override { m_localSecurityDisabled = true; }
    std::optional<std::string> CallEditor(const std::string& invokeText) override;
    void SetReturnValue(const std::string& reply) override;

    // Sends a request from the movie; gives the reply set while it was handled, or nullopt
    // when the host gave none.
    std::optional<std::string> Request(const std::string& invokeText);
    // A request built from a command name and string arguments.
    std::optional<std::string> Command(const std::string& name,
                                       const std::vector<std::string>& arguments = {});

    void SetMovieFunction(MovieFunction function) { m_movieFunction = std::move(function); }
    // The raw invoke texts of every call into the movie, in order.
    const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }

    const std::string& Movie() const { return m_movie; }
    const std::string& FlashVars() const { return m_flashVars; }
    bool LocalSecurityDisabled() const { return m_localSecurityDisabled; }

private:
    std::int32_t m_version;
    std::string m_movie;
    std::string m_flashVars;
    bool m_localSecurityDisabled = false;
    MovieFunction m_movieFunction;
    std::vector<std::string> m_calls;
    // One slot per request being handled; requests nest inside calls into the movie.
    std::vector<std::optional<std::string>> m_replies;
};

// A request text as the player builds it, with each argument as a "string" element.
std::string BuildRequestText(const std::string& name, const std::vector<std::string>& arguments);

} // namespace pennoria
