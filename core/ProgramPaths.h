// The program folder and paths below it.
#pragma once

#include <string>

namespace pennoria {

// The folder of the running executable with its trailing separator: the module's file name cut
// after the last '\', or when it has none after the last '/'. Empty when no separator follows
// the first character.
std::string GetProgramFolder();

// The same rule applied to a given module path (what GetProgramFolder does with the real one).
std::string ProgramFolderOf(const std::string& moduleFileName);

// The skin code's base below the program folder: always empty.
std::string GetResourceBaseFolder();

} // namespace pennoria
