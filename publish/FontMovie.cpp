// Embedded-font tags written from a face's outlines (FreeType), and the face movie around one.
#include "publish/FontMovie.h"

#include "swf/SwfMovie.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace pennoria {

namespace {

constexpr int kEmSquare = 20480; // the player's em square for this tag: 1024 × 20
constexpr std::uint16_t kDefineFont3 = 75;
constexpr std::uint16_t kDefineFontAlignZones = 73;
constexpr std::uint16_t kDefineFontName = 88;
constexpr std::size_t kMaxGlyphs = 4096;

// Bits written most significant first, as movie files hold them.
class BitString {
public:
    void Unsigned(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (m_used == 0)
                m_bytes.push_back('\0');
            if ((value >> i) & 1u)
                m_bytes.back() = static_cast<char>(m_bytes.back() | (0x80 >> m_used));
            m_used = (m_used + 1) & 7;
        }
    }
    void Signed(std::int32_t value, int count) {
        Unsigned(static_cast<std::uint32_t>(value) &
                     (count >= 32 ? 0xFFFFFFFFu : ((1u << count) - 1)),
                 count);
    }
    void Align() { m_used = 0; }
    void U8(std::uint8_t v) {
        Align();
        m_bytes.push_back(static_cast<char>(v));
    }
    void U16(std::uint32_t v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Bytes(const std::string& b) {
        Align();
        m_bytes += b;
    }
    std::string& Data() { return m_bytes; }

private:
    std::string m_bytes;
    int m_used = 0;
};

// Bits a signed value needs (with its sign).
int SignedBits(std::int32_t v) {
    int bits = 1;
    while (v < -(1 << (bits - 1)) || v >= (1 << (bits - 1)))
        ++bits;
    return bits;
}

void Rect(BitString& out, std::int32_t xMin, std::int32_t xMax, std::int32_t yMin,
          std::int32_t yMax) {
    out.Align();
    const int bits =
        std::max({SignedBits(xMin), SignedBits(xMax), SignedBits(yMin), SignedBits(yMax)});
    out.Unsigned(static_cast<std::uint32_t>(bits), 5);
    for (std::int32_t v : {xMin, xMax, yMin, yMax})
        out.Signed(v, bits);
    out.Align();
}

struct Point {
    double x = 0, y = 0;
};

// One glyph's outline as the tag's shape records, in em-square units with y downwards.
class GlyphShape {
public:
    explicit GlyphShape(double scale) : m_scale(scale) {
        m_out.Unsigned(1, 4); // one fill style bit
        m_out.Unsigned(0, 4); // no line styles
    }

    void MoveTo(Point p) {
        Close();
        const std::int32_t x = X(p), y = Y(p);
        m_out.Unsigned(0, 1);               // a style change
        m_out.Unsigned(0, 1);               // no new styles
        m_out.Unsigned(0, 1);               // no line style
        m_out.Unsigned(0, 1);               // no fill style 1
        m_out.Unsigned(m_first ? 1 : 0, 1); // fill style 0, on the first record only
        m_out.Unsigned(1, 1);               // a move
        const int bits = std::max(SignedBits(x), SignedBits(y));
        m_out.Unsigned(static_cast<std::uint32_t>(bits), 5);
        m_out.Signed(x, bits);
        m_out.Signed(y, bits);
        if (m_first)
            m_out.Unsigned(1, 1);
        m_first = false;
        m_x = m_startX = x;
        m_y = m_startY = y;
        Extend(x, y);
        m_open = true;
    }

    void LineTo(Point p) { Line(X(p), Y(p)); }

    void ConicTo(Point control, Point to) {
        const std::int32_t cx = X(control), cy = Y(control), ax = X(to), ay = Y(to);
        const std::int32_t d[4] = {cx - m_x, cy - m_y, ax - cx, ay - cy};
        if (d[0] == 0 && d[1] == 0) {
            Line(ax, ay);
            return;
        }
        if (d[2] == 0 && d[3] == 0) {
            Line(cx, cy);
            return;
        }
        int bits = 2;
        for (std::int32_t v : d)
            bits = std::max(bits, SignedBits(v));
        m_out.Unsigned(1, 1); // an edge
        m_out.Unsigned(0, 1); // curved
        m_out.Unsigned(static_cast<std::uint32_t>(bits - 2), 4);
        for (std::int32_t v : d)
            m_out.Signed(v, bits);
        Extend(cx, cy);
        Extend(ax, ay);
        m_x = ax;
        m_y = ay;
    }

    // A cubic piece as four quadratic ones, each from the cubic's quarter.
    void CubicTo(Point from, Point c1, Point c2, Point to) {
        auto at = [&](double t) {
            const double u = 1 - t;
            return Point{u * u * u * from.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x +
                             t * t * t * to.x,
                         u * u * u * from.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y +
                             t * t * t * to.y};
        };
        auto slope = [&](double t) {
            const double u = 1 - t;
            return Point{3 * u * u * (c1.x - from.x) + 6 * u * t * (c2.x - c1.x) +
                             3 * t * t * (to.x - c2.x),
                         3 * u * u * (c1.y - from.y) + 6 * u * t * (c2.y - c1.y) +
                             3 * t * t * (to.y - c2.y)};
        };
        constexpr int kPieces = 4;
        for (int i = 0; i < kPieces; ++i) {
            const double t0 = double(i) / kPieces, t1 = double(i + 1) / kPieces;
            const Point p0 = at(t0), p1 = at(t1), s0 = slope(t0), s1 = slope(t1);
            const double h = (t1 - t0) / 2;
            // The control point where the tangents of the piece's ends would meet, taken as the
            // mean of both ends' half-step tangents.
            const Point control{(p0.x + s0.x * h + p1.x - s1.x * h) / 2,
                                (p0.y + s0.y * h + p1.y - s1.y * h) / 2};
            ConicTo(control, p1);
        }
    }

    // The records, ended and byte-aligned, and the bounds drawn.
    std::string Finish() {
        Close();
        m_out.Unsigned(0, 6); // the end record
        m_out.Align();
        return m_out.Data();
    }
    bool Empty() const { return m_first; }
    std::int32_t MinX() const { return m_minX; }
    std::int32_t MaxX() const { return m_maxX; }
    std::int32_t MinY() const { return m_minY; }
    std::int32_t MaxY() const { return m_maxY; }

private:
    std::int32_t X(Point p) const { return static_cast<std::int32_t>(std::lround(p.x * m_scale)); }
    std::int32_t Y(Point p) const { return static_cast<std::int32_t>(std::lround(-p.y * m_scale)); }

    void Line(std::int32_t x, std::int32_t y) {
        const std::int32_t dx = x - m_x, dy = y - m_y;
        if (dx == 0 && dy == 0)
            return;
        const int bits = std::max({2, SignedBits(dx), SignedBits(dy)});
        m_out.Unsigned(1, 1); // an edge
        m_out.Unsigned(1, 1); // straight
        m_out.Unsigned(static_cast<std::uint32_t>(bits - 2), 4);
        m_out.Unsigned(1, 1); // a general line
        m_out.Signed(dx, bits);
        m_out.Signed(dy, bits);
        Extend(x, y);
        m_x = x;
        m_y = y;
    }

    void Close() {
        if (m_open)
            Line(m_startX, m_startY);
        m_open = false;
    }

    void Extend(std::int32_t x, std::int32_t y) {
        m_minX = std::min(m_minX, x);
        m_maxX = std::max(m_maxX, x);
        m_minY = std::min(m_minY, y);
        m_maxY = std::max(m_maxY, y);
    }

    double m_scale;
    BitString m_out;
    bool m_first = true;
    bool m_open = false;
    std::int32_t m_x = 0, m_y = 0, m_startX = 0, m_startY = 0;
    std::int32_t m_minX = INT_MAX, m_maxX = INT_MIN, m_minY = INT_MAX, m_maxY = INT_MIN;
};

struct Walk {
    GlyphShape* shape;
    Point last;
};

Point At(const FT_Vector* v) {
    return {static_cast<double>(v->x), static_cast<double>(v->y)};
}

int OnMove(const FT_Vector* to, void* user) {
    auto* walk = static_cast<Walk*>(user);
    walk->shape->MoveTo(At(to));
    walk->last = At(to);
    return 0;
}
int OnLine(const FT_Vector* to, void* user) {
    auto* walk = static_cast<Walk*>(user);
    walk->shape->LineTo(At(to));
    walk->last = At(to);
    return 0;
}
int OnConic(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* walk = static_cast<Walk*>(user);
    walk->shape->ConicTo(At(control), At(to));
    walk->last = At(to);
    return 0;
}
int OnCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* walk = static_cast<Walk*>(user);
    walk->shape->CubicTo(walk->last, At(c1), At(c2), At(to));
    walk->last = At(to);
    return 0;
}

// The code points of UTF-8 text, each once, ascending; malformed bytes are passed over.
std::vector<std::uint32_t> CodePoints(const std::string& text) {
    std::vector<std::uint32_t> codes;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80         ? 0
                          : (c >> 5) == 6  ? 1
                          : (c >> 4) == 14 ? 2
                          : (c >> 3) == 30 ? 3
                                           : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            ++i;
            continue;
        }
        std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        bool whole = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                whole = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        i += whole ? static_cast<std::size_t>(extra) + 1 : 1;
        if (whole && code >= 0x20 && code <= 0xFFFF)
            codes.push_back(code);
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

void SetError(std::string* error, const std::string& why) {
    if (error)
        *error = why;
}

struct FreeTypeDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

} // namespace

std::optional<std::string> FontTagBody(const std::string& face, const std::string& family,
                                       const std::string& text, std::uint16_t fontId,
                                       std::string* error) {
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) {
        SetError(error, "FreeType did not start");
        return std::nullopt;
    }
    const std::unique_ptr<FT_LibraryRec_, FreeTypeDeleter> library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (face.empty() || face.size() > LONG_MAX ||
        FT_New_Memory_Face(library.get(), reinterpret_cast<const FT_Byte*>(face.data()),
                           static_cast<FT_Long>(face.size()), 0, &rawFace) != 0) {
        SetError(error, "not a face FreeType reads");
        return std::nullopt;
    }
    const std::unique_ptr<FT_FaceRec_, FaceDeleter> ft(rawFace);
    if (!FT_IS_SCALABLE(ft.get()) || ft->units_per_EM == 0) {
        SetError(error, "the face has no outlines");
        return std::nullopt;
    }
    const double scale = double(kEmSquare) / ft->units_per_EM;

    struct Glyph {
        std::uint32_t code;
        std::string shape;
        std::int32_t advance;
        std::int32_t xMin, xMax, yMin, yMax;
    };
    std::vector<Glyph> glyphs;
    const FT_Outline_Funcs funcs = {OnMove, OnLine, OnConic, OnCubic, 0, 0};
    std::vector<std::uint32_t> codes = CodePoints(text + " ");
    for (std::uint32_t code : codes) {
        if (glyphs.size() >= kMaxGlyphs)
            break;
        const FT_UInt index = FT_Get_Char_Index(ft.get(), code);
        if (index == 0 ||
            FT_Load_Glyph(ft.get(), index,
                          FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
            ft->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            continue;
        GlyphShape shape(scale);
        Walk walk{&shape, {}};
        if (FT_Outline_Decompose(&ft->glyph->outline, &funcs, &walk) != 0)
            continue;
        const bool empty = shape.Empty();
        Glyph glyph{code,
                    shape.Finish(),
                    static_cast<std::int32_t>(
                        std::min<long>(SHRT_MAX, std::lround(ft->glyph->advance.x * scale))),
                    empty ? 0 : shape.MinX(),
                    empty ? 0 : shape.MaxX(),
                    empty ? 0 : shape.MinY(),
                    empty ? 0 : shape.MaxY()};
        glyphs.push_back(std::move(glyph));
    }

    BitString out;
    out.U16(fontId);
    // Layout, wide offsets and wide codes; neither bold nor italic: one face serves every style.
    out.U8(0x80 | 0x08 | 0x04);
    out.U8(1); // Latin
    const std::string name = family.substr(0, 255);
    out.U8(static_cast<std::uint8_t>(name.size()));
    out.Bytes(name);
    out.U16(static_cast<std::uint32_t>(glyphs.size()));
    // Offsets from the start of the offset table: the table, the code table's offset, shapes.
    std::uint32_t offset = static_cast<std::uint32_t>(4 * (glyphs.size() + 1));
    for (const Glyph& glyph : glyphs) {
        out.U32(offset);
        offset += static_cast<std::uint32_t>(glyph.shape.size());
    }
    out.U32(offset);
    for (const Glyph& glyph : glyphs)
        out.Bytes(glyph.shape);
    for (const Glyph& glyph : glyphs)
        out.U16(glyph.code);
    auto clampShort = [](double v) {
        return static_cast<std::int16_t>(std::clamp<long>(std::lround(v), SHRT_MIN, SHRT_MAX));
    };
    out.U16(static_cast<std::uint16_t>(clampShort(ft->ascender * scale)));
    out.U16(static_cast<std::uint16_t>(clampShort(-ft->descender * scale)));
    out.U16(static_cast<std::uint16_t>(
        clampShort((ft->height - ft->ascender + ft->descender) * scale)));
    for (const Glyph& glyph : glyphs)
        out.U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(glyph.advance)));
    for (const Glyph& glyph : glyphs)
        Rect(out, glyph.xMin, glyph.xMax, glyph.yMin, glyph.yMax);
    out.U16(0); // no kerning pairs
    return std::move(out.Data());
}

std::optional<std::string> MakeFontMovie(const std::string& templateMovie, const std::string& face,
                                         const std::string& family, const std::string& text,
                                         std::string* error) {
    SWFMovie movie(nullptr);
    if (!movie.LoadFromData(templateMovie)) {
        SetError(error, "the template face movie does not load: " + movie.LoadError());
        return std::nullopt;
    }
    BitString tags;
    bool replaced = false;
    for (const SWFTag& tag : movie.Tags()) {
        const SWFTagBody* body = tag.Body();
        std::string bytes(reinterpret_cast<const char*>(body->Data()), body->GetLength());
        // The template's own face's zones and name would not match the new face.
        if (tag.Code() == kDefineFontAlignZones || tag.Code() == kDefineFontName)
            continue;
        if (tag.Code() == kDefineFont3 && bytes.size() >= 2 && !replaced) {
            const std::uint16_t id = static_cast<std::uint16_t>(
                static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8);
            auto made = FontTagBody(face, family, text, id, error);
            if (!made)
                return std::nullopt;
            bytes = std::move(*made);
            replaced = true;
        }
        if (bytes.size() < 63) {
            tags.U16(static_cast<std::uint32_t>(tag.Code() * 64 + bytes.size()));
        } else {
            tags.U16(static_cast<std::uint32_t>(tag.Code() * 64 + 63));
            tags.U32(static_cast<std::uint32_t>(bytes.size()));
        }
        tags.Bytes(bytes);
    }
    if (!replaced) {
        SetError(error, "the template face movie holds no face");
        return std::nullopt;
    }
    const SWFHeader& header = movie.Header();
    BitString head;
    Rect(head, header.FrameRect.Xmin, header.FrameRect.Xmax, header.FrameRect.Ymin,
         header.FrameRect.Ymax);
    head.U8(header.RateFraction);
    head.U8(header.RateInteger);
    head.U16(header.FrameCount);
    BitString file;
    file.Bytes("FWS");
    file.U8(header.Version);
    file.U32(static_cast<std::uint32_t>(8 + head.Data().size() + tags.Data().size()));
    file.Bytes(head.Data());
    file.Bytes(tags.Data());
    return std::move(file.Data());
}

} // namespace pennoria
