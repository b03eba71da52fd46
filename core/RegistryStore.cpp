// Settings values as registry values: texts as REG_SZ without a terminating zero, 32-bit
// integers as REG_DWORD, everything else as REG_BINARY of its exact size.
#include "core/RegistryStore.h"

#include "platform/Text.h"

#include <cstring>
#include <limits>

namespace pennoria {

using namespace platform;

namespace {

constexpr std::size_t kMaxPathLength = 259; // UTF-16 characters

} // namespace

CRegistryStore::CRegistryStore(RegKey root, std::string path)
    : m_root(root), m_path(std::move(path)) {}

CRegistryStore::~CRegistryStore() {
    CloseOpenKey();
}

bool CRegistryStore::PathFits() const {
    return Utf8ToUtf16(m_path).size() <= kMaxPathLength;
}

bool CRegistryStore::CloseOpenKey() {
    if (!m_openKey)
        return true;
    RegStatus status = RegCloseKey(m_openKey);
    m_openKey = nullptr;
    return status == kErrorSuccess;
}

CSettingsStore* CRegistryStore::OpenChild(const std::string& name) {
    return new CRegistryStore(m_openKey, name);
}

bool CRegistryStore::BeginWrite() {
    CloseOpenKey();
    // A path too long for the key buffer would land in a different key: refuse it.
    if (!PathFits())
        return false;
    return RegCreateKey(m_root, m_path, &m_openKey) == kErrorSuccess;
}

bool CRegistryStore::EndWrite() {
    return CloseOpenKey();
}

bool CRegistryStore::BeginRead() {
    CloseOpenKey();
    if (!PathFits())
        return false;
    return RegOpenKey(m_root, m_path, RegAccess::Read, &m_openKey) == kErrorSuccess;
}

bool CRegistryStore::EndRead() {
    return CloseOpenKey();
}

bool CRegistryStore::ExchangeFloat(const std::string& name, float& value, bool saving) {
    float temp = value;
    bool ok = ExchangeBytes(name, &temp, sizeof temp, saving);
    if (ok && !saving)
        value = temp;
    return ok;
}

bool CRegistryStore::ExchangeBytes(const std::string& name, void* data, std::size_t size,
                                   bool saving) {
    if (size > std::numeric_limits<std::uint32_t>::max())
        return false;
    auto bytes = static_cast<std::uint32_t>(size);
    if (saving)
        return RegSetValue(m_openKey, name, kRegBinary, data, bytes) == kErrorSuccess;
    // Only a value of exactly the asked size fills the field; a shorter one would leave it half
    // old and half new.
    std::string temp(size, '\0');
    std::uint32_t stored = bytes;
    if (RegQueryValue(m_openKey, name, nullptr, temp.data(), &stored) != kErrorSuccess ||
        stored != bytes)
        return false;
    if (size > 0)
        std::memcpy(data, temp.data(), size);
    return true;
}

bool CRegistryStore::ExchangeTextBuffer(const std::string& name, char16_t* buffer,
                                        std::size_t& length, bool saving) {
    if (length > std::numeric_limits<std::uint32_t>::max() / 2) {
        length = 0;
        return false;
    }
    auto bytes = static_cast<std::uint32_t>(2 * length);
    if (saving) {
        // Without a terminating zero.
        std::string data = Utf16ToLittleEndianBytes({buffer, length});
        return RegSetValue(m_openKey, name, kRegSz, data.data(), bytes) == kErrorSuccess;
    }
    std::string data(bytes, '\0');
    std::uint32_t stored = bytes;
    RegStatus status = RegQueryValue(m_openKey, name, nullptr, data.data(), &stored);
    if (status == kErrorMoreData) {
        length = (std::size_t{stored} + 1) / 2;
        return false;
    }
    if (status != kErrorSuccess) {
        length = 0;
        return false;
    }
    std::u16string text = Utf16FromLittleEndianBytes(std::string_view(data).substr(0, stored));
    text.copy(buffer, text.size());
    length = text.size();
    return true;
}

bool CRegistryStore::ExchangeDouble(const std::string& name, double& value, bool saving) {
    double temp = value;
    bool ok = ExchangeBytes(name, &temp, sizeof temp, saving);
    if (ok && !saving)
        value = temp;
    return ok;
}

bool CRegistryStore::ExchangeBool(const std::string& name, bool& value, bool saving) {
    std::uint32_t temp = value ? 1 : 0;
    bool ok = ExchangeRawUInt32(name, temp, saving);
    if (ok && !saving)
        value = temp != 0;
    return ok;
}

bool CRegistryStore::ExchangeRawUInt32(const std::string& name, std::uint32_t& value, bool saving) {
    unsigned char bytes[4];
    if (saving) {
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<unsigned char>(value >> (8 * i));
        return RegSetValue(m_openKey, name, kRegDword, bytes, 4) == kErrorSuccess;
    }
    // The stored type is not examined: any value of exactly four bytes is its 32-bit content.
    std::uint32_t stored = 4;
    if (RegQueryValue(m_openKey, name, nullptr, bytes, &stored) != kErrorSuccess || stored != 4)
        return false;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

bool CRegistryStore::ExchangeRawInt32(const std::string& name, std::int32_t& value, bool saving) {
    auto temp = static_cast<std::uint32_t>(value);
    bool ok = ExchangeRawUInt32(name, temp, saving);
    if (ok && !saving)
        value = static_cast<std::int32_t>(temp);
    return ok;
}

} // namespace pennoria
