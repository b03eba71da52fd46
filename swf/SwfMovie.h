// SWF movies in memory: header, frame rectangle, tag list; load, stage resize, save.
#pragma once

#include "swf/SwfBits.h"
#include "swf/SwfTag.h"

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace pennoria {

struct SerializedMovie;

// A bit-packed rectangle in twips: 5 bits of Nbits, then four Nbits-wide signed values.
struct SWFRect {
    std::int32_t Xmin = 0;
    std::int32_t Xmax = 0;
    std::int32_t Ymin = 0;
    std::int32_t Ymax = 0;
    std::int32_t Nbits = 0;
    std::int32_t ByteSize = 1; // ceil((5 + 4 * Nbits) / 8)

    void SetNbits(std::int32_t nbits);
    void Read(SWFBitReader& reader);
    void Write(SWFBitWriter& writer);
};

struct SWFHeader {
    char Signature[4] = {'F', 'W', 'S', '\0'};
    std::uint8_t Version = 0;
    std::uint32_t FileLength = 0;    // as read: the plain length of the whole file
    std::uint32_t ContentLength = 0; // on-file size of all tag records; set by a save
    std::int32_t FrameWidth = 0;     // twips
    std::int32_t FrameHeight = 0;    // twips
    float FrameRate = 0;
    std::uint16_t FrameCount = 0;
    std::uint8_t RateFraction = 0;
    std::uint8_t RateInteger = 0;
    SWFRect FrameRect;

    bool IsCompressed() const { return Signature[0] == 'C'; }
    // 12 + rectangle bytes + ContentLength; while ContentLength is 0 the file length as read.
    std::uint64_t TotalLength(const SwfTrace& trace) const;
};

// The most a compressed movie may inflate to.
constexpr std::uint32_t kMaxPlainMovieLength = 256u << 20;
// The most tags a movie may hold; real movies hold a few thousand.
constexpr std::size_t kMaxMovieTags = std::size_t{1} << 20;

// One movie, read whole and written back whole, plain or compressed as it was read.
// A movie that did not load is never written.
class SWFMovie {
public:
    explicit SWFMovie(std::ostream* trace = &std::cout);
    // Loads the file at path; see IsLoaded and LoadError for the outcome.
    explicit SWFMovie(const std::string& path, std::ostream* trace = &std::cout);
    SWFMovie(const SWFMovie&) = delete;
    SWFMovie& operator=(const SWFMovie&) = delete;

    bool Load(const std::string& path);
    // Loads the bytes of a movie file held in memory.
    bool LoadFromData(std::string data);
    // Loaded: valid signature, every tag record complete, End tag reached.
    bool IsLoaded() const { return m_loaded; }
    const std::string& LoadError() const { return m_loadError; }

    // Sets the stage to width × height pixels: rectangle 0, 20·width, 0, 20·height with at
    // least 15 bits per value. False (nothing changed) for negative sizes or sizes whose twips
    // need more than the 31 bits the rectangle can hold.
    bool SetStageSize(std::int32_t width, std::int32_t height);

    // Serialises the movie and replaces the file at path atomically; false, with the file
    // untouched, when the movie did not load or the write failed (SaveError says why).
    bool SaveMovie(const std::string& path);
    // The file's bytes as SaveMovie would write them.
    bool SaveToData(std::string& out);
    const std::string& SaveError() const { return m_saveError; }

    SWFHeader& Header() { return m_header; }
    const SWFHeader& Header() const { return m_header; }
    const std::vector<SWFTag>& Tags() const { return m_tags; }

private:
    bool LoadImage(std::shared_ptr<const SwfImage> image);
    bool Serialize(SerializedMovie& out);
    bool Fail(std::string reason);

    SwfTrace m_trace;
    std::shared_ptr<const SwfImage> m_image;
    std::unique_ptr<SWFBitReader> m_reader;
    SWFHeader m_header;
    std::vector<SWFTag> m_tags;
    bool m_loaded = false;
    std::string m_loadError;
    std::string m_saveError;
};

// Reads a movie file whole, inflating a compressed body. Null with a reason on failure; prints
// "bad file: bad compression" when a compressed body does not inflate to its declared length.
std::shared_ptr<const SwfImage> LoadMovieData(std::string fileBytes, const SwfTrace& trace,
                                              std::string* reason);

// Rewrites the movie at path with a stage of width × height pixels, in place, printing the
// trace to the stream given. A file that does not load, and a failed write, leave it untouched.
void ResizeMovieStage(const std::string& path, std::int32_t width, std::int32_t height);
// The same, telling whether the file was rewritten and, when not, why (one line).
bool TryResizeMovieStage(const std::string& path, std::int32_t width, std::int32_t height,
                         std::string* reason, std::ostream* trace = &std::cout);

} // namespace pennoria
