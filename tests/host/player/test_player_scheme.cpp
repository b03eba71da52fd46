// The player scheme's path rules (what may be served, links and ".." included) and bridge texts.
#include "host/player/BridgeMessages.h"
#include "host/player/PlayerScheme.h"

#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace pennoria {
namespace {

using testing::ScopedEnv;
using testing::ScratchFolder;
using testing::WriteFileText;

TEST(PlayerSchemeTest, PercentDecodingRejectsMalformedEscapesAndNul) {
    struct Case {
        const char* encoded;
        bool ok;
        const char* decoded;
    } cases[] = {
        {"/a%20b/c%C3%A9", true, "/a b/c\xC3\xA9"},
        {"/%2e%2E/x", true, "/../x"},
        {"/plain", true, "/plain"},
        {"/a%2", false, ""},
        {"/a%", false, ""},
        {"/a%zz", false, ""},
        {"/a%00b", false, ""},
    };
    for (const Case& c : cases) {
        std::string decoded;
        EXPECT_EQ(PercentDecodePath(c.encoded, decoded), c.ok) << c.encoded;
        if (c.ok) {
            EXPECT_EQ(decoded, c.decoded) << c.encoded;
        }
    }
}

TEST(PlayerSchemeTest, UrlsOfPathsDecodeBackToThePath) {
    for (std::string path : {"/opt/pennoria/editor/Pennoria.swf", "/home/u/My Banner #1?.swf",
                             "/tmp/100%/\xE6\x97\xA5\xE6\x9C\xAC.swf"}) {
        std::string url = MakePlayerUrl(path);
        ASSERT_EQ(url.rfind(kPlayerOrigin, 0), 0u);
        std::string rest = url.substr(std::string(kPlayerOrigin).size());
        EXPECT_EQ(rest.find_first_of(" #?"), std::string::npos) << url;
        std::string decoded;
        ASSERT_TRUE(PercentDecodePath(rest, decoded));
        EXPECT_EQ(decoded, path);
    }
}

class SchemeAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = scratch / "prog";
        ::mkdir(program.c_str(), 0755);
        ::mkdir((program + "/player").c_str(), 0755);
        ::mkdir((scratch / "prog2").c_str(), 0755);
        ::mkdir((scratch / "outside").c_str(), 0755);
        WriteFileText(program + "/player/player.html", "<html/>");
        WriteFileText(program + "/a b.swf", "FWS");
        WriteFileText(scratch / "prog2/neighbour.txt", "x");
        WriteFileText(scratch / "outside/secret.txt", "secret");
        WriteFileText(scratch / "outside/font.ttf", "font");
        ASSERT_EQ(
            ::symlink((scratch / "outside/secret.txt").c_str(), (program + "/link-out").c_str()),
            0);
        ASSERT_EQ(::symlink((scratch / "outside").c_str(), (program + "/dir-out").c_str()), 0);
        ASSERT_EQ(::symlink(program.c_str(), (scratch / "prog-link").c_str()), 0);
        policy.programFolder = program + "/";
        policy.extraFiles = {scratch / "outside/font.ttf"};
    }

    SchemeAccess Resolve(const std::string& encodedPath) {
        std::string file;
        SchemeAccess access = ResolveSchemePath(encodedPath, policy, file);
        EXPECT_EQ(access == SchemeAccess::Granted, !file.empty()) << encodedPath;
        return access;
    }

    ScratchFolder scratch;
    std::string program;
    SchemeAccessPolicy policy;
};

TEST_F(SchemeAccessTest, ProgramFolderAndExtraFilesAreServedAndNothingElse) {
    struct Case {
        std::string path;
        SchemeAccess expected;
    } cases[] = {
        {program + "/player/player.html", SchemeAccess::Granted},
        {MakePlayerUrl(program + "/a b.swf").substr(std::string(kPlayerOrigin).size()),
         SchemeAccess::Granted},
        {scratch / "outside/font.ttf", SchemeAccess::Granted},
        {scratch / "outside/secret.txt", SchemeAccess::Forbidden},
        // A folder whose name merely starts like the program folder's is outside it.
        {scratch / "prog2/neighbour.txt", SchemeAccess::Forbidden},
        // Links are followed before the check.
        {program + "/link-out", SchemeAccess::Forbidden},
        {program + "/dir-out/secret.txt", SchemeAccess::Forbidden},
        {scratch / "prog-link/player/player.html", SchemeAccess::Granted},
        // Dot segments never pass, plain or encoded, even when they would stay inside.
        {program + "/../outside/secret.txt", SchemeAccess::BadRequest},
        {program + "/%2e%2e/outside/secret.txt", SchemeAccess::BadRequest},
        {program + "/%2E%2E/prog/player/player.html", SchemeAccess::BadRequest},
        {program + "/./player/player.html", SchemeAccess::BadRequest},
        {program + "/player/..", SchemeAccess::BadRequest},
        {program + "/a%00b", SchemeAccess::BadRequest},
        {"relative/player.html", SchemeAccess::BadRequest},
        {"", SchemeAccess::BadRequest},
        // Only regular files.
        {program + "/player", SchemeAccess::NotFound},
        {program + "/missing.swf", SchemeAccess::NotFound},
        {"/dev/null", SchemeAccess::NotFound},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Resolve(c.path), c.expected) << c.path;
}

TEST_F(SchemeAccessTest, OnlyChosenFilesOpenWithLocalAccessAndNeverPseudoFileSystems) {
    std::string secret = scratch / "outside/secret.txt";
    std::string chosen = scratch / "outside/chosen.png";
    WriteFileText(chosen, "png");
    policy.chosenFiles = {chosen, "/proc/self/environ"};
    EXPECT_EQ(Resolve(chosen), SchemeAccess::Forbidden);
    policy.localFilesAllowed = true;
    EXPECT_EQ(Resolve(chosen), SchemeAccess::Granted);
    // Allowing local access opens the chosen files only, not their neighbours.
    EXPECT_EQ(Resolve(secret), SchemeAccess::Forbidden);
    EXPECT_EQ(Resolve(program + "/link-out"), SchemeAccess::Forbidden);
    EXPECT_EQ(Resolve("/etc/passwd"), SchemeAccess::Forbidden);
    EXPECT_EQ(Resolve("/proc/self/status"), SchemeAccess::Forbidden);
    EXPECT_EQ(Resolve("/proc/self/environ"), SchemeAccess::Forbidden);
    EXPECT_EQ(Resolve(chosen + "/../chosen.png"), SchemeAccess::BadRequest);
    // A link to a chosen file reaches it (the check is on the file the link names).
    ASSERT_EQ(::symlink(chosen.c_str(), (program + "/link-chosen").c_str()), 0);
    std::string file;
    ASSERT_EQ(ResolveSchemePath(program + "/link-chosen", policy, file), SchemeAccess::Granted);
    EXPECT_EQ(file, CanonicalPath(chosen));
}

// A chosen file whose name is not UTF-8 ("bad\xFF.pbf", handed over by a second start) is asked
// for by its name as text, the movie's only way to know it, and served from its own bytes; an
// unchosen one of the same text form is not.
TEST_F(SchemeAccessTest, ChosenFileWithANameThatIsNotUtf8IsServedFromItsBytes) {
    const std::string chosen = scratch / "outside/bad\xFF.pbf";
    WriteFileText(chosen, "<template/>");
    WriteFileText(scratch / "outside/bad\xFE.pbf", "other");
    const std::string asText = scratch / "outside/bad\xEF\xBF\xBD.pbf";
    const std::string url = MakePlayerUrl(asText).substr(std::string(kPlayerOrigin).size());
    policy.localFilesAllowed = true;
    EXPECT_EQ(Resolve(url), SchemeAccess::NotFound);
    policy.chosenFiles = {chosen};
    std::string file;
    ASSERT_EQ(ResolveSchemePath(url, policy, file), SchemeAccess::Granted);
    EXPECT_EQ(file, CanonicalPath(chosen));
    EXPECT_EQ(Resolve(MakePlayerUrl(chosen).substr(std::string(kPlayerOrigin).size())),
              SchemeAccess::Granted);
}

TEST(PlayerSchemeTest, ProjectImagesAreNamedAbsoluteOrBesideTheProject) {
    EXPECT_EQ(
        ProjectImagePaths("/home/u/p/a.pbf", "<template img=\"sky.png\"><x img=\"..\\up\\b.jpg\"/>"
                                             "<y img=\"/abs/c.gif\"/><z img=\"\"/></template>"),
        (std::vector<std::string>{"/home/u/p/sky.png", "/home/u/p/../up/b.jpg", "/abs/c.gif"}));
    EXPECT_TRUE(ProjectImagePaths("/p/a.pbf", "<template img='x.png'").empty());
}

// A served file is read whole, so another program truncating it meanwhile changes nothing we
// hand on (a mapped file would raise SIGBUS when the missing pages are read).
TEST(PlayerSchemeTest, ServedFilesSurviveTruncationAndRefuseWhatIsNoFile) {
    ScratchFolder scratch;
    std::string path = scratch / "big.wasm";
    std::string original(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<char>(i * 7 + i / 4096);
    WriteFileText(path, original);
    std::string served;
    ASSERT_EQ(ReadServedFile(path, original.size(), served), ServedFileError::None);
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    EXPECT_TRUE(served == original);

    EXPECT_EQ(ReadServedFile(path, 10, served), ServedFileError::None);
    EXPECT_TRUE(served.empty());
    WriteFileText(path, "0123456789A");
    EXPECT_EQ(ReadServedFile(path, 10, served), ServedFileError::TooLarge);
    EXPECT_EQ(ReadServedFile(scratch.Path(), 1 << 20, served), ServedFileError::NotReadable);
    ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadServedFile(scratch / "fifo", 1 << 20, served), ServedFileError::NotReadable);
    ASSERT_EQ(::symlink(path.c_str(), (scratch / "link").c_str()), 0);
    EXPECT_EQ(ReadServedFile(scratch / "link", 1 << 20, served), ServedFileError::NotReadable);
}

TEST(PlayerSchemeTest, ContentTypesFollowTheExtension) {
    EXPECT_STREQ(MimeTypeForPath("/p/ruffle/x.wasm"), "application/wasm");
    EXPECT_STREQ(MimeTypeForPath("/p/editor/Pennoria.SWF"), "application/x-shockwave-flash");
    EXPECT_STREQ(MimeTypeForPath("/p/player/player.js"), "text/javascript; charset=utf-8");
    EXPECT_STREQ(MimeTypeForPath("/usr/share/fonts/DejaVuSans.ttf"), "font/ttf");
    EXPECT_STREQ(MimeTypeForPath("/p/dir.d/noextension"), "application/octet-stream");
    EXPECT_STREQ(MimeTypeForPath("/p/file."), "application/octet-stream");
}

TEST(BridgeMessagesTest, PageMessagesParseOrAreRejected) {
    PageMessage call = ParsePageMessage("call\n<invoke name=\"A\">\nline</invoke>");
    EXPECT_EQ(call.kind, PageMessage::Kind::Call);
    EXPECT_EQ(call.payload, "<invoke name=\"A\">\nline</invoke>");

    PageMessage ok = ParsePageMessage("result\n3\n17\nok\n<string>a\nb</string>");
    EXPECT_EQ(ok.kind, PageMessage::Kind::Result);
    EXPECT_EQ(ok.conversation, 3u);
    EXPECT_EQ(ok.sequence, 17u);
    EXPECT_TRUE(ok.ok);
    EXPECT_EQ(ok.payload, "<string>a\nb</string>");

    PageMessage failed = ParsePageMessage("result\n1\n2\nerror\nno function");
    EXPECT_EQ(failed.kind, PageMessage::Kind::Result);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.payload, "no function");

    PageMessage ready = ParsePageMessage("ready\n2097152");
    EXPECT_EQ(ready.kind, PageMessage::Kind::Ready);
    EXPECT_EQ(ready.version, 0x200000);

    for (const char* bad : {"", "call", "ready\n", "ready\n12abc", "result\nx\n1\nok\n",
                            "result\n1\n2\nmaybe\n", "result\n1\n2\nok", "result\n-1\n2\nok\nx",
                            "hello\nthere", "result\n99999999999999999999999\n1\nok\n"})
        EXPECT_EQ(ParsePageMessage(bad).kind, PageMessage::Kind::Invalid) << bad;
}

TEST(BridgeMessagesTest, AnswersAndLogLines) {
    EXPECT_EQ(FormatReplyAnswer(std::string("<string>ok</string>")), "reply\n<string>ok</string>");
    EXPECT_EQ(FormatReplyAnswer(std::nullopt), "noreply\n");
    EXPECT_EQ(FormatCallMovieAnswer(4, 9, "<invoke/>"), "callmovie\n4\n9\n<invoke/>");
    EXPECT_EQ(OneLine("a\\n\nb\r"), "a\\\\n\\nb\\r");

    ScratchFolder scratch;
    std::string path = scratch / "bridge.log";
    {
        ScopedEnv env("PENNORIA_BRIDGE_LOG", path);
        BridgeLog log;
        log.Write("request", "<invoke>\n</invoke>");
        log.Write("noreply");
    }
    std::string text = testing::ReadFileText(path);
    EXPECT_NE(text.find(" request <invoke>\\n</invoke>\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" noreply\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

} // namespace
} // namespace pennoria
