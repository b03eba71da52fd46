// Profile entries as registry texts below the application's profile key.
#include "core/AppProfile.h"

#include "core/AppSettings.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace pennoria {

using namespace platform;

namespace {

// Reads at most this many bytes of one entry; the profile holds short texts.
constexpr std::uint32_t kMaxEntryBytes = 64 * 1024;

std::string SectionPath(const std::string& section) {
    return JoinKeyPath(ProfileKeyPath(), section);
}

} // namespace

std::string ProfileApplicationName() {
    std::string module = GetModuleFileName();
    std::string name = module.substr(module.find_last_of('/') + 1);
    if (std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

std::string ProfileKeyPath() {
    return std::string("Software\\") + kSettingsKey + "\\" + ProfileApplicationName();
}

bool WriteProfileString(const std::string& section, const std::string& entry,
                        const std::string& value) {
    RegKey key = nullptr;
    if (RegCreateKey(kHKeyCurrentUser, SectionPath(section), &key) != RegStatus::Success)
        return false;
    std::u16string text = Utf8ToUtf16(value);
    text += u'\0';
    std::string bytes = Utf16ToLittleEndianBytes(text);
    bool ok = RegSetValue(key, entry, kRegSz, bytes.data(),
                          static_cast<std::uint32_t>(bytes.size())) == RegStatus::Success;
    bool closed = RegCloseKey(key) == RegStatus::Success;
    return ok && closed;
}

std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& defaultValue) {
    RegKey key = nullptr;
    if (RegOpenKey(kHKeyCurrentUser, SectionPath(section), RegAccess::Read, &key) !=
        RegStatus::Success)
        return defaultValue;
    std::uint32_t type = kRegNone;
    std::uint32_t size = 0;
    std::string bytes;
    RegStatus status = RegQueryValue(key, entry, &type, nullptr, &size);
    if (status == RegStatus::Success && type == kRegSz && size <= kMaxEntryBytes) {
        bytes.resize(size);
        status = RegQueryValue(key, entry, &type, bytes.data(), &size);
    }
    RegCloseKey(key);
    if (status != RegStatus::Success || type != kRegSz || bytes.size() != size)
        return defaultValue;
    std::u16string text = Utf16FromLittleEndianBytes(bytes);
    if (std::size_t zero = text.find(u'\0'); zero != std::u16string::npos)
        text.resize(zero);
    return Utf16ToUtf8(text);
}

} // namespace pennoria
