// The invoke codec and the editor command dispatcher, driven through the scripted player.
#include "bridge/Invoke.h"
#include "core/Strings.h"
#include "platform/FileSystem.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gtest/gtest.h>

using namespace pennoria;
using namespace pennoria::testing;

TEST(InvokeCodec, ArgumentsOfAnyElementKindInDocumentOrder) {
    InvokeRequest request;
    std::string error;
    ASSERT_TRUE(ParseInvokeRequest(
        "<invoke name=\"Cmd\" returntype=\"xml\"><arguments><string>a</string><number>5</number>"
        "<true/><string>x &amp; &lt;y&gt;</string><string><![CDATA[<z>]]></string></arguments>"
        "</invoke>",
        request, error));
    EXPECT_EQ(request.name, "Cmd");
    EXPECT_EQ(request.arguments, (std::vector<std::string>{"a", "5", "", "x & <y>", "<z>"}));
}

TEST(InvokeCodec, RequestsWithoutInvokeOrNameFail) {
    for (const char* text :
         {"", "not xml", "<call name=\"MaximizeApplicationVC\"/>",
          "<invoke returntype=\"xml\"><arguments/></invoke>", "<invoke name=\"x\"><arguments>"}) {
        InvokeRequest request;
        std::string error;
        EXPECT_FALSE(ParseInvokeRequest(text, request, error)) << text;
        EXPECT_EQ(error, "no find [invoke] node in flash request xml ") << text;
    }
}

TEST(InvokeCodec, EscapedTextRoundTripsThroughTheParser) {
    const std::string nasty = "C:\\a&b<c>d\"e'f\r\ng ]]> \xC3\xA9";
    InvokeRequest request;
    std::string error;
    const std::vector<std::string> args{nasty, "", " ", "\n\t", " x "};
    ASSERT_TRUE(ParseInvokeRequest(BuildInvokeCall("F", args), request, error));
    EXPECT_EQ(request.name, "F");
    EXPECT_EQ(request.arguments, args);
    EXPECT_EQ(UnwrapStringResult(BuildReply(" ")), " ");
    // The reply unwraps to exactly the text (no backslash-n in it to translate).
    EXPECT_EQ(UnwrapStringResult(BuildReply(nasty)), nasty);
}

TEST(InvokeCodec, CallTextIsTheFixedShape) {
    EXPECT_EQ(BuildInvokeCall("ControlAppWindowVC", {"closeAppButton"}),
              "<invoke name=\"ControlAppWindowVC\" returntype=\"xml\"><arguments>"
              "<string>closeAppButton</string></arguments></invoke>");
    EXPECT_EQ(BuildInvokeCall("F", {"a", "b"}),
              "<invoke name=\"F\" returntype=\"xml\"><arguments><string>a</string>"
              "<string>b</string></arguments></invoke>");
}

TEST(InvokeCodec, UnwrapTurnsOnlyBackslashNIntoLineFeeds) {
    EXPECT_EQ(UnwrapStringResult("<string>a\\nb\\tc\\\\d\\</string>"), "a\nb\\tc\\\\d\\");
    EXPECT_EQ(UnwrapStringResult("<undefined/>"), "");
    EXPECT_EQ(UnwrapStringResult("garbage"), "");
}

class Dispatcher : public ::testing::Test {
protected:
    HostTestBed bed;
};

TEST_F(Dispatcher, WindowCommandsAndLetterCase) {
    bed.Start();
    auto& p = bed.player;
    EXPECT_EQ(p.Request("<invoke name=\"MaximizeApplicationVC\" returntype=\"xml\"><arguments>"
                        "</arguments></invoke>"),
              "<string>true</string>");
    EXPECT_EQ(bed.window.State(), platform::WindowState::Maximized);
    EXPECT_EQ(p.Command("minimizeapplicationvc"), "<string>NoDefine Call</string>");
    EXPECT_EQ(bed.window.State(), platform::WindowState::Minimized);
    // Restoring a window minimised from maximised brings it back maximised.
    EXPECT_EQ(p.Command("RESTOREAPPLICATIONVC"), "<string>maximize</string>");
    EXPECT_EQ(p.Command("RestoreApplicationVC"), "<string>restore</string>");
    EXPECT_EQ(bed.window.State(), platform::WindowState::Normal);
    EXPECT_FALSE(bed.window.Closed());
    EXPECT_EQ(p.Command("ExitApplicationVC"), "<string>NoDefine Call</string>");
    EXPECT_TRUE(bed.window.Closed());
    EXPECT_EQ(bed.window.PlacementSaves(), 1);
}

TEST_F(Dispatcher, UnknownAndMalformedRequestsGetNoReplyAndChangeNothing) {
    bed.Start();
    const std::string title = bed.window.Title();
    for (const char* text :
         {"<invoke name=\"NoSuchCommandVC\"><arguments/></invoke>",
          "<invoke name=\" MaximizeApplicationVC\"><arguments/></invoke>",
          "<invoke name=\"GetOutputFilesInfoVC\"><arguments/></invoke>",
          "<request name=\"MaximizeApplicationVC\"/>", "<invoke name=\"Max", ""}) {
        EXPECT_EQ(bed.player.Request(text), std::nullopt) << text;
    }
    EXPECT_EQ(bed.window.State(), platform::WindowState::Normal);
    EXPECT_EQ(bed.window.Title(), title);
    EXPECT_EQ(bed.window.PostedCount(), 0u);
    // And the host still serves.
    EXPECT_EQ(bed.player.Command("MaximizeApplicationVC"), "<string>true</string>");
}

TEST_F(Dispatcher, StartUpLoadsTheEditorMovieAndTitlesANewProject) {
    bed.settings.languageIni = "lang_fra.ini";
    bed.Start();
    EXPECT_TRUE(bed.player.LocalSecurityDisabled());
    EXPECT_EQ(bed.player.Movie(), bed.ProgramFolder() + "editor/Pennoria.swf");
    EXPECT_EQ(bed.player.FlashVars(), "lang=fra"); // the editor speaks the host's language
    EXPECT_EQ(bed.window.Title(), "Pennoria-[new project]");
}

TEST_F(Dispatcher, OldPlayerIsRefusedWithMessageAndDownloadPage) {
    CScriptedPlayer old(0x000A0001);
    CHostDlg host(old, bed.dialogs, bed.shell, bed.window, bed.settings);
    EXPECT_FALSE(host.StartEditor());
    ASSERT_EQ(bed.dialogs.History().size(), 1u);
    EXPECT_EQ(bed.dialogs.History()[0].text, LoadAppString(IDS_PLAYER_MISSING));
    EXPECT_EQ(bed.shell.Opened(), std::vector<std::string>{kPlayerDownloadPage});
    EXPECT_EQ(old.Movie(), "");
}

TEST_F(Dispatcher, SelectedFilePathInitialFileAndProjectRule) {
    bed.Start();
    struct Case {
        std::string filter, mode, initial, expectedInitial;
        bool becomesProject;
    };
    const std::string editor = bed.ProgramFolder() + "editor/";
    const Case cases[] = {
        {"Images(*.jpg)|*.jpg||", "", "img/a\\b.jpg", editor + "img/a/b.jpg", false},
        {"Images(*.jpg)|*.jpg||", "OPENPRJ", "C:/x\\y.jpg", "C:/x/y.jpg", true},
        {"Project(*.pbf;*.xml)|*.pbf;*.xml||", "", "", "", true},
        {"xml files|*.pbf||", "", "/abs/p.pbf", "/abs/p.pbf", false},
        {"Project(*.XML)|*.XML||", "", "", "", false},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string chosen = "/chosen/project" + std::to_string(++n) + ".pbf";
        bed.dialogs.AddAnswer(chosen);
        auto before = bed.host->CurrentProjectPath();
        EXPECT_EQ(bed.player.Command("GetSelectedFilePathVC", {c.filter, c.mode, c.initial}),
                  "<string>" + chosen + "</string>");
        EXPECT_EQ(bed.dialogs.History().back().text, c.expectedInitial) << c.filter;
        EXPECT_EQ(bed.host->CurrentProjectPath(), c.becomesProject ? chosen : before)
            << c.filter << " " << c.mode;
    }
    EXPECT_EQ(bed.window.Title(), "Pennoria-[project3.pbf]");
    // Cancelled.
    bed.dialogs.AddAnswer("cancel");
    EXPECT_EQ(bed.player.Command("GetSelectedFilePathVC", {"x|*.xml||", "openprj"}),
              "<string>false</string>");
}

TEST_F(Dispatcher, RepliesAreEscapedSoTheMovieGetsTheExactPath) {
    bed.Start();
    const std::string path = "/tmp/a&b/<c>.pbf";
    bed.dialogs.AddAnswer(path);
    auto reply = bed.player.Command("GetSelectedFilePathVC", {"", "", ""});
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, "<string>/tmp/a&amp;b/&lt;c&gt;.pbf</string>");
    EXPECT_EQ(UnwrapStringResult(*reply), path);
}

TEST_F(Dispatcher, OutputFilesInfoAndTheSettingsPushAfterTheReply) {
    bed.settings.OutputFolder = "/out/a&b";
    bed.settings.SWFFile = "<x>.swf";
    bed.settings.HTMLFile = "Banner.html";
    bed.Start();
    bed.MovieAnswers({});
    EXPECT_EQ(bed.player.Command("GetOutputFielsInfoVC"), "<string>new</string>");
    // Nothing reaches the movie until the reply has gone back.
    EXPECT_TRUE(bed.player.Calls().empty());
    EXPECT_EQ(bed.window.RunPostedWork(), 1u);
    ASSERT_EQ(bed.player.Calls().size(), 1u);
    InvokeRequest call;
    std::string error;
    ASSERT_TRUE(ParseInvokeRequest(bed.player.Calls()[0], call, error));
    EXPECT_EQ(call.name, "SettingOutputFilesVC");
    EXPECT_EQ(call.arguments, (std::vector<std::string>{"/out/a&b", "<x>.swf", "Banner.html",
                                                        "bundled", "yes", "yes"}));
    // "new" even after a project has been opened.
    bed.host->OpenProject("/p/x.pbf");
    EXPECT_EQ(bed.player.Command("getoutputfielsinfovc"), "<string>new</string>");
}

TEST_F(Dispatcher, AMovieTakingThreeSettingsGetsThreeAndNoErrorIsShown) {
    bed.Start();
    // As a movie whose function declares three parameters: the longer call fails in it.
    std::vector<std::size_t> counts;
    bed.player.SetMovieFunction(
        [&](const std::string&,
            const std::vector<std::string>& args) -> std::optional<std::string> {
            counts.push_back(args.size());
            if (args.size() != 3)
                return std::nullopt;
            return std::string("<string>ok</string>");
        });
    bed.player.Command("GetOutputFielsInfoVC");
    bed.window.RunPostedWork();
    EXPECT_EQ(counts, (std::vector<std::size_t>{6, 3}));
    EXPECT_TRUE(bed.dialogs.History().empty());
}

TEST_F(Dispatcher, OutputFilesInfoNamesTheStartUpProjectUntilANewOne) {
    bed.Start("/home/u/start.pbf");
    EXPECT_TRUE(bed.host->OpenedFromCommandLine());
    EXPECT_EQ(bed.window.Title(), "Pennoria-[start.pbf]");
    EXPECT_EQ(bed.player.Command("GetOutputFielsInfoVC"), "<string>/home/u/start.pbf</string>");
    EXPECT_EQ(bed.player.Command("CreateNewProjectVC"), "<string>NoDefine Call</string>");
    EXPECT_EQ(bed.player.Command("GetOutputFielsInfoVC"), "<string></string>");
}

TEST_F(Dispatcher, OutputFolderChooserStartsAtArgumentOrSetting) {
    bed.settings.OutputFolder = "/setting/folder";
    bed.Start();
    struct Case {
        std::vector<std::string> args;
        std::string answer, initial, reply;
    };
    const Case cases[] = {
        {{}, "/picked", "/setting/folder", "/picked"},
        {{""}, "/picked2", "", "/picked2"},
        {{"/arg/folder"}, "cancel", "/arg/folder", "false"},
    };
    for (const auto& c : cases) {
        bed.dialogs.AddAnswer(c.answer);
        EXPECT_EQ(bed.player.Command("GetOutputFolderPathVC", c.args),
                  "<string>" + c.reply + "</string>");
        EXPECT_EQ(bed.dialogs.History().back().kind, "folder");
        EXPECT_EQ(bed.dialogs.History().back().text, c.initial);
    }
    // No answer left: cancelled.
    EXPECT_EQ(bed.player.Command("GetOutputFolderPathVC"), "<string>false</string>");
}

TEST_F(Dispatcher, OpenOutputFolderOpensOnlyExistingFolders) {
    const std::string folder = bed.Scratch("out");
    MakeFolders(folder);
    const std::string file = bed.Scratch("run-me.sh");
    WriteFileText(file, "#!/bin/sh\n");
    bed.settings.OutputFolder = folder;
    bed.Start();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {file}, {bed.Scratch("missing")}, {""}, {folder + "/"}}) {
        EXPECT_EQ(bed.player.Command("OpenOutputFolderVC", args), "<string>NoDefine Call</string>");
    }
    EXPECT_EQ(bed.shell.Opened(), (std::vector<std::string>{folder, folder + "/"}));
    EXPECT_EQ(bed.window.BusyDepth(), 0);
}

// While no file places them, the project dialogs start in the output folder.
TEST_F(Dispatcher, ProjectDialogsStartInTheOutputFolder) {
    bed.settings.OutputFolder = "/home/u/Documents/Pennoria";
    bed.Start();
    EXPECT_EQ(bed.player.Command("GetSelectedFilePathVC", {"Projects(*.pbf)|*.pbf||", "openprj"}),
              "<string>false</string>");
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC"), "<string>false</string>");
    ASSERT_EQ(bed.dialogs.History().size(), 2u);
    for (const auto& shown : bed.dialogs.History())
        EXPECT_EQ(shown.startFolder, "/home/u/Documents/Pennoria") << shown.kind;
}

// The compiled help when the desktop can show it, else the web pages, else a message naming
// where the help is; a missing help says so. Never silent.
TEST_F(Dispatcher, HelpOpensWhatTheDesktopCanShowOrSaysWhereItIs) {
    bed.Start();
    EXPECT_EQ(bed.player.Command("OpenHelpFileVC"), "<string>NoDefine Call</string>");
    ASSERT_EQ(bed.dialogs.History().size(), 1u);
    EXPECT_EQ(bed.dialogs.History()[0].text, "Help file no found!");
    EXPECT_TRUE(bed.shell.Opened().empty());

    const std::string chm = bed.ProgramFolder() + "Pennoria Help.chm";
    const std::string pages = bed.ProgramFolder() + "help/index.html";
    WriteFileText(chm, "help");
    bed.player.Command("openhelpfilevc");
    EXPECT_EQ(bed.shell.Opened(), std::vector<std::string>{chm});

    // No viewer for the compiled help: the web pages, or the message when they are missing.
    bed.shell.RemoveHandlerFor(".chm");
    bed.player.Command("OpenHelpFileVC");
    ASSERT_EQ(bed.dialogs.History().size(), 2u);
    EXPECT_NE(bed.dialogs.History()[1].text.find(chm), std::string::npos)
        << bed.dialogs.History()[1].text;
    ASSERT_TRUE(platform::CreateOneDirectory(bed.ProgramFolder() + "help"));
    WriteFileText(pages, "<html></html>");
    bed.player.Command("OpenHelpFileVC");
    EXPECT_EQ(bed.shell.Opened(), (std::vector<std::string>{chm, pages}));

    // Nothing can show either: one message naming both files, on lines of their own.
    bed.shell.RemoveHandlerFor(".html");
    bed.player.Command("OpenHelpFileVC");
    ASSERT_EQ(bed.dialogs.History().size(), 3u);
    EXPECT_NE(bed.dialogs.History()[2].text.find("\n" + chm + "\n" + pages), std::string::npos)
        << bed.dialogs.History()[2].text;
    EXPECT_EQ(bed.shell.Opened().size(), 2u);

    // The viewer was handed the help, then did not start: the user is told why and where it is.
    bed.shell.FailLaunch(pages, "Failed to execute child process");
    ASSERT_EQ(bed.dialogs.History().size(), 4u);
    EXPECT_EQ(bed.dialogs.History()[3].text,
              "No program could be started to show it (Failed to execute child process). Open "
              "it yourself, in a web browser or your file manager:\n\n" +
                  pages);
    // Once the host has gone, a launch finishing late tells nobody.
    bed.host.reset();
    bed.shell.FailLaunch(pages, "late");
    EXPECT_EQ(bed.dialogs.History().size(), 4u);
}

// Later starts of the program hand their projects over: the movie is told of each, and each waits
// until the movie asks for that path (after its unsaved-changes question), once. An open the movie
// could not read is taken back: the project before it is current again.
TEST_F(Dispatcher, HandedOverProjectsWaitInTurnAndAFailedOpenIsTakenBack) {
    bed.Start();
    bed.MovieAnswers({});
    const std::string path = bed.Scratch("handed.pbf");
    const std::string second = bed.Scratch("second.pbf");
    EXPECT_EQ(bed.player.Command("OpenHandedProjectVC", {path}), "<string>false</string>");
    bed.host->HandOverProject(path);
    bed.host->HandOverProject(second);
    ASSERT_EQ(bed.player.Calls().size(), 2u);
    InvokeRequest told;
    std::string error;
    ASSERT_TRUE(ParseInvokeRequest(bed.player.Calls()[0], told, error));
    EXPECT_EQ(told.name, "HandOverProjectVC");
    EXPECT_EQ(told.arguments, std::vector<std::string>{path});
    EXPECT_EQ(bed.window.Title(), "Pennoria-[new project]");

    EXPECT_EQ(bed.player.Command("OpenHandedProjectVC", {bed.Scratch("other.pbf")}),
              "<string>false</string>");
    EXPECT_EQ(bed.player.Command("OpenHandedProjectVC", {path}), "<string>" + path + "</string>");
    EXPECT_EQ(bed.host->CurrentProjectPath(), path);
    EXPECT_EQ(bed.window.Title(), "Pennoria-[handed.pbf]");
    // Once only.
    EXPECT_EQ(bed.player.Command("OpenHandedProjectVC", {path}), "<string>false</string>");
    EXPECT_EQ(bed.player.Command("OpenHandedProjectVC", {second}),
              "<string>" + second + "</string>");
    EXPECT_EQ(bed.host->CurrentProjectPath(), second);
    EXPECT_TRUE(bed.host->HandedProjects().empty());

    // The second could not be read by the movie: the first is the project again, then nothing.
    EXPECT_EQ(bed.player.Command("ReopenPreviousProjectVC"), "<string>" + path + "</string>");
    EXPECT_EQ(bed.host->CurrentProjectPath(), path);
    EXPECT_EQ(bed.window.Title(), "Pennoria-[handed.pbf]");
    bed.host->NewProject();
    bed.host->OpenProject(second);
    EXPECT_EQ(bed.player.Command("ReopenPreviousProjectVC"), "<string>new</string>");
    EXPECT_EQ(bed.host->CurrentProjectPath(), "");
    EXPECT_EQ(bed.window.Title(), "Pennoria-[new project]");
}

// A file name that is not UTF-8 (a second start's "bad\xFF.pbf"): the movie knows it as text, the
// host keeps its bytes, opens and saves that very file.
TEST_F(Dispatcher, HandedOverProjectWithANameThatIsNotUtf8KeepsItsBytes) {
    bed.Start();
    const std::string path = bed.Scratch("bad\xFF\xFE.pbf");
    const std::string text = bed.Scratch("bad\xEF\xBF\xBD\xEF\xBF\xBD.pbf");
    WriteFileText(path, "<template/>");
    bed.MovieAnswers({{"customTemplate", "<template saved=\"1\"/>"}});
    bed.host->HandOverProject(path);
    InvokeRequest told;
    std::string error;
    ASSERT_TRUE(ParseInvokeRequest(bed.player.Calls().back(), told, error));
    EXPECT_EQ(told.arguments, std::vector<std::string>{text});
    EXPECT_EQ(bed.player.Command("OpenHandedProjectVC", {text}), "<string>" + text + "</string>");
    EXPECT_EQ(bed.host->CurrentProjectPath(), path);
    EXPECT_EQ(bed.window.Title(), "Pennoria-[bad\xEF\xBF\xBD\xEF\xBF\xBD.pbf]");
    EXPECT_EQ(bed.player.Command("SaveProjectFileVC", {"save"}), "<string>" + text + "</string>");
    EXPECT_EQ(ReadFileText(path), "<template saved=\"1\"/>");
    EXPECT_FALSE(platform::PathExists(text));
}

// The editor's language choice is the host's language setting: stored for the next start (whose
// editor gets it as its FlashVars); anything but the three codes is refused and changes nothing.
TEST_F(Dispatcher, LanguageChosenInTheEditorIsStoredAsTheLanguageSetting) {
    bed.settings.languageIni = "lang_eng.ini";
    bed.Start();
    EXPECT_EQ(bed.player.Command("SetLanguageVC", {"DEU"}), "<string>ok</string>");
    EXPECT_EQ(bed.settings.languageIni, "lang_deu.ini");
    for (const char* word : {"", "de", "../x", "lang_fra.ini"})
        EXPECT_EQ(bed.player.Command("SetLanguageVC", {word}), "<string>false</string>") << word;
    EXPECT_EQ(bed.settings.languageIni, "lang_deu.ini");
    CAppSettings stored;
    ASSERT_TRUE(LoadAppSettings(stored));
    EXPECT_EQ(stored.languageIni, "lang_deu.ini");
    bed.settings.languageIni = stored.languageIni;
    bed.Start();
    EXPECT_EQ(bed.player.FlashVars(), "lang=deu");
}

TEST_F(Dispatcher, WindowNotificationsAndPlayerErrors) {
    bed.Start();
    bed.MovieAnswers({});
    bed.window.Maximize();
    bed.host->OnCaptionDoubleClick();
    bed.window.Restore();
    bed.host->OnCaptionDoubleClick();
    bed.host->NotifyWindowControl(kCloseAppButton);
    std::vector<std::string> words;
    for (const auto& call : bed.player.Calls()) {
        InvokeRequest parsed;
        std::string error;
        ASSERT_TRUE(ParseInvokeRequest(call, parsed, error));
        EXPECT_EQ(parsed.name, "ControlAppWindowVC");
        words.push_back(parsed.arguments.at(0));
    }
    EXPECT_EQ(words, (std::vector<std::string>{"restoreAppButton", "maximizeAppButton",
                                               "closeAppButton"}));
    EXPECT_TRUE(bed.dialogs.History().empty());
    // A movie function that fails is reported to the user and the project is unavailable.
    std::string text = "stale";
    EXPECT_FALSE(bed.host->RequestProjectXml("photoEditor", text));
    EXPECT_EQ(text, "");
    ASSERT_EQ(bed.dialogs.History().size(), 1u);
    EXPECT_EQ(bed.dialogs.History()[0].kind, "message");
}
