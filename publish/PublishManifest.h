// The list of files a publish of ours wrote into its folder, kept in that folder, so that the
// next publish can remove what it no longer produces (the folder of a size taken out of the
// project, a picture no longer used, the player once the pages do without it) and nothing else:
// never a file of the user's, nor one of ours that the user has changed since. It also lets a
// republish leave in place what would come out the same: each file may carry a digest of what it
// was made from, and a group of files made together (a creative) a note.
#pragma once

#include "platform/ConfinedFolder.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// The manifest's name in the publish folder.
extern const char* const kPublishManifestName; // ".pennoria-published"

struct PublishedFileRecord {
    std::string path;         // relative to the publish folder, levels separated by '/'
    std::uint64_t digest = 0; // of the bytes written
    std::uint64_t source = 0; // of what they were made from; 0: not known
};

// A 64-bit digest of file contents (xxHash's XXH3, several gigabytes a second, since a publish
// digests every byte it writes, the bundled player's included): tells whether a file is still
// as we wrote it. A manifest written with another digest only leaves its files in place.
std::uint64_t ContentDigest(std::string_view bytes);
// The same digest of a file's contents, read in pieces; nothing when it cannot be read.
std::optional<std::uint64_t> FileContentDigest(const std::string& path);

// Digests combined in order, for the digest of what an output is made from.
class DigestMix {
public:
    DigestMix& Add(std::string_view bytes);
    DigestMix& Add(std::uint64_t value);
    // Never 0, which stands for "not known".
    std::uint64_t Value() const { return m_value == 0 ? 1 : m_value; }

private:
    std::uint64_t m_value = 0x9E3779B97F4A7C15ull;
};

// The files one publish writes, in order, each once (a later write of the same path wins), and
// its notes: one line of text by name (no white space in the name, no line break in the text).
class PublishLedger {
public:
    void Record(const std::string& relativePath, std::string_view bytes, std::uint64_t source = 0);
    void RecordDigest(const std::string& relativePath, std::uint64_t digest,
                      std::uint64_t source = 0);
    void Note(const std::string& name, const std::string& text);
    const std::vector<PublishedFileRecord>& Files() const { return m_files; }
    const std::map<std::string, std::string>& Notes() const { return m_notes; }
    const PublishedFileRecord* Find(const std::string& relativePath) const;

private:
    std::vector<PublishedFileRecord> m_files;
    std::map<std::string, std::size_t> m_index;
    std::map<std::string, std::string> m_notes;
};

// The manifest's text, and the records read back from one. Reading is bounded and forgiving: a
// line that is not a record of a plain relative path (no "..", ".", empty level, leading '/',
// backslash or control character) is skipped, and reading stops after kMaxManifestRecords.
inline constexpr std::size_t kMaxManifestRecords = 100000;
std::string FormatManifest(const std::vector<PublishedFileRecord>& files,
                           const std::map<std::string, std::string>& notes = {});
std::vector<PublishedFileRecord> ParseManifest(std::string_view text);
// The records and notes of a manifest (of this or the earlier format, which has no sources and
// no notes), as a ledger.
PublishLedger ReadManifest(std::string_view text);
// The manifest in folder, read as ReadManifest does; empty when there is none.
PublishLedger ReadFolderManifest(const platform::ConfinedFolder& folder);

struct ManifestCleanup {
    std::vector<std::string> removed; // stale files of ours that went
    std::vector<std::string> kept;    // stale by name, but changed since we wrote them
};

// Brings the folder to what this publish wrote: the files the earlier manifest lists and this
// publish did not write are removed when their contents are still what the earlier publish
// wrote, then each folder that removal left empty. The manifest itself is replaced with this
// publish's records and notes. With complete false (the publish stopped part way) nothing is
// removed and the manifest keeps the earlier records besides the new ones, so that a later publish
// still knows them; the earlier notes go, since the files they speak of may have changed.
ManifestCleanup UpdatePublishFolder(const platform::ConfinedFolder& folder,
                                    const PublishLedger& ledger, bool complete);

} // namespace pennoria
