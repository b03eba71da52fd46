// Test bed for the host's portable core: a scratch program folder with stand-ins for the
// installed data, private settings, and the scripted player, dialogs, shell and window.
#pragma once

#include "bridge/HostDialog.h"
#include "bridge/ScriptedPlayer.h"
#include "core/AppSettings.h"
#include "platform/scripted/ScriptedHost.h"
#include "tests/TestSupport.h"

#include <zlib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace pennoria::testing {

inline void MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    ::mkdir(path.c_str(), 0755);
}

inline void WriteFileMakingFolders(const std::string& path, const std::string& data) {
    MakeFolders(path.substr(0, path.find_last_of('/')));
    WriteFileText(path, data);
}

// A minimal uncompressed movie: header with the stage rectangle in 15-bit fields, one
// ShowFrame and the End tag.
inline std::string MakeTinySwf(std::int32_t width, std::int32_t height) {
    std::vector<bool> bits;
    auto put = [&](std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            bits.push_back(((value >> i) & 1u) != 0);
    };
    put(15, 5);
    put(0, 15);
    put(static_cast<std::uint32_t>(width * 20), 15);
    put(0, 15);
    put(static_cast<std::uint32_t>(height * 20), 15);
    std::string rect((bits.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            rect[i / 8] = static_cast<char>(rect[i / 8] | (0x80 >> (i % 8)));
    std::string body =
        rect + std::string("\x00\x18\x01\x00", 4) + std::string("\x40\x00\x00\x00", 4);
    std::uint32_t length = static_cast<std::uint32_t>(8 + body.size());
    std::string swf = "FWS";
    swf += static_cast<char>(10);
    for (int i = 0; i < 4; ++i)
        swf += static_cast<char>((length >> (8 * i)) & 0xFF);
    return swf + body;
}

// The stage size in pixels of a movie (plain or zlib-compressed); (-1, -1) when unreadable.
inline std::pair<int, int> ReadStageSize(const std::string& swf) {
    if (swf.size() < 9)
        return {-1, -1};
    std::string body = swf.substr(8);
    if (swf[0] == 'C') {
        std::uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length |= static_cast<std::uint32_t>(static_cast<unsigned char>(swf[4 + i])) << (8 * i);
        std::string out(length > 8 ? length - 8 : 0, '\0');
        uLongf outLength = out.size();
        if (uncompress(reinterpret_cast<Bytef*>(out.data()), &outLength,
                       reinterpret_cast<const Bytef*>(body.data()), body.size()) != Z_OK)
            return {-1, -1};
        body = out.substr(0, outLength);
    } else if (swf[0] != 'F') {
        return {-1, -1};
    }
    std::size_t position = 0;
    auto get = [&](int count) {
        std::int64_t value = 0;
        for (int i = 0; i < count; ++i, ++position) {
            if (position / 8 >= body.size())
                return std::int64_t{-1};
            value = (value << 1) |
                    ((static_cast<unsigned char>(body[position / 8]) >> (7 - position % 8)) & 1);
        }
        return value;
    };
    int nbits = static_cast<int>(get(5));
    std::int64_t xmin = get(nbits), xmax = get(nbits), ymin = get(nbits), ymax = get(nbits);
    return {static_cast<int>((xmax - xmin) / 20), static_cast<int>((ymax - ymin) / 20)};
}

// A program folder in a scratch folder, private settings and data folders, and the host's
// core wired to scripted stand-ins.
class HostTestBed {
public:
    HostTestBed()
        : m_module("PENNORIA_MODULE_PATH", m_root / "prog/pennoria-cli"),
          m_config("XDG_CONFIG_HOME", m_root / "config"), m_data("XDG_DATA_HOME", m_root / "data") {
        MakeFolders(m_root / "prog");
        MakeFolders(m_root / "config");
        MakeFolders(m_root / "data");
        // The banner model the host asks (publishing, saving, the player's grants), as built.
        WriteFileText(m_root / "prog/banner-model.js",
                      ReadFileText(std::string(PENNORIA_PROGRAM_DIR) + "/banner-model.js"));
        LoadAppSettings(settings);
    }

    // The installed files a publish reads, with recognisable contents.
    void InstallPublishData() {
        const std::string base = ProgramFolder() + "editor/templateEditor/";
        WriteFileMakingFolders(base + "theme.swf", MakeTinySwf(720, 540));
        WriteFileMakingFolders(base + "res/template.swf", "component movie");
        for (const char* face :
             {"LiberationSansRegular", "LiberationSansBold", "LiberationSansItalic",
              "LiberationSansBoldItalic", "LiberationSerifRegular", "LiberationSerifBold",
              "LiberationSerifItalic", "LiberationSerifBoldItalic", "DejaVuSans", "DejaVuSansBold",
              "DejaVuSansOblique", "DejaVuSansBoldOblique"})
            WriteFileMakingFolders(base + "res/" + face + ".swf", std::string("face ") + face);
        WriteFileMakingFolders(base + "common/swfobject.js", "// swfobject");
        for (const char* set : {"embed", "swfObject"}) {
            const std::string pages = base + "common/normal_screen/" + set + "/";
            WriteFileMakingFolders(pages + "index.htt",
                                   std::string(set) + " main $MainSWF $MovieWidth x $MovieHeight");
            WriteFileMakingFolders(pages + "fs_aux.htt", std::string(set) + " aux $MainSWF");
        }
        WriteFileMakingFolders(base + "html5/creative.js", "// creative");
        WriteFileMakingFolders(ProgramFolder() + "ruffle/ruffle.js", "// player");
        WriteFileMakingFolders(ProgramFolder() + "ruffle/core.wasm", "wasm");
        // The banner model publishing asks, as built.
        WriteFileMakingFolders(
            ProgramFolder() + "banner-model.js",
            ReadFileText(std::string(PENNORIA_PROGRAM_DIR) + "/banner-model.js"));
    }

    // Builds the host; commandLineProject as the program was started with.
    CHostDlg& Start(const std::string& commandLineProject = {}) {
        host = std::make_unique<CHostDlg>(player, dialogs, shell, window, settings,
                                          commandLineProject);
        host->StartEditor();
        return *host;
    }

    // The movie answers "GetProjectFileXmlDataVC" with these texts per kind; other functions
    // answer "<undefined/>". Every call is also recorded by the player.
    void MovieAnswers(std::map<std::string, std::string> projectTexts) {
        player.SetMovieFunction(
            [this, texts = std::move(projectTexts)](
                const std::string& function,
                const std::vector<std::string>& args) -> std::optional<std::string> {
                if (onCall)
                    onCall(function, args);
                if (function != "GetProjectFileXmlDataVC")
                    return std::string("<undefined/>");
                auto found = texts.find(args.empty() ? std::string() : args[0]);
                if (found == texts.end())
                    return std::nullopt;
                return "<string>" + EscapeXmlText(found->second) + "</string>";
            });
    }

    std::string ProgramFolder() const { return m_root / "prog/"; }
    std::string Scratch(const std::string& name) const { return m_root / name; }

    std::function<void(const std::string&, const std::vector<std::string>&)> onCall;

private:
    ScratchFolder m_root;
    ScopedEnv m_module;
    ScopedEnv m_config;
    ScopedEnv m_data;

public:
    CAppSettings settings;
    CScriptedPlayer player;
    platform::ScriptedDialogs dialogs;
    platform::ScriptedShell shell;
    platform::ScriptedHostWindow window;
    std::unique_ptr<CHostDlg> host;
};

} // namespace pennoria::testing
