// The page template engine's variable table: names mapped to values, visited in a fixed order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pennoria {

// Maps a variable name to its value (both UTF-8, names compared case-sensitively). Setting an
// existing name replaces its value; setting a new name adds an entry.
//
// Iteration does not follow the order in which entries were set. The page variables come first
// in this order: MainSWF, CreatorSite, Creator, StylePath, ResourcePath, MovieHeight,
// Mosaiq_Footer, MovieWidth, AlbumTitle, EmbedTip, Encoding, Copyright, SponsorSite. Substitution
// walks the table in that order, so "$CreatorSite" is replaced as a whole before "$Creator" could
// take its first seven letters. Any other name follows them in descending byte order, which
// likewise puts every name before each name that is a prefix of it.
class TemplateVariables {
public:
    using Entry = std::pair<std::string, std::string>;
    using const_iterator = std::vector<Entry>::const_iterator;

    void Set(std::string_view name, std::string value);
    // The value of name, or nullptr when the table has no such entry.
    const std::string* Find(std::string_view name) const;
    // The value of name, empty when the table has no such entry.
    const std::string& Value(std::string_view name) const;
    void Clear() { m_entries.clear(); }

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

private:
    std::vector<Entry> m_entries; // kept in iteration order
};

} // namespace pennoria
