// libFuzzer target: the rules for published file names. Three names (movie, page, project)
// separated by zero bytes; when the rules accept all three, they are plain names inside the
// folder, differ from each other and from every other output of the publish (case aside).
#include "platform/FileSystem.h"
#include "publish/PlayerBundle.h"
#include "publish/PublishManifest.h"
#include "publish/PublishRequest.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pennoria;

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> names(3);
    std::size_t at = 0;
    for (std::string& name : names) {
        const std::size_t cut = input.find('\0', at);
        name = input.substr(at, cut == std::string::npos ? std::string::npos : cut - at);
        at = cut == std::string::npos ? input.size() : cut + 1;
    }
    bool accepted = true;
    for (const std::string& name : names)
        accepted = accepted && IsPlainPublishName(name) &&
                   PublishNameCollision(name, names[0], names[1], names[2]).empty();
    if (!accepted)
        return 0;
    const std::string base = PublishBaseName(names[0]);
    const std::vector<std::string> others = {"res",
                                             "html5",
                                             kPlayerFolderName,
                                             "fs_aux.html",
                                             "swfobject.js",
                                             kPublishManifestName,
                                             base + "_html5.zip",
                                             base + "_backup.png"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = Lower(names[i]);
        if (name.find('/') != std::string::npos || name.find("..") != std::string::npos ||
            platform::IsTemporaryFileName(names[i]))
            std::abort();
        for (std::size_t j = i + 1; j < names.size(); ++j)
            if (name == Lower(names[j]))
                std::abort();
        for (const std::string& other : others)
            if (name == Lower(other))
                std::abort();
    }
    return 0;
}
