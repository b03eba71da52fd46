// Helpers of the fuzz targets that need a throw-away program, settings or output folder.
#pragma once

#include <cstdlib>
#include <ftw.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pennoria::fuzzing {

// A folder below /tmp made once per process, with the program's folder variables pointing into
// it, so that nothing a target does reaches the user's own files.
inline const std::string& ScratchRoot() {
    static const std::string root = [] {
        char pattern[] = "/tmp/pennoria-fuzz-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        std::string path = pattern;
        ::mkdir((path + "/prog").c_str(), 0755);
        ::mkdir((path + "/config").c_str(), 0755);
        ::mkdir((path + "/data").c_str(), 0755);
        ::setenv("PENNORIA_MODULE_PATH", (path + "/prog/pennoria-cli").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (path + "/data").c_str(), 1);
        return path;
    }();
    return root;
}

// Removes a folder and everything below it, links included but never followed.
inline void RemoveTree(const std::string& path) {
    ::nftw(
        path.c_str(),
        [](const char* name, const struct stat*, int, struct FTW*) { return ::remove(name); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

} // namespace pennoria::fuzzing
