// Parsing of the framework's file filter form ("Desc(*.a;*.b)|*.a;*.b||") for file choosers.
#pragma once

#include "platform/Dialogs.h"

#include <string_view>
#include <vector>

namespace pennoria::platform {

std::vector<FileFilter> ParseFilterForm(std::string_view filter);

} // namespace pennoria::platform
