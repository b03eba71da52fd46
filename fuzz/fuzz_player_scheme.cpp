// libFuzzer target: the player scheme's path decoding and access check. Whatever path a page asks
// for, only the program folder and the chosen file are ever granted, never the file beside them
// that a link or an encoded ".." points at; URLs made from paths decode back to the path.
#include "host/player/PlayerScheme.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <sys/stat.h>

using namespace pennoria;

namespace {

struct Scratch {
    std::string root, program, secret, chosen;
    SchemeAccessPolicy policy;

    Scratch() {
        char folder[] = "/tmp/fuzz-scheme-XXXXXX";
        if (!::mkdtemp(folder))
            std::abort();
        root = CanonicalPath(folder);
        program = root + "/prog";
        ::mkdir(program.c_str(), 0700);
        ::mkdir((program + "/sub").c_str(), 0700);
        ::mkdir((root + "/outside").c_str(), 0700);
        ::mkdir((root + "/chosen").c_str(), 0700);
        Write(program + "/a.txt");
        Write(program + "/sub/b.swf");
        secret = root + "/outside/secret.txt";
        Write(secret);
        chosen = root + "/chosen/pick.png";
        Write(chosen);
        Write(root + "/chosen/other.png");
        if (::symlink("../outside", (program + "/out").c_str()) != 0 ||
            ::symlink(secret.c_str(), (program + "/sub/s").c_str()) != 0)
            std::abort();
        policy.programFolder = program + "/";
        policy.chosenFiles = {chosen};
        policy.localFilesAllowed = true;
    }
    static void Write(const std::string& path) {
        if (std::FILE* f = std::fopen(path.c_str(), "w")) {
            std::fputs("x", f);
            std::fclose(f);
        }
    }
};

bool Within(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Paths below the scratch folder unless the input starts with '!' (then it is the whole path).
    const std::string encoded =
        !input.empty() && input[0] == '!' ? input.substr(1) : scratch.root + "/" + input;
    std::string file;
    const SchemeAccess access = ResolveSchemePath(encoded, scratch.policy, file);
    if (access == SchemeAccess::Granted) {
        if (!Within(file, scratch.program) && file != scratch.chosen)
            std::abort();
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            std::abort();
    } else if (!file.empty()) {
        std::abort();
    }

    if (input.find('\0') == std::string::npos) {
        const std::string url = MakePlayerUrl(input);
        std::string decoded;
        if (!PercentDecodePath(url.substr(std::string(kPlayerOrigin).size()), decoded) ||
            decoded != input)
            std::abort();
    }
    ProjectImagePaths(scratch.program + "/p.pbf", input);
    return 0;
}
