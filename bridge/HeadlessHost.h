// The host served over framed standard streams: the editor sends requests and answers calls.
#pragma once

#include "bridge/FlashPlayer.h"
#include "bridge/MessageFraming.h"

#include <optional>
#include <string>
#include <vector>

namespace pennoria {

namespace platform {
class ScriptedHostWindow;
}

// The player whose movie is the other end of a framed channel. A message that starts with
// "<invoke" is a request to serve; any other answers the call outstanding. An empty answer to a
// call is a player error; an empty reply message means the request got no reply.
class CServePlayer : public IFlashPlayer {
public:
    explicit CServePlayer(CFramedChannel& channel) : m_channel(channel) {}

    void SetFlashVars(const std::string&) override {}
    void SetMovie(const std::string& moviePathOrUrl) override { m_movie = moviePathOrUrl; }
    std::int32_t GetFlashVersion() override { return 0x000B0000; }
    void DisableLocalSecurity() override {}
    std::optional<std::string> CallEditor(const std::string& invokeText) override;
    void SetReturnValue(const std::string& reply) override;

    // Handles one request and writes its reply (an empty message when there is none).
    void ServeRequest(const std::string& requestText);

    // The input ended or broke; nothing more will arrive.
    bool Finished() const { return m_finished; }
    const std::string& Error() const { return m_error; }

private:
    CFramedChannel& m_channel;
    std::string m_movie;
    std::vector<std::optional<std::string>> m_replies;
    bool m_finished = false;
    std::string m_error;
};

// Serves requests until the input ends (0), the editor exits the application (0) or the
// framing breaks (1). Work the host posts runs after each top-level reply has been written, and
// also while no request is waiting: work a worker thread posts wakes the loop. The channel's
// input must be unbuffered (setvbuf _IONBF) for that wait to see every message.
int RunHeadlessHost(CServePlayer& player, CFramedChannel& channel,
                    platform::ScriptedHostWindow& window);

} // namespace pennoria
