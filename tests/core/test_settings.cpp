// Settings records and stores, the application's settings in the registry, and the profile.
#include "core/AppProfile.h"
#include "core/AppSettings.h"
#include "core/RegistryStore.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>
#include <sys/stat.h>

using namespace pennoria;
using namespace pennoria::platform;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScopedEnv;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

namespace {

std::string Utf16Bytes(std::u16string_view text) {
    return Utf16ToLittleEndianBytes(text);
}

// A store in memory that can be told to fail, and that remembers what was asked of it.
class MemoryStore : public CSettingsStore {
public:
    bool tolerant = true;
    bool beginFails = false;
    bool endFails = false;
    std::set<std::string> failing;
    std::map<std::string, std::u16string> texts;
    std::map<std::string, std::uint32_t> numbers;
    std::vector<std::string> calls;

    bool IsTolerant() override { return tolerant; }
    bool BeginRead() override { return Log("BeginRead", !beginFails); }
    bool EndRead() override { return Log("EndRead", !endFails); }
    bool BeginWrite() override { return Log("BeginWrite", !beginFails); }
    bool EndWrite() override { return Log("EndWrite", !endFails); }
    bool ExchangeTextBuffer(const std::string& name, char16_t* buffer, std::size_t& length,
                            bool saving) override {
        calls.push_back(name);
        if (failing.count(name))
            return false;
        if (saving) {
            texts[name].assign(buffer, length);
            return true;
        }
        auto it = texts.find(name);
        if (it == texts.end()) {
            length = 0;
            return false;
        }
        bool fits = it->second.size() <= length;
        if (fits)
            it->second.copy(buffer, it->second.size());
        length = it->second.size();
        return fits;
    }
    bool ExchangeRawUInt32(const std::string& name, std::uint32_t& value, bool saving) override {
        calls.push_back(name);
        if (failing.count(name))
            return false;
        if (saving) {
            numbers[name] = value;
            return true;
        }
        auto it = numbers.find(name);
        if (it == numbers.end())
            return false;
        value = it->second;
        return true;
    }

private:
    bool Log(const char* what, bool result) {
        calls.push_back(what);
        return result;
    }
};

// A registry store that notes the buffer length offered for every text it loads.
class OfferRecordingStore : public CRegistryStore {
public:
    using CRegistryStore::CRegistryStore;
    std::map<std::string, std::vector<std::size_t>> offers;
    bool ExchangeTextBuffer(const std::string& name, char16_t* buffer, std::size_t& length,
                            bool saving) override {
        if (!saving)
            offers[name].push_back(length);
        return CRegistryStore::ExchangeTextBuffer(name, buffer, length, saving);
    }
};

void SetNonDefaults(CAppSettings& s) {
    s.OutputFolder = "/keep/out";
    s.SWFFile = "x.swf";
    s.HTMLFile = "x.html";
    s.OutMode = 9;
    s.EmbedMode = 9;
    s.Language = 9;
    s.AutoSelectLang = 0;
    s.languageIni = "x.ini";
    s.AlbumID = "id";
    s.AlbumPassword = "pw";
}

} // namespace

// ---- Records and the base store ----------------------------------------------------------------

TEST(SettingsRecord, LoadAndSaveAreFramedByTheStoreAndTheHooks) {
    struct Recorder : CSettingsRecord {
        std::vector<std::string> events;
        bool Exchange(bool tolerant, CSettingsStore&, bool saving, bool) override {
            events.push_back(std::string(saving ? "save" : "load") + (tolerant ? "+" : "-"));
            return true;
        }
        void OnBeforeLoad(bool opened) override { Note("beforeLoad", opened); }
        void OnAfterLoad(bool ok) override { Note("afterLoad", ok); }
        void OnBeforeSave(bool opened) override { Note("beforeSave", opened); }
        void OnAfterSave(bool ok) override { Note("afterSave", ok); }
        void Note(const char* what, bool flag) {
            events.push_back(std::string(what) + (flag ? "(1)" : "(0)"));
        }
    };
    struct Case {
        bool beginFails, endFails, saving;
        bool result;
        std::vector<std::string> events, calls;
    };
    const Case cases[] = {
        {false,
         false,
         false,
         true,
         {"beforeLoad(1)", "load+", "afterLoad(1)"},
         {"BeginRead", "EndRead"}},
        {true, false, false, false, {"beforeLoad(0)", "afterLoad(0)"}, {"BeginRead", "EndRead"}},
        {false,
         true,
         false,
         false,
         {"beforeLoad(1)", "load+", "afterLoad(0)"},
         {"BeginRead", "EndRead"}},
        {false,
         false,
         true,
         true,
         {"beforeSave(1)", "save+", "afterSave(1)"},
         {"BeginWrite", "EndWrite"}},
        {true, false, true, false, {"beforeSave(0)", "afterSave(0)"}, {"BeginWrite", "EndWrite"}},
    };
    for (const Case& c : cases) {
        MemoryStore store;
        store.beginFails = c.beginFails;
        store.endFails = c.endFails;
        Recorder record;
        EXPECT_EQ(c.saving ? record.Save(store) : record.Load(store), c.result);
        EXPECT_EQ(record.events, c.events);
        EXPECT_EQ(store.calls, c.calls);
    }
}

TEST(SettingsStore, NarrowIntegersTakeTheLowBitsOfTheStoredValue) {
    MemoryStore store;
    store.numbers = {{"u16", 0x12345}, {"i32", 0x80000000}};
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    ASSERT_TRUE(store.ExchangeUInt16("u16", u16, false));
    ASSERT_TRUE(store.ExchangeInt32("i32", i32, false));
    EXPECT_EQ(u16, 0x2345);
    EXPECT_EQ(i32, std::numeric_limits<std::int32_t>::min());

    // A failed read leaves the field alone.
    u16 = 77;
    EXPECT_FALSE(store.ExchangeUInt16("missing", u16, false));
    EXPECT_EQ(u16, 77);
}

TEST(SettingsStore, TextsAreReadAgainWithTheReportedLengthAndCutAtAZero) {
    MemoryStore store;
    store.texts["long"] = std::u16string(300, u'é');
    store.texts["zero"] = std::u16string(u"page.html\0junk", 14);
    std::string text = "before";
    ASSERT_TRUE(store.ExchangeString("long", text, false));
    EXPECT_EQ(text.size(), 600u); // 300 two-byte characters in UTF-8
    ASSERT_TRUE(store.ExchangeString("zero", text, false));
    EXPECT_EQ(text, "page.html");
    EXPECT_FALSE(store.ExchangeString("missing", text, false));
    EXPECT_EQ(text, "page.html");
}

TEST(SettingsStore, AnIntolerantStoreStopsAtTheFirstFailure) {
    MemoryStore source;
    CAppSettings saved;
    saved.AlbumID = "album";
    ASSERT_TRUE(saved.Save(source));

    source.tolerant = false;
    source.failing = {"AlbumID"};
    source.calls.clear();
    CAppSettings loaded;
    SetNonDefaults(loaded);
    EXPECT_FALSE(loaded.Load(source));
    EXPECT_EQ(loaded.SWFFile, "Banner.swf"); // read before the failure
    EXPECT_EQ(loaded.AlbumPassword, "pw");   // never reached
    EXPECT_EQ(loaded.OutMode, 9u);
    EXPECT_EQ(source.calls.back(), "EndRead");
    EXPECT_EQ(source.calls[source.calls.size() - 2], "AlbumID");

    // A tolerant save goes on past a failed value but reports the failure.
    MemoryStore target;
    target.failing = {"AlbumID"};
    EXPECT_FALSE(saved.Save(target));
    EXPECT_EQ(target.numbers.count("OutMode"), 1u);
    EXPECT_EQ(target.texts.count("languageIni"), 1u);
}

// ---- The application's settings in the registry -------------------------------------------------

class SettingsInHive : public ::testing::Test {
protected:
    std::string HivePath() const { return m_dir / "config/Oskarel/registry.reg"; }

    void SetRaw(const char* name, std::uint32_t type, const std::string& bytes) {
        RegKey key = nullptr;
        ASSERT_EQ(RegCreateKey(kHKeyCurrentUser, kSettingsKey, &key), RegStatus::Success);
        ASSERT_EQ(
            RegSetValue(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
            RegStatus::Success);
        ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
    }

    std::pair<std::uint32_t, std::string> Stored(const char* name) {
        RegKey key = nullptr;
        EXPECT_EQ(RegOpenKey(kHKeyCurrentUser, kSettingsKey, RegAccess::Read, &key),
                  RegStatus::Success);
        std::uint32_t type = 0, size = 0;
        RegQueryValue(key, name, &type, nullptr, &size);
        std::string bytes(size, '\0');
        RegQueryValue(key, name, &type, bytes.data(), &size);
        RegCloseKey(key);
        return {type, bytes};
    }

    ScratchFolder m_dir;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir / "config"};
    ScopedEnv m_data{"XDG_DATA_HOME", m_dir / "data/share"};
};

TEST_F(SettingsInHive, TextsAreStoredWithoutATerminatingZero) {
    CAppSettings settings;
    settings.SWFFile = "abc";
    ASSERT_TRUE(SaveAppSettings(settings));
    EXPECT_EQ(Stored("SWFFile"), std::make_pair(std::uint32_t{kRegSz}, Utf16Bytes(u"abc")));

    settings.SWFFile = "a text longer than the stored one";
    ASSERT_TRUE(LoadAppSettings(settings));
    EXPECT_EQ(settings.SWFFile, "abc");
}

TEST_F(SettingsInHive, EveryFieldRoundTripsInExchangeOrder) {
    CAppSettings saved;
    saved.OutputFolder = "/home/ünïcode/Ausgabe ✓";
    saved.SWFFile = "Werbung.swf";
    saved.HTMLFile = "";
    saved.OutMode = 0xFFFFFFFF;
    saved.EmbedMode = 1;
    saved.Language = 0xFFFF;
    saved.AutoSelectLang = -5;
    saved.languageIni = "lang_deu.ini";
    saved.AlbumID = "album 7";
    saved.AlbumPassword = std::string(300, 'p');
    saved.PlayerMode = "none";
    saved.Html5Creative = 0;
    saved.SwfOutputs = 0;
    saved.PlayerRenderer = "webgl";
    ASSERT_TRUE(SaveAppSettings(saved));

    CAppSettings loaded;
    ASSERT_TRUE(LoadAppSettings(loaded));
    EXPECT_EQ(loaded.OutputFolder, saved.OutputFolder);
    EXPECT_EQ(loaded.SWFFile, saved.SWFFile);
    EXPECT_EQ(loaded.HTMLFile, "");
    EXPECT_EQ(loaded.OutMode, saved.OutMode);
    EXPECT_EQ(loaded.EmbedMode, saved.EmbedMode);
    EXPECT_EQ(loaded.Language, saved.Language);
    EXPECT_EQ(loaded.AutoSelectLang, saved.AutoSelectLang);
    EXPECT_EQ(loaded.languageIni, saved.languageIni);
    EXPECT_EQ(loaded.AlbumID, saved.AlbumID);
    EXPECT_EQ(loaded.AlbumPassword, saved.AlbumPassword);
    EXPECT_EQ(loaded.PlayerMode, "none");
    EXPECT_EQ(loaded.Html5Creative, 0u);
    EXPECT_EQ(loaded.SwfOutputs, 0u);
    EXPECT_EQ(loaded.PlayerRenderer, "webgl");

    RegistryTree tree;
    ASSERT_TRUE(ParseRegistryText(ReadFileText(HivePath()), tree));
    const RegistryKey* key = tree.Find("Software\\Oskarel\\PennoriaFree");
    ASSERT_NE(key, nullptr);
    std::vector<std::string> names;
    for (const auto& value : key->values)
        names.push_back(value.name);
    EXPECT_EQ(names, (std::vector<std::string>{"OutputFolder", "SWFFile", "HTMLFile", "AlbumID",
                                               "AlbumPassword", "OutMode", "EmbedMode", "Language",
                                               "AutoSelectLang", "languageIni", "PlayerMode",
                                               "Html5Creative", "SwfOutputs", "PlayerRenderer"}));
    EXPECT_EQ(key->FindValue("Language")->type, kRegDword);
    EXPECT_EQ(key->FindValue("Html5Creative")->type, kRegDword);
}

TEST_F(SettingsInHive, ALongTextIsReadAgainWithTheLengthTheRegistryReports) {
    SetRaw("AlbumPassword", kRegSz, Utf16Bytes(std::u16string(300, u'x')));
    SetRaw("SWFFile", kRegSz, Utf16Bytes(u"short.swf"));
    OfferRecordingStore store(kHKeyCurrentUser, kSettingsKey);
    CAppSettings settings;
    ASSERT_TRUE(settings.Load(store));
    EXPECT_EQ(settings.AlbumPassword, std::string(300, 'x'));
    EXPECT_EQ(store.offers["AlbumPassword"], (std::vector<std::size_t>{128, 300}));
    EXPECT_EQ(store.offers["SWFFile"], (std::vector<std::size_t>{128}));
}

TEST_F(SettingsInHive, APlayerRendererOtherThanCanvasOrWebglIsTheAutomaticChoice) {
    for (const char16_t* stored : {u"vulkan", u"", u"Canvas"}) {
        SetRaw("PlayerRenderer", kRegSz, Utf16Bytes(stored));
        CAppSettings settings;
        LoadAppSettings(settings);
        EXPECT_EQ(settings.PlayerRenderer, "auto");
    }
    SetRaw("PlayerRenderer", kRegSz, Utf16Bytes(u"canvas"));
    CAppSettings settings;
    LoadAppSettings(settings);
    EXPECT_EQ(settings.PlayerRenderer, "canvas");
}

TEST_F(SettingsInHive, NumbersLoadFromExactlyFourBytesOfAnyType) {
    SetRaw("Language", kRegDword, std::string("\x45\x23\x01\x00", 4));
    struct Case {
        const char* what;
        std::uint32_t type;
        std::string bytes;
        std::uint32_t outMode;
    };
    const Case cases[] = {
        {"a dword", kRegDword, std::string("\x05\0\0\0", 4), 5},
        {"four binary bytes", kRegBinary, std::string("\x07\0\0\0", 4), 7},
        {"four bytes of text", kRegSz, std::string("\x08\x01\0\0", 4), 0x108},
        {"eight bytes", kRegDword, std::string("\x05\0\0\0\0\0\0\0", 8), 2},
        {"five bytes", kRegBinary, std::string("\x05\0\0\0\0", 5), 2},
        {"two bytes", kRegDword, std::string("\x05\0", 2), 2},
        {"no bytes", kRegDword, std::string(), 2},
    };
    for (const Case& c : cases) {
        SetRaw("OutMode", c.type, c.bytes);
        CAppSettings settings;
        settings.OutMode = 99;
        EXPECT_TRUE(LoadAppSettings(settings)) << c.what; // the store is tolerant
        EXPECT_EQ(settings.OutMode, c.outMode) << c.what;
        EXPECT_EQ(settings.Language, 0x2345) << c.what; // the low 16 bits of 0x12345
    }
}

TEST_F(SettingsInHive, MissingValuesTakeTheirDefaultsOrKeepTheField) {
    SetRaw("Unrelated", kRegDword, std::string("\x01\0\0\0", 4));
    CAppSettings settings;
    SetNonDefaults(settings);
    EXPECT_TRUE(LoadAppSettings(settings));
    EXPECT_EQ(settings.SWFFile, "Banner.swf");
    EXPECT_EQ(settings.HTMLFile, "Banner.html");
    EXPECT_EQ(settings.OutMode, 2u);
    EXPECT_EQ(settings.EmbedMode, 0u);
    EXPECT_EQ(settings.AutoSelectLang, 1);
    EXPECT_EQ(settings.languageIni, LanguageIniFromEnvironment());
    EXPECT_EQ(settings.OutputFolder, "/keep/out");
    EXPECT_EQ(settings.AlbumID, "id");
    EXPECT_EQ(settings.AlbumPassword, "pw");
    EXPECT_EQ(settings.Language, 9);
}

TEST_F(SettingsInHive, AMissingKeyChangesNothingAndCreatesNothing) {
    CAppSettings settings;
    SetNonDefaults(settings);
    CRegistryStore store(kHKeyCurrentUser, kSettingsKey);
    EXPECT_FALSE(settings.Load(store));
    EXPECT_EQ(settings.SWFFile, "x.swf");
    EXPECT_EQ(settings.OutMode, 9u);
    EXPECT_EQ(settings.AlbumPassword, "pw");
    EXPECT_FALSE(PathExists(m_dir / "config"));

    CAppSettings fresh;
    EXPECT_FALSE(LoadAppSettings(fresh));
    EXPECT_EQ(fresh.OutMode, 2u);
    EXPECT_FALSE(PathExists(m_dir / "config"));
}

TEST_F(SettingsInHive, AnEmptyOutputFolderBecomesPennoriaInTheDocumentsFolder) {
    ScopedEnv home("HOME", m_dir / "home");
    SetRaw("OutputFolder", kRegSz, "");
    CAppSettings settings;
    LoadAppSettings(settings);
    EXPECT_EQ(settings.OutputFolder, m_dir / "home/Pennoria"); // no user-dirs.dirs
    EXPECT_FALSE(PathExists(m_dir / "home"));                  // nothing is created
    EXPECT_EQ(Stored("OutputFolder").second, "");              // written back only by the next save

    ::mkdir((m_dir / "config").c_str(), 0700);
    WriteFileText(m_dir / "config/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n");
    CAppSettings documents;
    LoadAppSettings(documents);
    EXPECT_EQ(documents.OutputFolder, m_dir / "home/Dokumente/Pennoria");

    SetRaw("OutputFolder", kRegSz, Utf16Bytes(u"/mine"));
    CAppSettings kept;
    LoadAppSettings(kept);
    EXPECT_EQ(kept.OutputFolder, "/mine");
}

// The user-dirs file is shell text written by xdg-user-dirs-update: only "$HOME/..." and
// absolute paths count, quoted, the last assignment winning.
TEST(UserDirs, EntriesAreReadAsXdgUserDirReadsThem) {
    const std::string home = "/home/u";
    auto entry = [&](const std::string& text) {
        return UserDirsEntry(text, "XDG_DOCUMENTS_DIR", home).value_or("<none>");
    };
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"$HOME/Documents\""), "/home/u/Documents");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"$HOME\""), "/home/u");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"/srv/docs/\"\r\n"), "/srv/docs");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"$HOME/a \\\"b\\\" \\\\c\""), "/home/u/a \"b\" \\c");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"$HOME/x\"\nXDG_DOCUMENTS_DIR=\"$HOME/y\""), "/home/u/y");
    EXPECT_EQ(entry("# XDG_DOCUMENTS_DIR=\"$HOME/no\""), "<none>");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR_OLD=\"$HOME/no\""), "<none>");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"relative/no\""), "<none>");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"$HOMEWARD/no\""), "<none>");
    EXPECT_EQ(entry("XDG_DOCUMENTS_DIR=\"$HOME/unclosed"), "<none>");
    // A zero byte (found by fuzz_user_dirs) would cut the folder short: the entry does not count.
    EXPECT_EQ(entry(std::string("XDG_DOCUMENTS_DIR=\"$HOME/De\0x\"", 30)), "<none>");
    EXPECT_EQ(entry(std::string("XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"/b\0\"", 51)),
              "/home/u/a");
    EXPECT_EQ(UserDirsEntry("XDG_DOCUMENTS_DIR=\"$HOME/d\"", "XDG_DOCUMENTS_DIR", ""),
              std::nullopt);
}

// Until a language is stored, the locale chooses it: LC_ALL, then LC_MESSAGES, then LANG.
TEST_F(SettingsInHive, TheLanguageComesFromTheLocaleUntilOneIsStored) {
    EXPECT_EQ(LanguageIniForLocale("de_DE.UTF-8"), "lang_deu.ini");
    EXPECT_EQ(LanguageIniForLocale("de_AT@euro"), "lang_deu.ini");
    EXPECT_EQ(LanguageIniForLocale("fr"), "lang_fra.ini");
    EXPECT_EQ(LanguageIniForLocale("fr_CA.UTF-8"), "lang_fra.ini");
    for (const char* other : {"C.UTF-8", "POSIX", "", "en_GB.UTF-8", "dsb_DE", "frr_DE", "nl_NL"})
        EXPECT_EQ(LanguageIniForLocale(other), "lang_eng.ini") << other;
    EXPECT_EQ(LanguageCode("lang_deu.ini"), "deu");
    EXPECT_EQ(LanguageCode("mine.ini"), "eng");

    ScopedEnv all("LC_ALL", "");
    ScopedEnv messages("LC_MESSAGES", "fr_FR.UTF-8");
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(CAppSettings().languageIni, "lang_fra.ini"); // an empty LC_ALL does not count
    {
        ScopedEnv set("LC_ALL", "de_CH.UTF-8");
        CAppSettings settings;
        LoadAppSettings(settings); // no key: the locale's language
        EXPECT_EQ(settings.languageIni, "lang_deu.ini");
        SetRaw("SWFFile", kRegSz, Utf16Bytes(u"x.swf"));
        CAppSettings missing;
        LoadAppSettings(missing); // a key without the value: the same
        EXPECT_EQ(missing.languageIni, "lang_deu.ini");
    }
    SetRaw("languageIni", kRegSz, Utf16Bytes(u"lang_eng.ini"));
    CAppSettings stored;
    LoadAppSettings(stored);
    EXPECT_EQ(stored.languageIni, "lang_eng.ini");
}

TEST_F(SettingsInHive, ALoadFromADamagedHiveStartsFromDefaultsAndTheNextSaveIsGood) {
    ::mkdir((m_dir / "config").c_str(), 0700);
    ::mkdir((m_dir / "config/Oskarel").c_str(), 0700);
    WriteFileText(HivePath(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Sof");
    CAppSettings settings;
    EXPECT_FALSE(LoadAppSettings(settings));
    EXPECT_EQ(settings.SWFFile, "Banner.swf");
    settings.SWFFile = "after.swf";
    ASSERT_TRUE(SaveAppSettings(settings));
    CAppSettings loaded;
    ASSERT_TRUE(LoadAppSettings(loaded));
    EXPECT_EQ(loaded.SWFFile, "after.swf");
    EXPECT_TRUE(FileExists(HivePath() + ".bad"));
}

TEST_F(SettingsInHive, TheProfileLivesBelowTheApplicationsOwnKey) {
    ScopedEnv module("PENNORIA_MODULE_PATH", "/opt/somewhere/pennoria.bin");
    EXPECT_EQ(ProfileApplicationName(), "pennoria");
    EXPECT_EQ(GetProfileString("Settings", "WindowPos", "none"), "none");
    ASSERT_TRUE(WriteProfileString("Settings", "WindowPos", "0 1 10 20 300 400"));
    EXPECT_EQ(GetProfileString("settings", "windowpos"), "0 1 10 20 300 400");
    std::string text = ReadFileText(HivePath());
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Software\\Oskarel\\PennoriaFree\\pennoria"
                        "\\Settings]\n\"WindowPos\"=\"0 1 10 20 300 400\"\n"),
              std::string::npos)
        << text;

    RegKey key = nullptr;
    ASSERT_EQ(RegCreateKey(kHKeyCurrentUser, ProfileKeyPath() + "\\Settings", &key),
              RegStatus::Success);
    ASSERT_EQ(RegSetValue(key, "Number", kRegDword, "\x01\0\0\0", 4), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
    EXPECT_EQ(GetProfileString("Settings", "Number", "not a text"), "not a text");
}
