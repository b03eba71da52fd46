// libFuzzer target: the serve framing. Any byte stream must end in messages, the end of input or
// a refusal, never a crash or an allocation the length header alone asks for; every message read
// frames and reads back to itself.
#include "bridge/Invoke.h"
#include "bridge/MessageFraming.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace pennoria;

namespace {

// The messages of a stream, read through a channel.
FrameStatus ReadAll(const std::string& bytes, std::string& first, int& count) {
    std::FILE* in = ::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (!in)
        return FrameStatus::EndOfInput;
    CFramedChannel channel(in, nullptr);
    FrameStatus status;
    std::string message;
    count = 0;
    while ((status = channel.Read(message)) == FrameStatus::Message) {
        if (count++ == 0)
            first = message;
        // Each request reaches the invoke parser as serve hands it over.
        InvokeRequest request;
        std::string error;
        ParseInvokeRequest(message, request, error);
    }
    std::fclose(in);
    return status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string first;
    int count = 0;
    ReadAll(input, first, count);

    // The input as one message: framed, it reads back whole, and nothing follows it.
    std::string back;
    if (ReadAll(FrameMessage(input), back, count) != FrameStatus::EndOfInput || count != 1 ||
        back != input)
        std::abort();
    return 0;
}
