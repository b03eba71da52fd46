// The player probe library: the version it reports for a program folder.
#include "platform/FileSystem.h"
#include "platform/PlayerProbe.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

using namespace pennoria::platform;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

TEST(PlayerProbe, ReportsRuffleOnlyWhenItsFilesAndTheWebViewAreThere) {
    ScratchFolder folder;
    std::string programFolder = folder.Path() + "/";
    EXPECT_EQ(QueryFlashOCXVersion(programFolder), 0); // no library at all

    ASSERT_TRUE(CopyFileAtomically(std::string(PENNORIA_PROGRAM_DIR) + "/libFlashProbe.so",
                                   folder / "libFlashProbe.so"));
    EXPECT_EQ(QueryFlashOCXVersion(programFolder), 0); // no player files beside it

    ::mkdir((folder / "ruffle").c_str(), 0755);
    WriteFileText(folder / "ruffle/ruffle.js", "// player");
    bool webViewLoadable = ::dlopen("libwebkit2gtk-4.1.so.0", RTLD_LAZY) != nullptr;
    EXPECT_EQ(QueryFlashOCXVersion(programFolder), webViewLoadable ? 0x00200000 : 0);
}
