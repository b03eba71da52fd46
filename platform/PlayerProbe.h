// Asks the companion library libFlashProbe.so for the installed player's version.
#pragma once

#include <cstdint>
#include <string>

namespace pennoria::platform {

// The library's file name in the program folder.
extern const char* const kFlashProbeLibrary; // "libFlashProbe.so"

// Loads programFolder + libFlashProbe.so and calls its GetFlashOCXVersion: the version packed
// as major << 16 | minor. 0 when the library or its export cannot be found.
std::int32_t QueryFlashOCXVersion(const std::string& programFolder);

} // namespace pennoria::platform
