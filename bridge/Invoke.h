// The invoke message: requests from the editor movie, calls into it, replies and results.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// One request from the movie: the command name as written and the text of each argument.
struct InvokeRequest {
    std::string name;
    std::vector<std::string> arguments;
};

// The reply text a handled command leaves when it produces no value of its own.
extern const char* const kNoDefineCall; // "NoDefine Call"

// Parses a request. A text that is not XML, or has no "invoke" document element with a "name"
// attribute, fails with errorText set; arguments are the text content of every element below
// "invoke/arguments", in document order ("<true/>" gives "").
bool ParseInvokeRequest(const std::string& text, InvokeRequest& request, std::string& errorText);

// Text escaped for XML character data or attribute values, so that a parser gives back exactly
// the same text: '&', '<', '>', '"' become entities, a carriage return a character reference,
// and a text of white space alone starts with a character reference.
std::string EscapeXmlText(std::string_view text);
void AppendXmlEscaped(std::string& out, std::string_view text);

// The reply for a handled request: "<string>" + escaped reply text + "</string>".
std::string BuildReply(std::string_view replyText);

// A call into the movie: <invoke name="F" returntype="xml"><arguments><string>A1</string>...
// </arguments></invoke>, each argument escaped.
std::string BuildInvokeCall(std::string_view function, const std::vector<std::string>& arguments);

// The text of a movie result's "string" document element (empty when there is none), with
// every backslash-'n' pair turned into a line feed.
std::string UnwrapStringResult(const std::string& result);

} // namespace pennoria
