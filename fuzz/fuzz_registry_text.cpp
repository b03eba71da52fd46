// libFuzzer target: the registry hive's text file. Whatever the parser accepts must format and
// parse back to the same keys and values.
#include "platform/RegistryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pennoria::platform;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryTree tree;
    if (!ParseRegistryText(text, tree))
        return 0;
    std::string formatted = FormatRegistryText(tree);
    RegistryTree again;
    if (!ParseRegistryText(formatted, again) || !(again == tree))
        std::abort();
    return 0;
}
