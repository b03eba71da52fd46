// libFuzzer target: the HTML5 creative writer, from a project text. Whatever the project says,
// the page's scripts stay scripts (nothing in the text closes them), the project text embedded in
// the page reads back as the project the creative was given, every src and href of the page names
// a file of the zip, and clickTag is empty or an http, https or mailto address.
#include "platform/Text.h"
#include "publish/Html5Creative.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

using namespace pennoria;

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The JavaScript string literal at text[at] (a double quote), decoded; nothing when it is not
// one that ends before the end of the text.
std::optional<std::string> ScriptLiteral(const std::string& text, std::size_t at) {
    if (at >= text.size() || text[at] != '"')
        return std::nullopt;
    std::string out;
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return out;
        if (c == '\n' || c == '\r')
            return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        const char e = text[i];
        if (e == 'n') {
            out += '\n';
        } else if (e == 'r') {
            out += '\r';
        } else if (e == 't') {
            out += '\t';
        } else if (e == 'u' || e == 'x') {
            const std::size_t digits = e == 'u' ? 4 : 2;
            unsigned value = 0;
            for (std::size_t k = 1; k <= digits; ++k) {
                if (i + k >= text.size() || hex(text[i + k]) < 0)
                    return std::nullopt;
                value = value * 16 + static_cast<unsigned>(hex(text[i + k]));
            }
            i += digits;
            // Back to UTF-8; a surrogate pair arrives as two escapes.
            if (value >= 0xD800 && value <= 0xDBFF && i + 6 < text.size() && text[i + 1] == '\\' &&
                text[i + 2] == 'u') {
                unsigned low = 0;
                for (std::size_t k = 3; k <= 6; ++k)
                    low = low * 16 + static_cast<unsigned>(std::max(0, hex(text[i + k])));
                value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
            if (value < 0x80) {
                out += static_cast<char>(value);
            } else if (value < 0x800) {
                out += static_cast<char>(0xC0 | (value >> 6));
                out += static_cast<char>(0x80 | (value & 0x3F));
            } else if (value < 0x10000) {
                out += static_cast<char>(0xE0 | (value >> 12));
                out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (value & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (value >> 18));
                out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (value & 0x3F));
            }
        } else {
            out += e; // \" \\ \/ \' and the like
        }
    }
    return std::nullopt;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string project(reinterpret_cast<const char*>(data), size);
    std::map<std::string, std::string> files;
    CreativeInput input;
    input.projectXml = project;
    input.creativeScript = "/* creative */";
    input.baseName = "banner";
    input.write = [&files](const std::string& path, std::string_view bytes) {
        files[path] = std::string(bytes);
        return platform::FileResult::Success();
    };
    input.remove = [&files](const std::string& path) { files.erase(path); };
    input.list = [](const std::string&) { return std::vector<std::string>(); };
    const CreativeReport report = WriteHtml5Creative(input, {});
    if (!report.result)
        return 0;
    auto page = files.find("html5/index.html");
    if (page == files.end())
        std::abort();
    const std::string& html = page->second;
    const std::string lower = Lower(html);

    // The page's own four scripts, none closed early by the text inside.
    if (Count(lower, "<script") != Count(lower, "</script") || Count(lower, "<!--") != 0)
        std::abort();
    // The project text reads back.
    const std::string projectVariable = "var pennoriaProject = ";
    const std::size_t at = html.find(projectVariable);
    const auto embedded =
        at == std::string::npos ? std::nullopt : ScriptLiteral(html, at + projectVariable.size());
    if (!embedded)
        std::abort();
    // A picture reference is renamed to the creative's file; nothing else changes.
    if (*embedded != project && project.find("image") == std::string::npos &&
        project.find("&#") == std::string::npos && platform::IsXmlText(project))
        std::abort();
    // clickTag: empty, or a web or mail address.
    const std::string clickVariable = "var clicktag = ";
    const std::size_t click = lower.find(clickVariable);
    const auto link = click == std::string::npos
                          ? std::nullopt
                          : ScriptLiteral(html, click + clickVariable.size());
    if (!link)
        std::abort();
    const std::string scheme = Lower(link->substr(0, link->find(':') + 1));
    if (!link->empty() && scheme != "http:" && scheme != "https:" && scheme != "mailto:")
        std::abort();
    // Every src and href names a file of the creative.
    for (const std::string attribute : {" src=\"", " href=\""}) {
        for (std::size_t a = lower.find(attribute); a != std::string::npos;
             a = lower.find(attribute, a + 1)) {
            const std::size_t start = a + attribute.size();
            const std::string name = html.substr(start, html.find('"', start) - start);
            if (files.count("html5/" + name) == 0)
                std::abort();
        }
    }
    return 0;
}
