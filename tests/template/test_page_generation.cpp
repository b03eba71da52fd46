// Page generation from template files: variables, file handling, failures, the page command.
#include "template/PageTemplate.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace pennoria;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScopedEnv;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;
namespace fs = std::filesystem;

namespace {

const char kAllVariables[] = "$MainSWF|$CreatorSite|$Creator|$StylePath|$ResourcePath|"
                             "$MovieHeight|$Mosaiq_Footer|$MovieWidth|$AlbumTitle|$Encoding|"
                             "$Copyright|$SponsorSite";

class PageGeneration : public ::testing::Test {
protected:
    void SetUp() override { ::mkdir((m_dir / "lang").c_str(), 0755); }
    ScratchFolder m_dir;
    // Language files are looked up beside this made-up executable.
    ScopedEnv m_module{"PENNORIA_MODULE_PATH", m_dir / "pennoria"};
};

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace

TEST_F(PageGeneration, SetsTheThirteenVariables) {
    WriteFileText(m_dir / "page.htt", kAllVariables);
    CPageTemplate engine("my banner.swf", 0, 0);
    ASSERT_TRUE(engine.Generate(m_dir / "page.htt", m_dir / "banner.html"));
    EXPECT_EQ(engine.LastWriteError(), "");
    std::string page = ReadFileText(m_dir / "banner.html");
    EXPECT_EQ(page.rfind("my banner.swf|https://pennoria.org/slidora/|Slidora|res/styles.css|res|"
                         "540|<div class=\"text_createdby\">",
                         0),
              0u)
        << page;
    EXPECT_NE(page.find("</div>|720|banner|UTF-8|Copyright (C) 2"), std::string::npos) << page;
    EXPECT_NE(page.find(" Pennoria|https://pennoria.org/"), std::string::npos) << page;
    EXPECT_EQ(engine.Variables().size(), 13u);
    EXPECT_NE(engine.Variables().Value("EmbedTip").find("Embed Code:"), std::string::npos);
}

TEST_F(PageGeneration, AlbumTitleFollowsEachPage) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\site\\banner.html", "banner"},
        {"C:\\site\\fs_aux.html", "fs_aux"},
        {"C:\\site\\index", ""},
        {"/site/banner.html", "banner"},
        {"banner.html", "banner"},
        {"/site.d/index", ""},
        {"/site/my.page.html", "my.page"},
        {"C:/site\\x/mixed.htm", "mixed"},
    };
    for (auto [path, title] : cases)
        EXPECT_EQ(AlbumTitleFromPath(path), title) << path;

    WriteFileText(m_dir / "t.htt", "$AlbumTitle $MovieWidth");
    CPageTemplate engine("m.swf", 300, 250);
    ASSERT_TRUE(engine.Generate(m_dir / "t.htt", m_dir / "index.html"));
    ASSERT_TRUE(engine.Generate(m_dir / "t.htt", m_dir / "fs_aux.html"));
    EXPECT_EQ(ReadFileText(m_dir / "index.html"), "index 300");
    EXPECT_EQ(ReadFileText(m_dir / "fs_aux.html"), "fs_aux 300");
    EXPECT_EQ(engine.Variables().size(), 13u);
}

TEST_F(PageGeneration, MissingTemplateWritesNothing) {
    CPageTemplate engine("m.swf", 0, 0);
    EXPECT_FALSE(engine.Generate(m_dir / "missing.htt", m_dir / "page.html"));
    EXPECT_EQ(engine.LastWriteError(), "");
    EXPECT_FALSE(fs::exists(m_dir / "page.html"));
    EXPECT_TRUE(engine.Variables().empty());
}

TEST_F(PageGeneration, EmptyTemplateAndZeroByte) {
    WriteFileText(m_dir / "empty.htt", "");
    WriteFileText(m_dir / "zero.htt", std::string("<p>$MainSWF</p>\0<p>rest</p>", 28));
    CPageTemplate engine("m.swf", 0, 0);
    ASSERT_TRUE(engine.Generate(m_dir / "empty.htt", m_dir / "empty.html"));
    ASSERT_TRUE(engine.Generate(m_dir / "zero.htt", m_dir / "zero.html"));
    EXPECT_TRUE(fs::exists(m_dir / "empty.html"));
    EXPECT_EQ(fs::file_size(m_dir / "empty.html"), 0u);
    EXPECT_EQ(ReadFileText(m_dir / "zero.html"), "<p>m.swf</p>");
}

TEST_F(PageGeneration, Utf8PageWithoutByteOrderMark) {
    WriteFileText(m_dir / "lang/lang_eng.ini", "[STRING]\n5=T\xC3\xA4ssa \xE6\xBC\xA2\\nrivi\n");
    WriteFileText(m_dir / "t.htt", "$EmbedTip|\xC3\xA9|$MainSWF");
    CPageTemplate engine("b\xC3\xA4nner.swf", 0, 0);
    ASSERT_TRUE(engine.Generate(m_dir / "t.htt", m_dir / "p.html"));
    EXPECT_EQ(ReadFileText(m_dir / "p.html"),
              "T\xC3\xA4ssa \xE6\xBC\xA2\nrivi|\xC3\xA9|b\xC3\xA4nner.swf");
}

TEST_F(PageGeneration, TemplateInReadOnlyFolderIsReadAndLeftUnchanged) {
    const std::string folder = m_dir / "program";
    const std::string templatePath = folder + "/t.htt";
    const std::string content = "<b w=\"<%= MovieWidth/2 ;%>\">$MainSWF</b>\n";
    ::mkdir(folder.c_str(), 0755);
    WriteFileText(templatePath, content);
    auto past = fs::last_write_time(templatePath) - std::chrono::hours(1);
    fs::last_write_time(templatePath, past);
    ::chmod(templatePath.c_str(), 0444);
    ::chmod(folder.c_str(), 0555);

    CPageTemplate engine("m.swf", 800, 0);
    ASSERT_TRUE(engine.Generate(templatePath, m_dir / "page.html"));
    EXPECT_EQ(engine.LastWriteError(), "");
    EXPECT_EQ(ReadFileText(m_dir / "page.html"), "<b w=\"400\">m.swf</b>\n");
    EXPECT_EQ(ReadFileText(templatePath), content);
    EXPECT_EQ(fs::last_write_time(templatePath), past);
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "t.htt"); // no leftovers
    ::chmod(folder.c_str(), 0755);
}

TEST_F(PageGeneration, UnwritablePageIsReportedAndOldPageKept) {
    // A name that fits the folder but leaves no room for the temporary file's suffix: the
    // replacement fails even for root.
    const std::string page = m_dir / (std::string(250, 'p') + ".html");
    WriteFileText(page, "old page");
    WriteFileText(m_dir / "t.htt", "new page");
    CPageTemplate engine("m.swf", 0, 0);
    ASSERT_TRUE(engine.Generate(m_dir / "t.htt", page));
    EXPECT_EQ(engine.LastWriteError().rfind("cannot write " + page + ": ", 0), 0u);
    EXPECT_GT(engine.LastWriteError().size(), ("cannot write " + page + ": ").size());
    EXPECT_EQ(ReadFileText(page), "old page");

    // A later page that can be written clears the report.
    ASSERT_TRUE(engine.Generate(m_dir / "t.htt", m_dir / "ok.html"));
    EXPECT_EQ(engine.LastWriteError(), "");
}

TEST_F(PageGeneration, PageInReadOnlyFolderIsReportedAndOldPageKept) {
    if (RunningAsRoot())
        GTEST_SKIP() << "folder permissions do not stop root";
    const std::string folder = m_dir / "site";
    ::mkdir(folder.c_str(), 0755);
    WriteFileText(folder + "/p.html", "old page");
    WriteFileText(m_dir / "t.htt", "new page");
    ::chmod(folder.c_str(), 0555);
    CPageTemplate engine("m.swf", 0, 0);
    ASSERT_TRUE(engine.Generate(m_dir / "t.htt", folder + "/p.html"));
    EXPECT_NE(engine.LastWriteError().find("Permission denied"), std::string::npos);
    EXPECT_EQ(ReadFileText(folder + "/p.html"), "old page");
    ::chmod(folder.c_str(), 0755);
}

TEST_F(PageGeneration, UnreadableTemplateIsReported) {
    ::mkdir((m_dir / "dir.htt").c_str(), 0755);
    WriteFileText(m_dir / "p.html", "old page");
    CPageTemplate engine("m.swf", 0, 0);
    EXPECT_TRUE(engine.Generate(m_dir / "dir.htt", m_dir / "p.html"));
    EXPECT_NE(engine.LastWriteError().find("cannot read the template"), std::string::npos);
    EXPECT_EQ(ReadFileText(m_dir / "p.html"), "old page");
}

TEST_F(PageGeneration, PageCommandExitCodes) {
    const std::string cli = std::string(PENNORIA_PROGRAM_DIR) + "/pennoria-cli";
    WriteFileText(m_dir / "t.htt", "$MainSWF $MovieWidth x $MovieHeight");
    auto run = [&](const std::string& arguments) {
        int status = std::system((cli + " page " + arguments + " 2>" + (m_dir / "err")).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(
        run(m_dir / "t.htt" + " " + m_dir / "p.html" + " --movie b.swf --width 300 --height 0"), 0);
    EXPECT_EQ(ReadFileText(m_dir / "p.html"), "b.swf 300 x 540");

    EXPECT_EQ(run(m_dir / "none.htt" + " " + m_dir / "q.html" + " --movie b.swf"), 2);
    EXPECT_FALSE(fs::exists(m_dir / "q.html"));

    EXPECT_EQ(run(m_dir / "t.htt" + " " + m_dir / "no/such/p.html" + " --movie b.swf"), 1);
    EXPECT_NE(ReadFileText(m_dir / "err").find("cannot write"), std::string::npos);
}
