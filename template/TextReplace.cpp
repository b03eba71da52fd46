// Bounded replace-all shared by the expression evaluator and the template scanner.
#include "template/TextReplace.h"

namespace pennoria::template_detail {

bool ReplaceAll(std::string& text, std::string_view from, std::string_view to,
                std::size_t maxSize) {
    if (from.empty())
        return true;
    std::size_t at = text.find(from.data(), 0, from.size());
    if (at == std::string::npos)
        return true;
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    while (at != std::string::npos) {
        std::size_t kept = at - copied;
        if (result.size() + kept + to.size() > maxSize)
            return false;
        result.append(text, copied, kept);
        result.append(to.data(), to.size());
        copied = at + from.size();
        at = text.find(from.data(), copied, from.size());
    }
    if (result.size() + (text.size() - copied) > maxSize)
        return false;
    result.append(text, copied, std::string::npos);
    text.swap(result);
    return true;
}

} // namespace pennoria::template_detail
