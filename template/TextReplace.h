// Replacing every occurrence of a text, with a ceiling on the size of the result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pennoria::template_detail {

// Replaces every occurrence of from in text by to, left to right and without overlap; the
// inserted text is not searched again. When the result would grow beyond maxSize bytes the text
// is left unchanged and the answer is false. An empty from matches nothing.
bool ReplaceAll(std::string& text, std::string_view from, std::string_view to, std::size_t maxSize);

} // namespace pennoria::template_detail
