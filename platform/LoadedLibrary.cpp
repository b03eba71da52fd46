#include "platform/LoadedLibrary.h"

#include <dlfcn.h>

namespace pennoria::platform {

void* LoadLibrarySymbol(const std::string& path, const char* symbol, std::string* error) {
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        if (error)
            *error = reason ? reason : "cannot load " + path;
        return nullptr;
    }
    void* found = ::dlsym(library, symbol);
    if (!found && error)
        *error = path + " has no " + symbol;
    return found;
}

} // namespace pennoria::platform
