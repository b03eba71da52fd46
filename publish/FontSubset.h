// A face cut down to the characters a banner shows, for the HTML5 creative, whose whole size ad
// networks limit: a face of a few hundred glyphs would take most of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pennoria {

// The largest face file of the user's that is read (a whole script's OpenType face fits); what
// travels is cut to the banner's characters.
constexpr std::uint64_t kMaxUserFontBytes = std::uint64_t{64} << 20;

// The face (TrueType bytes) with only the glyphs of the characters of the UTF-8 text, those that
// shaping the text can reach (ligatures, composed glyphs' parts) and .notdef, cut by HarfBuzz's
// subsetter, which checks every table it reads. Malformed UTF-8 counts as U+FFFD. Nothing when
// the bytes are not a face HarfBuzz can cut (the whole face is then used).
// index picks the face of a collection.
std::optional<std::string> SubsetTrueType(const std::string& face, const std::string& text,
                                          unsigned index = 0);

// The family name a face file (TrueType or OpenType bytes) gives itself: its typographic family,
// else its family, in English where it has several. Nothing when the bytes are not a face with
// glyphs and a name.
std::optional<std::string> FaceFamily(const std::string& face);

} // namespace pennoria
