// The player's conversation bookkeeping: requests, replies, calls into the movie, late results.
#include "host/player/PlayerConversations.h"

#include <exception>

namespace pennoria {

void CPlayerConversations::Finish(Answer& pending, const std::string& text) {
    if (!pending)
        return;
    Answer answer = std::move(pending);
    pending = nullptr;
    answer(text);
}

void CPlayerConversations::HandleCall(Answer answer, const std::string& invokeText,
                                      const RaiseFlashCall& raise) {
    auto conversation = std::make_shared<Conversation>();
    conversation->id = m_nextConversation++;
    conversation->pending = std::move(answer);
    m_conversations.push_back(conversation);
    m_log.Write("request", invokeText);
    if (raise && !m_abandoned) {
        try {
            raise(invokeText);
        } catch (const std::exception& error) {
            m_log.Write("handlererror", error.what());
            conversation->reply.reset();
        } catch (...) {
            m_log.Write("handlererror");
            conversation->reply.reset();
        }
    }
    for (auto it = m_conversations.begin(); it != m_conversations.end(); ++it)
        if (*it == conversation) {
            m_conversations.erase(it);
            break;
        }
    if (conversation->reply)
        m_log.Write("reply", *conversation->reply);
    else
        m_log.Write("noreply");
    if (conversation->pending)
        Finish(conversation->pending, FormatReplyAnswer(conversation->reply));
    else if (!m_abandoned)
        m_answeredLate[conversation->id] = conversation; // the page still runs a movie function
}

void CPlayerConversations::HandleResult(Answer answer, const PageMessage& message) {
    auto call = m_movieCalls.find(message.sequence);
    if (call != m_movieCalls.end()) {
        call->second->done = true;
        if (message.ok)
            call->second->result = message.payload;
        else
            call->second->error = message.payload;
        m_movieCalls.erase(call);
    } else {
        m_log.Write("lateresult", std::to_string(message.sequence));
    }
    for (auto& conversation : m_conversations)
        if (conversation->id == message.conversation) {
            // The page is back in the movie's call and waits for the next answer.
            Finish(conversation->pending, FormatReplyAnswer(std::nullopt));
            conversation->pending = std::move(answer);
            return;
        }
    auto late = m_answeredLate.find(message.conversation);
    if (late != m_answeredLate.end()) {
        std::optional<std::string> reply = late->second->reply;
        m_answeredLate.erase(late);
        answer(FormatReplyAnswer(reply));
        return;
    }
    answer(FormatReplyAnswer(std::nullopt));
}

bool CPlayerConversations::SetReturnValue(const std::string& reply) {
    if (m_conversations.empty()) {
        m_log.Write("strayreply", reply);
        return false;
    }
    m_conversations.back()->reply = reply;
    return true;
}

std::optional<std::string> CPlayerConversations::CallMovie(const std::string& invokeText,
                                                           const std::function<bool()>& pageUsable,
                                                           const Wait& wait,
                                                           const RunThroughPage& runThroughPage) {
    auto call = std::make_shared<MovieCall>();
    const std::uint64_t sequence = m_nextSequence++;
    bool sent = false;
    while (!sent && pageUsable() && !m_abandoned) {
        if (m_conversations.empty()) {
            // No request of the movie is outstanding: run the function through the page's API.
            runThroughPage(invokeText, call);
            sent = true;
        } else if (auto conversation = m_conversations.back(); conversation->pending) {
            // The movie waits in a call: hand the page the function to run as the next answer.
            m_movieCalls[sequence] = call;
            Finish(conversation->pending,
                   FormatCallMovieAnswer(conversation->id, sequence, invokeText));
            sent = true;
        } else if (!wait([&] {
                       return !pageUsable() || m_conversations.empty() ||
                              static_cast<bool>(m_conversations.back()->pending);
                   })) {
            // The page runs a movie function for an outer call and did not come back in time.
            break;
        }
    }
    if (sent)
        wait([&] { return call->done || !pageUsable() || m_abandoned; });
    m_movieCalls.erase(sequence);
    if (call->result) {
        m_log.Write("hostresult", *call->result);
        return call->result;
    }
    m_log.Write("hosterror",
                call->done ? call->error
                           : (pageUsable() && !m_abandoned ? "timed out" : "the player is gone"));
    return std::nullopt;
}

void CPlayerConversations::Abandon() {
    m_abandoned = true;
    for (auto& conversation : m_conversations)
        Finish(conversation->pending, FormatReplyAnswer(std::nullopt));
    m_answeredLate.clear();
    for (auto& call : m_movieCalls)
        call.second->error = "the player is gone";
}

} // namespace pennoria
