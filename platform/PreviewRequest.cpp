// The preview server's request reader.
#include "platform/PreviewRequest.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace pennoria::platform {

namespace {

using Status = PreviewRequest::Status;

PreviewRequest Answer(Status status, std::string path = {}, bool headOnly = false) {
    PreviewRequest request;
    request.status = status;
    request.path = std::move(path);
    request.headOnly = headOnly;
    return request;
}

} // namespace

PreviewRequest ReadPreviewRequest(std::string_view head, std::string_view prefix) {
    const std::size_t end = head.find("\r\n\r\n");
    if (end == std::string_view::npos)
        return Answer(head.size() >= kMaxPreviewRequestHead ? Status::Bad : Status::Incomplete);
    if (end + 4 > kMaxPreviewRequestHead)
        return Answer(Status::Bad);
    const std::string_view line = head.substr(0, head.find("\r\n"));
    const std::size_t space = line.find(' ');
    const std::size_t second = space == std::string_view::npos ? space : line.find(' ', space + 1);
    if (second == std::string_view::npos || line.substr(second + 1).rfind("HTTP/1.", 0) != 0)
        return Answer(Status::Bad);
    const std::string_view method = line.substr(0, space);
    if (method != "GET" && method != "HEAD")
        return Answer(Status::Bad);
    const bool headOnly = method == "HEAD";
    const std::string_view target = line.substr(space + 1, second - space - 1);
    if (prefix.empty() || target.substr(0, prefix.size()) != prefix)
        return Answer(Status::NotFound, {}, headOnly);

    std::string path;
    for (std::size_t i = prefix.size(); i < target.size(); ++i) {
        char c = target[i];
        if (c == '?' || c == '#')
            break;
        if (c == '%') {
            if (i + 2 >= target.size() || HexDigit(target[i + 1]) < 0 ||
                HexDigit(target[i + 2]) < 0)
                return Answer(Status::NotFound, {}, headOnly);
            c = static_cast<char>(HexDigit(target[i + 1]) * 16 + HexDigit(target[i + 2]));
            i += 2;
        }
        if (c == '\0' || c == '\\')
            return Answer(Status::NotFound, {}, headOnly);
        path += c;
    }
    if (path.empty() || path.back() == '/')
        path += "index.html";
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t stop = path.find('/', start);
        if (stop == std::string::npos)
            stop = path.size();
        const std::string_view level = std::string_view(path).substr(start, stop - start);
        if (level.empty() || level.front() == '.' || IsTemporaryFileName(level))
            return Answer(Status::NotFound, {}, headOnly);
        start = stop + 1;
    }
    return Answer(Status::File, std::move(path), headOnly);
}

} // namespace pennoria::platform
