// Fuzzes the page template scanner, conditional blocks and the expression evaluator together.
#include "template/Expression.h"
#include "template/PageTemplate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// An expression's result is always the decimal text of a 32-bit integer.
void CheckDecimal(const std::string& text) {
    Check(!text.empty() && text.size() <= 11);
    std::size_t digits = text[0] == '-' ? 1 : 0;
    Check(digits < text.size());
    Check(text[digits] != '0' || text.size() == digits + 1);
    for (std::size_t i = digits; i < text.size(); ++i)
        Check(text[i] >= '0' && text[i] <= '9');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);

    static pennoria::CPageTemplate* engine = [] {
        auto* created = new pennoria::CPageTemplate("banner.swf", 720, 540);
        pennoria::TemplateVariables& variables = created->Variables();
        variables.Set("MovieWidth", "720");
        variables.Set("MovieHeight", "540");
        variables.Set("AlbumTitle", "banner");
        variables.Set("Creator", "(2+3)");
        variables.Set("CreatorSite", "<%= Creator*2 ;%>");
        variables.Set("MainSWF", "$CreatorSite");
        variables.Set("Empty", "");
        return created;
    }();

    CheckDecimal(pennoria::EvaluateExpressionTag(input, engine->Variables()));
    CheckDecimal(pennoria::EvaluateExpressionTag("<%=" + input + ";%>", engine->Variables()));

    std::string page = engine->RenderTemplate(input);
    // Markup and scripts only ever shrink a template; variables and expressions are the only
    // growth, and the values above grow each reference by a bounded amount.
    Check(page.size() <= 32 * input.size() + 32);
    Check(engine->Output().empty());
    return 0;
}
