// The application's settings record: fields, defaults, exchange order and where it is kept.
#include "app/AppSettings.h"

#include "app/RegistryStore.h"
#include "platform/Paths.h"

namespace pennoria {

const char* const kSettingsKey = "Software\\Oskarel\\PennoriaFree";

namespace {

const char* const kDefaultSWFFile = "Banner.swf";
const char* const kDefaultHTMLFile = "Banner.html";
constexpr std::uint32_t kDefaultOutMode = 2;
constexpr std::uint32_t kDefaultEmbedMode = 0;
constexpr std::int32_t kDefaultAutoSelectLang = 1;
const char* const kDefaultLanguageIni = "lang_eng.ini";

} // namespace

CAppSettings::CAppSettings() {
    ApplyDefaults();
}

void CAppSettings::ApplyDefaults() {
    SWFFile = kDefaultSWFFile;
    HTMLFile = kDefaultHTMLFile;
    OutMode = kDefaultOutMode;
    EmbedMode = kDefaultEmbedMode;
    AutoSelectLang = kDefaultAutoSelectLang;
    languageIni = kDefaultLanguageIni;
}

bool CAppSettings::Exchange(bool tolerant, CSettingsStore& store, bool saving, bool resetDefaults) {
    if (resetDefaults) {
        ApplyDefaults(); // OutputFolder, AlbumID, AlbumPassword and Language are not touched
        return true;
    }

    bool result = true;
    bool stopped = false;
    // One value's outcome. A failed value stops an intolerant exchange; a tolerant load gives
    // the field its default (when it has one) and goes on; a tolerant save goes on but the
    // whole save reports failure.
    auto settle = [&](bool ok, auto&& applyDefault) {
        if (stopped || ok)
            return;
        if (!tolerant) {
            stopped = true;
            result = false;
        } else if (saving) {
            result = false;
        } else {
            applyDefault();
        }
    };
    auto keep = [] {};
    auto text = [&](const char* name, std::string& field, auto&& applyDefault) {
        if (!stopped)
            settle(store.ExchangeString(name, field, saving), applyDefault);
    };

    text("OutputFolder", OutputFolder, keep);
    text("SWFFile", SWFFile, [&] { SWFFile = kDefaultSWFFile; });
    text("HTMLFile", HTMLFile, [&] { HTMLFile = kDefaultHTMLFile; });
    text("AlbumID", AlbumID, keep);
    text("AlbumPassword", AlbumPassword, keep);
    if (!stopped)
        settle(store.ExchangeUInt32("OutMode", OutMode, saving),
               [&] { OutMode = kDefaultOutMode; });
    if (!stopped)
        settle(store.ExchangeUInt32("EmbedMode", EmbedMode, saving),
               [&] { EmbedMode = kDefaultEmbedMode; });
    if (!stopped)
        settle(store.ExchangeUInt16("Language", Language, saving), keep);
    if (!stopped)
        settle(store.ExchangeInt32("AutoSelectLang", AutoSelectLang, saving),
               [&] { AutoSelectLang = kDefaultAutoSelectLang; });
    text("languageIni", languageIni, [&] { languageIni = kDefaultLanguageIni; });
    return result;
}

bool LoadAppSettings(CAppSettings& settings) {
    CRegistryStore store(platform::kHKeyCurrentUser, kSettingsKey);
    bool loaded = settings.Load(store);
    if (settings.OutputFolder.empty()) {
        // The per-user data folder is created when missing; the Pennoria folder below it is
        // left to publishing, which creates output folders.
        std::string data = platform::GetUserDataFolder();
        if (!data.empty()) {
            char last = data.back();
            settings.OutputFolder = data + (last == '/' || last == '\\' ? "" : "/") + "Pennoria";
        }
    }
    return loaded;
}

bool SaveAppSettings(CAppSettings& settings) {
    CRegistryStore store(platform::kHKeyCurrentUser, kSettingsKey);
    return settings.Save(store);
}

} // namespace pennoria
