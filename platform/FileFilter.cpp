// Filter form parser: description and pattern list alternate, separated by '|'; "||" ends it.
#include "platform/FileFilter.h"

#include "platform/Text.h"

namespace pennoria::platform {

std::vector<FileFilter> ParseFilterForm(std::string_view filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = filter.find('|', start);
        std::string_view part = filter.substr(
            start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
        if (part.empty() && (bar == std::string_view::npos || parts.size() % 2 == 0))
            break; // the empty entry of "||" (or the end) closes the list
        parts.emplace_back(part);
        if (bar == std::string_view::npos)
            break;
        start = bar + 1;
    }
    std::vector<FileFilter> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter f;
        f.description = parts[i];
        std::string_view patterns = parts[i + 1];
        std::size_t from = 0;
        while (from <= patterns.size()) {
            std::size_t semi = patterns.find(';', from);
            std::string pattern = Trim(patterns.substr(
                from, semi == std::string_view::npos ? std::string_view::npos : semi - from));
            if (!pattern.empty())
                f.patterns.push_back(pattern);
            if (semi == std::string_view::npos)
                break;
            from = semi + 1;
        }
        if (!f.patterns.empty())
            filters.push_back(std::move(f));
    }
    return filters;
}

} // namespace pennoria::platform
