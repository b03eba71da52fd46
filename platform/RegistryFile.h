// The per-user registry hive in memory, and its text form ("Windows Registry Editor Version 5.00").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pennoria::platform {

// Value types as the registry numbers them.
enum RegistryType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
    kRegQword = 11,
};

// Limits of names and sizes; the hive refuses anything beyond them, in memory and on disk.
constexpr std::size_t kMaxKeyNameLength = 255;     // one level of a key path, in bytes
constexpr std::size_t kMaxValueNameLength = 16383; // in bytes
constexpr std::size_t kMaxValueDataSize = 1u << 20;
constexpr std::size_t kMaxHiveFileSize = 16u << 20;
constexpr std::size_t kMaxKeyDepth = 32;        // levels of a key path
constexpr std::size_t kMaxKeyPathLength = 2048; // a whole key path, in bytes

struct RegistryValue {
    std::string name; // as first written; empty for the key's default value
    std::uint32_t type = kRegNone;
    std::string data; // the stored bytes, exactly
};

struct RegistryKey {
    std::string path; // full path below the root, levels joined by '\', as first spelled
    // In the order they were first set; deleting a value moves the last one into its place.
    // Change them only through SetValue and DeleteValue, which keep the look-up index.
    std::vector<RegistryValue> values;

    RegistryValue* FindValue(std::string_view name);
    const RegistryValue* FindValue(std::string_view name) const;
    void SetValue(std::string_view name, std::uint32_t type, std::string data);
    bool DeleteValue(std::string_view name);

private:
    std::unordered_map<std::string, std::size_t> m_index; // lower-cased name → position
};

// Every key of one root, found by path without regard to ASCII case. The root itself is the
// key with the empty path and always exists.
class RegistryTree {
public:
    RegistryTree();

    RegistryKey* Find(std::string_view path);
    const RegistryKey* Find(std::string_view path) const;
    // Creates the key and every missing parent, keeping the spelling of levels that exist.
    RegistryKey& Create(std::string_view path);
    // Removes one key (not its subkeys); false when it does not exist or is the root.
    bool Remove(std::string_view path);

    const std::map<std::string, RegistryKey>& Keys() const { return m_keys; }
    bool operator==(const RegistryTree& other) const;

private:
    std::map<std::string, RegistryKey> m_keys; // lower-cased path → key
};

// Checks a key path below the root: levels joined by single '\', none empty, none longer than
// kMaxKeyNameLength, at most kMaxKeyDepth levels and kMaxKeyPathLength bytes, no control
// characters. The empty path is the root.
bool IsValidKeyPath(std::string_view path);
bool IsValidValueName(std::string_view name);

// Joins a parent path and a relative one.
std::string JoinKeyPath(std::string_view parent, std::string_view child);

// The name of the only root a hive file holds.
extern const char* const kCurrentUserRootName; // "HKEY_CURRENT_USER"

// Reads a hive file's text. Anything that is not a complete, well-formed file (a missing
// header, a malformed or cut line, bad hex, a key outside the current user's root, a name or
// value beyond the limits) makes it fail with a one-line reason, leaving tree unspecified.
bool ParseRegistryText(std::string_view text, RegistryTree& tree, std::string* error = nullptr);

// The file text of a tree: the header, then every key in path order with its values. Texts
// that end in one terminating zero are written as "text"; every other value as typed hex bytes.
std::string FormatRegistryText(const RegistryTree& tree);

} // namespace pennoria::platform
