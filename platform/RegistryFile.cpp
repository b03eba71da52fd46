// The hive's keys and values in memory, and the reading and writing of its text file.
#include "platform/RegistryFile.h"

#include "platform/Text.h"

#include <cstdio>

namespace pennoria::platform {

const char* const kCurrentUserRootName = "HKEY_CURRENT_USER";

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
// Hex data lines are wrapped near this width, as the usual exports do.
constexpr std::size_t kHexLineWidth = 77;
// The readable copy of a text written as hex bytes is cut after this many characters.
constexpr std::size_t kMaxCommentCodePoints = 200;

bool HasControlCharacter(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

bool IsValidUtf8(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

// ---- Parsing --------------------------------------------------------------------------------

// Walks the text one line at a time; knows whether the line just returned had its line break.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    bool Next(std::string_view& line) {
        if (m_pos >= m_text.size())
            return false;
        std::size_t end = m_text.find('\n', m_pos);
        m_terminated = end != std::string_view::npos;
        if (!m_terminated)
            end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = end + 1;
        ++m_number;
        return true;
    }
    bool Terminated() const { return m_terminated; }
    std::size_t Number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_number = 0;
    bool m_terminated = true;
};

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Reads a double-quoted text at the start of text (escapes \\ and \"); advances past it.
bool ReadQuoted(std::string_view& text, std::string& out) {
    if (text.empty() || text.front() != '"')
        return false;
    out.clear();
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                return false;
            c = text[++i];
        }
        out += c;
    }
    return false; // no closing quote: the line was cut
}

class Parser {
public:
    Parser(std::string_view text, RegistryTree& tree) : m_lines(text), m_tree(tree) {}

    bool Run(std::string& error) {
        std::string_view line;
        if (!m_lines.Next(line) || TrimView(line) != kHeader)
            return Fail(error, "the header line is missing");
        while (m_lines.Next(line)) {
            std::string_view trimmed = TrimView(line);
            if (trimmed.empty() || trimmed.front() == ';')
                continue;
            bool ok = trimmed.front() == '[' ? KeyLine(trimmed) : ValueLine(trimmed);
            if (!ok)
                return Fail(error, m_reason.empty() ? "malformed line" : m_reason);
        }
        return true;
    }

private:
    bool Fail(std::string& error, const std::string& reason) {
        error = "line " + std::to_string(m_lines.Number()) + ": " + reason;
        return false;
    }
    bool Reason(const char* reason) {
        m_reason = reason;
        return false;
    }

    bool KeyLine(std::string_view line) {
        if (line.back() != ']')
            return Reason("a key line without its closing bracket");
        std::string_view inner = line.substr(1, line.size() - 2);
        bool remove = !inner.empty() && inner.front() == '-';
        if (remove)
            inner.remove_prefix(1);
        std::size_t slash = inner.find('\\');
        std::string_view root = inner.substr(0, slash);
        if (!EqualsIgnoreCase(root, kCurrentUserRootName))
            return Reason("a key outside HKEY_CURRENT_USER");
        std::string_view path =
            slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
        if (slash != std::string_view::npos && path.empty())
            return Reason("an empty key name");
        if (!IsValidKeyPath(path))
            return Reason("an invalid key name");
        if (remove) {
            RemoveTree(path);
            m_current = nullptr;
        } else {
            m_current = &m_tree.Create(path); // map nodes stay where they are as keys are added
        }
        return true;
    }

    void RemoveTree(std::string_view path) {
        // The keys below a path follow it directly in the path order.
        std::string lower = AsciiLower(path);
        std::vector<std::string> doomed;
        const auto& keys = m_tree.Keys();
        if (!lower.empty() && keys.count(lower))
            doomed.push_back(keys.find(lower)->second.path);
        const std::string below = lower.empty() ? lower : lower + "\\";
        for (auto it = keys.lower_bound(below);
             it != keys.end() && it->first.compare(0, below.size(), below) == 0; ++it)
            if (!it->first.empty())
                doomed.push_back(it->second.path);
        for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
            m_tree.Remove(*it);
    }

    bool ValueLine(std::string_view line) {
        if (!m_current)
            return Reason("a value outside any key");
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (!ReadQuoted(line, name)) {
            return Reason("a value name without its closing quote");
        }
        if (!IsValidValueName(name))
            return Reason("an invalid value name");
        line = TrimView(line);
        if (line.empty() || line.front() != '=')
            return Reason("a value without '='");
        line = TrimView(line.substr(1));

        if (line == "-") {
            m_current->DeleteValue(name);
            return true;
        }
        if (!line.empty() && line.front() == '"') {
            std::string text;
            if (!ReadQuoted(line, text) || !TrimView(line).empty())
                return Reason("a malformed text value");
            std::string data = Utf16ToLittleEndianBytes(Utf8ToUtf16(text));
            data.append(2, '\0');
            return Store(name, kRegSz, std::move(data));
        }
        if (line.substr(0, 6) == "dword:") {
            std::string_view digits = line.substr(6);
            // A cut file may end inside the digits: the last line must hold all eight.
            if (digits.empty() || digits.size() > 8 ||
                (!m_lines.Terminated() && digits.size() != 8))
                return Reason("a malformed dword value");
            std::uint32_t value = 0;
            for (char c : digits) {
                int d = HexDigit(c);
                if (d < 0)
                    return Reason("a malformed dword value");
                value = (value << 4) | static_cast<std::uint32_t>(d);
            }
            std::string data;
            for (int i = 0; i < 4; ++i)
                data += static_cast<char>((value >> (8 * i)) & 0xFF);
            return Store(name, kRegDword, std::move(data));
        }
        if (line.substr(0, 3) == "hex") {
            std::uint32_t type = kRegBinary;
            line.remove_prefix(3);
            if (!line.empty() && line.front() == '(') {
                std::size_t close = line.find(')');
                if (close == std::string_view::npos || close < 2 || close > 9)
                    return Reason("a malformed value type");
                type = 0;
                for (char c : line.substr(1, close - 1)) {
                    int d = HexDigit(c);
                    if (d < 0)
                        return Reason("a malformed value type");
                    type = (type << 4) | static_cast<std::uint32_t>(d);
                }
                line.remove_prefix(close + 1);
            }
            if (line.empty() || line.front() != ':')
                return Reason("a malformed hex value");
            line.remove_prefix(1);
            std::string data;
            if (!HexBytes(line, data))
                return false;
            return Store(name, type, std::move(data));
        }
        return Reason("a value of unknown form");
    }

    // Reads comma-separated two-digit hex bytes, following continuation lines ending in '\'.
    bool HexBytes(std::string_view line, std::string& data) {
        for (;;) {
            line = TrimView(line);
            bool more = !line.empty() && line.back() == '\\';
            if (more)
                line = TrimView(line.substr(0, line.size() - 1));
            if (!more && !m_lines.Terminated())
                return Reason("hex data cut short at the end of the file");
            std::size_t i = 0;
            while (i < line.size()) {
                if (i + 2 > line.size())
                    return Reason("malformed hex data");
                int high = HexDigit(line[i]), low = HexDigit(line[i + 1]);
                if (high < 0 || low < 0)
                    return Reason("malformed hex data");
                if (data.size() >= kMaxValueDataSize)
                    return Reason("a value larger than the limit");
                data += static_cast<char>(high * 16 + low);
                i += 2;
                if (i < line.size()) {
                    if (line[i] != ',')
                        return Reason("malformed hex data");
                    ++i;
                    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                        ++i;
                    // Only a continuation may follow a trailing comma.
                    if (i == line.size() && !more)
                        return Reason("malformed hex data");
                }
            }
            if (!more)
                return true;
            if (!m_lines.Next(line))
                return Reason("hex data cut short at the end of the file");
        }
    }

    bool Store(const std::string& name, std::uint32_t type, std::string data) {
        if (data.size() > kMaxValueDataSize)
            return Reason("a value larger than the limit");
        m_current->SetValue(name, type, std::move(data));
        return true;
    }

    LineReader m_lines;
    RegistryTree& m_tree;
    RegistryKey* m_current = nullptr;
    std::string m_reason;
};

// ---- Formatting -----------------------------------------------------------------------------

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// A text value that the "text" form gives back byte for byte: UTF-16 ending in exactly one
// zero, with no other zero, no unpaired surrogate and no control character.
bool AsQuotedText(const RegistryValue& value, std::string& text) {
    if (value.type != kRegSz || value.data.size() < 2 || value.data.size() % 2 != 0)
        return false;
    std::u16string units = Utf16FromLittleEndianBytes(value.data);
    if (units.back() != 0)
        return false;
    units.pop_back();
    for (char16_t unit : units)
        if (unit < 0x20 || unit == 0x7F)
            return false;
    text = Utf16ToUtf8(units);
    return Utf16ToLittleEndianBytes(Utf8ToUtf16(text)) + std::string(2, '\0') == value.data;
}

// A readable copy of a text stored as hex bytes, for whoever opens the file.
std::string CommentFor(const RegistryValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz)
        return {};
    std::u16string units = Utf16FromLittleEndianBytes(value.data);
    while (!units.empty() && units.back() == 0)
        units.pop_back();
    std::string text = Utf16ToUtf8(units);
    std::size_t keep = PrefixBytesForCodePoints(text, kMaxCommentCodePoints);
    bool cut = keep < text.size();
    text.resize(keep);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return "; " + (value.name.empty() ? std::string("@") : value.name) + ": " + text +
           (cut ? "..." : "") + "\n";
}

void AppendValue(std::string& out, const RegistryValue& value) {
    std::string line = value.name.empty() ? std::string("@") : Quote(value.name);
    line += '=';
    std::string text;
    if (AsQuotedText(value, text)) {
        out += line + Quote(text) + "\n";
        return;
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", v);
        out += line + "dword:" + digits + "\n";
        return;
    }
    out += CommentFor(value);
    if (value.type == kRegBinary) {
        line += "hex:";
    } else {
        char type[16];
        std::snprintf(type, sizeof type, "hex(%x):", value.type);
        line += type;
    }
    static const char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        auto byte = static_cast<unsigned char>(value.data[i]);
        line += kDigits[byte >> 4];
        line += kDigits[byte & 15];
        if (i + 1 < value.data.size()) {
            line += ',';
            if (line.size() >= kHexLineWidth) {
                out += line + "\\\n";
                line = "  ";
            }
        }
    }
    out += line + "\n";
}

} // namespace

// ---- Keys and the tree ----------------------------------------------------------------------

RegistryValue* RegistryKey::FindValue(std::string_view name) {
    auto found = m_index.find(AsciiLower(name));
    return found == m_index.end() ? nullptr : &values[found->second];
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
    return const_cast<RegistryKey*>(this)->FindValue(name);
}

void RegistryKey::SetValue(std::string_view name, std::uint32_t type, std::string data) {
    auto [found, added] = m_index.emplace(AsciiLower(name), values.size());
    if (!added) {
        values[found->second].type = type;
        values[found->second].data = std::move(data);
        return;
    }
    values.push_back({std::string(name), type, std::move(data)});
}

bool RegistryKey::DeleteValue(std::string_view name) {
    auto found = m_index.find(AsciiLower(name));
    if (found == m_index.end())
        return false;
    const std::size_t at = found->second;
    m_index.erase(found);
    if (at + 1 != values.size()) {
        values[at] = std::move(values.back());
        m_index[AsciiLower(values[at].name)] = at;
    }
    values.pop_back();
    return true;
}

RegistryTree::RegistryTree() {
    m_keys.emplace(std::string(), RegistryKey{});
}

RegistryKey* RegistryTree::Find(std::string_view path) {
    auto it = m_keys.find(AsciiLower(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const RegistryKey* RegistryTree::Find(std::string_view path) const {
    return const_cast<RegistryTree*>(this)->Find(path);
}

RegistryKey& RegistryTree::Create(std::string_view path) {
    auto existing = m_keys.find(AsciiLower(path));
    if (existing != m_keys.end())
        return existing->second;
    RegistryKey* parent = &m_keys.find(std::string())->second;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find('\\', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        std::string_view prefix = path.substr(0, slash);
        std::string lower = AsciiLower(prefix);
        auto it = m_keys.find(lower);
        if (it == m_keys.end()) {
            RegistryKey key;
            key.path = JoinKeyPath(parent->path, path.substr(start, slash - start));
            it = m_keys.emplace(lower, std::move(key)).first;
        }
        parent = &it->second;
        start = slash + 1;
    }
    return *parent;
}

bool RegistryTree::Remove(std::string_view path) {
    if (path.empty())
        return false;
    return m_keys.erase(AsciiLower(path)) > 0;
}

bool RegistryTree::operator==(const RegistryTree& other) const {
    if (m_keys.size() != other.m_keys.size())
        return false;
    for (auto a = m_keys.begin(), b = other.m_keys.begin(); a != m_keys.end(); ++a, ++b) {
        if (a->first != b->first || a->second.path != b->second.path ||
            a->second.values.size() != b->second.values.size())
            return false;
        for (std::size_t i = 0; i < a->second.values.size(); ++i) {
            const auto &x = a->second.values[i], &y = b->second.values[i];
            if (x.name != y.name || x.type != y.type || x.data != y.data)
                return false;
        }
    }
    return true;
}

bool IsValidKeyPath(std::string_view path) {
    if (path.empty())
        return true;
    if (path.size() > kMaxKeyPathLength || HasControlCharacter(path) || !IsValidUtf8(path))
        return false;
    std::size_t start = 0;
    for (std::size_t levels = 1;; ++levels) {
        if (levels > kMaxKeyDepth)
            return false;
        std::size_t slash = path.find('\\', start);
        std::size_t end = slash == std::string_view::npos ? path.size() : slash;
        if (end == start || end - start > kMaxKeyNameLength)
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

bool IsValidValueName(std::string_view name) {
    return name.size() <= kMaxValueNameLength && !HasControlCharacter(name) && IsValidUtf8(name);
}

std::string JoinKeyPath(std::string_view parent, std::string_view child) {
    if (parent.empty())
        return std::string(child);
    if (child.empty())
        return std::string(parent);
    return std::string(parent) + "\\" + std::string(child);
}

bool ParseRegistryText(std::string_view text, RegistryTree& tree, std::string* error) {
    std::string reason;
    auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        return false;
    };
    if (text.size() > kMaxHiveFileSize)
        return fail("the file is larger than the limit");
    std::string converted;
    if (text.substr(0, 2) == "\xFF\xFE") { // a UTF-16 export
        text.remove_prefix(2);
        if (text.size() % 2 != 0)
            return fail("UTF-16 text of odd length");
        converted = Utf16ToUtf8(Utf16FromLittleEndianBytes(text));
        text = converted;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    if (text.find('\0') != std::string_view::npos)
        return fail("a zero byte in the text");
    if (!IsValidUtf8(text))
        return fail("text that is not UTF-8");
    tree = RegistryTree();
    Parser parser(text, tree);
    if (!parser.Run(reason))
        return fail(reason);
    return true;
}

std::string FormatRegistryText(const RegistryTree& tree) {
    std::string out(kHeader);
    out += "\n";
    for (const auto& [lower, key] : tree.Keys()) {
        if (lower.empty() && key.values.empty())
            continue;
        out += "\n[";
        out += kCurrentUserRootName;
        if (!key.path.empty())
            out += "\\" + key.path;
        out += "]\n";
        for (const auto& value : key.values)
            AppendValue(out, value);
    }
    return out;
}

} // namespace pennoria::platform
