// Lexer, shunting-yard conversion and evaluation of template expressions.
#include "template/Expression.h"

#include "template/TextReplace.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace pennoria {

namespace {

// Variables may make an expression longer than its tag, but not without bound.
constexpr std::size_t kMaxExpressionGrowth = std::size_t{1} << 20;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Removes the characters "<", "%" and "=" from the start and ";", "%" and ">" from the end, as
// sets of characters: "<%==5;%>" leaves "5".
std::string_view TrimDelimiters(std::string_view text) {
    std::size_t first = text.find_first_not_of("<%=");
    if (first == std::string_view::npos)
        return {};
    text.remove_prefix(first);
    std::size_t last = text.find_last_not_of(";%>");
    if (last == std::string_view::npos)
        return {};
    return text.substr(0, last + 1);
}

} // namespace

int ExprPrecedence(ExprTokenKind kind) {
    switch (kind) {
    case ExprTokenKind::Plus:
    case ExprTokenKind::Minus:
        return 1;
    case ExprTokenKind::Times:
    case ExprTokenKind::Divide:
        return 2;
    case ExprTokenKind::IntCast:
    case ExprTokenKind::FloatCast:
        return 3;
    case ExprTokenKind::LeftParen:
    case ExprTokenKind::RightParen:
        return 4;
    case ExprTokenKind::Number:
        return 5;
    }
    return 0;
}

std::size_t NextExprToken(std::string_view text, ExprToken& token) {
    if (text.empty())
        return 0;
    token.value = 0.0;
    char c = text.front();
    switch (c) {
    case '+':
        token.kind = ExprTokenKind::Plus;
        return 1;
    case '-':
        token.kind = ExprTokenKind::Minus;
        return 1;
    case '*':
        token.kind = ExprTokenKind::Times;
        return 1;
    case '/':
        token.kind = ExprTokenKind::Divide;
        return 1;
    case '(':
        token.kind = ExprTokenKind::LeftParen;
        return 1;
    case ')':
        token.kind = ExprTokenKind::RightParen;
        return 1;
    default:
        break;
    }
    if (IsAsciiLetter(c)) {
        // Only the first letter counts: "int", "INT" and "ixy" are all the int cast. A cast word
        // that the end of the text cuts short is malformed rather than read past the end.
        std::size_t span = 0;
        if (c == 'f' || c == 'F') {
            token.kind = ExprTokenKind::FloatCast;
            span = 5;
        } else if (c == 'i' || c == 'I') {
            token.kind = ExprTokenKind::IntCast;
            span = 3;
        }
        return span <= text.size() ? span : 0;
    }
    if (IsDigit(c)) {
        std::size_t span = 1;
        while (span < text.size() && (IsDigit(text[span]) || text[span] == '.'))
            ++span;
        // The value is the longest decimal number at the token's start, "." as the decimal
        // point whatever the locale: "1.2.3" spans five characters and is worth 1.2. An
        // exponent can never follow, since the letter after the number is malformed anyway.
        token.kind = ExprTokenKind::Number;
        double value = 0.0;
        auto parsed =
            std::from_chars(text.data(), text.data() + span, value, std::chars_format::fixed);
        if (parsed.ec == std::errc::result_out_of_range)
            value = std::numeric_limits<double>::infinity();
        token.value = value;
        return span;
    }
    return 0;
}

std::optional<std::vector<ExprToken>> ToPostfix(std::string_view text) {
    std::vector<ExprToken> output;
    std::vector<ExprToken> operators;
    std::size_t position = 0;
    while (position < text.size()) {
        if (text[position] == ' ') {
            ++position;
            continue;
        }
        ExprToken token;
        std::size_t span = NextExprToken(text.substr(position), token);
        if (span == 0)
            return std::nullopt;
        position += span;
        switch (token.kind) {
        case ExprTokenKind::Number:
            output.push_back(token);
            break;
        case ExprTokenKind::LeftParen:
            operators.push_back(token);
            break;
        case ExprTokenKind::RightParen:
            for (;;) {
                if (operators.empty())
                    return std::nullopt; // a ")" without its "("
                ExprToken top = operators.back();
                operators.pop_back();
                if (top.kind == ExprTokenKind::LeftParen)
                    break;
                output.push_back(top);
            }
            break;
        default: {
            int precedence = ExprPrecedence(token.kind);
            while (!operators.empty() && operators.back().kind != ExprTokenKind::LeftParen &&
                   ExprPrecedence(operators.back().kind) >= precedence) {
                output.push_back(operators.back());
                operators.pop_back();
            }
            operators.push_back(token);
            break;
        }
        }
    }
    while (!operators.empty()) {
        output.push_back(operators.back());
        operators.pop_back();
    }
    return output;
}

std::optional<double> EvaluatePostfix(const std::vector<ExprToken>& postfix) {
    std::vector<double> values;
    values.reserve(postfix.size());
    for (const ExprToken& token : postfix) {
        switch (token.kind) {
        case ExprTokenKind::Number:
            values.push_back(token.value);
            break;
        case ExprTokenKind::IntCast:
            if (values.empty())
                return std::nullopt;
            values.back() = ToInt32(values.back());
            break;
        case ExprTokenKind::FloatCast:
            if (values.empty())
                return std::nullopt;
            break;
        case ExprTokenKind::Plus:
        case ExprTokenKind::Minus:
        case ExprTokenKind::Times:
        case ExprTokenKind::Divide: {
            if (values.size() < 2)
                return std::nullopt;
            double right = values.back();
            values.pop_back();
            double& left = values.back();
            if (token.kind == ExprTokenKind::Plus)
                left = left + right;
            else if (token.kind == ExprTokenKind::Minus)
                left = left - right;
            else if (token.kind == ExprTokenKind::Times)
                left = left * right;
            else
                left = left /
                       right; // a zero divisor gives an infinity or NaN, which ToInt32 maps to 0
            break;
        }
        case ExprTokenKind::LeftParen:
        case ExprTokenKind::RightParen:
            return std::nullopt; // a "(" that was never closed
        }
    }
    if (values.empty())
        return std::nullopt;
    return values.back();
}

std::int32_t ToInt32(double value) {
    if (!std::isfinite(value))
        return 0;
    double truncated = std::trunc(value);
    // [-2^63, 2^63) is exactly the range a signed 64-bit integer holds.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (truncated < -kTwoTo63 || truncated >= kTwoTo63)
        return 0;
    auto low = static_cast<std::uint32_t>(static_cast<std::int64_t>(truncated));
    if (low <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return static_cast<std::int32_t>(low);
    return static_cast<std::int32_t>(low - 0x80000000u) + std::numeric_limits<std::int32_t>::min();
}

// A malformed expression (an unknown character or letter, a tab or line break, nothing to
// compute, an operator or cast without its operand, an unbalanced parenthesis, or variable values
// too long to hold) gives "0": harmless where a size is expected, and never a read past the text.
std::string EvaluateExpressionTag(std::string_view tagText, const TemplateVariables& variables) {
    static const std::string kMalformed = "0";
    std::string text(tagText);
    const std::size_t maxSize = tagText.size() + kMaxExpressionGrowth;
    for (const auto& [name, value] : variables)
        if (!template_detail::ReplaceAll(text, name, value, maxSize))
            return kMalformed;
    std::string expression(TrimDelimiters(text));
    template_detail::ReplaceAll(expression, "(int)", "int", expression.size());
    template_detail::ReplaceAll(expression, "(float)", "float", expression.size());

    auto postfix = ToPostfix(expression);
    if (!postfix)
        return kMalformed;
    auto result = EvaluatePostfix(*postfix);
    if (!result)
        return kMalformed;
    return std::to_string(ToInt32(*result));
}

} // namespace pennoria
