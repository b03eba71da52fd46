// Atomic replacement and whole-file reads.
#include "platform/ConfinedFolder.h"
#include "platform/FileSystem.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

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

// One writer at a time per folder, whichever path it was opened by: the second waits for the
// first, or hears that the folder is busy.
TEST(FolderLock, OneHolderAtATime) {
    ScratchFolder dir, elsewhere;
    const std::string byLink = elsewhere / "link";
    ASSERT_EQ(::symlink(dir.Path().c_str(), byLink.c_str()), 0);
    auto first = platform::ConfinedFolder::Open(dir.Path(), nullptr);
    auto second = platform::ConfinedFolder::Open(byLink, nullptr);
    ASSERT_TRUE(first && second);
    bool busy = true;
    auto held = first->Lock(std::chrono::milliseconds(0), &busy, nullptr);
    ASSERT_TRUE(held);
    EXPECT_FALSE(busy);
    EXPECT_FALSE(second->Lock(std::chrono::milliseconds(50), &busy, nullptr));
    EXPECT_TRUE(busy);

    std::atomic<bool> taken{false};
    std::thread waiter([&] {
        bool waitedBusy = true;
        auto lock = second->Lock(std::chrono::seconds(60), &waitedBusy, nullptr);
        taken = lock.has_value() && !waitedBusy;
    });
    held.reset(); // let go: the waiter gets it
    waiter.join();
    EXPECT_TRUE(taken);
}

// Reading below a folder never follows a link, at any level.
TEST(ConfinedRead, RegularFilesOnlyAndNoLinks) {
    ScratchFolder dir;
    ASSERT_EQ(::mkdir((dir / "in").c_str(), 0755), 0);
    WriteFileText(dir / "in/page.html", "page");
    WriteFileText(dir / "secret.txt", "secret");
    ASSERT_EQ(::symlink((dir / "secret.txt").c_str(), (dir / "in/link.html").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "in").c_str(), (dir / "in/sub").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "in/fifo").c_str(), 0600), 0);
    auto folder = platform::ConfinedFolder::Open(dir / "in", nullptr);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->ReadFile("page.html", 100), "page");
    for (const char* refused : {"link.html", "sub/page.html", "fifo", "missing", "../secret.txt"})
        EXPECT_FALSE(folder->ReadFile(refused, 100)) << refused;
    EXPECT_FALSE(folder->ReadFile("page.html", 3));
}
