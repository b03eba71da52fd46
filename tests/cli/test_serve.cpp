// The headless host end to end: pennoria-cli serve and publish driven over pipes.
#include "bridge/Invoke.h"
#include "bridge/MessageFraming.h"
#include "platform/ChildProcess.h"
#include "tests/PictureBombs.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <zlib.h>

using namespace pennoria;
using namespace pennoria::testing;

namespace {

const std::string kCli = std::string(PENNORIA_PROGRAM_DIR) + "/pennoria-cli";

// One run of the command-line tool with a private program folder and settings.
class CliRun {
public:
    CliRun() {
        std::signal(SIGPIPE, SIG_IGN);
        MakeFolders(m_dir / "prog");
        MakeFolders(m_dir / "config");
        MakeFolders(m_dir / "data");
    }
    std::string Path(const std::string& name) const { return m_dir / name; }
    std::string ProgramFolder() const { return m_dir / "prog/"; }

    bool Start(std::vector<std::string> args) {
        args.insert(args.begin(), kCli);
        if (!m_child.Start(args,
                           {{"PENNORIA_MODULE_PATH", m_dir / "prog/pennoria-cli"},
                            {"HOME", m_dir / "home"},
                            {"XDG_CONFIG_HOME", m_dir / "config"},
                            {"XDG_DATA_HOME", m_dir / "data"}},
                           m_dir / "stderr.txt"))
            return false;
        m_channel = std::make_unique<CFramedChannel>(m_child.Output(), m_child.Input());
        return true;
    }
    void Send(const std::string& message) { ASSERT_TRUE(m_channel->Write(message)); }
    std::string Next() {
        std::string message;
        EXPECT_EQ(m_channel->Read(message), FrameStatus::Message);
        return message;
    }
    std::string Request(const std::string& name, const std::vector<std::string>& args = {}) {
        Send(BuildInvokeCall(name, args));
        return Next();
    }
    void SendRaw(const std::string& bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), m_child.Input());
        std::fflush(m_child.Input());
    }
    std::string ReadAllOutput() {
        std::string out;
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_child.Output())) > 0)
            out.append(buffer, n);
        return out;
    }
    int Finish() {
        m_child.CloseInput();
        return m_child.Wait();
    }
    std::vector<std::string> Events() const {
        std::vector<std::string> lines;
        std::string text = ReadFileText(m_dir / "stderr.txt");
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    ScratchFolder m_dir;
    platform::ChildProcess m_child;
    std::unique_ptr<CFramedChannel> m_channel;
};

bool Contains(const std::vector<std::string>& lines, const std::vector<std::string>& run) {
    // The lines of run appear in this order, one right after the other.
    for (std::size_t i = 0; i + run.size() <= lines.size(); ++i)
        if (std::equal(run.begin(), run.end(), lines.begin() + static_cast<long>(i)))
            return true;
    return false;
}

} // namespace

TEST(Serve, RequestsRepliesAndSilenceForUnknownOrMalformed) {
    CliRun run;
    ASSERT_TRUE(run.Start({"serve"}));
    EXPECT_EQ(run.Request("MaximizeApplicationVC"), "<string>true</string>");
    EXPECT_EQ(run.Request("maximizeapplicationvc"), "<string>true</string>");
    EXPECT_EQ(run.Request("NoSuchThingVC"), "");
    run.Send("<invoke name=\"Minimize");
    EXPECT_EQ(run.Next(), "");
    // Text that is neither a request nor an answer is passed over without a reply.
    run.Send("stray");
    EXPECT_EQ(run.Request("MinimizeApplicationVC"), "<string>NoDefine Call</string>");
    EXPECT_EQ(run.Request("RestoreApplicationVC"), "<string>maximize</string>");
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_EQ(run.Events(),
              (std::vector<std::string>{"title: Pennoria-[new project]", "window: maximized",
                                        "window: minimized", "window: maximized"}));
}

TEST(Serve, OutputSettingsArriveAsACallAfterTheReply) {
    CliRun run;
    // The default output folder lies in the documents folder the desktop names.
    WriteFileText(
        run.Path("config/user-dirs.dirs"),
        "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n");
    ASSERT_TRUE(run.Start({"serve", "--project", "/p/a&b.pbf"}));
    EXPECT_EQ(run.Request("GetOutputFielsInfoVC"), "<string>/p/a&amp;b.pbf</string>");
    std::string call = run.Next();
    InvokeRequest parsed;
    std::string error;
    ASSERT_TRUE(ParseInvokeRequest(call, parsed, error)) << call;
    EXPECT_EQ(parsed.name, "SettingOutputFilesVC");
    // Folder, movie, page, player, HTML5 creative, SWF outputs.
    ASSERT_EQ(parsed.arguments.size(), 6u);
    EXPECT_EQ(parsed.arguments[0], run.Path("home") + "/My \"Docs\"/Pennoria");
    run.Send("<undefined/>");
    EXPECT_EQ(run.Request("ExitApplicationVC"), "<string>NoDefine Call</string>");
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_EQ(run.Events().front(), "title: Pennoria-[a&b.pbf]");
}

TEST(Serve, SaveFetchesTheProjectWithANestedCallAndServesRequestsMeanwhile) {
    CliRun run;
    const std::string path = run.Path("saved.pbf");
    WriteFileText(run.Path("answers.txt"), path + "\r\n\ncancel\n");
    ASSERT_TRUE(run.Start({"serve", "--answers", run.Path("answers.txt")}));
    run.Send(BuildInvokeCall("SaveProjectFileVC", {}));
    EXPECT_EQ(run.Next(), BuildInvokeCall("GetProjectFileXmlDataVC", {"customTemplate"}));
    // While the host waits for the project, the editor asks something else.
    EXPECT_EQ(run.Request("MaximizeApplicationVC"), "<string>true</string>");
    run.Send("<string>&lt;template a=\"1\"&gt;\\n&lt;/template&gt;</string>");
    EXPECT_EQ(run.Next(), "<string>" + path + "</string>");
    EXPECT_EQ(ReadFileText(path), "<template a=\"1\">\n</template>");
    // Save-as is cancelled by the second answer; then no answers are left.
    EXPECT_EQ(run.Request("SaveProjectFileVC", {"saveas"}), "<string>false</string>");
    EXPECT_EQ(run.Request("GetOutputFolderPathVC", {"/x\ny"}), "<string>false</string>");
    EXPECT_EQ(run.Finish(), 0);
    auto events = run.Events();
    EXPECT_TRUE(Contains(events, {"dialog: save: ", "answer: " + path,
                                  "title: Pennoria-[saved.pbf]", "window: maximized"}));
    EXPECT_TRUE(Contains(events, {"dialog: save: " + path, "answer: cancel",
                                  "dialog: folder: /x\\ny", "answer: cancel"}));
}

TEST(Serve, EmptyAnswerToACallIsAPlayerError) {
    CliRun run;
    WriteFileText(run.Path("answers.txt"), run.Path("p.pbf") + "\nok\n");
    ASSERT_TRUE(run.Start({"serve", "--answers", run.Path("answers.txt")}));
    run.Send(BuildInvokeCall("SaveProjectFileVC", {}));
    run.Next();
    run.Send("");
    EXPECT_EQ(run.Next(), "<string>saveFailed</string>");
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_FALSE(platform::PathExists(run.Path("p.pbf")));
}

// What publishing puts beside the banner by default: the player and the creative's script; and
// the banner model it asks, as built.
void InstallPlayerAndCreative(const std::string& programFolder) {
    // The built face movies: a banner's component movie loads those its texts are set in.
    const std::filesystem::path faces =
        std::filesystem::path(PENNORIA_PROGRAM_DIR) / "editor/templateEditor/res";
    for (const auto& entry : std::filesystem::directory_iterator(faces)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".swf" && name != "template.swf")
            WriteFileMakingFolders(programFolder + "editor/templateEditor/res/" + name,
                                   ReadFileText(entry.path().string()));
    }
    WriteFileMakingFolders(programFolder + "ruffle/ruffle.js", "// player");
    WriteFileMakingFolders(programFolder + "editor/templateEditor/html5/creative.js", "// ad");
    WriteFileMakingFolders(programFolder + "banner-model.js",
                           ReadFileText(std::string(PENNORIA_PROGRAM_DIR) + "/banner-model.js"));
}

TEST(Serve, PublishWithPromptNestedCallsAndFolderOpen) {
    CliRun run;
    const std::string base = run.ProgramFolder() + "editor/templateEditor/";
    WriteFileMakingFolders(base + "theme.swf", MakeTinySwf(720, 540));
    WriteFileMakingFolders(base + "res/template.swf", "component");
    InstallPlayerAndCreative(run.ProgramFolder());
    const std::string web = run.Path("web");
    MakeFolders(web + "/banner");
    WriteFileText(run.Path("answers.txt"), "yes\n");
    ASSERT_TRUE(run.Start({"serve", "--answers", run.Path("answers.txt")}));
    run.Send(BuildInvokeCall("OutPutProjectFilesVC", {"2", "0", web}));
    EXPECT_EQ(run.Next(), BuildInvokeCall("GetProjectFileXmlDataVC", {"photoEditor"}));
    run.Send(BuildReply("<template demoWidth=\"468\" demoHeight=\"60\"/>"));
    // The project is asked for once.
    EXPECT_EQ(run.Next(), "<string>ok</string>");
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_EQ(ReadStageSize(ReadFileText(web + "/banner/banner.swf")), std::make_pair(468, 60));
    auto events = run.Events();
    EXPECT_TRUE(Contains(
        events, {"dialog: yesno: One or more files existed:\\n\\n" + web +
                     "/banner\\n\\nDo you want to overwrite current file(s)?\\n\\nPress No to "
                     "change file name, press Yes to overwrite current file.",
                 "answer: yes"}));
    // With no answer left the box is just shown.
    EXPECT_EQ(events.back(), "open: " + web + "/banner/");
}

TEST(Serve, BrokenFramingEndsWithAnError) {
    CliRun run;
    ASSERT_TRUE(run.Start({"serve"}));
    run.SendRaw("Content-Length: 99999999999999\r\n\r\n");
    EXPECT_EQ(run.Finish(), 1);
    CliRun cut;
    ASSERT_TRUE(cut.Start({"serve"}));
    cut.SendRaw("Content-Length: 50\r\n\r\n<invoke");
    EXPECT_EQ(cut.Finish(), 1);
}

TEST(PublishCommand, PublishesASavedProjectAndHonoursOverwrite) {
    CliRun setup;
    const std::string base = setup.ProgramFolder() + "editor/templateEditor/";
    WriteFileMakingFolders(base + "theme.swf", MakeTinySwf(720, 540));
    WriteFileMakingFolders(base + "res/template.swf", "component");
    WriteFileMakingFolders(base + "common/normal_screen/swfObject/index.htt", "page $MainSWF");
    WriteFileMakingFolders(base + "common/normal_screen/swfObject/fs_aux.htt", "aux");
    WriteFileMakingFolders(base + "common/swfobject.js", "js");
    InstallPlayerAndCreative(setup.ProgramFolder());
    const std::string png = PngOfSize(3, 2);
    WriteFileMakingFolders(setup.ProgramFolder() + "editor/art/pic.png", png);
    const std::string project = setup.Path("p.pbf");
    WriteFileText(project, "<template demoWidth=\"200\" img=\"art/pic.png\"/>");
    const std::string web = setup.Path("web");

    ASSERT_TRUE(
        setup.Start({"publish", project, "--folder", web, "--embed-mode", "1", "--swf", "ad.swf"}));
    EXPECT_EQ(setup.ReadAllOutput(), "ok\n");
    EXPECT_EQ(setup.Finish(), 0);
    EXPECT_EQ(ReadStageSize(ReadFileText(web + "/ad/ad.swf")), std::make_pair(200, 540));
    EXPECT_EQ(ReadFileText(web + "/ad/banner.html"), "page ad.swf");
    EXPECT_EQ(ReadFileText(web + "/ad/swfobject.js"), "js");
    EXPECT_EQ(ReadFileText(web + "/ad/res/pic.png"), png);
    EXPECT_EQ(ReadFileText(web + "/ad/ruffle/ruffle.js"), "// player");
    EXPECT_EQ(ReadFileText(web + "/ad/html5/creative.js"), "// ad");
    EXPECT_NE(ReadFileText(setup.Path("stderr.txt")).find("ad_html5.zip: "), std::string::npos);

    CliRun again;
    ASSERT_TRUE(again.Start({"publish", project, "--folder", web, "--swf", "ad.swf"}));
    EXPECT_EQ(again.ReadAllOutput(), "user cancel\n");
    EXPECT_EQ(again.Finish(), 1);
}

TEST(PublishCommand, SampleProjectTakesItsImageAndAFailureIsAnErrorLine) {
    CliRun run;
    const std::string base = run.ProgramFolder() + "editor/templateEditor/";
    WriteFileMakingFolders(base + "theme.swf", MakeTinySwf(720, 540));
    WriteFileMakingFolders(base + "res/template.swf", "component");
    InstallPlayerAndCreative(run.ProgramFolder());
    const std::string sample = std::string(PENNORIA_SOURCE_DIR) + "/examples/summer-sale/";
    const std::string web = run.Path("web");
    ASSERT_TRUE(
        run.Start({"publish", sample + "summer-sale.pbf", "--folder", web, "--out-mode", "2"}));
    EXPECT_EQ(run.ReadAllOutput(), "ok\n");
    EXPECT_EQ(run.Finish(), 0);
    EXPECT_EQ(ReadFileText(web + "/banner/res/beach.png"), ReadFileText(sample + "beach.png"));

    // A file that cannot be written: a plain line on standard error naming it (never the
    // desktop dialog's plumbing), and exit status 1.
    CliRun blocked;
    WriteFileMakingFolders(blocked.ProgramFolder() + "editor/templateEditor/theme.swf",
                           MakeTinySwf(720, 540));
    MakeFolders(blocked.ProgramFolder() + "editor/templateEditor/res");
    WriteFileText(blocked.ProgramFolder() + "editor/templateEditor/res/template.swf", "c");
    WriteFileText(blocked.ProgramFolder() + "banner-model.js",
                  ReadFileText(std::string(PENNORIA_PROGRAM_DIR) + "/banner-model.js"));
    const std::string out = blocked.Path("web");
    MakeFolders(out + "/banner/banner.swf");
    ASSERT_TRUE(blocked.Start({"publish", sample + "summer-sale.pbf", "--folder", out, "--out-mode",
                               "2", "--overwrite", "yes"}));
    EXPECT_EQ(blocked.ReadAllOutput(), "saveFailed\n");
    EXPECT_EQ(blocked.Finish(), 1);
    bool named = false;
    for (const std::string& line : blocked.Events())
        named = named || (line.rfind("pennoria-cli publish: Publishing stopped: ", 0) == 0 &&
                          line.find(out + "/banner/banner.swf") != std::string::npos);
    EXPECT_TRUE(named) << ReadFileText(blocked.Path("stderr.txt"));
    for (const std::string& line : blocked.Events())
        EXPECT_EQ(line.find("dialog: "), std::string::npos) << line;
}

TEST(Framing, HeadersAndBrokenInput) {
    struct Case {
        std::string input;
        std::vector<std::string> messages;
        FrameStatus last;
    };
    const Case cases[] = {
        {"Content-Length: 3\r\n\r\nabcContent-Length: 0\r\n\r\n",
         {"abc", ""},
         FrameStatus::EndOfInput},
        {"content-length:2\n\nhi\r\nX-Other: 1\r\nCONTENT-LENGTH: 1\r\n\r\n!",
         {"hi", "!"},
         FrameStatus::EndOfInput},
        {"Content-Length: 5\r\n\r\nabc", {}, FrameStatus::Malformed},
        {"Content-Length: -1\r\n\r\n", {}, FrameStatus::Malformed},
        {"Content-Length: 1x\r\n\r\na", {}, FrameStatus::Malformed},
        {"X-Other: 1\r\n\r\nabc", {}, FrameStatus::Malformed},
        {"no colon here\r\n\r\n", {}, FrameStatus::Malformed},
        {"Content-Length: 3\r\n", {}, FrameStatus::Malformed},
        {"Content-Length: " + std::string(2000, '1') + "\r\n\r\n", {}, FrameStatus::Malformed},
        {"Content-Length: 999999999999\r\n\r\n", {}, FrameStatus::Malformed},
    };
    for (const auto& c : cases) {
        std::FILE* in = std::tmpfile();
        ASSERT_NE(in, nullptr);
        std::fwrite(c.input.data(), 1, c.input.size(), in);
        std::rewind(in);
        CFramedChannel channel(in, nullptr);
        std::vector<std::string> got;
        std::string message;
        FrameStatus status;
        while ((status = channel.Read(message)) == FrameStatus::Message)
            got.push_back(message);
        EXPECT_EQ(got, c.messages) << c.input.substr(0, 60);
        EXPECT_EQ(status, c.last) << c.input.substr(0, 60);
        std::fclose(in);
    }
}

// An exception that reaches the top of the command-line tool is reported and gives status 1:
// here the memory a movie declares cannot be had under an address-space limit. The limit leaves
// room for the tool's libraries (the video encoders among them map a few hundred megabytes);
// the movie declares more than what is left.
TEST(PublishCommand, NoExceptionLeavesTheToolUnreported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    ScratchFolder dir;
    std::string movie = "CWS";
    movie += static_cast<char>(10);
    const std::uint32_t declared = 250u << 20;
    for (int i = 0; i < 4; ++i)
        movie += static_cast<char>((declared >> (8 * i)) & 0xFF);
    // The body (header, rectangle and tags all zero: no End tag) deflated a piece at a time, so
    // that the test never holds it whole.
    z_stream stream{};
    ASSERT_EQ(deflateInit(&stream, Z_DEFAULT_COMPRESSION), Z_OK);
    std::string zeros(1u << 20, '\0');
    std::string out(1u << 16, '\0');
    std::uint32_t left = declared - 8;
    int code = Z_OK;
    while (code != Z_STREAM_END) {
        const std::uint32_t piece = std::min<std::uint32_t>(left, zeros.size());
        stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
        stream.avail_in = piece;
        left -= piece;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = static_cast<uInt>(out.size());
            code = deflate(&stream, left == 0 ? Z_FINISH : Z_NO_FLUSH);
            ASSERT_NE(code, Z_STREAM_ERROR);
            movie.append(out.data(), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    WriteFileText(dir / "big.swf", movie);
    const std::string command = "ulimit -v 350000; exec '" + kCli + "' swf info '" +
                                (dir / "big.swf") + "' >/dev/null 2>'" + (dir / "err.txt") + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadFileText(dir / "err.txt"), "pennoria-cli: out of memory\n");
#endif
}
