// Program folder rules and localized string lookup.
#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pennoria;
using pennoria::testing::ScopedEnv;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

TEST(ProgramFolder, CutsAfterLastSeparator) {
    EXPECT_EQ(ProgramFolderOf("/usr/lib/pennoria/pennoria"), "/usr/lib/pennoria/");
    EXPECT_EQ(ProgramFolderOf("C:\\Program Files\\P\\host.exe"), "C:\\Program Files\\P\\");
    EXPECT_EQ(ProgramFolderOf("pennoria"), "");
    EXPECT_EQ(ProgramFolderOf("/pennoria"), "");
}

class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir((m_dir / "lang").c_str(), 0755);
        BindLanguageSetting(&m_languageIni);
    }
    void TearDown() override { BindLanguageSetting(nullptr); }
    ScratchFolder m_dir;
    ScopedEnv m_module{"PENNORIA_MODULE_PATH", m_dir / "pennoria"};
    std::string m_languageIni = "lang_test.ini";
};

TEST_F(LanguageFiles, MissingFileFallsBackToBuiltInTable) {
    EXPECT_EQ(LoadAppString(IDS_HELP_NOT_FOUND), "Help file no found!");
    EXPECT_EQ(LoadAppString(IDS_APP_TITLE), "Pennoria");
    EXPECT_EQ(LoadAppString(4), "");
}

TEST_F(LanguageFiles, EscapesEmptyValuesAndSettingChanges) {
    WriteFileText(m_dir / "lang/lang_test.ini", "[STRING]\n8=Hilfe\\nfehlt\\tjetzt\\x\n7=\n");
    EXPECT_EQ(LoadAppString(8), "Hilfe\nfehlt\tjetzt\\x");
    EXPECT_EQ(LoadAppString(7), "Pennoria"); // an empty value falls back
    m_languageIni = "lang_other.ini";        // read again at every lookup
    EXPECT_EQ(LoadAppString(8), "Help file no found!");
}

TEST_F(LanguageFiles, LongValuesAreCutAtTheLookupBuffer) {
    std::string value(1500, 'x');
    WriteFileText(m_dir / "lang/lang_test.ini", "[STRING]\n8=" + value + "\n");
    EXPECT_EQ(LoadAppString(8).size(), 1022u);
}
