// libFuzzer target: the reader of user-dirs.dirs. An entry it gives is an absolute path without
// a trailing separator or a zero byte, and one given as "$HOME/..." starts with the home folder.
#include "platform/Paths.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string home = "/home/user";
    for (const char* key : {"XDG_DOCUMENTS_DIR", "XDG_DESKTOP_DIR"}) {
        const auto entry = UserDirsEntry(text, key, home);
        if (!entry)
            continue;
        if (entry->empty() || entry->front() != '/' || entry->find('\0') != std::string::npos ||
            (entry->size() > 1 && entry->back() == '/'))
            std::abort();
    }
    return 0;
}
