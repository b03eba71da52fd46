// CXmlDocument over pugixml: loading with encoding checks, XPath queries, atomic saving.
#include "xml/XmlDocument.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <pugixml.hpp>

#include <cctype>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace pennoria {

namespace {

// Comments, processing instructions, the declaration and the document type are kept so that a
// saved document loses nothing. A document type is stored as text and never interpreted, so no
// entity other than the five predefined ones and character references is ever expanded.
// Fragment mode keeps text outside the root element in the tree, so that it can be refused.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration |
                                   pugi::parse_doctype | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_fragment;

// Larger files are not documents this program reads.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequences.
bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// The highest code point in valid UTF-8 text.
std::uint32_t HighestCodePoint(std::string_view text) {
    std::uint32_t highest = 0;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if (c < 0xE0) {
            cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            len = 2;
        } else {
            cp = c < 0xF0 ? 0x800 : 0x10000; // a lower bound is enough for the callers
            len = c < 0xF0 ? 3 : 4;
        }
        if (cp > highest)
            highest = cp;
        i += len;
    }
    return highest;
}

std::string Lower(std::string text) {
    return platform::AsciiLower(text);
}

// The encoding named by an XML declaration at the very start of 8-bit text ("" when none).
// The declaration is read as name="value" pairs, the way the parser reads it.
std::string DeclaredEncoding(std::string_view bytes) {
    size_t at = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    if (bytes.substr(at, 5) != "<?xml")
        return {};
    at += 5;
    auto isSpace = [&](size_t i) {
        return i < bytes.size() &&
               (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n');
    };
    if (!isSpace(at))
        return {};
    for (;;) {
        while (isSpace(at))
            ++at;
        size_t nameStart = at;
        while (at < bytes.size() && !isSpace(at) && bytes[at] != '=' && bytes[at] != '?')
            ++at;
        std::string_view name = bytes.substr(nameStart, at - nameStart);
        if (name.empty())
            return {};
        while (isSpace(at))
            ++at;
        if (at >= bytes.size() || bytes[at] != '=')
            return {};
        ++at;
        while (isSpace(at))
            ++at;
        if (at >= bytes.size() || (bytes[at] != '"' && bytes[at] != '\''))
            return {};
        char quote = bytes[at++];
        size_t close = bytes.find(quote, at);
        if (close == std::string_view::npos)
            return {};
        if (name == "encoding")
            return Lower(std::string(bytes.substr(at, close - at)));
        at = close + 1;
    }
}

bool IsUtf8Name(const std::string& e) {
    return e == "utf-8" || e == "utf8";
}
bool IsAsciiName(const std::string& e) {
    return e == "us-ascii" || e == "ascii";
}
bool IsLatin1Name(const std::string& e) {
    return e == "iso-8859-1" || e == "latin1" || e == "latin-1" || e == "iso_8859-1" || e == "l1";
}
bool IsUtf16Name(const std::string& e) {
    return e == "utf-16" || e == "utf16";
}

// How the bytes of a file are to be decoded, or nothing when this program cannot decode them.
std::optional<pugi::xml_encoding> FileEncoding(std::string_view bytes) {
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    // Byte-order marks and the wide forms of "<?" identify UTF-16 and UTF-32 by themselves.
    if (starts(std::string_view("\xFF\xFE", 2)) || starts(std::string_view("\xFE\xFF", 2)) ||
        starts(std::string_view("\0\0\xFE\xFF", 4)) || starts(std::string_view("<\0?\0", 4)) ||
        starts(std::string_view("\0<\0?", 4)) || starts(std::string_view("<\0\0\0", 4)) ||
        starts(std::string_view("\0\0\0<", 4)))
        return pugi::encoding_auto;
    std::string declared = DeclaredEncoding(bytes);
    if (declared.empty() || IsUtf8Name(declared) || IsAsciiName(declared) ||
        IsUtf16Name(declared)) {
        // A file written as 8-bit text that calls itself UTF-16 is read as what it is.
        if (!IsValidUtf8(bytes))
            return std::nullopt;
        return pugi::encoding_utf8;
    }
    if (IsLatin1Name(declared))
        return pugi::encoding_latin1;
    return std::nullopt;
}

// Well-formed beyond what pugixml checks: exactly one root element and no text beside it (white
// space, kept when the parse keeps it, is layout).
bool HasSingleRoot(const pugi::xml_document& doc) {
    int elements = 0;
    for (pugi::xml_node child : doc.children()) {
        switch (child.type()) {
        case pugi::node_element:
            ++elements;
            break;
        case pugi::node_pcdata:
            if (std::string_view(child.value()).find_first_not_of(" \t\r\n") !=
                std::string_view::npos)
                return false;
            break;
        case pugi::node_cdata:
            return false;
        default:
            break;
        }
    }
    return elements == 1;
}

// Visits every node below root in document order, without recursion so that a deeply nested
// document cannot exhaust the stack; stops at the first node for which visit returns false.
template <typename Visit> bool VisitDescendants(const pugi::xml_node& root, Visit visit) {
    pugi::xml_node node = root.first_child();
    while (node) {
        if (!visit(node))
            return false;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling())
            node = node.parent();
        if (!node || node == root)
            break;
        node = node.next_sibling();
    }
    return true;
}

// No element carries the same attribute name twice.
bool HasUniqueAttributes(const pugi::xml_document& doc) {
    std::unordered_set<std::string_view> seen;
    auto unique = [&seen](const pugi::xml_node& node) {
        if (!node.first_attribute() || !node.first_attribute().next_attribute())
            return true;
        seen.clear();
        for (pugi::xml_attribute attribute : node.attributes())
            if (!seen.insert(attribute.name()).second)
                return false;
        return true;
    };
    const pugi::xml_node root = doc.document_element();
    return unique(root) && VisitDescendants(root, unique);
}

// How deep elements nest (the document element alone is depth 1), counted without recursion.
std::size_t NestingDepth(const pugi::xml_node& root) {
    std::size_t depth = 1;
    std::size_t deepest = 1;
    pugi::xml_node node = root.first_child();
    while (node) {
        ++depth;
        if (depth > deepest && node.type() == pugi::node_element)
            deepest = depth;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (!node || node == root)
            break;
        node = node.next_sibling();
        --depth;
    }
    return deepest;
}

// Beyond this depth the indentation of a saved document would grow with the square of its
// size, so deeper documents are written without it.
constexpr std::size_t kMaxIndentedDepth = 64;

const char* const kNotWellFormed = "the text is not well-formed XML";

// Parses into doc; on failure doc is empty and why says what was wrong.
bool Parse(pugi::xml_document& doc, const void* data, size_t size, pugi::xml_encoding encoding,
           std::string& why, unsigned options = kParseOptions) {
    pugi::xml_parse_result result = doc.load_buffer(data, size, options, encoding);
    why.clear();
    if (!result || !HasSingleRoot(doc) || !HasUniqueAttributes(doc))
        why = kNotWellFormed;
    else if (NestingDepth(doc.document_element()) > kMaxXmlNestingDepth)
        why = "its elements nest deeper than " + std::to_string(kMaxXmlNestingDepth) + " levels";
    if (!why.empty()) {
        doc.reset();
        return false;
    }
    return true;
}

// The concatenated character data of a node and everything below it, without recursion.
std::string TextContent(const pugi::xpath_node& match) {
    if (match.attribute())
        return match.attribute().value();
    pugi::xml_node root = match.node();
    if (root.type() == pugi::node_pcdata || root.type() == pugi::node_cdata ||
        root.type() == pugi::node_comment || root.type() == pugi::node_pi)
        return root.value();
    std::string text;
    VisitDescendants(root, [&text](const pugi::xml_node& node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            text += node.value();
        return true;
    });
    return text;
}

// Every match of query in document order; nothing when the query does not compile or does not
// give a node set.
std::optional<pugi::xpath_node_set> SelectAll(const pugi::xml_document& doc,
                                              const std::string& query) {
    try {
        pugi::xpath_query compiled(query.c_str());
        if (!compiled || compiled.return_type() != pugi::xpath_type_node_set)
            return std::nullopt;
        pugi::xpath_node_set set = compiled.evaluate_node_set(doc);
        set.sort();
        return set;
    } catch (const pugi::xpath_exception&) {
        return std::nullopt;
    }
}

// An attribute name the serializer can write back as well-formed XML. Non-ASCII letters are
// allowed as they come; ASCII must be a letter, digit or one of "_:-." (no digit, "-" or "."
// first).
bool IsXmlName(const std::string& name) {
    if (name.empty() || !IsValidUtf8(name))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80 || std::isalpha(c) || c == '_' || c == ':')
            continue;
        if (i > 0 && (std::isdigit(c) || c == '-' || c == '.'))
            continue;
        return false;
    }
    return true;
}

// String writer for pugixml's serializer.
class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
    std::string text;
};

std::string Serialize(const pugi::xml_document& doc, pugi::xml_encoding encoding) {
    StringWriter writer;
    unsigned flags = NestingDepth(doc.document_element()) > kMaxIndentedDepth
                         ? pugi::format_raw
                         : pugi::format_default;
    if (encoding == pugi::encoding_utf16_le)
        flags |= pugi::format_write_bom;
    doc.save(writer, "\t", flags, encoding);
    return std::move(writer.text);
}

// Makes every name and value of the document fit for XML 1.0 in UTF-8 (platform::ToXmlText): a
// character reference may have put a lone surrogate, a non-character or a control character into
// the tree, and this program never writes those. True when something was replaced.
bool MakeXmlText(pugi::xml_document& doc) {
    bool changed = false;
    auto fix = [&changed](const char* text, auto set) {
        if (!platform::IsXmlText(text)) {
            set(platform::ToXmlText(text).c_str());
            changed = true;
        }
    };
    VisitDescendants(doc, [&fix](pugi::xml_node node) {
        fix(node.name(), [&node](const char* v) { node.set_name(v); });
        fix(node.value(), [&node](const char* v) { node.set_value(v); });
        for (pugi::xml_attribute attribute : node.attributes()) {
            fix(attribute.name(), [&attribute](const char* v) { attribute.set_name(v); });
            fix(attribute.value(), [&attribute](const char* v) { attribute.set_value(v); });
        }
        return true;
    });
    return changed;
}

// A text read to be handed on: white space between elements is kept too.
bool ParseText(pugi::xml_document& doc, std::string_view text) {
    std::string why;
    return IsValidUtf8(text) && Parse(doc, text.data(), text.size(), pugi::encoding_utf8, why,
                                      kParseOptions | pugi::parse_ws_pcdata);
}

} // namespace

std::vector<std::string> SelectAttributeValues(std::string_view text, const std::string& query) {
    std::vector<std::string> values;
    pugi::xml_document doc;
    if (!ParseText(doc, text))
        return values;
    if (auto matches = SelectAll(doc, query))
        for (const pugi::xpath_node& match : *matches)
            if (match.attribute())
                values.emplace_back(match.attribute().value());
    return values;
}

std::optional<std::string>
RewriteAttributeValues(std::string_view text, const std::string& query,
                       const std::function<std::string(const std::string&)>& rewrite) {
    pugi::xml_document doc;
    if (!ParseText(doc, text))
        return std::nullopt;
    auto matches = SelectAll(doc, query);
    if (!matches)
        return std::nullopt;
    bool changed = false;
    for (const pugi::xpath_node& match : *matches) {
        pugi::xml_attribute attribute = match.attribute();
        if (!attribute)
            continue;
        const std::string value = rewrite(attribute.value());
        if (value == attribute.value())
            continue;
        if (!IsValidUtf8(value) || value.find('\0') != std::string::npos ||
            !attribute.set_value(value.c_str()))
            return std::nullopt;
        changed = true;
    }
    if (MakeXmlText(doc))
        changed = true;
    if (!changed)
        return std::string(text);
    StringWriter writer;
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.text);
}

CXmlDocument::CXmlDocument() : m_document(std::make_unique<pugi::xml_document>()) {}

CXmlDocument::~CXmlDocument() = default;

bool CXmlDocument::LoadFile(const std::string& path) {
    m_filePath = path;
    m_document = std::make_unique<pugi::xml_document>();
    auto bytes = platform::ReadWholeFile(path, nullptr, kMaxFileBytes);
    std::optional<pugi::xml_encoding> encoding;
    if (bytes)
        encoding = FileEncoding(*bytes);
    m_lastLoadError =
        !bytes ? "the file cannot be read" : "the file's encoding is not one this program reads";
    if (!bytes || !encoding ||
        !Parse(*m_document, bytes->data(), bytes->size(), *encoding, m_lastLoadError)) {
        platform::DebugOutput("Error while loading .xml");
        return false;
    }
    return true;
}

bool CXmlDocument::LoadText(const std::string& text) {
    m_document = std::make_unique<pugi::xml_document>();
    if (!IsValidUtf8(text)) {
        m_lastLoadError = "the text is not valid UTF-8";
        return false;
    }
    return Parse(*m_document, text.data(), text.size(), pugi::encoding_utf8, m_lastLoadError);
}

bool CXmlDocument::Save(const std::string& path) {
    m_lastSaveError.clear();
    std::string data;
    if (!SaveToText(data))
        return false;
    platform::FileResult written = platform::WriteFileAtomically(path, data);
    if (!written) {
        m_lastSaveError = written.error;
        return false;
    }
    return true;
}

bool CXmlDocument::SaveToText(std::string& data) {
    m_lastSaveError.clear();
    if (!m_document->document_element()) {
        m_lastSaveError = "no document to save";
        return false;
    }
    MakeXmlText(*m_document);
    pugi::xml_node declaration = m_document->first_child();
    if (declaration.type() != pugi::node_declaration)
        declaration = pugi::xml_node();
    pugi::xml_attribute encodingAttribute = declaration.attribute("encoding");
    std::string declared = Lower(encodingAttribute.value());

    data = Serialize(*m_document, pugi::encoding_utf8);
    bool keepDeclared = declared.empty() || IsUtf8Name(declared);
    if (IsUtf16Name(declared)) {
        data = Serialize(*m_document, pugi::encoding_utf16_le);
        keepDeclared = true;
    } else if (IsAsciiName(declared)) {
        keepDeclared = HighestCodePoint(data) < 0x80;
    } else if (IsLatin1Name(declared) && HighestCodePoint(data) < 0x100) {
        data = Serialize(*m_document, pugi::encoding_latin1);
        keepDeclared = true;
    }
    if (!keepDeclared) {
        // The declared encoding cannot hold the text (or is one this program does not write):
        // write UTF-8 and say so, rather than a file that contradicts its own declaration.
        std::string original = encodingAttribute.value();
        encodingAttribute.set_value("UTF-8");
        data = Serialize(*m_document, pugi::encoding_utf8);
        encodingAttribute.set_value(original.c_str());
    }
    return true;
}

int CXmlDocument::GetAttribute(const std::string& query, const std::string& name,
                               std::string& out) {
    out.clear();
    auto matches = SelectAll(*m_document, query);
    if (!matches)
        return -1;
    if (matches->empty())
        return 1;
    pugi::xml_node node = matches->first().node();
    if (matches->first().attribute() || node.type() != pugi::node_element)
        return 0; // a node without attributes at all
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute)
        return -1;
    out = attribute.value();
    return 0;
}

int CXmlDocument::GetAttributeInt(const std::string& query, const std::string& name, int& inOut) {
    std::string text;
    int result = GetAttribute(query, name, text);
    if (result != 0)
        return result;
    // As a C "%d" scan: white space, an optional sign, then digits up to the first non-digit.
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
        return result;
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // saturate instead of overflowing
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    inOut = static_cast<int>(value);
    return result;
}

int CXmlDocument::GetNodeText(const std::string& query, std::string& out) {
    auto matches = SelectAll(*m_document, query);
    if (!matches || matches->empty())
        return -1;
    out = TextContent(matches->first());
    return 0;
}

int CXmlDocument::SelectNodeTexts(const std::string& query, std::vector<std::string>& out) {
    auto matches = SelectAll(*m_document, query);
    if (!matches)
        return 1;
    out.clear();
    for (const pugi::xpath_node& match : *matches)
        out.push_back(TextContent(match));
    return 0;
}

int CXmlDocument::SetAttributeAndSave(const std::string& query, const std::string& name,
                                      const std::string& value) {
    auto matches = SelectAll(*m_document, query);
    if (!matches || matches->empty())
        return -1;
    pugi::xml_node node = matches->first().node();
    if (matches->first().attribute() || node.type() != pugi::node_element)
        return -1;
    if (!IsXmlName(name) || !IsValidUtf8(value))
        return -1;
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute)
        attribute = node.append_attribute(name.c_str());
    if (!attribute || !attribute.set_value(value.c_str()))
        return -1;
    if (m_filePath.empty() || !Save(m_filePath))
        return -1;
    return 0;
}

} // namespace pennoria
