// Program folder lookup.
#include "core/ProgramPaths.h"

#include "platform/Paths.h"

namespace pennoria {

std::string ProgramFolderOf(const std::string& moduleFileName) {
    // The module name is read into a buffer of 1024 characters.
    std::string name = moduleFileName.substr(0, 1023);
    std::size_t cut = name.find_last_of('\\');
    if (cut == std::string::npos)
        cut = name.find_last_of('/');
    if (cut == std::string::npos || cut == 0)
        return {};
    return name.substr(0, cut + 1);
}

std::string GetProgramFolder() {
    return ProgramFolderOf(platform::GetModuleFileName());
}

std::string GetResourceBaseFolder() {
    return {};
}

} // namespace pennoria
