// Paths the editor movie hands over: relative ones lie below the program's "editor/" folder.
#pragma once

#include <string>

namespace pennoria {

// True for a path that names its place by itself: it starts with '/' or contains ":\" or ":/".
bool IsAbsoluteEditorPath(const std::string& path);

// An absolute path is returned unchanged; any other becomes the program folder + "editor/" +
// path.
std::string MakeEditorPath(const std::string& path);

} // namespace pennoria
