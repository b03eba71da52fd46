// Editor path rule.
#include "core/EditorPath.h"

#include "core/ProgramPaths.h"

namespace pennoria {

bool IsAbsoluteEditorPath(const std::string& path) {
    return (!path.empty() && path[0] == '/') || path.find(":\\") != std::string::npos ||
           path.find(":/") != std::string::npos;
}

std::string MakeEditorPath(const std::string& path) {
    if (IsAbsoluteEditorPath(path))
        return path;
    return GetProgramFolder() + "editor/" + path;
}

} // namespace pennoria
