// Cutting a TrueType face down to the glyphs some text needs, glyph numbers kept.
#include "publish/FontSubset.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace pennoria {

namespace {

// Big-endian reads that fail (nothing) past the end instead of reading beyond it.
class Bytes {
public:
    explicit Bytes(const std::string& data) : m_data(data) {}
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_data.size() && count <= m_data.size() - offset;
    }
    std::optional<std::uint32_t> U16(std::size_t offset) const {
        if (!Has(offset, 2))
            return std::nullopt;
        return (Byte(offset) << 8) | Byte(offset + 1);
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        if (!Has(offset, 4))
            return std::nullopt;
        return (Byte(offset) << 24) | (Byte(offset + 1) << 16) | (Byte(offset + 2) << 8) |
               Byte(offset + 3);
    }
    std::string Slice(std::size_t offset, std::size_t count) const {
        return m_data.substr(offset, count);
    }

private:
    std::uint32_t Byte(std::size_t offset) const {
        return static_cast<unsigned char>(m_data[offset]);
    }
    const std::string& m_data;
};

struct Table {
    std::size_t offset = 0, length = 0;
};

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}

void Set32(std::string& out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[offset + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

std::uint32_t CheckSum(const std::string& data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t j = 0; j < 4; ++j)
            word =
                (word << 8) | (i + j < data.size() ? static_cast<unsigned char>(data[i + j]) : 0);
        sum += word;
    }
    return sum;
}

// The glyph of a character in a format 4 (16-bit segments) subtable; 0 when none.
std::uint32_t LookUpFormat4(const Bytes& font, std::size_t at, char32_t c) {
    if (c > 0xFFFF)
        return 0;
    const std::uint32_t segments = font.U16(at + 6).value_or(0) / 2;
    const std::size_t ends = at + 14, starts = ends + 2 * segments + 2;
    const std::size_t deltas = starts + 2 * segments, ranges = deltas + 2 * segments;
    for (std::uint32_t i = 0; i < segments; ++i) {
        auto end = font.U16(ends + 2 * i), start = font.U16(starts + 2 * i);
        auto delta = font.U16(deltas + 2 * i), range = font.U16(ranges + 2 * i);
        if (!end || !start || !delta || !range)
            return 0;
        if (c > *end)
            continue;
        if (c < *start)
            return 0;
        if (*range == 0)
            return (c + *delta) & 0xFFFF;
        auto glyph = font.U16(ranges + 2 * i + *range + 2 * (c - *start));
        return glyph && *glyph != 0 ? (*glyph + *delta) & 0xFFFF : 0;
    }
    return 0;
}

// The glyph of a character in a format 12 (32-bit groups) subtable; 0 when none.
std::uint32_t LookUpFormat12(const Bytes& font, std::size_t at, char32_t c) {
    const std::uint32_t groups = font.U32(at + 12).value_or(0);
    for (std::uint32_t i = 0; i < groups; ++i) {
        const std::size_t group = at + 16 + 12 * static_cast<std::size_t>(i);
        auto first = font.U32(group), last = font.U32(group + 4), glyph = font.U32(group + 8);
        if (!first || !last || !glyph)
            return 0;
        if (c >= *first && c <= *last)
            return *glyph + (c - *first);
    }
    return 0;
}

// The glyphs composite glyph data is built from.
std::vector<std::uint32_t> Components(const Bytes& font, std::size_t at, std::size_t length) {
    std::vector<std::uint32_t> parts;
    auto contours = font.U16(at);
    if (!contours || *contours < 0x8000 || length < 10)
        return parts;
    std::size_t position = at + 10;
    const std::size_t end = at + length;
    for (;;) {
        auto flags = font.U16(position), glyph = font.U16(position + 2);
        if (!flags || !glyph || position + 4 > end)
            break;
        parts.push_back(*glyph);
        position += 4 + ((*flags & 0x0001) ? 4 : 2);
        if (*flags & 0x0008)
            position += 2;
        else if (*flags & 0x0040)
            position += 4;
        else if (*flags & 0x0080)
            position += 8;
        if (!(*flags & 0x0020))
            break;
    }
    return parts;
}

} // namespace

std::set<char32_t> CodePointsOf(const std::string& utf8) {
    std::set<char32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t extra = 0;
        char32_t point = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            point = lead & 0x07;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            point = lead & 0x0F;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            extra = 1;
            point = lead & 0x1F;
        } else if (lead >= 0x80) {
            points.insert(0xFFFD);
            ++i;
            continue;
        }
        bool good = i + extra < utf8.size();
        for (std::size_t k = 1; good && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            good = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        points.insert(good && point <= 0x10FFFF ? point : 0xFFFD);
        i += good ? extra + 1 : 1;
    }
    return points;
}

std::optional<std::string> SubsetTrueType(const std::string& face,
                                          const std::set<char32_t>& characters) {
    const Bytes font(face);
    auto version = font.U32(0), count = font.U16(4);
    if (!version || !count || (*version != 0x00010000 && *version != 0x74727565))
        return std::nullopt;
    std::map<std::string, Table> tables;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::size_t record = 12 + 16 * static_cast<std::size_t>(i);
        auto offset = font.U32(record + 8), length = font.U32(record + 12);
        if (!offset || !length || !font.Has(*offset, *length))
            return std::nullopt;
        tables[face.substr(record, 4)] = {*offset, *length};
    }
    for (const char* needed : {"head", "maxp", "loca", "glyf", "cmap", "hhea", "hmtx"})
        if (!tables.count(needed))
            return std::nullopt;
    const Table head = tables["head"], loca = tables["loca"], glyf = tables["glyf"];
    const Table cmap = tables["cmap"];
    auto glyphCount = font.U16(tables["maxp"].offset + 4);
    auto locaFormat = font.U16(head.offset + 50);
    if (!glyphCount || !locaFormat || *locaFormat > 1 || head.length < 54)
        return std::nullopt;
    const bool longOffsets = *locaFormat == 1;
    auto glyphAt = [&](std::uint32_t glyph, std::size_t& start, std::size_t& length) {
        auto a =
            longOffsets ? font.U32(loca.offset + 4 * glyph) : font.U16(loca.offset + 2 * glyph);
        auto b = longOffsets ? font.U32(loca.offset + 4 * glyph + 4)
                             : font.U16(loca.offset + 2 * glyph + 2);
        if (!a || !b || glyph >= *glyphCount)
            return false;
        const std::size_t first = longOffsets ? *a : *a * 2, last = longOffsets ? *b : *b * 2;
        if (last < first || last > glyf.length)
            return false;
        start = glyf.offset + first;
        length = last - first;
        return true;
    };

    // The character map's Unicode subtables, 32-bit ones preferred, read inside the table.
    const std::string characterMap = font.Slice(cmap.offset, cmap.length);
    const Bytes unicode(characterMap);
    std::vector<std::pair<std::uint32_t, std::size_t>> maps; // format, offset
    const std::uint32_t subtables = unicode.U16(2).value_or(0);
    for (std::uint32_t i = 0; i < subtables; ++i) {
        const std::size_t record = 4 + 8 * static_cast<std::size_t>(i);
        auto platform = unicode.U16(record), offset = unicode.U32(record + 4);
        if (!platform || !offset || (*platform != 0 && *platform != 3))
            continue;
        auto format = unicode.U16(*offset);
        if (format && (*format == 4 || *format == 12))
            maps.emplace_back(*format, *offset);
    }
    std::sort(maps.begin(), maps.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    if (maps.empty())
        return std::nullopt;

    std::set<std::uint32_t> kept = {0};
    std::vector<std::uint32_t> pending;
    for (char32_t c : characters) {
        for (const auto& [format, at] : maps) {
            const std::uint32_t glyph =
                format == 12 ? LookUpFormat12(unicode, at, c) : LookUpFormat4(unicode, at, c);
            if (glyph != 0 && glyph < *glyphCount) {
                pending.push_back(glyph);
                break;
            }
        }
    }
    while (!pending.empty()) {
        const std::uint32_t glyph = pending.back();
        pending.pop_back();
        std::size_t start = 0, length = 0;
        if (!kept.insert(glyph).second || !glyphAt(glyph, start, length))
            continue;
        for (std::uint32_t part : Components(font, start, length))
            if (part < *glyphCount && !kept.count(part))
                pending.push_back(part);
    }

    // The outlines kept, each at a four-byte boundary, with long offsets.
    std::string outlines, offsets;
    for (std::uint32_t glyph = 0; glyph < *glyphCount; ++glyph) {
        Put32(offsets, static_cast<std::uint32_t>(outlines.size()));
        std::size_t start = 0, length = 0;
        if (kept.count(glyph) && glyphAt(glyph, start, length)) {
            outlines += font.Slice(start, length);
            outlines.resize((outlines.size() + 3) / 4 * 4, '\0');
        }
    }
    Put32(offsets, static_cast<std::uint32_t>(outlines.size()));

    std::map<std::string, std::string> written;
    for (const auto& [tag, table] : tables) {
        if (tag == "GSUB" || tag == "DSIG" || tag == "hdmx" || tag == "LTSH" || tag == "VDMX" ||
            tag == "FFTM")
            continue;
        std::string bytes = font.Slice(table.offset, table.length);
        if (tag == "glyf") {
            bytes = outlines;
        } else if (tag == "loca") {
            bytes = offsets;
        } else if (tag == "head") {
            bytes[50] = 0;
            bytes[51] = 1;
            Set32(bytes, 8, 0);
        } else if (tag == "post" && bytes.size() >= 32) {
            bytes.resize(32);
            Set32(bytes, 0, 0x00030000);
        }
        written[tag] = std::move(bytes);
    }

    std::string out;
    const std::uint32_t tableCount = static_cast<std::uint32_t>(written.size());
    std::uint32_t power = 1, selector = 0;
    while (power * 2 <= tableCount) {
        power *= 2;
        ++selector;
    }
    Put32(out, 0x00010000);
    Put16(out, tableCount);
    Put16(out, power * 16);
    Put16(out, selector);
    Put16(out, tableCount * 16 - power * 16);
    std::size_t offset = 12 + 16 * static_cast<std::size_t>(tableCount);
    std::size_t headOffset = 0;
    for (const auto& [tag, bytes] : written) {
        out += tag;
        Put32(out, CheckSum(bytes));
        Put32(out, static_cast<std::uint32_t>(offset));
        Put32(out, static_cast<std::uint32_t>(bytes.size()));
        if (tag == "head")
            headOffset = offset;
        offset += (bytes.size() + 3) / 4 * 4;
    }
    for (const auto& entry : written) {
        out += entry.second;
        out.resize((out.size() + 3) / 4 * 4, '\0');
    }
    Set32(out, headOffset + 8, 0xB1B0AFBAu - CheckSum(out));
    return out;
}

} // namespace pennoria
