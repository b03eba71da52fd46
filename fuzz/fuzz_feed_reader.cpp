// libFuzzer target: the product feed's CSV reader. Any input ends in End or Malformed, never
// holds a field or record beyond the limits, and a record written back with every field quoted
// reads as the same fields.
#include "project/FeedReader.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace pennoria;

namespace {

std::string Quoted(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
        line += line.empty() ? "\"" : ",\"";
        for (char c : field)
            line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line + "\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    FeedReader reader(input);
    std::vector<std::string> fields;
    for (int records = 0;; ++records) {
        const FeedReader::Status status = reader.Next(fields);
        if (status != FeedReader::Status::Record)
            break;
        if (fields.empty() || fields.size() > FeedReader::kMaxFields ||
            static_cast<std::size_t>(records) > size)
            std::abort();
        for (const std::string& field : fields)
            if (field.size() > FeedReader::kMaxFieldBytes)
                std::abort();
        // Written back quoted, the record reads the same.
        std::istringstream again(Quoted(fields));
        FeedReader check(again);
        std::vector<std::string> read;
        if (check.Next(read) != FeedReader::Status::Record || read != fields)
            std::abort();
    }
    return 0;
}
