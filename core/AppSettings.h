// The application's settings record and where it is stored.
#pragma once

#include "core/SettingsStore.h"

#include <cstdint>
#include <string>

namespace pennoria {

// The registry key of the settings, below HKEY_CURRENT_USER; also the profile's registry key.
extern const char* const kSettingsKey; // "Software\\Oskarel\\PennoriaFree"

class CAppSettings : public CSettingsRecord {
public:
    CAppSettings(); // applies the defaults once

    bool Exchange(bool tolerant, CSettingsStore& store, bool saving, bool resetDefaults) override;

    std::string OutputFolder;
    std::string SWFFile;
    std::string HTMLFile;
    std::uint32_t OutMode = 0;
    std::uint32_t EmbedMode = 0;
    std::uint16_t Language = 0;
    std::int32_t AutoSelectLang = 0;
    std::string languageIni;
    std::string AlbumID;
    std::string AlbumPassword;
    // How published pages get their player: "bundled" (Ruffle copied beside them) or "none".
    std::string PlayerMode;
    // 1: publishing also writes the HTML5 creative, its zip and the backup image; 0: not.
    std::uint32_t Html5Creative = 1;

private:
    void ApplyDefaults();
};

// Loads the settings from the per-user registry hive (defaults where values are missing) and
// fills an empty OutputFolder with the per-user data folder + "/Pennoria". Saving goes through
// SaveAppSettings, which publishing calls before it writes anything.
bool LoadAppSettings(CAppSettings& settings);
bool SaveAppSettings(CAppSettings& settings);

} // namespace pennoria
