// The publish folder's manifest of our own files.
#include "publish/PublishManifest.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

#include <xxhash.h>

namespace pennoria {

const char* const kPublishManifestName = ".pennoria-published";

namespace {

constexpr const char* kFirstLine = "pennoria-published 2";
// The earlier format: records without sources, no notes.
constexpr const char* kFirstLineV1 = "pennoria-published 1";
constexpr const char* kNoteWord = "note ";
// A manifest larger than this is not ours.
constexpr std::uint64_t kMaxManifestBytes = std::uint64_t{16} << 20;
// Stale files larger than this are left alone rather than read to be compared.
constexpr std::uint64_t kMaxComparedBytes = std::uint64_t{512} << 20;

bool IsPlainRelativePath(std::string_view path) {
    if (path.empty() || path.size() > 4096 || path.front() == '/' || path.back() == '/')
        return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        const std::string_view level = path.substr(start, slash - start);
        if (level.empty() || level == "." || level == "..")
            return false;
        start = slash + 1;
    }
    for (char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\')
            return false;
    return true;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool ParseHex(std::string_view text, std::uint64_t& value) {
    if (text.size() != 16)
        return false;
    value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return true;
}

} // namespace

std::uint64_t ContentDigest(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

std::optional<std::uint64_t> FileContentDigest(const std::string& path) {
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                   &XXH3_freeState);
    if (!state || XXH3_64bits_reset(state.get()) != XXH_OK)
        return std::nullopt;
    if (!platform::ReadFileInPieces(path, [&state](std::string_view piece) {
            XXH3_64bits_update(state.get(), piece.data(), piece.size());
        }))
        return std::nullopt;
    return XXH3_64bits_digest(state.get());
}

DigestMix& DigestMix::Add(std::string_view bytes) {
    return Add(XXH3_64bits_withSeed(bytes.data(), bytes.size(), m_value) ^ bytes.size());
}

DigestMix& DigestMix::Add(std::uint64_t value) {
    m_value = XXH3_64bits_withSeed(&value, sizeof value, m_value);
    return *this;
}

void PublishLedger::Record(const std::string& relativePath, std::string_view bytes,
                           std::uint64_t source) {
    RecordDigest(relativePath, ContentDigest(bytes), source);
}

void PublishLedger::RecordDigest(const std::string& relativePath, std::uint64_t digest,
                                 std::uint64_t source) {
    auto found = m_index.find(relativePath);
    if (found != m_index.end()) {
        m_files[found->second].digest = digest;
        m_files[found->second].source = source;
        return;
    }
    m_index.emplace(relativePath, m_files.size());
    m_files.push_back({relativePath, digest, source});
}

void PublishLedger::Note(const std::string& name, const std::string& text) {
    m_notes[name] = text;
}

const PublishedFileRecord* PublishLedger::Find(const std::string& relativePath) const {
    auto found = m_index.find(relativePath);
    return found == m_index.end() ? nullptr : &m_files[found->second];
}

std::string FormatManifest(const std::vector<PublishedFileRecord>& files,
                           const std::map<std::string, std::string>& notes) {
    std::string text = std::string(kFirstLine) + "\n";
    for (const PublishedFileRecord& file : files)
        if (IsPlainRelativePath(file.path))
            text += Hex(file.digest) + " " + Hex(file.source) + " " + file.path + "\n";
    for (const auto& [name, note] : notes)
        if (!name.empty() && name.find_first_of(" \t\r\n") == std::string::npos &&
            note.find_first_of("\r\n") == std::string::npos)
            text += kNoteWord + name + " " + note + "\n";
    return text;
}

PublishLedger ReadManifest(std::string_view text) {
    PublishLedger ledger;
    const std::size_t firstEnd = text.find('\n');
    if (firstEnd == std::string_view::npos)
        return ledger;
    const std::string_view first = text.substr(0, firstEnd);
    const bool withSources = first == kFirstLine;
    if (!withSources && first != kFirstLineV1)
        return ledger;
    const std::size_t head = withSources ? 34 : 17; // the digests and their spaces
    std::size_t at = firstEnd + 1;
    std::size_t lines = 0;
    while (at < text.size() && lines++ < kMaxManifestRecords) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (withSources && line.substr(0, 5) == kNoteWord) {
            const std::string_view rest = line.substr(5);
            const std::size_t space = rest.find(' ');
            if (space != std::string_view::npos && space > 0)
                ledger.Note(std::string(rest.substr(0, space)),
                            std::string(rest.substr(space + 1)));
            continue;
        }
        std::uint64_t digest = 0, source = 0;
        if (line.size() <= head || line[16] != ' ' || !ParseHex(line.substr(0, 16), digest))
            continue;
        if (withSources && (line[33] != ' ' || !ParseHex(line.substr(17, 16), source)))
            continue;
        const std::string_view path = line.substr(head);
        if (!IsPlainRelativePath(path))
            continue;
        ledger.RecordDigest(std::string(path), digest, source);
    }
    return ledger;
}

std::vector<PublishedFileRecord> ParseManifest(std::string_view text) {
    return ReadManifest(text).Files();
}

PublishLedger ReadFolderManifest(const platform::ConfinedFolder& folder) {
    if (auto text = folder.ReadFile(kPublishManifestName, kMaxManifestBytes))
        return ReadManifest(*text);
    return {};
}

ManifestCleanup UpdatePublishFolder(const platform::ConfinedFolder& folder,
                                    const PublishLedger& ledger, bool complete) {
    ManifestCleanup cleanup;
    const std::vector<PublishedFileRecord> earlier = ReadFolderManifest(folder).Files();
    std::set<std::string> current;
    for (const PublishedFileRecord& file : ledger.Files())
        current.insert(file.path);
    std::vector<PublishedFileRecord> next = ledger.Files();
    std::set<std::string> emptied;
    for (const PublishedFileRecord& old : earlier) {
        if (current.count(old.path))
            continue;
        if (!complete) {
            next.push_back(old);
            current.insert(old.path);
            continue;
        }
        auto bytes = folder.ReadFile(old.path, kMaxComparedBytes);
        if (!bytes)
            continue; // gone already, or no longer a file of ours
        if (ContentDigest(*bytes) != old.digest || !folder.RemoveFile(old.path)) {
            cleanup.kept.push_back(old.path);
            continue;
        }
        cleanup.removed.push_back(old.path);
        for (std::size_t slash = old.path.find('/'); slash != std::string::npos;
             slash = old.path.find('/', slash + 1))
            emptied.insert(old.path.substr(0, slash));
    }
    // Deepest first, so that "640x480/res" goes before "640x480"; a folder that still holds
    // anything (the user's own files) stays.
    std::vector<std::string> folders(emptied.begin(), emptied.end());
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
    });
    for (const std::string& name : folders)
        folder.RemoveEmptyFolder(name);
    folder.WriteFile(kPublishManifestName, FormatManifest(next, ledger.Notes()));
    return cleanup;
}

} // namespace pennoria
