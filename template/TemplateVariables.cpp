// The variable table with its fixed iteration order.
#include "template/TemplateVariables.h"

#include <algorithm>
#include <array>

namespace pennoria {

namespace {

constexpr std::array<std::string_view, 13> kPageVariableOrder = {
    "MainSWF",     "CreatorSite",   "Creator",     "StylePath",  "ResourcePath",
    "MovieHeight", "Mosaiq_Footer", "MovieWidth",  "AlbumTitle", "EmbedTip",
    "Encoding",    "Copyright",     "SponsorSite",
};

// The position of a page variable in the fixed order, or the count for any other name.
std::size_t PageVariableRank(std::string_view name) {
    auto it = std::find(kPageVariableOrder.begin(), kPageVariableOrder.end(), name);
    return static_cast<std::size_t>(it - kPageVariableOrder.begin());
}

// True when a is visited before b.
bool VisitedBefore(std::string_view a, std::string_view b) {
    std::size_t rankA = PageVariableRank(a);
    std::size_t rankB = PageVariableRank(b);
    if (rankA != rankB)
        return rankA < rankB;
    return a > b; // other names: descending byte order, longer names before their prefixes
}

} // namespace

void TemplateVariables::Set(std::string_view name, std::string value) {
    auto at = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& entry) { return !VisitedBefore(entry.first, name); });
    if (at != m_entries.end() && at->first == name) {
        at->second = std::move(value);
        return;
    }
    m_entries.insert(at, Entry(std::string(name), std::move(value)));
}

const std::string* TemplateVariables::Find(std::string_view name) const {
    for (const Entry& entry : m_entries)
        if (entry.first == name)
            return &entry.second;
    return nullptr;
}

const std::string& TemplateVariables::Value(std::string_view name) const {
    static const std::string kEmpty;
    const std::string* value = Find(name);
    return value ? *value : kEmpty;
}

} // namespace pennoria
