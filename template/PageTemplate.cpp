// The template scanner, conditional blocks, substitution and page generation.
#include "template/PageTemplate.h"

#include "core/Strings.h"
#include "platform/FileSystem.h"
#include "template/Expression.h"
#include "template/TextReplace.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace pennoria {

namespace {

// Real templates are a few kilobytes. The ceilings keep a runaway template (or one whose
// variable references multiply it) from exhausting memory.
constexpr std::uint64_t kMaxTemplateBytes = std::uint64_t{64} << 20;
constexpr std::size_t kMaxPageBytes = std::size_t{256} << 20;

constexpr std::int32_t kDefaultMovieWidth = 720;
constexpr std::int32_t kDefaultMovieHeight = 540;

bool IsTemplateSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The condition name of an opening "<ca:if" markup: the letters after the first double quote
// and the character following it (the "$" of the reference). Digits, "_" and anything else end
// the name. The name is taken whole however long it is, so a long variable name works as a
// condition like any other.
std::string_view ConditionName(std::string_view markup) {
    std::size_t quote = markup.find('"');
    if (quote == std::string_view::npos || quote + 2 >= markup.size())
        return {};
    std::size_t begin = quote + 2;
    std::size_t end = begin;
    while (end < markup.size() && IsAsciiLetter(markup[end]))
        ++end;
    return markup.substr(begin, end - begin);
}

// The year now, in UTC, from the days since 1970-01-01 (proleptic Gregorian calendar).
int CurrentYear() {
    using namespace std::chrono;
    auto days = duration_cast<hours>(system_clock::now().time_since_epoch()).count() / 24;
    long long z = days + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long dayOfEra = z - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long monthIndex = (5 * dayOfYear + 2) / 153; // 0 is March
    return static_cast<int>(yearOfEra + era * 400 + (monthIndex >= 10 ? 1 : 0));
}

} // namespace

std::optional<std::string_view> FindExpressionTag(std::string_view text) {
    std::size_t open = text.find("<%=");
    if (open == std::string_view::npos)
        return std::nullopt;
    std::size_t close = text.find(";%>", open + 3);
    if (close == std::string_view::npos)
        return std::nullopt;
    return text.substr(open, close + 3 - open);
}

std::string AlbumTitleFromPath(std::string_view pagePath) {
    // Both separators count, so a path written either way gives the page's own name.
    std::size_t slash = pagePath.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? pagePath : pagePath.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return std::string(name.substr(0, dot));
}

CPageTemplate::CPageTemplate(std::string mainMovie, std::int32_t movieWidth,
                             std::int32_t movieHeight)
    : m_movieWidth(movieWidth == 0 ? kDefaultMovieWidth : movieWidth),
      m_movieHeight(movieHeight == 0 ? kDefaultMovieHeight : movieHeight),
      m_mainMovie(std::move(mainMovie)) {}

CPageTemplate::~CPageTemplate() = default;

void CPageTemplate::SetPageVariables(const std::string& outputPath) {
    m_variables.Set("Mosaiq_Footer", LoadAppString(IDS_CREATED_BY));
    m_variables.Set("Copyright", "Copyright (C) " + std::to_string(CurrentYear()) + " Pennoria");
    m_variables.Set("Encoding", "UTF-8");
    m_variables.Set("ResourcePath", "res");
    m_variables.Set("StylePath", "res/styles.css");
    m_variables.Set("CreatorSite", "https://pennoria.org/slidora/");
    m_variables.Set("SponsorSite", "https://pennoria.org/");
    m_variables.Set("Creator", "Slidora");
    m_variables.Set("AlbumTitle", AlbumTitleFromPath(outputPath));
    m_variables.Set("MovieWidth", std::to_string(m_movieWidth));
    m_variables.Set("MovieHeight", std::to_string(m_movieHeight));
    m_variables.Set("MainSWF", m_mainMovie);
    m_variables.Set("EmbedTip", LoadAppString(IDS_EMBED_TIP));
}

bool CPageTemplate::Generate(const std::string& templatePath, const std::string& outputPath) {
    m_lastWriteError.clear();
    if (!platform::PathExists(templatePath))
        return false;
    SetPageVariables(outputPath);

    // The template is only read, never opened for writing: it usually sits in the read-only
    // program folder, and it must stay intact whatever happens to this process.
    std::string error;
    auto bytes = platform::ReadWholeFile(templatePath, &error, kMaxTemplateBytes);
    if (!bytes) {
        m_lastWriteError = "cannot write " + outputPath + ": cannot read the template " +
                           templatePath + ": " + error;
        return true;
    }
    RunTemplate(std::move(*bytes));
    if (m_pageTooLarge)
        m_lastWriteError = "cannot write " + outputPath + ": the page would exceed " +
                           std::to_string(kMaxPageBytes >> 20) + " MiB";
    else
        WriteOutput(outputPath);
    m_output.clear();
    return true;
}

std::optional<std::string> CPageTemplate::RenderPage(const std::string& templatePath,
                                                     const std::string& outputPath,
                                                     std::string* error) {
    std::string reason;
    auto bytes = platform::ReadWholeFile(templatePath, &reason, kMaxTemplateBytes);
    if (!bytes) {
        if (error)
            *error = "cannot read the page template " + templatePath + ": " + reason;
        return std::nullopt;
    }
    SetPageVariables(outputPath);
    RunTemplate(std::move(*bytes));
    std::string page;
    page.swap(m_output);
    if (m_pageTooLarge) {
        if (error)
            *error = "the page " + outputPath + " would exceed " +
                     std::to_string(kMaxPageBytes >> 20) + " MiB";
        return std::nullopt;
    }
    return page;
}

bool CPageTemplate::WriteOutput(const std::string& outputPath) {
    auto result = platform::WriteFileAtomically(outputPath, m_output);
    if (result) {
        m_lastWriteError.clear();
        return true;
    }
    std::string prefix = "cannot write " + outputPath + ": ";
    std::string_view reason = result.error;
    if (StartsWith(reason, prefix))
        reason.remove_prefix(prefix.size());
    m_lastWriteError = prefix + std::string(reason);
    return false;
}

void CPageTemplate::BeginTemplate(std::string templateBytes) {
    std::size_t zero = templateBytes.find('\0');
    if (zero != std::string::npos)
        templateBytes.resize(zero);
    m_template = std::move(templateBytes);
    m_scan = 0;
    m_conditions.assign(1, true);
    m_output.clear();
    // A page is usually about as long as its template; growing it step by step costs more than
    // generating it.
    m_output.reserve(
        std::min<std::size_t>(m_template.size() + m_template.size() / 4, kMaxPageBytes));
    m_pageTooLarge = false;
}

void CPageTemplate::RunTemplate(std::string templateBytes) {
    BeginTemplate(std::move(templateBytes));
    TemplateToken token;
    while (ScanToken(token))
        ProcessToken(token);
    m_template.clear();
    m_template.shrink_to_fit();
}

std::string CPageTemplate::RenderTemplate(std::string templateBytes) {
    RunTemplate(std::move(templateBytes));
    std::string page;
    page.swap(m_output);
    return page;
}

bool CPageTemplate::ScanToken(TemplateToken& token) {
    const std::string_view text = m_template;
    const std::size_t start = m_scan;
    if (start >= text.size() || m_pageTooLarge)
        return false;
    const char c = text[start];
    std::size_t end = start + 1;
    TemplateTokenKind kind = TemplateTokenKind::Text;

    if (IsTemplateSpace(c)) {
        while (end < text.size() && IsTemplateSpace(text[end]))
            ++end;
    } else if (c == '<') {
        const std::string_view rest = text.substr(start + 1);
        // "</ca" without ":" ("</caption>", "</canvas>") is an ordinary HTML closing tag and
        // reaches the page; the template language's own closing markup always has the colon.
        if (StartsWith(rest, "ca:") || StartsWith(rest, "/ca:"))
            kind = TemplateTokenKind::Markup;
        else if (StartsWith(rest, "%="))
            kind = TemplateTokenKind::Tag;
        else if (StartsWith(rest, "%"))
            kind = TemplateTokenKind::Script;
        else
            kind = TemplateTokenKind::Tag;

        // A tag, comment, script or quoted stretch still open at the end of the template
        // extends to the end.
        end = text.size();
        if (StartsWith(rest, "!--")) {
            kind = TemplateTokenKind::Comment;
            // "<!-->" is complete: the two dashes before ">" may be those of the opening.
            for (std::size_t at = start + 4; at < text.size(); ++at) {
                if (text[at] == '>' && text[at - 1] == '-' && text[at - 2] == '-') {
                    end = at + 1;
                    break;
                }
            }
        } else {
            bool quoted = false;
            for (std::size_t at = start + 1; at < text.size(); ++at) {
                char here = text[at];
                if (here == '"') {
                    quoted = !quoted;
                } else if (here == '>' && !quoted &&
                           (kind != TemplateTokenKind::Script || text[at - 1] == '%')) {
                    end = at + 1;
                    break;
                }
            }
        }
    } else {
        kind = TemplateTokenKind::Text;
        // A "(" opens a stretch up to the next ")" (or the end) in which "<" does not end the
        // run, so "if (a<b) go();" stays one text.
        end = start;
        while (end < text.size()) {
            std::size_t stop = text.find_first_of("<(", end);
            if (stop == std::string_view::npos || text[stop] == '<') {
                end = stop == std::string_view::npos ? text.size() : stop;
                break;
            }
            std::size_t close = text.find(')', stop + 1);
            end = close == std::string_view::npos ? text.size() : close + 1;
        }
    }

    token.text.assign(text.substr(start, end - start));
    token.kind = kind;
    m_scan = end;
    return true;
}

void CPageTemplate::ProcessToken(const TemplateToken& token) {
    if (token.kind != TemplateTokenKind::Markup) {
        if (m_conditions.back())
            EmitToken(token);
        return;
    }
    const std::string_view markup = token.text;
    const bool active = m_conditions.back();
    if (Contains(markup, "<ca:if")) {
        const std::string* value = m_variables.Find(ConditionName(markup));
        m_conditions.push_back(active && value && !value->empty());
    } else if (Contains(markup, "<ca:else>")) {
        m_conditions.push_back(active && !m_lastClosedResult);
    } else if (Contains(markup, "</ca:else>")) {
        // Closing markup with no open block is ignored: the base entry is never popped.
        if (m_conditions.size() > 1)
            m_conditions.pop_back();
    } else if (Contains(markup, "</ca:if>")) {
        if (m_conditions.size() > 1) {
            m_lastClosedResult = active;
            m_conditions.pop_back();
        }
    }
    // Any other markup (a misspelt "<ca:elseif>", say) has no effect and is dropped.
}

void CPageTemplate::EmitToken(const TemplateToken& token) {
    if (m_pageTooLarge)
        return;
    if (token.kind == TemplateTokenKind::Script) {
        m_output += ' ';
        return;
    }
    const std::size_t room = kMaxPageBytes - m_output.size();
    const bool hasReference = token.text.find('$') != std::string::npos;
    if (!hasReference && token.kind != TemplateTokenKind::Tag) {
        // Nothing to substitute: most text and white space goes straight to the page.
        if (token.text.size() > room) {
            m_pageTooLarge = true;
            return;
        }
        m_output += token.text;
        return;
    }
    std::string text = token.text;
    if (hasReference) {
        std::string reference;
        for (const auto& [name, value] : m_variables) {
            if (name.empty())
                continue;
            reference.assign(1, '$').append(name);
            if (!template_detail::ReplaceAll(text, reference, value, room)) {
                m_pageTooLarge = true;
                return;
            }
        }
    }
    if (token.kind == TemplateTokenKind::Tag)
        ResolveExpressionTags(text);
    if (text.size() > room) {
        m_pageTooLarge = true;
        return;
    }
    m_output += text;
}

void CPageTemplate::ResolveExpressionTags(std::string& text) const {
    // Each pass takes the first expression tag and replaces every copy of it. Nothing before the
    // first tag can contain "<%=", and a result (digits and a sign) cannot form one with its
    // neighbours, so the next search may start right after the result.
    //
    // Every pass reads the rest of the text, so a single tag holding a great many different
    // expression tags would take time growing with the square of its length. Real tags hold a
    // handful; past a generous amount of work the remaining expression tags stay as written,
    // just like a tag whose ";%>" is missing.
    std::size_t work = 0;
    const std::size_t workLimit = 16 * text.size() + (std::size_t{64} << 20);
    std::size_t from = 0;
    for (;;) {
        auto tag = FindExpressionTag(std::string_view(text).substr(from));
        if (!tag)
            return;
        std::size_t at = static_cast<std::size_t>(tag->data() - text.data());
        work += text.size() - at;
        if (work > workLimit)
            return;
        std::string tagText(*tag);
        std::string result = EvaluateExpressionTag(tagText, m_variables);
        // A result is at most 11 characters and a tag at least 6, so the text at most doubles.
        std::string rest = text.substr(at);
        template_detail::ReplaceAll(rest, tagText, result, std::numeric_limits<std::size_t>::max());
        text.replace(at, std::string::npos, rest);
        from = at + result.size();
    }
}

} // namespace pennoria
