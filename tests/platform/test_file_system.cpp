// Atomic replacement and whole-file reads.
#include "platform/FileSystem.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pennoria;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

TEST(AtomicWrite, ReplacesContentAndKeepsPermissions) {
    ScratchFolder dir;
    std::string path = dir / "a.txt";
    WriteFileText(path, "old content that is longer");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(platform::WriteFileAtomically(path, "new"));
    EXPECT_EQ(ReadFileText(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicWrite, FailureInReadOnlyFolderLeavesOldFileAndNoTemporary) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    ScratchFolder dir;
    std::string path = dir / "keep.txt";
    WriteFileText(path, "precious");
    ::chmod(dir.Path().c_str(), 0555);
    auto result = platform::WriteFileAtomically(path, "lost?");
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find(dir.Path()), std::string::npos) << result.error;
    EXPECT_EQ(ReadFileText(path), "precious");
}

TEST(AtomicWrite, MissingFolderIsReportedWithReason) {
    ScratchFolder dir;
    auto result = platform::WriteFileAtomically(dir / "no/such/file", "x");
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("No such file"), std::string::npos) << result.error;
}

TEST(ReadWholeFile, ReadsBinaryAndRefusesOversizeAndFolders) {
    ScratchFolder dir;
    std::string path = dir / "bin";
    std::string data("a\0b\xff", 4);
    WriteFileText(path, data);
    EXPECT_EQ(platform::ReadWholeFile(path).value(), data);
    std::string error;
    EXPECT_FALSE(platform::ReadWholeFile(path, &error, 3));
    EXPECT_EQ(error, "file too large");
    EXPECT_FALSE(platform::ReadWholeFile(dir.Path(), &error));
    EXPECT_FALSE(platform::ReadWholeFile(dir / "missing", &error));
}
