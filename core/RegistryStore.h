// The settings store that keeps a record's values in one key of the per-user registry.
#pragma once

#include "core/SettingsStore.h"
#include "platform/Registry.h"

#include <string>

namespace pennoria {

class CRegistryStore : public CSettingsStore {
public:
    // root stays owned by the caller; path is the key below it (at most 259 UTF-16 characters).
    CRegistryStore(platform::RegKey root, std::string path);
    ~CRegistryStore() override;
    CRegistryStore(const CRegistryStore&) = delete;
    CRegistryStore& operator=(const CRegistryStore&) = delete;

    bool IsTolerant() override { return true; }
    bool BeginWrite() override; // creates the key when missing
    bool EndWrite() override;   // also reports whether the changes reached the file
    bool BeginRead() override;  // false when the key does not exist
    bool EndRead() override;
    bool ExchangeTextBuffer(const std::string& name, char16_t* buffer, std::size_t& length,
                            bool saving) override;
    bool ExchangeRawUInt32(const std::string& name, std::uint32_t& value, bool saving) override;

private:
    bool PathFits() const;
    bool CloseOpenKey();

    platform::RegKey m_root;
    std::string m_path;
    platform::RegKey m_openKey = nullptr;
};

} // namespace pennoria
