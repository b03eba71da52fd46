// The player's conversation bookkeeping without a display: replies, calls into the movie riding on
// the movie's outstanding request, nested calls, results that come after the wait gave up.
#include "host/player/PlayerConversations.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pennoria {
namespace {

// The page's side: every request it made that waits for an answer, and the answers it got.
struct FakePage {
    std::vector<std::string> answers;
    int waiting = 0;

    CPlayerConversations::Answer Request() {
        ++waiting;
        return [this](const std::string& text) {
            --waiting;
            answers.push_back(text);
        };
    }
};

class ConversationTest : public ::testing::Test {
protected:
    // The nested main loop: runs the queued page events until done() holds; false when the
    // queue ran dry first (the deadline).
    CPlayerConversations::Wait Loop() {
        return [this](const std::function<bool()>& done) {
            while (!done()) {
                if (events.empty())
                    return false;
                auto event = std::move(events.front());
                events.pop_front();
                event();
            }
            return true;
        };
    }
    std::optional<std::string> Call(const std::string& invoke) {
        return conversations.CallMovie(
            invoke, [this] { return usable; }, Loop(),
            [this](const std::string& text, std::shared_ptr<MovieCall> call) {
                throughPage.push_back(text);
                pageCalls.push_back(std::move(call));
            });
    }
    // The page posts a movie function's result for the host's call seq of conversation conv.
    void PostResult(std::uint64_t conv, std::uint64_t seq, const std::string& xml) {
        PageMessage message;
        message.kind = PageMessage::Kind::Result;
        message.conversation = conv;
        message.sequence = seq;
        message.ok = true;
        message.payload = xml;
        conversations.HandleResult(page.Request(), message);
    }

    BridgeLog log;
    CPlayerConversations conversations{log};
    FakePage page;
    std::deque<std::function<void()>> events;
    std::vector<std::string> throughPage;
    std::vector<std::shared_ptr<MovieCall>> pageCalls;
    bool usable = true;
};

TEST_F(ConversationTest, RepliesNoRepliesAndAFailingHandler) {
    conversations.HandleCall(page.Request(), "<invoke name=\"A\"/>", [&](const std::string& r) {
        EXPECT_EQ(r, "<invoke name=\"A\"/>");
        EXPECT_TRUE(conversations.IsHandlingRequest());
        EXPECT_TRUE(conversations.SetReturnValue("<string>first</string>"));
        EXPECT_TRUE(conversations.SetReturnValue("<string>last</string>"));
    });
    conversations.HandleCall(page.Request(), "<invoke name=\"B\"/>", [](const std::string&) {});
    conversations.HandleCall(page.Request(), "<invoke name=\"C\"/>", [&](const std::string&) {
        conversations.SetReturnValue("<string>lost</string>");
        throw std::runtime_error("handler failed");
    });
    EXPECT_EQ(page.answers,
              (std::vector<std::string>{"reply\n<string>last</string>", "noreply\n", "noreply\n"}));
    EXPECT_EQ(page.waiting, 0);
    EXPECT_FALSE(conversations.IsHandlingRequest());
    EXPECT_FALSE(conversations.SetReturnValue("<string>stray</string>"));
}

TEST_F(ConversationTest, WithoutARequestTheCallGoesThroughThePage) {
    events.push_back([&] {
        pageCalls.at(0)->done = true;
        pageCalls.at(0)->result = "<string>ok</string>";
    });
    EXPECT_EQ(Call("<invoke name=\"F\"/>"), "<string>ok</string>");
    EXPECT_EQ(throughPage, (std::vector<std::string>{"<invoke name=\"F\"/>"}));

    events.push_back([&] {
        pageCalls.at(1)->done = true;
        pageCalls.at(1)->error = "the movie has no function G";
    });
    EXPECT_EQ(Call("<invoke name=\"G\"/>"), std::nullopt);
    // Nothing comes back: the deadline ends the wait.
    EXPECT_EQ(Call("<invoke name=\"H\"/>"), std::nullopt);
}

// The movie waits in its call; the host's call rides on that request, the page runs the function
// and posts the result with a new request, which then carries the final reply.
TEST_F(ConversationTest, CallsIntoTheMovieRideOnItsOutstandingRequest) {
    std::optional<std::string> xml;
    conversations.HandleCall(page.Request(), "<invoke name=\"Save\"/>", [&](const std::string&) {
        events.push_back([&] {
            ASSERT_EQ(page.answers.size(), 1u);
            EXPECT_EQ(page.answers[0], "callmovie\n1\n1\n<invoke name=\"GetXml\"/>");
            PostResult(1, 1, "<string>xml</string>");
        });
        xml = Call("<invoke name=\"GetXml\"/>");
        conversations.SetReturnValue("<string>saved</string>");
    });
    EXPECT_EQ(xml, "<string>xml</string>");
    EXPECT_TRUE(throughPage.empty());
    EXPECT_EQ(page.answers.back(), "reply\n<string>saved</string>");
    EXPECT_EQ(page.waiting, 0);
}

// A second request of the movie arrives while the host waits for the first one's movie function;
// calls go to the innermost request, and every request gets exactly one answer.
TEST_F(ConversationTest, NestedRequestsAreAnsweredInnermostFirst) {
    std::vector<std::optional<std::string>> results;
    conversations.HandleCall(page.Request(), "<invoke name=\"Outer\"/>", [&](const std::string&) {
        events.push_back([&] {
            // While running GetXml the movie makes another call.
            conversations.HandleCall(
                page.Request(), "<invoke name=\"Inner\"/>", [&](const std::string&) {
                    events.push_back([&] { PostResult(2, 2, "<number>2</number>"); });
                    results.push_back(Call("<invoke name=\"Two\"/>"));
                    conversations.SetReturnValue("<string>inner</string>");
                });
            PostResult(1, 1, "<number>1</number>");
        });
        results.push_back(Call("<invoke name=\"One\"/>"));
        conversations.SetReturnValue("<string>outer</string>");
    });
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], "<number>2</number>");
    EXPECT_EQ(results[1], "<number>1</number>");
    EXPECT_EQ(page.answers, (std::vector<std::string>{"callmovie\n1\n1\n<invoke name=\"One\"/>",
                                                      "callmovie\n2\n2\n<invoke name=\"Two\"/>",
                                                      "reply\n<string>inner</string>",
                                                      "reply\n<string>outer</string>"}));
    EXPECT_EQ(page.waiting, 0);
}

// The wait gives up; the result comes after the conversation has ended: the page's request is
// answered with the reply kept for it, and the late result is dropped.
TEST_F(ConversationTest, ResultsAfterTheDeadlineStillGetTheKeptReply) {
    std::optional<std::string> result = std::string("unset");
    conversations.HandleCall(page.Request(), "<invoke name=\"Publish\"/>", [&](const std::string&) {
        result = Call("<invoke name=\"Slow\"/>");
        conversations.SetReturnValue("<string>ok</string>");
    });
    EXPECT_EQ(result, std::nullopt);
    EXPECT_EQ(page.answers, (std::vector<std::string>{"callmovie\n1\n1\n<invoke name=\"Slow\"/>"}));
    PostResult(1, 1, "<string>late</string>");
    EXPECT_EQ(page.answers.back(), "reply\n<string>ok</string>");
    // Only once: a second post for that conversation gets no reply.
    PostResult(1, 1, "<string>again</string>");
    EXPECT_EQ(page.answers.back(), "noreply\n");
    EXPECT_EQ(page.waiting, 0);
}

TEST_F(ConversationTest, AbandonAnswersEveryWaitingRequestAndFailsCalls) {
    bool raised = false;
    conversations.HandleCall(page.Request(), "<invoke name=\"Exit\"/>", [&](const std::string&) {
        // The player goes away while the host waits for the movie function.
        events.push_back([&] { conversations.Abandon(); });
        EXPECT_EQ(Call("<invoke name=\"Slow\"/>"), std::nullopt);
        // Nothing is sent any more.
        EXPECT_EQ(Call("<invoke name=\"Later\"/>"), std::nullopt);
        conversations.SetReturnValue("<string>never</string>");
    });
    EXPECT_EQ(page.answers, (std::vector<std::string>{"callmovie\n1\n1\n<invoke name=\"Slow\"/>"}));
    EXPECT_TRUE(throughPage.empty());
    // The page's late result and any new request are answered, without a reply, and no handler
    // runs.
    PostResult(1, 1, "<string>late</string>");
    conversations.HandleCall(page.Request(), "<invoke name=\"New\"/>",
                             [&](const std::string&) { raised = true; });
    EXPECT_FALSE(raised);
    EXPECT_EQ(page.answers.size(), 3u);
    EXPECT_EQ(page.answers[1], "noreply\n");
    EXPECT_EQ(page.answers[2], "noreply\n");
    EXPECT_EQ(page.waiting, 0);
}

} // namespace
} // namespace pennoria
