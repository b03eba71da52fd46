// The per-user registry hive: its text file, the registry calls, recovery from damaged files
// and processes that save at the same time.
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace pennoria;
using namespace pennoria::platform;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScopedEnv;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string Utf16(std::u16string_view text) {
    return Utf16ToLittleEndianBytes(text);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The bytes of a value, or "(missing)".
std::string DataOf(const RegistryTree& tree, const char* key, const std::string& name) {
    const RegistryKey* node = tree.Find(key);
    const RegistryValue* value = node ? node->FindValue(name) : nullptr;
    return value ? value->data : "(missing)";
}

RegistryTree SampleTree() {
    RegistryTree tree;
    RegistryKey& key = tree.Create("Software\\Oskarel\\PennoriaFree");
    key.SetValue("Plain", kRegSz, Utf16(u"abc")); // no terminating zero
    key.SetValue("Terminated", kRegSz, Utf16(std::u16string(u"x=\"1\" \\ y") + u'\0'));
    key.SetValue("Inner zero", kRegSz, Utf16(std::u16string(u"a\0b\0", 4)));
    key.SetValue("Lines", kRegSz, Utf16(std::u16string(u"one\ntwo") + u'\0'));
    key.SetValue("Wide", kRegSz, Utf16(std::u16string(u"Grüße ✓ \U0001F600") + u'\0'));
    key.SetValue("Odd", kRegSz, Bytes({0x41, 0x00, 0x42}));
    key.SetValue("Lone surrogate", kRegSz, Bytes({0x00, 0xD8, 0x00, 0x00}));
    key.SetValue("OutMode", kRegDword, Bytes({2, 0, 0, 0}));
    key.SetValue("Short dword", kRegDword, Bytes({1, 2, 3}));
    key.SetValue("Empty", kRegBinary, {});
    key.SetValue("Long", kRegBinary, std::string(300, '\xA5'));
    key.SetValue("Odd type", 0x7FFF, Bytes({0xFF}));
    key.SetValue("", kRegSz, Utf16(std::u16string(u"default") + u'\0'));
    tree.Create("Software\\Oskarel\\Empty Key");
    tree.Find("")->SetValue("At root", kRegDword, Bytes({0xEF, 0xBE, 0xAD, 0xDE}));
    return tree;
}

} // namespace

// ---- The text file ------------------------------------------------------------------------

TEST(RegistryText, EveryKindOfValueRoundTripsExactly) {
    RegistryTree tree = SampleTree();
    std::string text = FormatRegistryText(tree);
    RegistryTree back;
    std::string error;
    ASSERT_TRUE(ParseRegistryText(text, back, &error)) << error << "\n" << text;
    EXPECT_TRUE(back == tree) << text;
    EXPECT_EQ(FormatRegistryText(back), text);
    // The readable forms where they give the bytes back exactly.
    EXPECT_NE(text.find("\n\"Terminated\"=\"x=\\\"1\\\" \\\\ y\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\"OutMode\"=dword:00000002\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"Plain\"=hex(1):61,00,62,00,63,00\n"), std::string::npos);
    EXPECT_NE(text.find("\n@=\"default\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n[HKEY_CURRENT_USER]\n\"At root\"=dword:deadbeef\n"), std::string::npos);
}

TEST(RegistryText, HandWrittenFormsAreUnderstood) {
    const std::string text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; a comment\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Demo]\r\n"
                             "\"Small\"=dword:2\r\n"
                             "\"Bin\"=hex:01, 02,\\\r\n"
                             "    03\r\n"
                             "\"Gone\"=\"soon\"\r\n"
                             "\"gone\"=-\r\n"
                             "[hkey_current_user\\SOFTWARE\\demo]\r\n"
                             "\"small\"=dword:00000003\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Doomed\\Child]\r\n"
                             "[-HKEY_CURRENT_USER\\Software\\Doomed]\r\n";
    RegistryTree tree;
    std::string error;
    ASSERT_TRUE(ParseRegistryText(text, tree, &error)) << error;
    const RegistryKey* key = tree.Find("software\\DEMO");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->path, "Software\\Demo");
    ASSERT_EQ(key->values.size(), 2u);
    EXPECT_EQ(key->values[0].name, "Small");
    EXPECT_EQ(key->values[0].data, Bytes({3, 0, 0, 0}));
    EXPECT_EQ(key->values[1].data, Bytes({1, 2, 3}));
    EXPECT_EQ(tree.Find("Software\\Doomed"), nullptr);
    EXPECT_EQ(tree.Find("Software\\Doomed\\Child"), nullptr);

    // A UTF-16 export with its byte-order mark reads the same.
    std::u16string wide = Utf8ToUtf16(text.substr(3));
    RegistryTree fromWide;
    ASSERT_TRUE(ParseRegistryText("\xFF\xFE" + Utf16(wide), fromWide, &error)) << error;
    EXPECT_TRUE(fromWide == tree);
}

TEST(RegistryText, MalformedFilesAreRefused) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software]\n";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty file", ""},
        {"no header", key},
        {"older header", "REGEDIT4\n" + key},
        {"value before any key", header + "\"a\"=dword:00000001\n"},
        {"another root", header + "[HKEY_LOCAL_MACHINE\\Software]\n"},
        {"empty key level", header + "[HKEY_CURRENT_USER\\Software\\\\Oskarel]\n"},
        {"unclosed key", header + "[HKEY_CURRENT_USER\\Software\n"},
        {"nine dword digits", header + key + "\"a\"=dword:000000001\n"},
        {"dword not hex", header + key + "\"a\"=dword:0000000g\n"},
        {"one hex digit", header + key + "\"a\"=hex:1\n"},
        {"hex without commas", header + key + "\"a\"=hex:0102\n"},
        {"dangling comma", header + key + "\"a\"=hex:01,\n"},
        {"continuation at the end", header + key + "\"a\"=hex:01,\\\n"},
        {"bad type", header + key + "\"a\"=hex(z):01\n"},
        {"unclosed name", header + key + "\"a=dword:00000001\n"},
        {"unclosed text", header + key + "\"a\"=\"text\n"},
        {"unknown escape", header + key + "\"a\"=\"C:\\temp\"\n"},
        {"text after text", header + key + "\"a\"=\"x\" y\n"},
        {"no value", header + key + "\"a\"\n"},
        {"zero byte", header + key + std::string("\"a\"=\"x\0\"\n", 9)},
        {"not UTF-8", header + key + "\"a\"=\"\xC3\"\n"},
        {"garbage", header + "\x89PNG\r\n\x1A\n"},
    };
    for (const auto& [what, text] : cases) {
        RegistryTree tree;
        std::string error;
        EXPECT_FALSE(ParseRegistryText(text, tree, &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
    }
}

// A hive whose one key is depth levels deep.
std::string DeepKeyHive(std::size_t depth) {
    std::string path = "Software";
    for (std::size_t i = 1; i < depth; ++i)
        path += "\\a";
    return "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" + path +
           "]\n\"A\"=dword:00000001\n";
}

// Keys as deep as the limit and many values in one key are read in time linear in the file;
// one level more is refused.
TEST(RegistryText, DepthLimitAndManyValuesInOneKey) {
    RegistryTree tree;
    std::string error;
    EXPECT_TRUE(ParseRegistryText(DeepKeyHive(kMaxKeyDepth), tree, &error)) << error;
    EXPECT_FALSE(ParseRegistryText(DeepKeyHive(kMaxKeyDepth + 1), tree, &error));
    EXPECT_FALSE(ParseRegistryText(DeepKeyHive(20000), tree, &error));

    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Many]\n";
    const int count = 40000;
    for (int i = 0; i < count; ++i)
        text += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(10000000 + i) + "\n";
    for (int i = 0; i < count; i += 2) // every other one deleted again
        text += "\"V" + std::to_string(i) + "\"=-\n";
    text += "\"v1\"=\"changed\"\n";
    ASSERT_TRUE(ParseRegistryText(text, tree, &error)) << error;
    const RegistryKey* many = tree.Find("many");
    ASSERT_NE(many, nullptr);
    EXPECT_EQ(many->values.size(), static_cast<std::size_t>(count / 2));
    EXPECT_EQ(many->FindValue("v0"), nullptr);
    ASSERT_NE(many->FindValue("V39999"), nullptr);
    EXPECT_EQ(many->FindValue("V39999")->name, "v39999");
    EXPECT_EQ(many->FindValue("v1")->type, kRegSz);
    RegistryTree again;
    ASSERT_TRUE(ParseRegistryText(FormatRegistryText(tree), again, &error)) << error;
    EXPECT_TRUE(again == tree);
}

TEST(RegistryText, ACutFileNeverGivesAWrongValue) {
    // Wherever a file is cut, it is either refused or every value it still holds is the one
    // that was written (a shorter dword or hex list must not pass for the real one).
    const RegistryTree tree = SampleTree();
    const std::string text = FormatRegistryText(tree);
    int refused = 0;
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        RegistryTree partial;
        if (!ParseRegistryText(text.substr(0, cut), partial)) {
            ++refused;
            continue;
        }
        for (const auto& [path, key] : partial.Keys()) {
            const RegistryKey* original = tree.Find(path);
            ASSERT_NE(original, nullptr) << "cut at " << cut;
            for (const auto& value : key.values) {
                const RegistryValue* expected = original->FindValue(value.name);
                ASSERT_NE(expected, nullptr) << "cut at " << cut;
                EXPECT_EQ(value.type, expected->type) << value.name << " cut at " << cut;
                EXPECT_EQ(value.data, expected->data) << value.name << " cut at " << cut;
            }
        }
    }
    EXPECT_GT(refused, 0);
}

// ---- The registry calls ----------------------------------------------------------------------

class RegistryCalls : public ::testing::Test {
protected:
    std::string HivePath() const { return m_dir / "config/Oskarel/registry.reg"; }

    RegKey Create(const char* path) {
        RegKey key = nullptr;
        EXPECT_EQ(RegCreateKey(kHKeyCurrentUser, path, &key), RegStatus::Success);
        return key;
    }

    ScratchFolder m_dir;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir / "config"};
};

TEST_F(RegistryCalls, QueryReportsSizesAndNeededRoom) {
    RegKey key = Create("Software\\Sizes");
    const std::string abc = Utf16(u"abc");
    ASSERT_EQ(RegSetValue(key, "Text", kRegSz, abc.data(), 6), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);

    ASSERT_EQ(RegOpenKey(kHKeyCurrentUser, "SOFTWARE\\sizes", RegAccess::Read, &key),
              RegStatus::Success);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(RegQueryValue(key, "text", &type, nullptr, &size), RegStatus::Success);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 6u);

    char small[4] = {'k', 'e', 'e', 'p'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValue(key, "Text", nullptr, small, &size), RegStatus::MoreData);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::string(small, 4), "keep");

    char room[16] = {};
    size = sizeof room;
    EXPECT_EQ(RegQueryValue(key, "Text", nullptr, room, &size), RegStatus::Success);
    EXPECT_EQ(std::string(room, size), abc);

    EXPECT_EQ(RegQueryValue(key, "Missing", nullptr, room, &size), RegStatus::NotFound);
    EXPECT_EQ(RegSetValue(key, "Text", kRegSz, "x", 1), RegStatus::AccessDenied); // opened to read
    EXPECT_EQ(RegCloseKey(key), RegStatus::Success);
    EXPECT_EQ(RegQueryValue(key, "Text", nullptr, room, &size), RegStatus::InvalidHandle);
}

TEST_F(RegistryCalls, KeysAreFoundWithoutRegardToCaseAndKeepTheirSpelling) {
    RegKey key = Create("Software\\MixedCase");
    RegKey again = nullptr;
    bool created = true;
    ASSERT_EQ(RegCreateKey(kHKeyCurrentUser, "software\\MIXEDCASE\\Child", &again, &created),
              RegStatus::Success);
    EXPECT_TRUE(created);
    ASSERT_EQ(RegSetValue(again, "V", kRegDword, "\x01\x00\x00\x00", 4), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(again), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
    EXPECT_NE(ReadFileText(HivePath()).find("[HKEY_CURRENT_USER\\Software\\MixedCase\\Child]"),
              std::string::npos);
    ASSERT_EQ(RegOpenKey(kHKeyCurrentUser, "SOFTWARE\\mixedcase\\child", RegAccess::Read, &key),
              RegStatus::Success);
    EXPECT_EQ(RegCloseKey(key), RegStatus::Success);
}

TEST_F(RegistryCalls, ReadingAMissingKeyCreatesNothing) {
    RegKey key = nullptr;
    EXPECT_EQ(RegOpenKey(kHKeyCurrentUser, "Software\\Nowhere", RegAccess::Read, &key),
              RegStatus::NotFound);
    EXPECT_EQ(RegCloseKey(kHKeyCurrentUser), RegStatus::Success);
    EXPECT_FALSE(PathExists(m_dir / "config"));
}

TEST_F(RegistryCalls, TheFirstSaveMakesAPrivateFolderAndFile) {
    RegKey key = Create("Software\\Private");
    ASSERT_EQ(RegSetValue(key, "Password", kRegSz, "s\0", 2), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
    struct stat folder {
    }, file{};
    ASSERT_EQ(::stat((m_dir / "config/Oskarel").c_str(), &folder), 0);
    ASSERT_EQ(::stat(HivePath().c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
}

TEST_F(RegistryCalls, ADamagedFileIsKeptAsideAndTheNextSaveWritesAGoodOne) {
    const std::string good = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\Software\\Kept]\n"
                             "\"A\"=dword:00000001\n"
                             "\"B\"=hex:01,02,03,04,05,06,07,08,09,0a,0b\n";
    const std::vector<std::pair<const char*, std::string>> damages = {
        {"garbage", "\x7F"
                    "ELF\x02\x01\x01 binary noise"},
        {"truncated in hex data", good.substr(0, good.size() - 6)},
        {"truncated in the header", good.substr(0, 20)},
        {"empty", ""},
        {"a key nested beyond the limit", DeepKeyHive(10000)},
    };
    for (const auto& [what, damaged] : damages) {
        SCOPED_TRACE(what);
        ::mkdir((m_dir / "config").c_str(), 0700);
        ::mkdir((m_dir / "config/Oskarel").c_str(), 0700);
        WriteFileText(HivePath(), damaged);
        ::unlink((HivePath() + ".bad").c_str());

        RegKey key = nullptr;
        EXPECT_EQ(RegOpenKey(kHKeyCurrentUser, "Software\\Kept", RegAccess::Read, &key),
                  RegStatus::NotFound); // starts from defaults
        EXPECT_EQ(ReadFileText(HivePath() + ".bad"), damaged);
        EXPECT_FALSE(PathExists(HivePath()));

        key = Create("Software\\Kept");
        ASSERT_EQ(RegSetValue(key, "A", kRegDword, "\x07\x00\x00\x00", 4), RegStatus::Success);
        ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
        RegistryTree tree;
        std::string error;
        ASSERT_TRUE(ParseRegistryText(ReadFileText(HivePath()), tree, &error)) << error;
        EXPECT_EQ(DataOf(tree, "Software\\Kept", "A"), Bytes({7, 0, 0, 0}));
        EXPECT_EQ(ReadFileText(HivePath() + ".bad"), damaged);
    }
}

TEST_F(RegistryCalls, AFifoInPlaceOfTheFileIsMovedAsideWithoutWaiting) {
    ::mkdir((m_dir / "config").c_str(), 0700);
    ::mkdir((m_dir / "config/Oskarel").c_str(), 0700);
    ASSERT_EQ(::mkfifo(HivePath().c_str(), 0600), 0);
    RegKey key = nullptr;
    EXPECT_EQ(RegOpenKey(kHKeyCurrentUser, "Software\\Kept", RegAccess::Read, &key),
              RegStatus::NotFound);
    struct stat st {};
    ASSERT_EQ(::lstat((HivePath() + ".bad").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(RegistryCalls, AFileDamagedWhileOpenIsNotOverwrittenBlindly) {
    RegKey key = Create("Software\\Mine");
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
    key = Create("Software\\Mine");
    WriteFileText(HivePath(), "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x");
    ASSERT_EQ(RegSetValue(key, "A", kRegBinary, "z", 1), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);
    EXPECT_EQ(ReadFileText(HivePath() + ".bad"),
              "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x");
    EXPECT_NE(ReadFileText(HivePath()).find("\"A\"=hex:7a"), std::string::npos);
}

TEST_F(RegistryCalls, ASaveMergesWithWhatAnotherProcessWroteMeanwhile) {
    RegKey key = Create("Software\\Shared");
    ASSERT_EQ(RegSetValue(key, "Mine", kRegDword, "\x01\x00\x00\x00", 4), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);

    key = Create("Software\\Shared");
    // Another process replaces the file after this one has read it.
    std::string text = ReadFileText(HivePath());
    text += "\"Theirs\"=dword:00000009\n\"Mine\"=dword:00000005\n";
    WriteFileText(HivePath(), text);
    ASSERT_EQ(RegSetValue(key, "Also mine", kRegDword, "\x02\x00\x00\x00", 4), RegStatus::Success);
    ASSERT_EQ(RegCloseKey(key), RegStatus::Success);

    RegistryTree tree;
    ASSERT_TRUE(ParseRegistryText(ReadFileText(HivePath()), tree));
    EXPECT_EQ(DataOf(tree, "Software\\Shared", "Theirs"), Bytes({9, 0, 0, 0}));
    EXPECT_EQ(DataOf(tree, "Software\\Shared", "Mine"), Bytes({5, 0, 0, 0})); // their later write
    EXPECT_EQ(DataOf(tree, "Software\\Shared", "Also mine"), Bytes({2, 0, 0, 0}));
}

TEST_F(RegistryCalls, ProcessesSavingAtOnceKeepEveryValueAndAWholeFile) {
    constexpr int kProcesses = 4;
    constexpr int kRounds = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int round = 1; round <= kRounds; ++round) {
                RegKey key = nullptr;
                ok &= RegCreateKey(kHKeyCurrentUser, "Software\\Race", &key) == RegStatus::Success;
                std::uint32_t value = static_cast<std::uint32_t>(p * 1000 + round);
                std::string own = "Process " + std::to_string(p);
                ok &= RegSetValue(key, own, kRegDword, &value, 4) == RegStatus::Success;
                ok &= RegSetValue(key, "Last", kRegDword, &value, 4) == RegStatus::Success;
                ok &= RegCloseKey(key) == RegStatus::Success;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    RegistryTree tree;
    std::string error;
    ASSERT_TRUE(ParseRegistryText(ReadFileText(HivePath()), tree, &error)) << error;
    for (int p = 0; p < kProcesses; ++p) {
        std::uint32_t expected = static_cast<std::uint32_t>(p * 1000 + kRounds);
        EXPECT_EQ(DataOf(tree, "Software\\Race", "Process " + std::to_string(p)),
                  std::string(reinterpret_cast<const char*>(&expected), 4));
    }
    std::string last = DataOf(tree, "Software\\Race", "Last");
    ASSERT_EQ(last.size(), 4u);
    std::uint32_t lastValue = 0;
    std::memcpy(&lastValue, last.data(), 4);
    EXPECT_EQ(lastValue % 1000, static_cast<std::uint32_t>(kRounds)); // a process's final write
    EXPECT_EQ(FilesIn(m_dir / "config/Oskarel"),
              (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}
