// A TrueType face cut down to the characters a banner shows, for the HTML5 creative, whose
// whole size ad networks limit: a face of a few hundred glyphs would take most of it.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace pennoria {

// The code points of UTF-8 text; a malformed sequence counts as U+FFFD.
std::set<char32_t> CodePointsOf(const std::string& utf8);

// The face with only the outlines of .notdef, the characters' glyphs and the parts these are
// built from; every other glyph is left empty under its own number, so the face's other tables
// stay valid as they are. Glyph substitution (which could name an emptied glyph), glyph names,
// per-size device metrics and signatures are left out. Nothing when the bytes are not a
// TrueType face with outlines this can read (the whole face is then used).
std::optional<std::string> SubsetTrueType(const std::string& face,
                                          const std::set<char32_t>& characters);

} // namespace pennoria
