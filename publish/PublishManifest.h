// The list of files a publish of ours wrote into its folder, kept in that folder, so that the
// next publish can remove what it no longer produces (the folder of a size taken out of the
// project, a picture no longer used, the player once the pages do without it) and nothing else:
// never a file of the user's, nor one of ours that the user has changed since.
#pragma once

#include "platform/ConfinedFolder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// The manifest's name in the publish folder.
extern const char* const kPublishManifestName; // ".pennoria-published"

struct PublishedFileRecord {
    std::string path;         // relative to the publish folder, levels separated by '/'
    std::uint64_t digest = 0; // of the bytes written
};

// A 64-bit digest of file contents (xxHash's XXH3, several gigabytes a second, since a publish
// digests every byte it writes, the bundled player's included): tells whether a file is still
// as we wrote it. A manifest written with another digest only leaves its files in place.
std::uint64_t ContentDigest(std::string_view bytes);

// The files one publish writes, in order, each once (a later write of the same path wins).
class PublishLedger {
public:
    void Record(const std::string& relativePath, std::string_view bytes);
    const std::vector<PublishedFileRecord>& Files() const { return m_files; }

private:
    std::vector<PublishedFileRecord> m_files;
};

// The manifest's text, and the records read back from one. Reading is bounded and forgiving: a
// line that is not a record of a plain relative path (no "..", ".", empty level, leading '/',
// backslash or control character) is skipped, and reading stops after kMaxManifestRecords.
inline constexpr std::size_t kMaxManifestRecords = 100000;
std::string FormatManifest(const std::vector<PublishedFileRecord>& files);
std::vector<PublishedFileRecord> ParseManifest(std::string_view text);

struct ManifestCleanup {
    std::vector<std::string> removed; // stale files of ours that went
    std::vector<std::string> kept;    // stale by name, but changed since we wrote them
};

// Brings the folder to what this publish wrote: the files the earlier manifest lists and this
// publish did not write are removed when their contents are still what the earlier publish
// wrote, then each folder that removal left empty. The manifest itself is replaced with this
// publish's records. With complete false (the publish stopped part way) nothing is removed and
// the manifest keeps the earlier records besides the new ones, so that a later publish still
// knows them.
ManifestCleanup UpdatePublishFolder(const platform::ConfinedFolder& folder,
                                    const PublishLedger& ledger, bool complete);

} // namespace pennoria
