// libFuzzer target: the invoke codec. Raw input must never crash the request parser or the
// result unwrapper, and any texts sent through a call must come back exactly.
#include "bridge/Invoke.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pennoria;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    InvokeRequest request;
    std::string error;
    ParseInvokeRequest(input, request, error);
    UnwrapStringResult(input);

    // Round trip: the input cut at 0x01 bytes into arguments. Only well-formed UTF-8 without
    // zero bytes is text the program can hold.
    if (input.find('\0') != std::string::npos ||
        platform::Utf16ToUtf8(platform::Utf8ToUtf16(input)) != input)
        return 0;
    std::vector<std::string> arguments;
    std::size_t start = 0;
    for (std::size_t cut; (cut = input.find('\x01', start)) != std::string::npos; start = cut + 1)
        arguments.push_back(input.substr(start, cut - start));
    arguments.push_back(input.substr(start));
    InvokeRequest back;
    if (!ParseInvokeRequest(BuildInvokeCall("F", arguments), back, error) ||
        back.arguments != arguments)
        std::abort();
    return 0;
}
