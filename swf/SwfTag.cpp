// Tag records: reading, writing in short or long form, on-file sizes, and the name catalogue.
#include "swf/SwfTag.h"

#include <map>

namespace pennoria {

namespace {
constexpr std::uint32_t kLongForm = 63;
}

SWFTagBody::~SWFTagBody() = default;

bool SWFTagBody::ReadBody(SWFBitReader& reader, std::uint32_t length) {
    const std::uint8_t* span = reader.ReadSpan(length);
    if (reader.Overrun())
        return false;
    m_data = span;
    m_available = length;
    return true;
}

void SWFTagBody::WriteBody(SWFBitWriter& writer, std::uint32_t length) const {
    std::size_t count = length < m_available ? length : m_available;
    writer.WriteBytes(m_data, count);
}

bool SWFTag::Read(SWFBitReader& reader, SWFTag& tag) {
    tag.m_headerWord = reader.ReadU16();
    tag.m_code = static_cast<std::uint16_t>(tag.m_headerWord >> 6);
    std::uint32_t length = tag.m_headerWord & 63u;
    if (length == kLongForm)
        length = reader.ReadU32();
    if (reader.Overrun())
        return false;
    reader.Trace().Line("Tag : %s (length : %ld)", SWFTagNames::Lookup(tag.m_code),
                        static_cast<long>(length));
    tag.m_body = SWFTagBody();
    tag.m_body.SetLength(length);
    return tag.m_body.ReadBody(reader, length);
}

void SWFTag::Write(SWFBitWriter& writer) const {
    std::uint32_t length = m_body.GetLength();
    if (length < kLongForm) {
        writer.WriteU16(static_cast<std::uint16_t>((m_code << 6) | length));
    } else {
        writer.WriteU16(static_cast<std::uint16_t>(m_code * 64 + 63));
        writer.WriteU32(length);
    }
    writer.Trace().Line("Tag : %s (length : %ld)", SWFTagNames::Lookup(m_code),
                        static_cast<long>(length));
    m_body.WriteBody(writer, length);
}

std::uint64_t SWFTag::OnFileSize(const SwfTrace& /*trace*/) const {
    std::uint64_t length = m_body.GetLength();
    return length < kLongForm ? length + 2 : length + 6;
}

const char* SWFTagNames::Lookup(std::uint16_t code) {
    static const std::map<std::uint16_t, const char*> names = {
        {0, "End (V1.0)"},
        {1, "ShowFrame (V1.0)"},
        {2, "DefineShape (V1.0)"},
        {3, "FreeCharacter (V1.0)"},
        {4, "PlaceObject (V1.0)"},
        {5, "RemoveObject (V1.0)"},
        {6, "DefineBits (V1.0)"},
        {7, "DefineButton (V1.0)"},
        {8, "JPEGTables (V1.0)"},
        {9, "SetBackgroundColor (V1.0)"},
        {10, "DefineFont (V1.0)"},
        {11, "DefineText (V1.0)"},
        {12, "DoAction (V1.0)"},
        {13, "DefineFontInfo (V1.0)"},
        {14, "DefineSound (V2.0)"},
        {15, "StartSound (V2.0)"},
        {16, "StopSound (V2.0)"},
        {17, "DefineButtonSound (V2.0)"},
        {18, "SoundStreamHead (V2.0)"},
        {19, "SoundStreamBlock (V2.0)"},
        {20, "DefineBitsLossless (V2.0)"},
        {21, "DefineBitsJPEG2 (V2.0)"},
        {22, "DefineShape2 (V2.0)"},
        {23, "DefineButtonCxform (V2.0)"},
        {24, "Protect (V2.0)"},
        {25, "PathsArePostscript (V3.0)"},
        {26, "PlaceObject2 (V3.0)"},
        {28, "RemoveObject2 (V3.0)"},
        {29, "SyncFrame (V3.0)"},
        {31, "FreeAll (V3.0)"},
        {32, "DefineShape3 (V3.0)"},
        {33, "DefineText2 (V3.0)"},
        {34, "DefineButton2 (V3.0)"},
        {35, "DefineBitsJPEG3 (V3.0)"},
        {36, "DefineBitsLossless2 (V3.0)"},
        {37, "DefineEditText (V4.0)"},
        {38, "DefineVideo (V4.0)"},
        {39, "DefineSprite (V3.0)"},
        {40, "NameCharacter (V3.0)"},
        {41, "SerialNumber (V3.0)"},
        {42, "DefineTextFormat (V3.0)"},
        {43, "FrameLabel (V3.0)"},
        {45, "SoundStreamHead2 (V3.0)"},
        {46, "DefineMorphShape (V3.0)"},
        {47, "GenerateFrame (V3.0)"},
        {48, "DefineFont2 (V3.0)"},
        {49, "GeneratorCommand (V3.0)"},
        {50, "DefineCommandObject (V5.0)"},
        {51, "CharacterSet (V5.0)"},
        {52, "ExternalFont (V5.0)"},
        {56, "Export (V5.0)"},
        {57, "Import (V5.0)"},
        {58, "ProtectDebug (V5.0)"},
        {59, "DoInitAction (V6.0)"},
        {60, "DefineVideoStream (V6.0)"},
        {61, "VideoFrame (V6.0)"},
        {62, "DefineFontInfo2 (V6.0)"},
        {64, "ProtectDebug2 (V6.0)"},
        {65, "ScriptLimits (V7.0)"},
        {66, "SetTabIndex (V7.0)"},
        {69, "FileAttributes (V8.0)"},
        {70, "PlaceObject3 (V8.0)"},
        {71, "Import2 (V8.0)"},
        {73, "DefineFontAlignZones (V8.0)"},
        {74, "CSMTextSettings (V8.0)"},
        {75, "DefineFont3 (V8.0)"},
        {76, "SymbolClass"},
        {77, "Metadata (V8.0)"},
        {78, "DefineScalingGrid (V8.0)"},
        {82, "DoABC (V8.0)"},
        {83, "DefineShape4 (V8.0)"},
        {84, "DefineMorphShape2 (V8.0)"},
    };
    auto found = names.find(code);
    return found == names.end() ? "UnKnown" : found->second;
}

} // namespace pennoria
