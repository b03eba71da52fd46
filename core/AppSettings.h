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
    // 1: publishing writes the SWF outputs (the banner movie, the component movie, the pages and
    // their player); 0: only the HTML5 creative and the pictures, for users who upload no SWF.
    std::uint32_t SwfOutputs = 1;
    // The renderer the desktop player draws with: "auto" (the canvas where WebGL would be
    // drawn by the processor, WebGL where a GPU draws it), "canvas" or "webgl".
    std::string PlayerRenderer;

private:
    void ApplyDefaults();
};

// The language file for a locale name as in LC_ALL, LC_MESSAGES or LANG ("de_DE.UTF-8"):
// German for "de" and "de_*", French for "fr" and "fr_*", English for anything else.
std::string LanguageIniForLocale(const std::string& locale);
// The language file of the user's locale: the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty decides. It is languageIni's default, so it applies until a language is
// stored.
std::string LanguageIniFromEnvironment();
// The language's three-letter code in a language file's name ("lang_deu.ini" -> "deu"); "eng"
// for a name of another form.
std::string LanguageCode(const std::string& languageIni);

// The output folder used while none is stored: "Pennoria" in the user's documents folder
// (`xdg-user-dir DOCUMENTS`), which is the home folder when the desktop names none. Empty when
// no home folder is known.
std::string DefaultOutputFolder();

// Loads the settings from the per-user registry hive (defaults where values are missing) and
// fills an empty OutputFolder with DefaultOutputFolder(). Saving goes through SaveAppSettings,
// which publishing calls before it writes anything.
bool LoadAppSettings(CAppSettings& settings);
bool SaveAppSettings(CAppSettings& settings);

} // namespace pennoria
