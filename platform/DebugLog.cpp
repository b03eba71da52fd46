// Debug channel sink: appends one line per message to the file PENNORIA_DEBUG_LOG names.
#include "platform/DebugLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pennoria::platform {

void DebugOutput(std::string_view line) {
    const char* target = std::getenv("PENNORIA_DEBUG_LOG");
    if (!target || !*target)
        return;
    if (std::strcmp(target, "stderr") == 0) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
        return;
    }
    if (std::FILE* f = std::fopen(target, "a")) {
        std::fprintf(f, "%.*s\n", static_cast<int>(line.size()), line.data());
        std::fclose(f);
    }
}

} // namespace pennoria::platform
