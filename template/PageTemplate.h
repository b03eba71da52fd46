// The page template engine: turns a page template (.htt) into a web page for a published banner.
//
// A template is an HTML page with three additions:
//   - conditional blocks: <ca:if x="$Name"> A </ca:if> <ca:else> B </ca:else> emits A when the
//     variable Name has a non-empty value and B otherwise; blocks nest, the else block is optional
//     and refers to the if block closed last before it;
//   - variable references "$Name", replaced by the variable's value everywhere except in
//     "<% ... %>" script blocks, which become a single space;
//   - expression tags "<%= MovieWidth/2 ;%>" inside HTML tags, replaced by their integer result
//     (see template/Expression.h); in text and comments they stay as written.
// Templates are read as bytes; bytes 0x80 to 0xFF pass through unchanged, so a UTF-8 template
// gives a UTF-8 page. A zero byte ends the template.
#pragma once

#include "template/TemplateVariables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// The codes are fixed.
enum class TemplateTokenKind : int {
    Markup = 0,  // "<ca:..." or "</ca:...": the template language's own blocks, never emitted
    Tag = 1,     // any other tag, and an expression tag standing on its own
    Text = 2,    // a run of text, or a run of white space
    Script = 4,  // "<% ... %>" whose "<%" is not followed by "="
    Comment = 5, // "<!-- ... -->"
};

struct TemplateToken {
    std::string text;
    TemplateTokenKind kind = TemplateTokenKind::Text;
};

// The first expression tag in text: from the first "<%=" through the first ";%>" after it, as a
// view into text. Nothing when either is missing.
std::optional<std::string_view> FindExpressionTag(std::string_view text);

// The page's name as the AlbumTitle variable holds it: the text after the last "/" or "\" and
// before the last "."; empty when no "." follows the last separator.
std::string AlbumTitleFromPath(std::string_view pagePath);

class CPageTemplate {
public:
    // A width of 0 stands for 720 and a height of 0 for 540.
    CPageTemplate(std::string mainMovie, std::int32_t movieWidth, std::int32_t movieHeight);
    virtual ~CPageTemplate();

    // Generates the page at outputPath from the template at templatePath. False only when the
    // template does not exist; then nothing is written and no variable is set. The template is
    // only ever read. The page replaces any old one atomically: when it cannot be written, the
    // old page stays whole and LastWriteError says why.
    bool Generate(const std::string& templatePath, const std::string& outputPath);
    // The page Generate would write at outputPath, built in memory and not written. Nothing,
    // with the reason in error, when the template cannot be read or the page would be too large.
    std::optional<std::string> RenderPage(const std::string& templatePath,
                                          const std::string& outputPath, std::string* error);
    // Empty when the last Generate wrote its page (or wrote nothing because the template was
    // missing); otherwise "cannot write <path>: <reason>".
    const std::string& LastWriteError() const { return m_lastWriteError; }

    // The variables. Generate sets the thirteen page variables each time; between calls the
    // table keeps its entries.
    TemplateVariables& Variables() { return m_variables; }
    const TemplateVariables& Variables() const { return m_variables; }
    std::int32_t MovieWidth() const { return m_movieWidth; }
    std::int32_t MovieHeight() const { return m_movieHeight; }
    const std::string& MainMovie() const { return m_mainMovie; }

    // The steps of Generate, usable on text held in memory.
    //
    // Starts a template: the scanner points at its first byte (a zero byte ends it), the
    // condition stack holds one active entry and the output is empty. The result of the block
    // closed last carries over from the previous template.
    void BeginTemplate(std::string templateBytes);
    // Reads the next token and moves past it; false at the end of the template.
    bool ScanToken(TemplateToken& token);
    // Applies markup to the condition stack; hands any other token to EmitToken when its block
    // is active and drops it otherwise.
    void ProcessToken(const TemplateToken& token);
    // Substitutes variables and expression tags in one active token and appends it to the page.
    void EmitToken(const TemplateToken& token);
    // The page built so far.
    const std::string& Output() const { return m_output; }
    // Runs a whole template held in memory and hands back the page, leaving the output empty.
    std::string RenderTemplate(std::string templateBytes);
    // Writes the page built so far to outputPath (UTF-8, no byte-order mark), replacing any old
    // page atomically. False, with LastWriteError set, when that fails.
    bool WriteOutput(const std::string& outputPath);

private:
    void SetPageVariables(const std::string& outputPath);
    void RunTemplate(std::string templateBytes);
    void ResolveExpressionTags(std::string& text) const;

    std::string m_template; // the template's bytes up to its first zero byte
    std::size_t m_scan = 0; // scan position in m_template
    std::vector<bool> m_conditions;
    bool m_lastClosedResult = false; // the top of the stack when </ca:if> last closed a block
    TemplateVariables m_variables;
    std::string m_output;
    bool m_pageTooLarge = false;
    std::int32_t m_movieWidth;
    std::int32_t m_movieHeight;
    std::string m_mainMovie;
    std::string m_lastWriteError;
};

} // namespace pennoria
