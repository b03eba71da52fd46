// Cutting a face down to the glyphs some text needs, with HarfBuzz's subsetter.
#include "publish/FontSubset.h"

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <climits>
#include <memory>

namespace pennoria {

namespace {

template <typename T, void (*Destroy)(T*)> struct HbFree {
    void operator()(T* object) const { Destroy(object); }
};
using Blob = std::unique_ptr<hb_blob_t, HbFree<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, HbFree<hb_face_t, hb_face_destroy>>;
using Font = std::unique_ptr<hb_font_t, HbFree<hb_font_t, hb_font_destroy>>;
using Buffer = std::unique_ptr<hb_buffer_t, HbFree<hb_buffer_t, hb_buffer_destroy>>;
using Input =
    std::unique_ptr<hb_subset_input_t, HbFree<hb_subset_input_t, hb_subset_input_destroy>>;

// A character and the characters a shaper may set it as: its canonical decomposition where the
// face has no glyph of its own for it, or where it is an Indic letter (whose shaper tries the
// parts first: a nukta form, a split vowel sign), and the Thai and Lao vowel AM, which the shaper
// always takes apart into NIKHAHIT and AA. A cut without them draws such characters as empty
// boxes, or lets the browser fall back to another face for them.
void AddWithParts(hb_set_t* unicodes, hb_font_t* font, hb_codepoint_t c, int depth = 0) {
    hb_set_add(unicodes, c);
    if (c == 0x0E33 || c == 0x0EB3) {
        hb_set_add(unicodes, c + 0x1A); // NIKHAHIT (0E4D, 0ECD)
        hb_set_add(unicodes, c - 1);    // AA (0E32, 0EB2)
        return;
    }
    hb_codepoint_t glyph = 0, a = 0, b = 0;
    const bool indic = c >= 0x0900 && c <= 0x0DFF;
    if (depth < 4 && (indic || !hb_font_get_nominal_glyph(font, c, &glyph)) &&
        hb_unicode_decompose(hb_unicode_funcs_get_default(), c, &a, &b)) {
        AddWithParts(unicodes, font, a, depth + 1);
        if (b)
            AddWithParts(unicodes, font, b, depth + 1);
    }
}

} // namespace

std::optional<std::string> FaceFamily(const std::string& face) {
    if (face.empty() || face.size() > UINT_MAX)
        return std::nullopt;
    const Blob blob(hb_blob_create_or_fail(face.data(), static_cast<unsigned>(face.size()),
                                           HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    if (!blob)
        return std::nullopt;
    const Face source(hb_face_create(blob.get(), 0));
    if (hb_face_get_glyph_count(source.get()) == 0)
        return std::nullopt;
    const hb_language_t english = hb_language_from_string("en", -1);
    for (hb_ot_name_id_t id : {HB_OT_NAME_ID_TYPOGRAPHIC_FAMILY, HB_OT_NAME_ID_FONT_FAMILY}) {
        char name[256];
        unsigned size = sizeof name;
        if (hb_ot_name_get_utf8(source.get(), id, english, &size, name) == 0)
            continue;
        std::string family(name, size);
        if (!family.empty())
            return family;
    }
    return std::nullopt;
}

std::optional<std::string> SubsetTrueType(const std::string& face, const std::string& text,
                                          unsigned index) {
    if (face.empty() || face.size() > UINT_MAX || text.size() > INT_MAX)
        return std::nullopt;
    // The blob only borrows the bytes; the face and the cut are done with before returning.
    const Blob blob(hb_blob_create_or_fail(face.data(), static_cast<unsigned>(face.size()),
                                           HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    if (!blob)
        return std::nullopt;
    const Face source(hb_face_create(blob.get(), index));
    if (hb_face_get_glyph_count(source.get()) == 0)
        return std::nullopt;

    const Input input(hb_subset_input_create_or_fail());
    const Buffer buffer(hb_buffer_create());
    if (!input || !hb_buffer_allocation_successful(buffer.get()))
        return std::nullopt;
    // HarfBuzz's UTF-8 reading puts U+FFFD for what is malformed.
    hb_buffer_add_utf8(buffer.get(), text.data(), static_cast<int>(text.size()), 0, -1);
    unsigned count = 0;
    const hb_glyph_info_t* characters = hb_buffer_get_glyph_infos(buffer.get(), &count);
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    const Font font(hb_font_create(source.get()));
    for (unsigned i = 0; i < count; ++i)
        AddWithParts(unicodes, font.get(), characters[i].codepoint);

    const Face cut(hb_subset_or_fail(source.get(), input.get()));
    if (!cut)
        return std::nullopt;
    const Blob bytes(hb_face_reference_blob(cut.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(bytes.get(), &length);
    if (!data || length == 0)
        return std::nullopt;
    return std::string(data, length);
}

} // namespace pennoria
