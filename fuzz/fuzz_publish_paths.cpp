// libFuzzer target: the publish path handling, run against a throw-away folder. The input's first
// three lines are the movie, page and XML names, the rest the project XML (also handed over as the
// custom template, so its img names the image to copy). Whatever the input, nothing may be
// written outside the publish folder: not through a link planted in it, not through a name.
#include "core/AppSettings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/scripted/ScriptedHost.h"
#include "publish/Publisher.h"

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

using namespace pennoria;

namespace {

void WriteOrDie(const std::string& path, const std::string& data) {
    if (!platform::WriteFileAtomically(path, data))
        std::abort();
}

// The program folder's installed files and some sources a project might name.
const std::string& Setup() {
    static const std::string root = [] {
        const std::string base = fuzzing::ScratchRoot();
        const std::string editor = base + "/prog/editor/";
        const std::string installed = editor + "templateEditor/";
        for (const std::string& folder :
             {editor, installed, installed + "res", installed + "common",
              installed + "common/normal_screen", installed + "common/normal_screen/embed",
              installed + "common/normal_screen/swfObject", base + "/outside"})
            ::mkdir(folder.c_str(), 0755);
        // A real movie is not needed: a size other than the default makes the resize fail,
        // which is one of the failures the run must report.
        WriteOrDie(installed + "theme.swf", "FWS movie");
        WriteOrDie(installed + "res/template.swf", "component");
        WriteOrDie(installed + "common/swfobject.js", "js");
        for (const char* set : {"embed", "swfObject"})
            for (const char* page : {"index.htt", "fs_aux.htt"})
                WriteOrDie(installed + "common/normal_screen/" + set + "/" + page,
                           "<p>$MainSWF $MovieWidth $MovieHeight $AlbumTitle</p>");
        WriteOrDie(editor + "pic.png", std::string("\x89PNG\r\n\x1A\n", 8) + "png");
        WriteOrDie(editor + "pic.gif", "GIF89a gif");
        WriteOrDie(editor + "key", "secret");
        ::mkfifo((editor + "pipe").c_str(), 0600);
        return base;
    }();
    return root;
}

bool IsEmptyFolder(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    int entries = 0;
    while (const dirent* entry = ::readdir(dir))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            ++entries;
    ::closedir(dir);
    return entries == 0;
}

std::string NextLine(const std::string& input, std::size_t& at) {
    if (at >= input.size())
        return {};
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos)
        end = input.size();
    std::string line = input.substr(at, end - at);
    at = end + 1;
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& root = Setup();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    const std::string swfName = NextLine(input, at);
    const std::string pageName = NextLine(input, at);
    const std::string xmlName = NextLine(input, at);
    const std::string project = at < input.size() ? input.substr(at) : std::string();

    // A publish folder from an earlier publish whose res/ is a link leading out.
    const std::string web = root + "/web";
    fuzzing::RemoveTree(web);
    ::mkdir(web.c_str(), 0755);
    ::mkdir((web + "/banner").c_str(), 0755);
    if (::symlink("../../outside", (web + "/banner/res").c_str()) != 0)
        std::abort();

    CAppSettings settings;
    platform::ScriptedDialogs dialogs;
    dialogs.AddAnswers({"yes", "ok", "ok", "ok"});
    platform::ScriptedShell shell;
    platform::ScriptedHostWindow window;
    CPublisher publisher(
        settings, dialogs, shell, window,
        [&project](ProjectTextKind, std::string& text) {
            text = project;
            return true;
        },
        [&root] { return root + "/projects/p.pbf"; });
    publisher.OnOutputProjectFiles(
        {"1", input.size() % 2 ? "1" : "0", web, swfName, pageName, xmlName});

    if (!IsEmptyFolder(root + "/outside"))
        std::abort();
    return 0;
}
