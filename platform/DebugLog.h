// The program's debug channel: silent unless PENNORIA_DEBUG_LOG names a file or "stderr".
#pragma once

#include <string_view>

namespace pennoria::platform {

void DebugOutput(std::string_view line);

} // namespace pennoria::platform
