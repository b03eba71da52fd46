// The desktop program's start-up: the player version rule, and the program run without a player
// or without a display.
#include "bridge/FlashPlayer.h"
#include "core/Strings.h"
#include "platform/FileSystem.h"
#include "platform/PlayerProbe.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <utility>

using namespace pennoria;
using namespace pennoria::platform;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

TEST(HostStartup, ThePlayerMustBeAtLeastTenPointTwo) {
    const std::pair<std::int32_t, bool> cases[] = {
        {0, false},         {0x000A0001, false}, {0x000A0002, true},
        {0x00200000, true}, {-1, false},         {static_cast<std::int32_t>(0x80000000), false},
    };
    for (auto [version, usable] : cases)
        EXPECT_EQ(IsUsablePlayerVersion(version), usable) << std::hex << version;
}

class HostProcess : public ::testing::Test {
protected:
    void SetUp() override {
        std::string command = "cp '" + std::string(PENNORIA_PROGRAM_DIR) + "/pennoria' '" +
                              std::string(PENNORIA_PROGRAM_DIR) + "/libFlashProbe.so' '" +
                              m_program.Path() + "/'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // Runs the copied host with scratch per-user folders; the exit status and standard error.
    std::pair<int, std::string> Run(const std::string& display) {
        std::string errors = m_home / "stderr.txt";
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES " +
                              display + " XDG_CONFIG_HOME='" + (m_home / "config") +
                              "' XDG_DATA_HOME='" + (m_home / "data") + "' '" +
                              (m_program / "pennoria") + "' 2>'" + errors + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(errors)};
    }

    void InstallPlayer() {
        ::mkdir((m_program / "ruffle").c_str(), 0755);
        WriteFileText(m_program / "ruffle/ruffle.js", "// player");
    }

    static bool WebViewAvailable() {
        ScratchFolder probe;
        ::mkdir((probe / "ruffle").c_str(), 0755);
        WriteFileText(probe / "ruffle/ruffle.js", "");
        CopyFileAtomically(std::string(PENNORIA_PROGRAM_DIR) + "/libFlashProbe.so",
                           probe / "libFlashProbe.so");
        return IsUsablePlayerVersion(QueryFlashOCXVersion(probe.Path() + "/"));
    }

    ScratchFolder m_program;
    ScratchFolder m_home;
};

TEST_F(HostProcess, WithoutAPlayerItShowsTheLocalizedMessageAndEnds) {
    ::mkdir((m_program / "lang").c_str(), 0755);
    WriteFileText(m_program / "lang/lang_eng.ini", "[STRING]\n6=Kein Player\\ninstalliert\n");
    auto [status, errors] = Run("");
    EXPECT_NE(status, 0);
    EXPECT_EQ(errors.rfind("Kein Player\ninstalliert\n", 0), 0u) << errors;
    EXPECT_NE(errors.find("pennoria-cli"), std::string::npos) << errors;
    EXPECT_FALSE(PathExists(m_home / "config"));
    EXPECT_FALSE(PathExists(m_home / "data")); // the settings were never loaded
}

TEST_F(HostProcess, TheMessageComesInTheLocalesLanguage) {
    ::mkdir((m_program / "lang").c_str(), 0755);
    WriteFileText(m_program / "lang/lang_eng.ini", "[STRING]\n6=No player\n");
    WriteFileText(m_program / "lang/lang_deu.ini", "[STRING]\n6=Kein Player\n");
    WriteFileText(m_program / "lang/lang_fra.ini", "[STRING]\n7=Pennoria\n");
    EXPECT_EQ(Run("LANG=de_DE.UTF-8").second.rfind("Kein Player\n", 0), 0u);
    EXPECT_EQ(Run("LANG=C.UTF-8").second.rfind("No player\n", 0), 0u);
    // A language file without the message falls back to the built-in text.
    EXPECT_EQ(Run("LANG=fr_FR.UTF-8").second.rfind(BuiltInString(IDS_PLAYER_MISSING), 0), 0u);
}

TEST_F(HostProcess, WithAPlayerItLoadsTheSettingsAndNeedsADisplay) {
    if (!WebViewAvailable())
        GTEST_SKIP() << "WebKitGTK 4.1 cannot be loaded here";
    InstallPlayer();
    auto [status, errors] = Run("");
    EXPECT_NE(status, 0);
    EXPECT_EQ(errors.find("Flash Player"), std::string::npos) << errors;
    EXPECT_NE(errors.find("no display"), std::string::npos) << errors;
    EXPECT_FALSE(PathExists(m_home / "data")); // the default output folder is not created
    EXPECT_FALSE(PathExists(m_home / "config"));

    // A display that cannot be reached is no display either.
    std::tie(status, errors) = Run("DISPLAY=:97");
    EXPECT_NE(status, 0);
    EXPECT_NE(errors.find("no display"), std::string::npos) << errors;
}
