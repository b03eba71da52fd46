// Loading the player probe library and calling its one export.
#include "platform/PlayerProbe.h"

#include "platform/DebugLog.h"

#include <dlfcn.h>

namespace pennoria::platform {

const char* const kFlashProbeLibrary = "libFlashProbe.so";

std::int32_t QueryFlashOCXVersion(const std::string& programFolder) {
    std::string path = programFolder + kFlashProbeLibrary;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        DebugOutput("player probe: " + std::string(reason ? reason : path));
        return 0;
    }
    using ProbeFunction = std::int32_t (*)();
    void* symbol = ::dlsym(library, "GetFlashOCXVersion");
    std::int32_t version = 0;
    if (symbol)
        version = reinterpret_cast<ProbeFunction>(symbol)();
    else
        DebugOutput("player probe: " + path + " has no GetFlashOCXVersion");
    ::dlclose(library);
    return version;
}

} // namespace pennoria::platform
