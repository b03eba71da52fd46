// libFuzzer target: the preview server's request reader. Whatever a browser or another local
// program sends, a file it answers with lies below the served folder, is no hidden file or
// temporary, and the reader never reads past the head it got.
#include "platform/FileSystem.h"
#include "platform/PreviewRequest.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string head(reinterpret_cast<const char*>(data), size);
    const std::string prefix = "/0f1e2d3c-secret/";
    const PreviewRequest request = ReadPreviewRequest(head, prefix);
    if (request.status != PreviewRequest::Status::File)
        return 0;
    const std::string& path = request.path;
    if (path.empty() || path.front() == '/' || path.back() == '/' ||
        path.find('\0') != std::string::npos || path.find('\\') != std::string::npos ||
        head.find(prefix) == std::string::npos || head.find("\r\n\r\n") == std::string::npos)
        std::abort();
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t stop = path.find('/', start);
        if (stop == std::string::npos)
            stop = path.size();
        const std::string level = path.substr(start, stop - start);
        if (level.empty() || level[0] == '.' || IsTemporaryFileName(level))
            std::abort();
        start = stop + 1;
    }
    return 0;
}
