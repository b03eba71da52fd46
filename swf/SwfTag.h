// SWF tag records held as opaque bodies, and the catalogue of tag names for the trace.
#pragma once

#include "swf/SwfBits.h"

#include <cstdint>
#include <memory>
#include <string>

namespace pennoria {

// The raw body of a tag: its bytes as in the file, never interpreted. The body is a span into
// the movie's image, which the movie keeps alive: no tag allocates anything of its own, so a
// small movie declaring millions of tiny tags costs a few bytes per tag.
class SWFTagBody {
public:
    SWFTagBody() = default;
    SWFTagBody(const SWFTagBody&) = default;
    SWFTagBody& operator=(const SWFTagBody&) = default;

    virtual ~SWFTagBody();
    // Takes length bytes from the reader; false when the image holds fewer.
    virtual bool ReadBody(SWFBitReader& reader, std::uint32_t length);
    // Writes the first length bytes of the body.
    virtual void WriteBody(SWFBitWriter& writer, std::uint32_t length) const;
    virtual std::uint32_t GetLength() const { return m_length; }
    virtual void SetLength(std::uint32_t length) { m_length = length; }

    const std::uint8_t* Data() const { return m_data; }

private:
    const std::uint8_t* m_data = nullptr; // m_available bytes inside the movie's image
    std::uint32_t m_available = 0;
    std::uint32_t m_length = 0;
};

// One tag record: the header word as read and the body.
class SWFTag {
public:
    SWFTag() = default;

    // Reads one record (header word, long length when the short one is 63, trace line, body).
    // False when the record runs past the end of the image.
    static bool Read(SWFBitReader& reader, SWFTag& tag);
    // Writes the record: short form below 63 body bytes, long form from 63 on.
    void Write(SWFBitWriter& writer) const;
    // The size the record takes in a written file: length + 2 below 63, length + 6 from 63 on.
    std::uint64_t OnFileSize(const SwfTrace& trace) const;

    std::uint16_t HeaderWord() const { return m_headerWord; }
    std::uint16_t Code() const { return m_code; }
    const SWFTagBody* Body() const { return &m_body; }

private:
    std::uint16_t m_headerWord = 0;
    std::uint16_t m_code = 0;
    SWFTagBody m_body;
};

// Display names of the tag codes, "UnKnown" for codes without one.
class SWFTagNames {
public:
    static const char* Lookup(std::uint16_t code);
};

} // namespace pennoria
