// SWF movies: bit fields, rectangles, tag forms, load trace, stage resize, malformed files.
#include "swf/Swf.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <sstream>

using namespace pennoria;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

namespace {

// An independent bit packer for building test movies (most significant bit first).
class BitPacker {
public:
    void Bits(std::int64_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (m_used == 0)
                m_bytes.push_back('\0');
            if ((value >> i) & 1)
                m_bytes.back() = static_cast<char>(m_bytes.back() | (0x80 >> m_used));
            m_used = (m_used + 1) % 8;
        }
    }
    std::string Take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
    int m_used = 0;
};

std::string Rect(int nbits, std::int32_t xmin, std::int32_t xmax, std::int32_t ymin,
                 std::int32_t ymax) {
    BitPacker packer;
    packer.Bits(nbits, 5);
    for (std::int32_t v : {xmin, xmax, ymin, ymax})
        packer.Bits(v, nbits);
    return packer.Take();
}

std::string Le16(unsigned v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string Le32(std::uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}
std::uint32_t ReadLe32(const std::string& s, size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
    return v;
}

struct TagRecipe {
    unsigned code;
    std::string body;
    bool longForm = false;
};

std::string TagRecord(const TagRecipe& tag) {
    if (tag.longForm || tag.body.size() >= 63)
        return Le16(tag.code << 6 | 63) + Le32(static_cast<std::uint32_t>(tag.body.size())) +
               tag.body;
    return Le16(tag.code << 6 | static_cast<unsigned>(tag.body.size())) + tag.body;
}

// A movie file: a 720 × 540 stage at 24.5 fps unless told otherwise.
struct MovieRecipe {
    bool compressed = false;
    std::uint8_t version = 10;
    std::string rect = Rect(15, 0, 14400, 0, 10800);
    std::vector<TagRecipe> tags = {
        {9, std::string("\xFF\x80\x00", 3)}, {27, std::string("unknown", 7)}, {1, ""}, {0, ""}};

    std::string Plain() const {
        std::string body = rect + "\x80\x18" + Le16(3);
        for (const TagRecipe& tag : tags)
            body += TagRecord(tag);
        return std::string(compressed ? "CWS" : "FWS") + static_cast<char>(version) +
               Le32(static_cast<std::uint32_t>(body.size() + 8)) + body;
    }
    std::string File() const { return compressed ? Compress(Plain()) : Plain(); }

    static std::string Compress(const std::string& plain) {
        uLongf size = compressBound(static_cast<uLong>(plain.size() - 8));
        std::string out(size, '\0');
        compress(reinterpret_cast<Bytef*>(&out[0]), &size,
                 reinterpret_cast<const Bytef*>(plain.data() + 8),
                 static_cast<uLong>(plain.size() - 8));
        return plain.substr(0, 8) + out.substr(0, size);
    }
};

std::string Inflate(const std::string& file) {
    std::string plain(ReadLe32(file, 4), '\0');
    uLongf size = static_cast<uLongf>(plain.size() - 8);
    int status = uncompress(reinterpret_cast<Bytef*>(&plain[8]), &size,
                            reinterpret_cast<const Bytef*>(file.data() + 8),
                            static_cast<uLong>(file.size() - 8));
    EXPECT_EQ(status, Z_OK);
    EXPECT_EQ(size, plain.size() - 8);
    std::memcpy(&plain[0], file.data(), 8);
    return plain;
}

// Loads bytes with the trace captured.
struct Loaded {
    std::ostringstream trace;
    SWFMovie movie{&trace};
    explicit Loaded(std::string data) { movie.LoadFromData(std::move(data)); }
};

std::vector<std::string> Bodies(const SWFMovie& movie) {
    std::vector<std::string> bodies;
    for (const auto& tag : movie.Tags())
        bodies.emplace_back(reinterpret_cast<const char*>(tag.Body()->Data()),
                            tag.Body()->GetLength());
    return bodies;
}

} // namespace

TEST(SwfBits, BytesAndBitFieldsShareOneCursor) {
    // Reading: a byte after 5 bits of a field starts at the next whole byte.
    auto image = std::make_shared<SwfImage>(std::string("\xA8\x42\x7F", 3));
    SWFBitReader reader(image, SwfTrace(nullptr));
    EXPECT_EQ(reader.ReadUBits(5), 0x15u); // 10101
    EXPECT_EQ(reader.ReadByte(), 0x42);
    EXPECT_EQ(reader.ReadBit(), 0u);
    EXPECT_EQ(reader.ReadUBits(7), 0x7Fu);
    EXPECT_FALSE(reader.Overrun());
    EXPECT_EQ(reader.ReadByte(), 0);
    EXPECT_TRUE(reader.Overrun()); // never past the image

    // Writing: a byte after 5 bits leaves the other 3 bits 0 and starts a new byte.
    SWFBitWriter writer(3, SwfTrace(nullptr));
    writer.WriteUBits(0x1F, 5);
    writer.WriteByte(0x42);
    writer.WriteBit(1);
    EXPECT_EQ(writer.BytesWritten(), 3u);
    EXPECT_EQ(writer.TakeBuffer(), std::string("\xF8\x42\x80", 3));
}

TEST(SwfBits, SignedFieldsRoundTrip) {
    const std::int32_t values[] = {0, 1, -1, 5, -6, 16383, -16384, 1073741823, -1073741824};
    for (int width : {4, 15, 31}) {
        SWFBitWriter writer(64, SwfTrace(nullptr));
        std::vector<std::int32_t> written;
        for (std::int32_t v : values) {
            std::int64_t limit = std::int64_t{1} << (width - 1);
            if (v >= -limit && v < limit) {
                writer.WriteSBits(v, width);
                written.push_back(v);
            }
        }
        SWFBitReader reader(std::make_shared<SwfImage>(writer.TakeBuffer()), SwfTrace(nullptr));
        for (std::int32_t v : written)
            EXPECT_EQ(reader.ReadSBits(width), v) << "width " << width;
    }
    SWFBitReader reader(std::make_shared<SwfImage>(std::string("\xFF")), SwfTrace(nullptr));
    EXPECT_EQ(reader.ReadSBits(0), 0);
    EXPECT_EQ(reader.ReadUBits(0), 0u);
    EXPECT_EQ(reader.ReadSBits(3), -1);
}

TEST(SwfRect, SizesAndNegativeValues) {
    struct Case {
        int nbits;
        std::int32_t xmin, xmax, ymin, ymax;
        int bytes;
    } cases[] = {
        {0, 0, 0, 0, 0, 1},
        {15, 0, 14400, 0, 10800, 9},
        {17, -40000, 40000, -3, 65535, 10},
        {31, -1073741824, 1073741823, 0, -1, 17},
    };
    for (const Case& c : cases) {
        std::string packed = Rect(c.nbits, c.xmin, c.xmax, c.ymin, c.ymax);
        ASSERT_EQ(packed.size(), static_cast<size_t>(c.bytes));
        SWFBitReader reader(std::make_shared<SwfImage>(packed + "\x77"), SwfTrace(nullptr));
        SWFRect rect;
        rect.Read(reader);
        EXPECT_EQ(rect.ByteSize, c.bytes);
        EXPECT_EQ((std::vector<std::int32_t>{rect.Xmin, rect.Xmax, rect.Ymin, rect.Ymax}),
                  (std::vector<std::int32_t>{c.xmin, c.xmax, c.ymin, c.ymax}));
        EXPECT_EQ(reader.ReadByte(), 0x77); // the next field starts right after the padding
        SWFBitWriter writer(static_cast<size_t>(c.bytes), SwfTrace(nullptr));
        rect.Write(writer);
        EXPECT_FALSE(writer.Overflow());
        EXPECT_EQ(writer.TakeBuffer(), packed);
    }
}

TEST(SwfLoad, TraceOfALoad) {
    Loaded loaded(MovieRecipe().File());
    ASSERT_TRUE(loaded.movie.IsLoaded()) << loaded.movie.LoadError();
    EXPECT_EQ(loaded.trace.str(), "Signature   : FWS\n"
                                  "Version     : 10\n"
                                  "Content length is 0.\n"
                                  "File length : 39 bytes\n"
                                  "    SWFRect : 0, 0, 720, 540\n"
                                  "Frame width : 14400 twips (720 pixels)\n"
                                  "Frame height: 10800 twips (540 pixels)\n"
                                  "Frame rate  : 24.500000 fps\n"
                                  "Frame count : 3\n"
                                  "Tag : SetBackgroundColor (V1.0) (length : 3)\n"
                                  "Tag : UnKnown (length : 7)\n"
                                  "Tag : ShowFrame (V1.0) (length : 0)\n"
                                  "Tag : End (V1.0) (length : 0)\n");
}

TEST(SwfTagNames, CatalogueHasSeventyTwoNames) {
    int named = 0;
    for (unsigned code = 0; code < 1024; ++code)
        named += std::strcmp(SWFTagNames::Lookup(static_cast<std::uint16_t>(code)), "UnKnown") != 0;
    EXPECT_EQ(named, 72);
    for (unsigned gap : {27, 30, 44, 53, 54, 55, 63, 67, 68, 72, 79, 80, 81, 85})
        EXPECT_STREQ(SWFTagNames::Lookup(static_cast<std::uint16_t>(gap)), "UnKnown") << gap;
    EXPECT_STREQ(SWFTagNames::Lookup(76), "SymbolClass");
    EXPECT_STREQ(SWFTagNames::Lookup(84), "DefineMorphShape2 (V8.0)");
}

TEST(SwfSave, TagFormsFollowTheBodyLength) {
    MovieRecipe recipe;
    recipe.tags = {{12, "short body", true}, // long form on file, short body
                   {77, std::string(63, 'm')},
                   {2, std::string(62, 's')},
                   {0, ""}};
    std::string file = recipe.File();
    Loaded loaded(file);
    ASSERT_TRUE(loaded.movie.IsLoaded()) << loaded.movie.LoadError();
    std::string saved;
    ASSERT_TRUE(loaded.movie.SaveToData(saved));
    ASSERT_EQ(saved.size(), file.size() - 4);
    EXPECT_EQ(ReadLe32(saved, 4), saved.size());
    // Header and rectangle unchanged; then each record in its written form.
    EXPECT_EQ(saved.substr(0, 4), file.substr(0, 4));
    size_t at = 8 + 9 + 4;
    EXPECT_EQ(saved.substr(at, 12), Le16(12 << 6 | 10) + "short body");
    at += 12;
    EXPECT_EQ(saved.substr(at, 6), Le16(77 << 6 | 63) + Le32(63));
    at += 6 + 63;
    EXPECT_EQ(saved.substr(at, 2), Le16(2 << 6 | 62));
    at += 2 + 62;
    EXPECT_EQ(saved.substr(at), Le16(0));
}

TEST(SwfSave, TraceOfASaveAndNoSaveWithoutALoad) {
    Loaded loaded(MovieRecipe().File());
    loaded.trace.str("");
    std::string saved;
    ASSERT_TRUE(loaded.movie.SaveToData(saved));
    EXPECT_EQ(loaded.trace.str(), "    SWFRect : 0, 0, 720, 540\n"
                                  "Tag : SetBackgroundColor (V1.0) (length : 3)\n"
                                  "Tag : UnKnown (length : 7)\n"
                                  "Tag : ShowFrame (V1.0) (length : 0)\n"
                                  "Tag : End (V1.0) (length : 0)\n");
    EXPECT_EQ(saved, MovieRecipe().File());

    SWFMovie empty(nullptr);
    EXPECT_FALSE(empty.SaveToData(saved));
}

TEST(SwfResize, StageSizesAndRectangleBytes) {
    struct Case {
        std::int32_t width, height;
        int nbits;
        int growth; // file bytes against the 9-byte rectangle of 720 × 540
    } cases[] = {
        {300, 250, 15, 0}, {0, 0, 15, 0},     {819, 10, 15, 0},
        {820, 10, 16, 0},  {10, 1000, 16, 0}, {2000, 20, 17, 1},
        {1638, 1, 16, 0},  {1639, 1, 17, 1},  {53687091, 0, 31, 8},
    };
    for (bool compressed : {false, true}) {
        MovieRecipe recipe;
        recipe.compressed = compressed;
        recipe.version = 17;
        recipe.rect = Rect(16, -200, 14400, 20, 10800); // non-zero origin becomes 0
        std::string original = recipe.Plain();
        for (const Case& c : cases) {
            Loaded loaded(recipe.File());
            ASSERT_TRUE(loaded.movie.IsLoaded());
            ASSERT_TRUE(loaded.movie.SetStageSize(c.width, c.height));
            std::string saved;
            ASSERT_TRUE(loaded.movie.SaveToData(saved));
            EXPECT_EQ(saved.substr(0, 4), std::string(compressed ? "CWS" : "FWS") + "\x11");
            std::string plain = compressed ? Inflate(saved) : saved;
            EXPECT_EQ(ReadLe32(saved, 4), plain.size());
            ASSERT_EQ(plain.size(), original.size() + static_cast<size_t>(c.growth))
                << c.width << "x" << c.height;
            std::string rect = Rect(c.nbits, 0, c.width * 20, 0, c.height * 20);
            EXPECT_EQ(plain.substr(8, rect.size()), rect) << c.width << "x" << c.height;
            // Everything after the rectangle comes back byte for byte.
            EXPECT_EQ(plain.substr(8 + rect.size()), original.substr(8 + 9));
        }
    }
}

TEST(SwfResize, FileRewrittenInPlaceOrRefusedUntouched) {
    ScratchFolder dir;
    std::string path = dir / "theme.swf";
    MovieRecipe recipe;
    recipe.compressed = true;
    WriteFileText(path, recipe.File());
    std::ostringstream trace;
    std::string reason;
    ASSERT_TRUE(TryResizeMovieStage(path, 300, 250, &reason, &trace)) << reason;
    Loaded again(ReadFileText(path));
    ASSERT_TRUE(again.movie.IsLoaded());
    EXPECT_EQ(again.movie.Header().FrameRect.Xmax, 6000);
    EXPECT_EQ(again.movie.Header().FrameRect.Ymax, 5000);

    std::string before = ReadFileText(path);
    EXPECT_FALSE(TryResizeMovieStage(path, -1, 250, &reason, &trace));
    EXPECT_FALSE(TryResizeMovieStage(path, 53687092, 1, &reason, &trace));
    EXPECT_FALSE(TryResizeMovieStage(dir / "missing.swf", 300, 250, &reason, &trace));
    EXPECT_NE(reason.find("missing.swf"), std::string::npos) << reason;
    EXPECT_EQ(ReadFileText(path), before);
}

TEST(SwfMalformed, EveryTruncationFailsAndLeavesTheFileUntouched) {
    ScratchFolder dir;
    std::string path = dir / "cut.swf";
    for (bool compressed : {false, true}) {
        MovieRecipe recipe;
        recipe.compressed = compressed;
        recipe.tags = {{9, "abc"}, {77, std::string(70, 'x')}, {1, ""}, {0, ""}};
        std::string file = recipe.File();
        for (size_t length = 0; length < file.size(); ++length) {
            std::string cut = file.substr(0, length);
            WriteFileText(path, cut);
            std::string reason;
            EXPECT_FALSE(TryResizeMovieStage(path, 300, 250, &reason, nullptr)) << length;
            EXPECT_FALSE(reason.empty());
            EXPECT_EQ(ReadFileText(path), cut) << length;
        }
    }
}

TEST(SwfMalformed, DamagedFilesAreRefusedWithAReason) {
    MovieRecipe plainRecipe;
    std::string plain = plainRecipe.Plain();
    MovieRecipe compressedRecipe;
    compressedRecipe.compressed = true;
    std::string packed = compressedRecipe.File();

    auto withLength = [](std::string file, std::uint32_t length) {
        std::string field = Le32(length);
        file.replace(4, 4, field);
        return file;
    };
    std::string flipped = packed;
    flipped[12] = static_cast<char>(flipped[12] ^ 0x55);
    std::string noEnd = plain.substr(0, plain.size() - 2);
    std::string longTag =
        plain.substr(0, plain.size() - 2) + Le16(12 << 6 | 63) + Le32(0xFFFFFFF0u) + "abc";
    std::string badInnerSignature = MovieRecipe::Compress("CWX" + plain.substr(3));

    struct Case {
        const char* name;
        std::string file;
        const char* reason;
        const char* traced;
    } cases[] = {
        {"signature", "XWS" + plain.substr(3), "Not a valid SWF (Flash) file signature",
         "Not a valid SWF (Flash) file signature\n"},
        {"inner signature", badInnerSignature, "Not a valid SWF (Flash) file signature",
         "Not a valid SWF (Flash) file signature\n"},
        {"bad zlib", flipped, "bad file: bad compression", "bad file: bad compression\n"},
        {"huge length", withLength(packed, 0xFFFFFFFFu), "bad file: bad compression",
         "bad file: bad compression\n"},
        {"200 MB declared", withLength(packed, 200u << 20), "bad file: bad compression",
         "bad file: bad compression\n"},
        {"shorter than declared", withLength(packed, static_cast<std::uint32_t>(plain.size() + 1)),
         "bad file: bad compression", "bad file: bad compression\n"},
        {"longer than declared", withLength(packed, static_cast<std::uint32_t>(plain.size() - 1)),
         "bad file: bad compression", "bad file: bad compression\n"},
        {"declared below 8", withLength(packed, 3), "bad file: bad compression",
         "bad file: bad compression\n"},
        {"no End tag", noEnd, "the movie ends without an End tag", nullptr},
        {"tag past the end", longTag, "a tag record runs past the end of the file", nullptr},
    };
    for (const Case& c : cases) {
        Loaded loaded(c.file);
        EXPECT_FALSE(loaded.movie.IsLoaded()) << c.name;
        EXPECT_EQ(loaded.movie.LoadError(), c.reason) << c.name;
        if (c.traced) {
            EXPECT_EQ(loaded.trace.str(), c.traced) << c.name;
        }
        EXPECT_TRUE(loaded.movie.Tags().empty()) << c.name;
        std::string saved;
        EXPECT_FALSE(loaded.movie.SaveToData(saved)) << c.name;
    }
}

TEST(SwfMalformed, TrailingBytesAfterTheEndTagAreDropped) {
    std::string file = MovieRecipe().Plain() + "garbage";
    Loaded loaded(file);
    ASSERT_TRUE(loaded.movie.IsLoaded());
    std::string saved;
    ASSERT_TRUE(loaded.movie.SaveToData(saved));
    EXPECT_EQ(saved, MovieRecipe().Plain());
    EXPECT_EQ(Bodies(loaded.movie).size(), 4u);
}

// A small compressed movie may declare a huge number of empty tags: up to the limit it loads and
// saves (each tag a span into the movie, nothing allocated per tag); beyond it, it is refused.
TEST(SwfMalformed, TagCountIsBounded) {
    auto movieOf = [](std::size_t showFrames) {
        MovieRecipe recipe;
        recipe.compressed = true;
        recipe.tags.clear();
        std::string plain = recipe.Plain(); // header and rectangle, no tags
        plain.append(showFrames * 2, '\0');
        for (std::size_t i = 0; i < showFrames; ++i)
            plain[plain.size() - 2 * showFrames + 2 * i] = '\x40'; // ShowFrame, length 0
        plain += Le16(0);                                          // End
        const std::uint32_t length = static_cast<std::uint32_t>(plain.size());
        plain.replace(4, 4, Le32(length));
        return MovieRecipe::Compress(plain);
    };
    SWFMovie atLimit(nullptr);
    ASSERT_TRUE(atLimit.LoadFromData(movieOf(kMaxMovieTags - 1))) << atLimit.LoadError();
    EXPECT_EQ(atLimit.Tags().size(), kMaxMovieTags);
    std::string saved;
    EXPECT_TRUE(atLimit.SaveToData(saved));

    SWFMovie beyond(nullptr);
    const std::string huge = movieOf(4 * kMaxMovieTags);
    EXPECT_LT(huge.size(), 64u << 10); // a few kilobytes on disk
    EXPECT_FALSE(beyond.LoadFromData(huge));
    EXPECT_NE(beyond.LoadError().find("more than"), std::string::npos) << beyond.LoadError();
    EXPECT_TRUE(beyond.Tags().empty());
}
