// libFuzzer target: the settings layer above the hive's text parser. The input is the hive file
// as found at start-up; loading the settings from it must never crash, and whatever loads must
// save and load back to the same settings.
#include "core/AppSettings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pennoria;

namespace {

bool Same(const CAppSettings& a, const CAppSettings& b) {
    return a.OutputFolder == b.OutputFolder && a.SWFFile == b.SWFFile && a.HTMLFile == b.HTMLFile &&
           a.OutMode == b.OutMode && a.EmbedMode == b.EmbedMode && a.Language == b.Language &&
           a.AutoSelectLang == b.AutoSelectLang && a.languageIni == b.languageIni &&
           a.AlbumID == b.AlbumID && a.AlbumPassword == b.AlbumPassword;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ScratchRoot();
    const std::string hive = platform::GetRegistryHivePath();
    const std::string folder = hive.substr(0, hive.find_last_of('/'));
    fuzzing::RemoveTree(folder);
    ::mkdir(folder.c_str(), 0700);
    if (!platform::WriteFileAtomically(hive,
                                       std::string_view(reinterpret_cast<const char*>(data), size)))
        std::abort();

    CAppSettings loaded;
    LoadAppSettings(loaded);
    if (!SaveAppSettings(loaded))
        return 0; // a hive that cannot be written back (for example one that was moved aside)
    CAppSettings again;
    LoadAppSettings(again);
    if (!Same(loaded, again))
        std::abort();
    return 0;
}
