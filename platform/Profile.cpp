// A small INI reader. inih is not used: its default build cuts long lines and treats " ;" inside
// a value as a comment, neither of which the language files can live with.
#include "platform/Profile.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace pennoria::platform {

std::optional<std::string> LookupProfileText(std::string_view text, std::string_view section,
                                             std::string_view key) {
    // A UTF-8 byte-order mark at the start is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool inSection = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            if (close != std::string::npos)
                inSection = EqualsIgnoreCase(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection)
            continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        if (!EqualsIgnoreCase(Trim(line.substr(0, equals)), key))
            continue;
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

std::optional<std::string> GetPrivateProfileString(const std::string& iniPath,
                                                   std::string_view section, std::string_view key) {
    // Language files are small; a huge file is not one of ours and is ignored.
    auto text = ReadWholeFile(iniPath, nullptr, 16u << 20);
    if (!text)
        return std::nullopt;
    return LookupProfileText(*text, section, key);
}

} // namespace pennoria::platform
