// Private-profile (INI file) lookup, as the language files use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pennoria::platform {

// Looks a key up in an INI text. Section and key names compare without regard to ASCII case,
// white space around names and values is ignored, one pair of double quotes around a value is
// removed, lines starting with ';' are comments, and the first matching key wins. Nothing
// found (or an unreadable file) gives nullopt.
std::optional<std::string> LookupProfileText(std::string_view iniText, std::string_view section,
                                             std::string_view key);

std::optional<std::string> GetPrivateProfileString(const std::string& iniPath,
                                                   std::string_view section, std::string_view key);

} // namespace pennoria::platform
