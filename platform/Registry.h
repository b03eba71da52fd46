// The per-user registry: keys and typed values kept in one text file, opened, read, written and
// closed through handles.
//
// The hive lives in $XDG_CONFIG_HOME/Oskarel/registry.reg (~/.config when unset). Opening or
// creating a key reads the file; changes collect in memory and are written when a key is closed
// (or flushed): under an advisory lock the file is read again, the changes are applied on top
// of what is there now, and the result replaces the file atomically. Two processes saving at
// once therefore both keep their values; for the same value the last writer wins. A file that
// cannot be read or parsed is moved aside to registry.reg.bad and the hive starts empty; it is
// never overwritten in place. Reading a key that does not exist creates nothing on disk.
#pragma once

#include "platform/RegistryFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pennoria::platform {

// What a registry call reports.
enum class RegStatus {
    Success,
    NotFound,         // the key or value does not exist
    MoreData,         // the buffer is too small; the needed size is reported
    AccessDenied,     // a write through a handle opened for reading
    InvalidHandle,    // a handle that is closed or was never opened
    InvalidParameter, // a malformed key path or value name, or a missing buffer
    IoFailed,         // the hive file could not be written
    KeyDeleted,       // the key behind an open handle is gone
};

struct RegKeyObject;
using RegKey = RegKeyObject*;

// The predefined key of the current user; never needs closing.
extern const RegKey kHKeyCurrentUser;

enum class RegAccess { Read, ReadWrite };

// Opens parent\subKey (an empty subKey opens parent again). RegStatus::NotFound when it does
// not exist.
RegStatus RegOpenKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result);

// Opens parent\subKey for writing, creating it and any missing parent keys.
RegStatus RegCreateKey(RegKey parent, std::string_view subKey, RegKey* result,
                       bool* created = nullptr);

// Reads a value. type and data may be null; size holds data's capacity in bytes on entry and
// the stored size on return. A buffer that is too small gives RegStatus::MoreData with the needed
// size, and the buffer is left as it was.
RegStatus RegQueryValue(RegKey key, std::string_view name, std::uint32_t* type, void* data,
                        std::uint32_t* size);

// Stores exactly size bytes of the given type (at most kMaxValueDataSize).
RegStatus RegSetValue(RegKey key, std::string_view name, std::uint32_t type, const void* data,
                      std::uint32_t size);

// Releases the handle; pending changes are written first, and a failed write is reported here.
RegStatus RegCloseKey(RegKey key);

// Where the hive file is (for messages and tests).
std::string GetRegistryHivePath();

} // namespace pennoria::platform
