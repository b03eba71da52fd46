// CXmlDocument: the one XML document class: load from a file or text, path queries, save.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
}

namespace pennoria {

// A parsed XML document and the path it was loaded from. Queries are XPath 1.0 expressions
// evaluated against the document node: a bare name ("template") selects the root element when it
// has that name, "//skins/frame/Top" any such element, "//invoke/arguments/*" all children.
//
// Result codes of the queries: 0 found, 1 no node matched, -1 no such attribute or a failure.
// Nothing here throws for bad input; running out of memory is the one exception that escapes.
// Documents whose elements nest deeper than this are refused when loaded.
constexpr std::size_t kMaxXmlNestingDepth = 256;

class CXmlDocument {
public:
    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Remembers path (even when the load then fails) and parses the file into a new document.
    // The encoding comes from a byte-order mark or the XML declaration (UTF-8, UTF-16, UTF-32,
    // ISO-8859-1); a file in any other declared encoding, or not well-formed, is refused with
    // "Error while loading .xml" on the debug channel.
    bool LoadFile(const std::string& path);
    // Parses UTF-8 text into a new document; the remembered path stays as it was. The text is
    // already decoded, so an encoding named in its declaration does not change how it is read.
    bool LoadText(const std::string& text);
    // Why the last failed load failed, one line ("the text is not well-formed XML").
    const std::string& LastLoadError() const { return m_lastLoadError; }
    // Replaces the file at path atomically with the document. Written in the encoding the
    // declaration names when it can represent every character, otherwise (and when none is
    // named) as UTF-8 with the declaration saying so. False without a document element.
    bool Save(const std::string& path);
    // The bytes Save would write; false without a document element.
    bool SaveToText(std::string& data);
    // Why the last failed Save failed, one line.
    const std::string& LastSaveError() const { return m_lastSaveError; }

    // out is emptied; 0: the first match has the attribute (out = value) or is not an element;
    // 1: no match; -1: no such attribute, or the query failed.
    int GetAttribute(const std::string& query, const std::string& name, std::string& out);
    // As GetAttribute; on 0 a leading decimal number ("800px" gives 800) is stored in inOut,
    // which otherwise keeps its value.
    int GetAttributeInt(const std::string& query, const std::string& name, int& inOut);
    // 0: out = text content of the first match (all character data below it); -1: no match or
    // a failed query, out untouched.
    int GetNodeText(const std::string& query, std::string& out);
    // 0: out = text content of every match in document order; 1: the query failed, out untouched.
    int SelectNodeTexts(const std::string& query, std::vector<std::string>& out);
    // Sets the attribute on the first matching element, then saves to the remembered path.
    // 0 only when both succeed; the change stays in memory even when the save fails.
    int SetAttributeAndSave(const std::string& query, const std::string& name,
                            const std::string& value);

private:
    std::string m_filePath;
    std::unique_ptr<pugi::xml_document> m_document;
    std::string m_lastSaveError;
    std::string m_lastLoadError;
};

// Texts handed on, such as a project text on its way to a published file: a few attributes are
// read or rewritten and everything else (white space, comments, the declaration) stays as written.
// Both refuse text that is not well-formed UTF-8 XML, as CXmlDocument::LoadText does.

// The values of the attributes an XPath query selects ("/*/elements/image/@src"), in document
// order; nothing when the text is refused or the query does not select a node set.
std::vector<std::string> SelectAttributeValues(std::string_view text, const std::string& query);

// Sets every attribute the query selects to rewrite(its value), in document order, and returns
// the text written again as UTF-8 without indentation and without an added declaration; the text
// itself when no value changed; nothing when the text is refused, the query fails or a new value
// is not valid UTF-8.
std::optional<std::string>
RewriteAttributeValues(std::string_view text, const std::string& query,
                       const std::function<std::string(const std::string&)>& rewrite);

} // namespace pennoria
