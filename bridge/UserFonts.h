// The user's own faces: a TrueType or OpenType file chosen by the user is copied beside the
// project, into the "fonts" folder next to the project file, where the project names it.
#pragma once

#include "publish/FontSubset.h"

#include <optional>
#include <string>

namespace pennoria {

struct AddedFont {
    bool ok = false;
    std::string src;    // "fonts/<file name>", relative to the project's folder
    std::string family; // the family the face names itself
    std::string why;    // when not ok
};

// Copies the face at fontPath into "fonts/" beside the project file projectPath (created when
// missing), keeping its file name unless another file already has it (then "-2", "-3" ... before
// the extension); the same bytes already there are not copied again. Refused when the project
// has no file yet, the file is not a face, or it is over kMaxUserFontBytes.
AddedFont AddUserFont(const std::string& fontPath, const std::string& projectPath);

// For the editor's canvas: the project's face file src (named as the project names it) as a face
// movie of family holding the glyphs of text, base64-encoded; nothing when the file or the
// program's template face movie cannot be read.
std::optional<std::string> UserFontMovie(const std::string& src, const std::string& family,
                                         const std::string& text, const std::string& projectPath);

// For the editor's canvas: a text the Flash player cannot draw, painted by the host from the
// picture's display list (the model's JSON form, on a transparent ground), as PNG bytes in
// base64; set in the program's faces, the project's own (its "fonts/" folder) and the system's.
// Nothing when the list is damaged or the picture larger than kMaxTextPicturePixels.
constexpr long long kMaxTextPicturePixels = 16LL << 20;
std::optional<std::string> TextPicture(const std::string& listJson, const std::string& projectPath);

} // namespace pennoria
