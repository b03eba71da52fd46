// The preview server's request reader: which requests name which file of the preview.
#include "platform/PreviewRequest.h"

#include <gtest/gtest.h>

using namespace pennoria::platform;
using Status = PreviewRequest::Status;

namespace {

PreviewRequest Read(const std::string& line, const std::string& rest = "Host: x\r\n\r\n") {
    return ReadPreviewRequest(line + "\r\n" + rest, "/s3cret/");
}

} // namespace

TEST(PreviewRequest, FilesBelowTheSecretPathOnly) {
    const std::pair<std::string, std::string> served[] = {
        {"GET /s3cret/ HTTP/1.1", "index.html"},
        {"GET /s3cret/html5/ HTTP/1.1", "html5/index.html"},
        {"GET /s3cret/player%2ewasm?v=1#x HTTP/1.0", "player.wasm"},
        {"GET /s3cret/a%20b/c.png HTTP/1.1", "a b/c.png"},
    };
    for (const auto& [line, path] : served) {
        const PreviewRequest request = Read(line);
        EXPECT_EQ(request.status, Status::File) << line;
        EXPECT_EQ(request.path, path) << line;
        EXPECT_FALSE(request.headOnly);
    }
    EXPECT_TRUE(Read("HEAD /s3cret/index.html HTTP/1.1").headOnly);

    for (const char* line :
         {"GET /index.html HTTP/1.1", "GET /s3cre/x HTTP/1.1", "GET /s3cret/../x HTTP/1.1",
          "GET /s3cret/%2e%2e/x HTTP/1.1", "GET /s3cret/a//b HTTP/1.1",
          "GET /s3cret/.pennoria-lock HTTP/1.1", "GET /s3cret/res/.hidden HTTP/1.1",
          "GET /s3cret/banner.swf.pennoria-tmp-Ab3dE9 HTTP/1.1", "GET /s3cret/a%00.html HTTP/1.1",
          "GET /s3cret/a%5c..%5cb HTTP/1.1", "GET /s3cret/a\\b HTTP/1.1",
          "GET /s3cret/%zz HTTP/1.1", "GET /s3cret/%4 HTTP/1.1"})
        EXPECT_EQ(Read(line).status, Status::NotFound) << line;
}

TEST(PreviewRequest, IncompleteGarbledAndOversizedHeads) {
    EXPECT_EQ(ReadPreviewRequest("GET /s3cret/ HTTP/1.1\r\nHost: x\r\n", "/s3cret/").status,
              Status::Incomplete);
    EXPECT_EQ(ReadPreviewRequest("", "/s3cret/").status, Status::Incomplete);
    for (const char* line :
         {"POST /s3cret/ HTTP/1.1", "GET /s3cret/", "GET /s3cret/ SPDY/3", "get /s3cret/ HTTP/1.1"})
        EXPECT_EQ(Read(line).status, Status::Bad) << line;
    // A head that never ends, or ends too late, is refused rather than collected.
    const std::string endless = "GET /s3cret/ HTTP/1.1\r\nX: " + std::string(9000, 'a');
    EXPECT_EQ(ReadPreviewRequest(endless, "/s3cret/").status, Status::Bad);
    EXPECT_EQ(ReadPreviewRequest(endless + "\r\n\r\n", "/s3cret/").status, Status::Bad);
}
