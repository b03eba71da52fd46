// The headless host's serving loop.
#include "bridge/HeadlessHost.h"

#include "platform/InputWait.h"
#include "platform/scripted/ScriptedHost.h"

#include <cstdio>

namespace pennoria {

namespace {
bool IsRequest(const std::string& message) {
    return message.compare(0, 7, "<invoke") == 0;
}
} // namespace

std::optional<std::string> CServePlayer::CallEditor(const std::string& invokeText) {
    if (m_finished || !m_channel.Write(invokeText)) {
        m_finished = true;
        return std::nullopt;
    }
    std::string message;
    for (;;) {
        FrameStatus status = m_channel.Read(message, &m_error);
        if (status != FrameStatus::Message) {
            m_finished = true;
            return std::nullopt;
        }
        // The movie may call the host again while the host waits for it.
        if (IsRequest(message)) {
            ServeRequest(message);
            continue;
        }
        if (message.empty())
            return std::nullopt;
        return message;
    }
}

void CServePlayer::SetReturnValue(const std::string& reply) {
    if (!m_replies.empty())
        m_replies.back() = reply;
}

void CServePlayer::ServeRequest(const std::string& requestText) {
    m_replies.emplace_back();
    RaiseFlashCall(requestText);
    std::optional<std::string> reply = std::move(m_replies.back());
    m_replies.pop_back();
    if (!m_channel.Write(reply ? *reply : std::string()))
        m_finished = true;
}

int RunHeadlessHost(CServePlayer& player, CFramedChannel& channel,
                    platform::ScriptedHostWindow& window) {
    platform::InputWaiter waiter;
    window.SetWakeUp([&waiter] { waiter.Wake(); });
    struct ClearWakeUp {
        platform::ScriptedHostWindow& window;
        ~ClearWakeUp() { window.SetWakeUp({}); }
    } clearWakeUp{window};

    std::string message;
    while (!player.Finished()) {
        if (window.PostedCount() > 0 ||
            waiter.Wait(channel.Input()) == platform::InputWaiter::Ready::Woken) {
            window.RunPostedWork();
            if (window.Closed())
                return 0;
            continue;
        }
        std::string error;
        FrameStatus status = channel.Read(message, &error);
        if (status == FrameStatus::EndOfInput)
            return 0;
        if (status == FrameStatus::Malformed) {
            std::fprintf(stderr, "error: %s\n", error.c_str());
            return 1;
        }
        // Nothing is outstanding at this level, so anything but a request is ignored.
        if (IsRequest(message))
            player.ServeRequest(message);
        if (window.Closed())
            return 0;
        window.RunPostedWork();
        if (window.Closed())
            return 0;
    }
    if (!player.Error().empty()) {
        std::fprintf(stderr, "error: %s\n", player.Error().c_str());
        return 1;
    }
    return 0;
}

} // namespace pennoria
