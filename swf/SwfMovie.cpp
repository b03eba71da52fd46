// Loading, stage resizing and saving of SWF movies, plain or zlib-compressed.
#include "swf/SwfMovie.h"

#include "platform/FileSystem.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace pennoria {

// A serialised movie file: plain bytes in a string, or a compressed file in a block.
struct SerializedMovie {
    std::string plain;
    std::unique_ptr<std::uint8_t[]> block;
    size_t blockSize = 0;

    std::string_view View() const {
        if (block)
            return {reinterpret_cast<const char*>(block.get()), blockSize};
        return plain;
    }
};

namespace {

// Deflate never shrinks data by more than about 1032:1; a body declaring more than that over
// its compressed size cannot be genuine and is refused before anything is allocated for it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// The stage rectangle uses at least 15 bits per value, and never more than the 31 that its
// 5-bit size field can announce.
constexpr std::int32_t kMinStageNbits = 15;
constexpr std::int32_t kMaxNbits = 31;

std::uint32_t ReadLe32(const std::string& bytes, size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

// Bits per value for a stage of width × height pixels; 0 when it cannot be encoded.
std::int32_t StageNbits(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0)
        return 0;
    std::int64_t longest = std::max(width, height) * 20 + 1;
    std::int32_t bits = 0;
    while (longest > 0 && bits < 64) {
        ++bits;
        longest >>= 1;
    }
    // bits is the bit length of (twips + 1), i.e. floor(log2(twips + 1)) + 1.
    std::int32_t nbits = std::max(bits + 1, kMinStageNbits);
    return nbits > kMaxNbits ? 0 : nbits;
}

// Streams a plain movie into a compressed file: the first 8 bytes as they are, the rest through
// one zlib stream at the default level, into an area sized by zlib's bound so that the stream
// always completes.
// Deflates the body of a serialised movie (everything after its 8-byte header) into a zlib
// stream, with libdeflate: in one call over the whole body it takes about half of zlib's time at
// the same or a smaller size, and any zlib reader inflates it. The plain bytes are released.
bool DeflateMovie(SerializedMovie& movie) {
    if (movie.plain.size() < 8)
        return false;
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    if (!compressor)
        return false;
    const std::size_t bodyLength = movie.plain.size() - 8;
    const std::size_t capacity = 8 + libdeflate_zlib_compress_bound(compressor.get(), bodyLength);
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[capacity]);
    std::memcpy(block.get(), movie.plain.data(), 8);
    const std::size_t packed = libdeflate_zlib_compress(compressor.get(), movie.plain.data() + 8,
                                                        bodyLength, block.get() + 8, capacity - 8);
    if (packed == 0)
        return false;
    std::string().swap(movie.plain);
    movie.block = std::move(block);
    movie.blockSize = 8 + packed;
    return true;
}

void WriteHeader(SWFHeader& header, std::uint32_t totalLength, SWFBitWriter& writer) {
    for (int i = 0; i < 3; ++i)
        writer.WriteByte(static_cast<std::uint8_t>(header.Signature[i]));
    writer.WriteByte(header.Version);
    writer.WriteU32(totalLength);
    header.FrameRect.Write(writer);
    writer.WriteByte(header.RateFraction);
    writer.WriteByte(header.RateInteger);
    writer.WriteU16(header.FrameCount);
}

} // namespace

// ---- rectangle and header

void SWFRect::SetNbits(std::int32_t nbits) {
    Nbits = nbits;
    ByteSize = (5 + 4 * Nbits + 7) / 8;
}

void SWFRect::Read(SWFBitReader& reader) {
    SetNbits(static_cast<std::int32_t>(reader.ReadUBits(5)));
    Xmin = reader.ReadSBits(Nbits);
    Xmax = reader.ReadSBits(Nbits);
    Ymin = reader.ReadSBits(Nbits);
    Ymax = reader.ReadSBits(Nbits);
    if (!reader.Overrun())
        reader.Trace().Line("    SWFRect : %d, %d, %d, %d", Xmin / 20, Ymin / 20, Xmax / 20,
                            Ymax / 20);
}

void SWFRect::Write(SWFBitWriter& writer) {
    writer.WriteUBits(static_cast<std::uint32_t>(Nbits), 5);
    writer.WriteSBits(Xmin, Nbits);
    writer.WriteSBits(Xmax, Nbits);
    writer.WriteSBits(Ymin, Nbits);
    writer.WriteSBits(Ymax, Nbits);
    writer.Trace().Line("    SWFRect : %d, %d, %d, %d", Xmin / 20, Ymin / 20, Xmax / 20, Ymax / 20);
    SetNbits(Nbits);
}

std::uint64_t SWFHeader::TotalLength(const SwfTrace& trace) const {
    if (ContentLength == 0) {
        trace.Line("Content length is 0.");
        return FileLength;
    }
    return 12 + static_cast<std::uint64_t>(FrameRect.ByteSize) + ContentLength;
}

// ---- reading

std::shared_ptr<const SwfImage> LoadMovieData(std::string fileBytes, const SwfTrace& trace,
                                              std::string* reason) {
    auto fail = [&](const char* why) -> std::shared_ptr<const SwfImage> {
        if (reason)
            *reason = why;
        return nullptr;
    };
    if (fileBytes.empty())
        return fail("the file is empty");
    if (fileBytes[0] != 'C')
        return std::make_shared<SwfImage>(std::move(fileBytes));

    auto badCompression = [&]() {
        trace.Line("bad file: bad compression");
        return fail("bad file: bad compression");
    };
    if (fileBytes.size() < 8)
        return badCompression();
    const std::uint64_t plainLength = ReadLe32(fileBytes, 4);
    const std::uint64_t packedBody = fileBytes.size() - 8;
    if (plainLength < 8 || plainLength > kMaxPlainMovieLength ||
        plainLength - 8 > packedBody * kMaxInflateRatio + 1024)
        return badCompression();

    auto image = std::make_shared<SwfImage>(static_cast<size_t>(plainLength));
    std::memcpy(image->MutableData(), fileBytes.data(), 8);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return badCompression();
    stream.next_in = reinterpret_cast<Bytef*>(&fileBytes[8]);
    stream.avail_in = static_cast<uInt>(packedBody);
    stream.next_out = image->MutableData() + 8;
    stream.avail_out = static_cast<uInt>(plainLength - 8);
    // inflate writes at most avail_out bytes; a stream that wants to go on past the declared
    // length, stops short of it, or is damaged, is refused. Bytes after the stream's end are
    // ignored.
    int status = inflate(&stream, Z_FINISH);
    bool complete = status == Z_STREAM_END && stream.total_out == plainLength - 8;
    inflateEnd(&stream);
    if (!complete)
        return badCompression();
    return image;
}

SWFMovie::SWFMovie(std::ostream* trace) : m_trace(trace) {}

SWFMovie::SWFMovie(const std::string& path, std::ostream* trace) : m_trace(trace) {
    Load(path);
}

bool SWFMovie::Fail(std::string reason) {
    m_loaded = false;
    m_loadError = std::move(reason);
    m_tags.clear();
    return false;
}

bool SWFMovie::Load(const std::string& path) {
    std::string error;
    auto bytes = platform::ReadWholeFile(path, &error);
    if (!bytes) {
        m_header = SWFHeader();
        m_image.reset();
        m_reader.reset();
        return Fail("cannot read " + path + ": " + error);
    }
    return LoadFromData(std::move(*bytes));
}

bool SWFMovie::LoadFromData(std::string data) {
    m_header = SWFHeader();
    m_tags.clear();
    m_reader.reset();
    m_image.reset();
    m_loaded = false;
    m_loadError.clear();
    std::string reason;
    auto image = LoadMovieData(std::move(data), m_trace, &reason);
    if (!image)
        return Fail(reason);
    return LoadImage(std::move(image));
}

bool SWFMovie::LoadImage(std::shared_ptr<const SwfImage> image) {
    m_image = std::move(image);
    m_reader = std::make_unique<SWFBitReader>(m_image, m_trace);
    SWFBitReader& reader = *m_reader;
    SWFHeader& header = m_header;
    const char* cutShort = "the header is cut short";

    for (int i = 0; i < 3; ++i)
        header.Signature[i] = static_cast<char>(reader.ReadByte());
    header.Signature[3] = '\0';
    if (reader.Overrun() ||
        (std::strcmp(header.Signature, "FWS") != 0 && std::strcmp(header.Signature, "CWS") != 0)) {
        m_trace.Line("Not a valid SWF (Flash) file signature");
        return Fail("Not a valid SWF (Flash) file signature");
    }
    m_trace.Line("Signature   : %s", header.Signature);
    header.Version = reader.ReadByte();
    if (reader.Overrun())
        return Fail(cutShort);
    m_trace.Line("Version     : %d", header.Version);
    header.FileLength = reader.ReadU32();
    if (reader.Overrun())
        return Fail(cutShort);
    std::uint64_t total = header.TotalLength(m_trace);
    m_trace.Line("File length : %lld bytes", static_cast<long long>(total));
    header.FrameRect.Read(reader);
    if (reader.Overrun())
        return Fail(cutShort);
    header.FrameWidth = header.FrameRect.Xmax;
    header.FrameHeight = header.FrameRect.Ymax;
    m_trace.Line("Frame width : %d twips (%d pixels)", header.FrameWidth, header.FrameWidth / 20);
    m_trace.Line("Frame height: %d twips (%d pixels)", header.FrameHeight, header.FrameHeight / 20);
    header.RateFraction = reader.ReadByte();
    header.RateInteger = reader.ReadByte();
    if (reader.Overrun())
        return Fail(cutShort);
    header.FrameRate =
        static_cast<float>(header.RateInteger) + static_cast<float>(header.RateFraction) / 256.0f;
    m_trace.Line("Frame rate  : %f fps", static_cast<double>(header.FrameRate));
    header.FrameCount = reader.ReadU16();
    if (reader.Overrun())
        return Fail(cutShort);
    m_trace.Line("Frame count : %d", header.FrameCount);

    m_tags.clear();
    for (;;) {
        if (reader.Remaining() == 0)
            return Fail("the movie ends without an End tag");
        if (m_tags.size() >= kMaxMovieTags)
            return Fail("the movie holds more than " + std::to_string(kMaxMovieTags) + " tags");
        SWFTag tag;
        if (!SWFTag::Read(reader, tag))
            return Fail("a tag record runs past the end of the file");
        m_tags.push_back(tag);
        if (tag.Code() == 0)
            break;
    }
    m_loaded = true;
    return true;
}

// ---- stage size

bool SWFMovie::SetStageSize(std::int32_t width, std::int32_t height) {
    std::int32_t nbits = StageNbits(width, height);
    if (nbits == 0)
        return false;
    m_header.FrameWidth = width * 20;
    m_header.FrameHeight = height * 20;
    SWFRect& rect = m_header.FrameRect;
    rect.Xmin = 0;
    rect.Xmax = m_header.FrameWidth;
    rect.Ymin = 0;
    rect.Ymax = m_header.FrameHeight;
    rect.SetNbits(nbits);
    return true;
}

// ---- writing

bool SWFMovie::Serialize(SerializedMovie& serialized) {
    m_saveError.clear();
    if (!m_loaded) {
        m_saveError = "the movie did not load (" + m_loadError + ")";
        return false;
    }
    std::uint64_t content = 0;
    for (const auto& tag : m_tags)
        content += tag.OnFileSize(m_trace);
    if (content > std::numeric_limits<std::uint32_t>::max() - 64) {
        m_saveError = "the movie is too large";
        return false;
    }
    m_header.ContentLength = static_cast<std::uint32_t>(content);
    std::uint64_t total = m_header.TotalLength(m_trace);
    if (total > std::numeric_limits<std::uint32_t>::max()) {
        m_saveError = "the movie is too large";
        return false;
    }

    SWFBitWriter writer(static_cast<size_t>(total), m_trace);
    WriteHeader(m_header, static_cast<std::uint32_t>(total), writer);
    for (const auto& tag : m_tags)
        tag.Write(writer);
    bool written = writer.Finish() && writer.BytesWritten() == total;
    serialized.plain = writer.TakeBuffer();
    if (written && m_header.IsCompressed())
        written = DeflateMovie(serialized);
    if (!written) {
        m_saveError = "the movie could not be serialised";
        return false;
    }
    return true;
}

bool SWFMovie::SaveToData(std::string& out) {
    SerializedMovie serialized;
    if (!Serialize(serialized))
        return false;
    if (serialized.block)
        out.assign(serialized.View());
    else
        out = std::move(serialized.plain);
    return true;
}

bool SWFMovie::SaveMovie(const std::string& path) {
    SerializedMovie serialized;
    if (!Serialize(serialized))
        return false;
    platform::FileResult result = platform::WriteFileAtomically(path, serialized.View());
    if (!result) {
        m_saveError = result.error;
        return false;
    }
    return true;
}

// ---- resizing a file

bool TryResizeMovieStage(const std::string& path, std::int32_t width, std::int32_t height,
                         std::string* reason, std::ostream* trace) {
    auto fail = [&](std::string why) {
        if (reason)
            *reason = std::move(why);
        return false;
    };
    if (width < 0 || height < 0)
        return fail("width and height must not be negative");
    if (StageNbits(width, height) == 0)
        return fail("width or height too large for a stage");
    SWFMovie movie(path, trace);
    if (!movie.IsLoaded())
        return fail(movie.LoadError());
    movie.SetStageSize(width, height);
    if (!movie.SaveMovie(path))
        return fail(movie.SaveError());
    return true;
}

void ResizeMovieStage(const std::string& path, std::int32_t width, std::int32_t height) {
    TryResizeMovieStage(path, width, height, nullptr);
}

} // namespace pennoria
