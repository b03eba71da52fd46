// The preview server's reading of a request: which file of the preview a browser asks for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pennoria::platform {

// A request head longer than this is refused.
constexpr std::size_t kMaxPreviewRequestHead = 8192;

struct PreviewRequest {
    enum class Status {
        Incomplete, // the blank line that ends the head has not come yet
        Bad,        // not a request this server answers (too long, another method, garbled)
        NotFound,   // a target that is not a file of the preview
        File,       // path names a file below the served folder
    };
    Status status = Status::Incomplete;
    std::string path;      // for File: '/'-separated levels, none empty, "." or ".."
    bool headOnly = false; // HEAD: the answer has no body
};

// Reads the head of an HTTP request (the bytes received so far) for a server that serves one
// folder below prefix ("/<secret>/"). GET and HEAD only. The target must start with prefix; the
// rest is percent-decoded up to a '?' or '#', and a folder stands for its "index.html". Refused as
// NotFound: a level that is empty, "." or "..", or starts with '.' (hidden files, the lock), a
// name of an interrupted write's temporary file, a zero byte or a backslash.
PreviewRequest ReadPreviewRequest(std::string_view head, std::string_view prefix);

} // namespace pennoria::platform
