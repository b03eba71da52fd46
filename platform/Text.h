// Text conversions: UTF-8 inside the program, UTF-16 where stored bytes demand it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pennoria::platform {

// Malformed UTF-8 sequences become U+FFFD; nothing is read past the input.
std::u16string Utf8ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16 as little-endian bytes (two per unit), as the registry stores texts, and back; an odd
// last byte is ignored.
std::string Utf16ToLittleEndianBytes(std::u16string_view text);
std::u16string Utf16FromLittleEndianBytes(std::string_view bytes);

// Text fit for an XML 1.0 document in UTF-8, which is what every project text and page this
// program writes must be: malformed UTF-8 (encoded surrogates included), non-characters
// (U+FDD0..U+FDEF, U+xFFFE, U+xFFFF) and control characters other than tab, line feed and
// carriage return each become U+FFFD. IsXmlText: whether the text is already so.
std::string ToXmlText(std::string_view text);
bool IsXmlText(std::string_view text);

// The number of code points in a UTF-8 text (a malformed byte counts as one).
std::size_t CountCodePoints(std::string_view text);
// The byte length of the first maxCodePoints code points, never splitting a sequence.
std::size_t PrefixBytesForCodePoints(std::string_view text, std::size_t maxCodePoints);

// ASCII-only case folding, for names that the program compares without regard to case.
std::string AsciiLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// The value of a hexadecimal digit, or -1 when c is none.
int HexDigit(char c);

// White space (space, tab, CR, LF, VT, FF) removed at both ends.
std::string Trim(std::string_view text);

// The path with every "\" turned into "/": the editor writes its paths with either separator.
std::string ToForwardSlashes(std::string path);

} // namespace pennoria::platform
