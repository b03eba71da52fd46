// The application's settings record: fields, defaults, exchange order and where it is kept.
#include "core/AppSettings.h"

#include "core/RegistryStore.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <cstring>

namespace pennoria {

const char* const kSettingsKey = "Software\\Oskarel\\PennoriaFree";

namespace {

const char* const kDefaultSWFFile = "Banner.swf";
const char* const kDefaultHTMLFile = "Banner.html";
constexpr std::uint32_t kDefaultOutMode = 2;
constexpr std::uint32_t kDefaultEmbedMode = 0;
constexpr std::int32_t kDefaultAutoSelectLang = 1;
const char* const kDefaultLanguageIni = "lang_eng.ini";
const char* const kDefaultPlayerMode = "bundled";
constexpr std::uint32_t kDefaultHtml5Creative = 1;
constexpr std::uint32_t kDefaultSwfOutputs = 1;
const char* const kDefaultPlayerRenderer = "auto";

bool IsLanguage(const std::string& locale, const char* language) {
    const std::size_t n = std::strlen(language);
    return locale.compare(0, n, language) == 0 &&
           (locale.size() == n || locale[n] == '_' || locale[n] == '.' || locale[n] == '@');
}

} // namespace

std::string LanguageIniForLocale(const std::string& locale) {
    if (IsLanguage(locale, "de"))
        return "lang_deu.ini";
    if (IsLanguage(locale, "fr"))
        return "lang_fra.ini";
    return kDefaultLanguageIni;
}

std::string LanguageIniFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return LanguageIniForLocale(value);
    }
    return kDefaultLanguageIni;
}

std::string LanguageCode(const std::string& languageIni) {
    const std::string prefix = "lang_", suffix = ".ini";
    if (languageIni.size() == prefix.size() + 3 + suffix.size() &&
        languageIni.compare(0, prefix.size(), prefix) == 0 &&
        languageIni.compare(prefix.size() + 3, suffix.size(), suffix) == 0)
        return languageIni.substr(prefix.size(), 3);
    return "eng";
}

CAppSettings::CAppSettings() {
    ApplyDefaults();
}

void CAppSettings::ApplyDefaults() {
    SWFFile = kDefaultSWFFile;
    HTMLFile = kDefaultHTMLFile;
    OutMode = kDefaultOutMode;
    EmbedMode = kDefaultEmbedMode;
    AutoSelectLang = kDefaultAutoSelectLang;
    languageIni = LanguageIniFromEnvironment();
    PlayerMode = kDefaultPlayerMode;
    Html5Creative = kDefaultHtml5Creative;
    SwfOutputs = kDefaultSwfOutputs;
    PlayerRenderer = kDefaultPlayerRenderer;
}

bool CAppSettings::Exchange(bool tolerant, CSettingsStore& store, bool saving, bool resetDefaults) {
    if (resetDefaults) {
        ApplyDefaults(); // OutputFolder, AlbumID, AlbumPassword and Language are not touched
        return true;
    }

    bool result = true;
    bool stopped = false;
    // One value: exchange it, then settle a failure. An intolerant exchange stops at the first
    // failed value; a tolerant load gives the field its default (when it has one) and goes on;
    // a tolerant save goes on but the whole save reports failure.
    auto step = [&](auto&& exchange, auto&& applyDefault) {
        if (stopped || exchange())
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

    step([&] { return store.ExchangeString("OutputFolder", OutputFolder, saving); }, keep);
    step([&] { return store.ExchangeString("SWFFile", SWFFile, saving); },
         [&] { SWFFile = kDefaultSWFFile; });
    step([&] { return store.ExchangeString("HTMLFile", HTMLFile, saving); },
         [&] { HTMLFile = kDefaultHTMLFile; });
    step([&] { return store.ExchangeString("AlbumID", AlbumID, saving); }, keep);
    step([&] { return store.ExchangeString("AlbumPassword", AlbumPassword, saving); }, keep);
    step([&] { return store.ExchangeUInt32("OutMode", OutMode, saving); },
         [&] { OutMode = kDefaultOutMode; });
    step([&] { return store.ExchangeUInt32("EmbedMode", EmbedMode, saving); },
         [&] { EmbedMode = kDefaultEmbedMode; });
    step([&] { return store.ExchangeUInt16("Language", Language, saving); }, keep);
    step([&] { return store.ExchangeInt32("AutoSelectLang", AutoSelectLang, saving); },
         [&] { AutoSelectLang = kDefaultAutoSelectLang; });
    step([&] { return store.ExchangeString("languageIni", languageIni, saving); },
         [&] { languageIni = LanguageIniFromEnvironment(); });
    step([&] { return store.ExchangeString("PlayerMode", PlayerMode, saving); },
         [&] { PlayerMode = kDefaultPlayerMode; });
    step([&] { return store.ExchangeUInt32("Html5Creative", Html5Creative, saving); },
         [&] { Html5Creative = kDefaultHtml5Creative; });
    step([&] { return store.ExchangeUInt32("SwfOutputs", SwfOutputs, saving); },
         [&] { SwfOutputs = kDefaultSwfOutputs; });
    step([&] { return store.ExchangeString("PlayerRenderer", PlayerRenderer, saving); },
         [&] { PlayerRenderer = kDefaultPlayerRenderer; });
    if (PlayerRenderer != "canvas" && PlayerRenderer != "webgl")
        PlayerRenderer = kDefaultPlayerRenderer;
    return result;
}

std::string DefaultOutputFolder() {
    // A visible folder where the user keeps documents; created by the first publish.
    std::string documents = platform::GetUserDocumentsFolder();
    if (documents.empty())
        return {};
    return documents + (documents.back() == '/' ? "" : "/") + "Pennoria";
}

bool LoadAppSettings(CAppSettings& settings) {
    CRegistryStore store(platform::kHKeyCurrentUser, kSettingsKey);
    bool loaded = settings.Load(store);
    if (settings.OutputFolder.empty())
        settings.OutputFolder = DefaultOutputFolder();
    return loaded;
}

bool SaveAppSettings(CAppSettings& settings) {
    CRegistryStore store(platform::kHKeyCurrentUser, kSettingsKey);
    return settings.Save(store);
}

} // namespace pennoria
