// The invoke codec over the XML document class.
#include "bridge/Invoke.h"

#include "xml/XmlDocument.h"

namespace pennoria {

const char* const kNoDefineCall = "NoDefine Call";

bool ParseInvokeRequest(const std::string& text, InvokeRequest& request, std::string& errorText) {
    CXmlDocument document;
    // A text that does not parse leaves an empty document, which has no invoke element.
    document.LoadText(text);
    request.name.clear();
    request.arguments.clear();
    if (document.GetAttribute("invoke", "name", request.name) != 0) {
        errorText = "no find [invoke] node in flash request xml ";
        return false;
    }
    // A failing selection leaves whatever arguments were collected.
    document.SelectNodeTexts("//invoke/arguments/*", request.arguments);
    return true;
}

namespace {
bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
} // namespace

void AppendXmlEscaped(std::string& out, std::string_view text) {
    // A text of white space alone would be dropped by the reader as formatting; a character
    // reference in front keeps it.
    bool onlySpace = !text.empty();
    for (char c : text)
        onlySpace = onlySpace && IsXmlSpace(c);
    if (onlySpace) {
        out += "&#" + std::to_string(static_cast<int>(text[0])) + ";";
        text.remove_prefix(1);
    }
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            // A bare carriage return would be folded into a line feed by the reader.
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
}

std::string EscapeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    AppendXmlEscaped(out, text);
    return out;
}

std::string BuildReply(std::string_view replyText) {
    std::string reply;
    reply.reserve(replyText.size() + 24);
    reply += "<string>";
    AppendXmlEscaped(reply, replyText);
    reply += "</string>";
    return reply;
}

std::string BuildInvokeCall(std::string_view function, const std::vector<std::string>& arguments) {
    std::string call;
    call += "<invoke name=\"";
    call += function; // the names are our own fixed words
    call += "\" returntype=\"xml\"><arguments>";
    for (const auto& argument : arguments) {
        call += "<string>";
        AppendXmlEscaped(call, argument);
        call += "</string>";
    }
    call += "</arguments></invoke>";
    return call;
}

std::string UnwrapStringResult(const std::string& result) {
    CXmlDocument document;
    document.LoadText(result);
    std::string text;
    document.GetNodeText("string", text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace pennoria
