// libFlashProbe.so: tells the host which player version it can offer the editor movie.
//
// The desktop player is Ruffle running in a WebKitGTK web view. It counts as installed when
// Ruffle's files lie in the program folder (this library's own folder) and WebKitGTK 4.1 can be
// loaded; Ruffle reports itself as Flash Player 32.0.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

namespace {

constexpr std::int32_t kRufflePlayerVersion = 32 << 16; // 32.0, packed major.minor
constexpr std::int32_t kNoPlayer = 0;

const char kMarker = 0; // any object of this library, to find the library's file

std::string OwnFolder() {
    Dl_info info{};
    if (::dladdr(&kMarker, &info) == 0 || !info.dli_fname)
        return {};
    char resolved[PATH_MAX];
    if (!::realpath(info.dli_fname, resolved))
        return {};
    std::string path = resolved;
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HasRuffleFiles(const std::string& folder) {
    return IsFile(folder + "node_modules/@ruffle-rs/ruffle/ruffle.js") ||
           IsFile(folder + "ruffle/ruffle.js");
}

bool CanLoadWebView() {
    // Kept loaded on purpose: the host goes on to use it, and unloading GLib-based libraries
    // is not safe.
    return ::dlopen("libwebkit2gtk-4.1.so.0", RTLD_LAZY | RTLD_LOCAL) != nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) std::int32_t GetFlashOCXVersion() {
    std::string folder = OwnFolder();
    if (folder.empty() || !HasRuffleFiles(folder) || !CanLoadWebView())
        return kNoPlayer;
    return kRufflePlayerVersion;
}
