// Settings values as registry values: texts as REG_SZ without a terminating zero, integers as
// REG_DWORD.
#include "core/RegistryStore.h"

#include "platform/Text.h"

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
    return status == RegStatus::Success;
}

bool CRegistryStore::BeginWrite() {
    CloseOpenKey();
    // A path too long for the key buffer would land in a different key: refuse it.
    if (!PathFits())
        return false;
    return RegCreateKey(m_root, m_path, &m_openKey) == RegStatus::Success;
}

bool CRegistryStore::EndWrite() {
    return CloseOpenKey();
}

bool CRegistryStore::BeginRead() {
    CloseOpenKey();
    if (!PathFits())
        return false;
    return RegOpenKey(m_root, m_path, RegAccess::Read, &m_openKey) == RegStatus::Success;
}

bool CRegistryStore::EndRead() {
    return CloseOpenKey();
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
        return RegSetValue(m_openKey, name, kRegSz, data.data(), bytes) == RegStatus::Success;
    }
    std::string data(bytes, '\0');
    std::uint32_t stored = bytes;
    RegStatus status = RegQueryValue(m_openKey, name, nullptr, data.data(), &stored);
    if (status == RegStatus::MoreData) {
        length = (std::size_t{stored} + 1) / 2;
        return false;
    }
    if (status != RegStatus::Success) {
        length = 0;
        return false;
    }
    std::u16string text = Utf16FromLittleEndianBytes(std::string_view(data).substr(0, stored));
    text.copy(buffer, text.size());
    length = text.size();
    return true;
}

bool CRegistryStore::ExchangeRawUInt32(const std::string& name, std::uint32_t& value, bool saving) {
    unsigned char bytes[4];
    if (saving) {
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<unsigned char>(value >> (8 * i));
        return RegSetValue(m_openKey, name, kRegDword, bytes, 4) == RegStatus::Success;
    }
    // The stored type is not examined: any value of exactly four bytes is its 32-bit content.
    std::uint32_t stored = 4;
    if (RegQueryValue(m_openKey, name, nullptr, bytes, &stored) != RegStatus::Success ||
        stored != 4)
        return false;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

} // namespace pennoria
