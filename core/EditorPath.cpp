// Editor path rule.
#include "app/EditorPath.h"

#include "app/ProgramPaths.h"

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
