// SWF data image, trace sink, and the bit/byte reader and writer shared by header and tags.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace pennoria {

// Where the movie-file layer prints its plain-text trace; a null stream keeps it silent.
class SwfTrace {
public:
    explicit SwfTrace(std::ostream* out) : m_out(out) {}
    // One line, printf-formatted, followed by a line break.
    void Line(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    std::ostream* Stream() const { return m_out; }

private:
    std::ostream* m_out;
};

// A whole movie in memory: the file as read, or its inflated form. Bytes that inflation has
// not written yet are never touched, so an allocation for a declared length costs nothing
// until the data arrives.
class SwfImage {
public:
    explicit SwfImage(std::string bytes);
    explicit SwfImage(std::size_t size); // uninitialised contents
    SwfImage(const SwfImage&) = delete;
    SwfImage& operator=(const SwfImage&) = delete;

    const std::uint8_t* Data() const { return m_data; }
    std::uint8_t* MutableData() { return m_data; }
    std::size_t Size() const { return m_size; }

private:
    std::string m_text;
    std::unique_ptr<std::uint8_t[]> m_block;
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

// A run of bytes inside a block it keeps alive (a tag body inside the movie's image).
struct SwfBytes {
    std::shared_ptr<const void> owner;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    static SwfBytes Copy(const std::uint8_t* bytes, std::size_t count);
};

// Reads bytes and bit fields from a data image through one cursor. Reading never goes past the
// image: a read beyond it answers 0 (or an empty run) and sets Overrun().
class SWFBitReader {
public:
    SWFBitReader(std::shared_ptr<const SwfImage> image, SwfTrace trace);

    std::uint8_t ReadByte();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    // count bytes as a run sharing the image; empty with Overrun() when fewer remain.
    SwfBytes ReadBytes(std::size_t count);
    // count bytes as a pointer into the image, which the caller keeps alive; null with
    // Overrun() when fewer remain.
    const std::uint8_t* ReadSpan(std::size_t count);

    std::uint32_t ReadBit();
    std::uint32_t ReadUBits(int count);
    std::int32_t ReadSBits(int count);

    bool Overrun() const { return m_overrun; }
    std::size_t Position() const { return m_cursor; }
    std::size_t Remaining() const { return m_image->Size() - m_cursor; }
    const SwfTrace& Trace() const { return m_trace; }

private:
    std::shared_ptr<const SwfImage> m_image;
    SwfTrace m_trace;
    std::size_t m_cursor = 0;
    std::uint8_t m_bitByte = 0;
    int m_bitsConsumed = 8;
    bool m_overrun = false;
};

// Writes bytes and bit fields. Either into one zero-filled buffer of a fixed size (writes
// beyond it are dropped and set Overflow()), or streaming: complete bytes are handed to a sink
// in chunks, and long runs pass to it without a copy.
class SWFBitWriter {
public:
    using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    explicit SWFBitWriter(std::size_t size, SwfTrace trace);
    SWFBitWriter(Sink sink, SwfTrace trace, std::size_t chunkSize = 64 * 1024);

    void WriteByte(std::uint8_t value);
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    void WriteBytes(const std::uint8_t* data, std::size_t size);

    void WriteBit(std::uint32_t bit);
    void WriteUBits(std::uint32_t value, int count);
    void WriteSBits(std::int32_t value, int count);

    // Hands every byte written so far to the sink (streaming); false when the sink refused.
    bool Finish();
    // Bytes written, counting a partly used last byte.
    std::uint64_t BytesWritten() const;
    bool Overflow() const { return m_overflow; }
    // The buffer of a fixed-size writer.
    std::string TakeBuffer() { return std::move(m_buffer); }
    const SwfTrace& Trace() const { return m_trace; }

private:
    bool MakeRoom();

    std::string m_buffer;
    Sink m_sink;
    SwfTrace m_trace;
    std::size_t m_cursor = 0;
    int m_bitsUsed = 0;
    std::uint64_t m_flushed = 0;
    bool m_overflow = false;
};

} // namespace pennoria
