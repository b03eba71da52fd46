// The scripted player.
#include "bridge/ScriptedPlayer.h"

#include "bridge/Invoke.h"

namespace pennoria {

std::string BuildRequestText(const std::string& name, const std::vector<std::string>& arguments) {
    std::string text = "<invoke name=\"" + EscapeXmlText(name) + "\" returntype=\"xml\">";
    text += "<arguments>";
    for (const auto& argument : arguments)
        text += "<string>" + EscapeXmlText(argument) + "</string>";
    text += "</arguments></invoke>";
    return text;
}

std::optional<std::string> CScriptedPlayer::CallEditor(const std::string& invokeText) {
    m_calls.push_back(invokeText);
    if (!m_movieFunction)
        return std::nullopt;
    InvokeRequest call;
    std::string error;
    if (!ParseInvokeRequest(invokeText, call, error))
        return std::nullopt;
    return m_movieFunction(call.name, call.arguments);
}

void CScriptedPlayer::SetReturnValue(const std::string& reply) {
    if (!m_replies.empty())
        m_replies.back() = reply;
}

std::optional<std::string> CScriptedPlayer::Request(const std::string& invokeText) {
    m_replies.emplace_back();
    RaiseFlashCall(invokeText);
    std::optional<std::string> reply = std::move(m_replies.back());
    m_replies.pop_back();
    return reply;
}

std::optional<std::string> CScriptedPlayer::Command(const std::string& name,
                                                    const std::vector<std::string>& arguments) {
    return Request(BuildRequestText(name, arguments));
}

} // namespace pennoria
