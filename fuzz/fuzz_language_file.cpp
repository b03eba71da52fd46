// libFuzzer target: the language-file reader. The input's first line is the key looked up, the
// rest the file; the lookup and the filling in of a message must never crash, and a key written
// plainly into a file must be found again with its value.
#include "core/Strings.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    const std::string key = cut == std::string::npos ? input : input.substr(0, cut);
    const std::string text = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    for (const char* section : {"STRING", "string", ""}) {
        auto value = platform::LookupProfileText(text, section, key);
        if (value)
            FormatAppString(IDS_PUBLISH_STOPPED, {*value, key});
    }

    // A plain key = value line under its section is always found: the value as written, less
    // the white space around it.
    const bool plainKey = !key.empty() && platform::Trim(key) == key &&
                          key.find_first_of("=\n") == std::string::npos && key[0] != ';' &&
                          key[0] != '[';
    if (!plainKey)
        return 0;
    const std::string value = platform::Trim(text.substr(0, text.find_first_of("\n\"")));
    auto found =
        platform::LookupProfileText("[STRING]\n" + key + "=" + value + "\n", "string", key);
    if (!found || *found != value)
        std::abort();
    return 0;
}
