// Shared libraries the program loads from a file when it first needs them.
#pragma once

#include <string>

namespace pennoria::platform {

// Loads the library at path (its own dependencies resolved at once, its symbols kept to itself)
// and answers the address of its export symbol; nullptr, and why in error, when the library or
// the export is missing. The library stays loaded until the process ends, so what it answers
// stays valid; loading it again answers the same library.
void* LoadLibrarySymbol(const std::string& path, const char* symbol, std::string* error);

} // namespace pennoria::platform
