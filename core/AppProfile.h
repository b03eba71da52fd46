// The application's own profile in the registry (the window placement lives here), below
// HKEY_CURRENT_USER\Software\<settings key>\<application name>\<section>. The settings key
// itself starts with "Software", so that word occurs twice in the full path.
#pragma once

#include <string>

namespace pennoria {

// The executable's file name without its extension ("pennoria").
std::string ProfileApplicationName();

// The key below HKEY_CURRENT_USER that holds the profile's sections.
std::string ProfileKeyPath();

// Stores a text entry (as REG_SZ with its terminating zero); false when it could not be written.
bool WriteProfileString(const std::string& section, const std::string& entry,
                        const std::string& value);

// The text of an entry, or defaultValue when the entry is missing or not a text.
std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& defaultValue = {});

} // namespace pennoria
