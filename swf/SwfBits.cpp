// Bit and byte reading and writing for SWF data, and the trace sink.
#include "swf/SwfBits.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <vector>

namespace pennoria {

void SwfTrace::Line(const char* format, ...) const {
    if (!m_out)
        return;
    char small[256];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        m_out->write(small, needed);
    } else {
        std::vector<char> large(static_cast<size_t>(needed) + 1);
        std::vsnprintf(large.data(), large.size(), format, copy);
        m_out->write(large.data(), needed);
    }
    va_end(copy);
    m_out->put('\n');
}

SwfImage::SwfImage(std::string bytes) : m_text(std::move(bytes)) {
    m_data = reinterpret_cast<std::uint8_t*>(m_text.data());
    m_size = m_text.size();
}

SwfImage::SwfImage(std::size_t size) : m_block(new std::uint8_t[size]), m_size(size) {
    m_data = m_block.get();
}

SwfBytes SwfBytes::Copy(const std::uint8_t* bytes, std::size_t count) {
    auto block = std::make_shared<std::vector<std::uint8_t>>(bytes, bytes + count);
    SwfBytes run;
    run.data = block->data();
    run.size = count;
    run.owner = std::move(block);
    return run;
}

// ---- reader

SWFBitReader::SWFBitReader(std::shared_ptr<const SwfImage> image, SwfTrace trace)
    : m_image(std::move(image)), m_trace(trace) {}

std::uint8_t SWFBitReader::ReadByte() {
    m_bitsConsumed = 8; // a byte read ends any bit field
    if (m_cursor >= m_image->Size()) {
        m_overrun = true;
        return 0;
    }
    return m_image->Data()[m_cursor++];
}

std::uint16_t SWFBitReader::ReadU16() {
    std::uint16_t low = ReadByte();
    std::uint16_t high = ReadByte();
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t SWFBitReader::ReadU32() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8)
        value |= static_cast<std::uint32_t>(ReadByte()) << shift;
    return value;
}

SwfBytes SWFBitReader::ReadBytes(std::size_t count) {
    m_bitsConsumed = 8;
    if (count > Remaining()) {
        m_overrun = true;
        m_cursor = m_image->Size();
        return {};
    }
    SwfBytes run;
    run.owner = m_image;
    run.data = m_image->Data() + m_cursor;
    run.size = count;
    m_cursor += count;
    return run;
}

const std::uint8_t* SWFBitReader::ReadSpan(std::size_t count) {
    m_bitsConsumed = 8;
    if (count > Remaining()) {
        m_overrun = true;
        m_cursor = m_image->Size();
        return nullptr;
    }
    const std::uint8_t* span = m_image->Data() + m_cursor;
    m_cursor += count;
    return span;
}

std::uint32_t SWFBitReader::ReadBit() {
    if (m_bitsConsumed == 8) {
        m_bitByte = ReadByte();
        m_bitsConsumed = 0;
    }
    std::uint32_t bit = (m_bitByte >> (7 - m_bitsConsumed)) & 1u;
    ++m_bitsConsumed;
    return bit;
}

std::uint32_t SWFBitReader::ReadUBits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count && i < 32; ++i)
        value = (value << 1) | ReadBit();
    return value;
}

std::int32_t SWFBitReader::ReadSBits(int count) {
    if (count < 1)
        return 0;
    if (count > 32)
        count = 32;
    std::int64_t value = ReadBit() ? -(std::int64_t{1} << (count - 1)) : 0;
    std::int64_t rest = ReadUBits(count - 1);
    return static_cast<std::int32_t>(value + rest);
}

// ---- writer

SWFBitWriter::SWFBitWriter(std::size_t size, SwfTrace trace)
    : m_buffer(size, '\0'), m_trace(trace) {}

SWFBitWriter::SWFBitWriter(Sink sink, SwfTrace trace, std::size_t chunkSize)
    : m_buffer(chunkSize < 16 ? 16 : chunkSize, '\0'), m_sink(std::move(sink)), m_trace(trace) {}

bool SWFBitWriter::MakeRoom() {
    if (m_cursor < m_buffer.size())
        return true;
    if (!m_sink) {
        m_overflow = true;
        return false;
    }
    // The buffer is full of complete bytes: hand them on and start over with zeros.
    if (!m_sink(reinterpret_cast<const std::uint8_t*>(m_buffer.data()), m_cursor))
        m_overflow = true;
    m_flushed += m_cursor;
    std::memset(m_buffer.data(), 0, m_buffer.size());
    m_cursor = 0;
    return !m_overflow;
}

void SWFBitWriter::WriteByte(std::uint8_t value) {
    if (m_bitsUsed > 0) {
        ++m_cursor;
        m_bitsUsed = 0;
    }
    if (!MakeRoom())
        return;
    m_buffer[m_cursor++] = static_cast<char>(value);
}

void SWFBitWriter::WriteU16(std::uint16_t value) {
    WriteByte(static_cast<std::uint8_t>(value));
    WriteByte(static_cast<std::uint8_t>(value >> 8));
}

void SWFBitWriter::WriteU32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        WriteByte(static_cast<std::uint8_t>(value >> shift));
}

void SWFBitWriter::WriteBytes(const std::uint8_t* data, std::size_t size) {
    if (m_bitsUsed > 0) {
        ++m_cursor;
        m_bitsUsed = 0;
    }
    if (m_sink && size >= m_buffer.size() / 4) {
        // A long run goes to the sink directly, after what is buffered.
        if (m_cursor > 0) {
            if (!m_sink(reinterpret_cast<const std::uint8_t*>(m_buffer.data()), m_cursor))
                m_overflow = true;
            m_flushed += m_cursor;
            std::memset(m_buffer.data(), 0, m_cursor);
            m_cursor = 0;
        }
        if (!m_overflow && !m_sink(data, size))
            m_overflow = true;
        m_flushed += size;
        return;
    }
    while (size > 0) {
        if (!MakeRoom())
            return;
        std::size_t part = std::min(size, m_buffer.size() - m_cursor);
        std::memcpy(&m_buffer[m_cursor], data, part);
        m_cursor += part;
        data += part;
        size -= part;
    }
}

void SWFBitWriter::WriteBit(std::uint32_t bit) {
    if (!MakeRoom())
        return;
    if (bit & 1u)
        m_buffer[m_cursor] = static_cast<char>(static_cast<unsigned char>(m_buffer[m_cursor]) |
                                               (1u << (7 - m_bitsUsed)));
    if (++m_bitsUsed == 8) {
        m_bitsUsed = 0;
        ++m_cursor;
    }
}

void SWFBitWriter::WriteUBits(std::uint32_t value, int count) {
    if (count > 32)
        count = 32;
    for (int i = count - 1; i >= 0; --i)
        WriteBit((value >> i) & 1u);
}

void SWFBitWriter::WriteSBits(std::int32_t value, int count) {
    // Two's complement: the low count bits of the value, negative or not.
    WriteUBits(static_cast<std::uint32_t>(value), count);
}

bool SWFBitWriter::Finish() {
    if (!m_sink)
        return !m_overflow;
    std::size_t pending = m_cursor + (m_bitsUsed > 0 ? 1 : 0);
    if (pending > 0 && !m_overflow &&
        !m_sink(reinterpret_cast<const std::uint8_t*>(m_buffer.data()), pending))
        m_overflow = true;
    m_flushed += pending;
    m_cursor = 0;
    m_bitsUsed = 0;
    std::memset(m_buffer.data(), 0, m_buffer.size());
    return !m_overflow;
}

std::uint64_t SWFBitWriter::BytesWritten() const {
    return m_flushed + m_cursor + (m_bitsUsed > 0 ? 1 : 0);
}

} // namespace pennoria
