// libFuzzer target: XML loading (text and file) and the queries the program makes.
#include "xml/XmlDocument.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace pennoria;

namespace {

std::string ScratchPath(const char* suffix) {
    static const std::string base = [] {
        std::random_device random;
        return "/tmp/pennoria-fuzz-xml-" + std::to_string(random());
    }();
    return base + suffix;
}

void AskWhatTheProgramAsks(CXmlDocument& doc) {
    std::string text;
    std::vector<std::string> list;
    int number = 720;
    doc.GetAttribute("invoke", "name", text);
    doc.SelectNodeTexts("//invoke/arguments/*", list);
    doc.GetNodeText("string", text);
    doc.GetNodeText("//skins/frame/LeftTop", text);
    doc.GetNodeText("//skins/button/Close", text);
    doc.GetAttributeInt("template", "demoWidth", number);
    doc.GetAttribute("template", "img", text);
    doc.GetAttribute("//template/component/info", "url", text);
    doc.SetAttributeAndSave("//template/component/info", "url", "res/template.swf");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    CXmlDocument doc;
    bool loaded;
    if (!input.empty() && input[0] == 'F') {
        // Through a file, so that byte-order marks and declared encodings are decoded.
        std::string path = ScratchPath(".in.xml");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << input.substr(1);
        loaded = doc.LoadFile(path);
        std::remove(path.c_str());
        // The remembered path is gone now; the save inside must fail harmlessly or recreate it.
    } else {
        loaded = doc.LoadText(input);
    }
    AskWhatTheProgramAsks(doc);
    std::remove(ScratchPath(".in.xml").c_str());
    if (!loaded)
        return 0;
    // Whatever loaded must save, and load again with the same root text.
    std::string before;
    doc.GetNodeText("/*", before);
    std::string path = ScratchPath(".out.xml");
    if (!doc.Save(path))
        std::abort();
    CXmlDocument again;
    if (!again.LoadFile(path))
        std::abort();
    std::remove(path.c_str());
    std::string after;
    again.GetNodeText("/*", after);
    if (before != after)
        std::abort();
    return 0;
}
