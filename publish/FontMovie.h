// A face of the user's own for the SWF banner: a small movie holding the face's glyphs for the
// characters a banner shows, as the player's embedded-font tag, which the component movie loads
// and registers before drawing. The glyph outlines come from FreeType (TrueType's quadratic
// curves as they are, OpenType's cubic ones split into quadratic pieces).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pennoria {

// The body of an embedded-font tag (code 75) with id fontId named family: one glyph per
// character of the UTF-8 text the face has (each once, in code order), with advances, bounds,
// ascent and descent, on the player's 20480-unit em square. Nothing (and why) when the bytes are
// not a face FreeType reads.
std::optional<std::string> FontTagBody(const std::string& face, const std::string& family,
                                       const std::string& text, std::uint16_t fontId,
                                       std::string* error = nullptr);

// The face movie: the program's template face movie (one embedded face linked to the class the
// component registers) with its face replaced by FontTagBody's for family and text, written as an
// uncompressed movie. Nothing (and why) when the template or the face cannot be read.
std::optional<std::string> MakeFontMovie(const std::string& templateMovie, const std::string& face,
                                         const std::string& family, const std::string& text,
                                         std::string* error = nullptr);

} // namespace pennoria
