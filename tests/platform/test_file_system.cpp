// Atomic replacement, staged replacement in a confined folder, and whole-file reads.
#include "platform/ConfinedFolder.h"
#include "platform/FileSystem.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
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

namespace {

// The temporary files anywhere below path.
std::vector<std::string> TemporariesBelow(const std::string& path) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
        if (platform::IsTemporaryFileName(entry.path().filename().string()))
            found.push_back(entry.path().string());
    return found;
}

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

// Staged writes change no name until the commit puts them all in place; this folder's reads and
// second names see them meanwhile; a file that cannot go in place is named and leaves no debris,
// and closing without a commit leaves the old files.
TEST(ConfinedStaging, FilesWaitUnderTemporaryNamesUntilCommittedTogether) {
    ScratchFolder dir;
    WriteFileText(dir / "page.html", "old page");
    {
        auto folder = platform::ConfinedFolder::Open(dir.Path(), nullptr);
        ASSERT_TRUE(folder);
        folder->BeginStaging();
        ASSERT_TRUE(folder->WriteFile("page.html", "new page"));
        ASSERT_TRUE(folder->WriteFile("res/a.png", "first picture"));
        ASSERT_TRUE(folder->WriteFile("res/a.png", "picture"));
        ASSERT_TRUE(folder->ShareFile("res/a.png", "300x250/res/a.png"));
        ASSERT_TRUE(folder->WriteFile("gone.txt", "x"));
        EXPECT_TRUE(folder->RemoveFile("gone.txt"));
        EXPECT_EQ(ReadFileText(dir / "page.html"), "old page");
        EXPECT_FALSE(platform::PathExists(dir / "res/a.png"));
        EXPECT_EQ(folder->ReadFile("page.html", 100), "new page");
        EXPECT_EQ(ReadFileText(folder->ReadablePath("300x250/res/a.png")), "picture");
        EXPECT_EQ(folder->ReadablePath("other.html"), dir / "other.html");
        EXPECT_EQ(folder->RemoveStaleTemporaries(""), 0);
        EXPECT_EQ(folder->RemoveStaleTemporaries("res"), 0);
        ASSERT_EQ(::mkdir((dir / "blocked").c_str(), 0755), 0);
        const platform::FileResult blocked = folder->WriteFile("blocked", "x");
        EXPECT_FALSE(blocked);
        EXPECT_NE(blocked.error.find(dir / "blocked"), std::string::npos) << blocked.error;

        ASSERT_TRUE(folder->CommitStaged());
        EXPECT_EQ(ReadFileText(dir / "page.html"), "new page");
        EXPECT_EQ(ReadFileText(dir / "300x250/res/a.png"), "picture");
        EXPECT_EQ(InodeOf(dir / "300x250/res/a.png"), InodeOf(dir / "res/a.png"));
        EXPECT_FALSE(platform::PathExists(dir / "gone.txt"));
        EXPECT_TRUE(TemporariesBelow(dir.Path()).empty());

        // A name taken by a folder after its file was staged: the commit stops there and says so.
        // Staging ended with the commit: a file is in place as soon as written.
        ASSERT_TRUE(folder->WriteFile("later.txt", "later"));
        EXPECT_EQ(ReadFileText(dir / "later.txt"), "later");
        folder->BeginStaging();
        ASSERT_TRUE(folder->WriteFile("one.txt", "one"));
        ASSERT_TRUE(folder->WriteFile("two.txt", "two"));
        ASSERT_TRUE(folder->WriteFile("three.txt", "three"));
        ASSERT_EQ(::mkdir((dir / "two.txt").c_str(), 0755), 0);
        const platform::FileResult failed = folder->CommitStaged();
        EXPECT_FALSE(failed);
        EXPECT_NE(failed.error.find(dir / "two.txt"), std::string::npos) << failed.error;
        EXPECT_EQ(ReadFileText(dir / "one.txt"), "one");
        EXPECT_FALSE(platform::PathExists(dir / "three.txt"));
        EXPECT_TRUE(TemporariesBelow(dir.Path()).empty());

        // What is not committed goes with the folder.
        folder->BeginStaging();
        ASSERT_TRUE(folder->WriteFile("page.html", "third"));
    }
    EXPECT_EQ(ReadFileText(dir / "page.html"), "new page");
    EXPECT_TRUE(TemporariesBelow(dir.Path()).empty());
}
