// Integer expressions of page templates: "<%= MovieWidth/2 ;%>" becomes "360".
//
// An expression holds non-negative decimal numbers, the operators + - * /, parentheses and the
// casts (int) and (float). Variables are replaced by their values before anything is parsed.
// Arithmetic is done in double precision; the result is truncated to a 32-bit integer.
#pragma once

#include "template/TemplateVariables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria {

// The codes are fixed; the precedence used by ToPostfix is given beside each.
enum class ExprTokenKind : int {
    Plus = 0,       // "+", precedence 1
    Minus = 1,      // "-", precedence 1
    Times = 2,      // "*", precedence 2
    Divide = 3,     // "/", precedence 2
    IntCast = 4,    // a word of 3 letters beginning with i or I, precedence 3
    FloatCast = 5,  // a word of 5 letters beginning with f or F, precedence 3
    LeftParen = 6,  // "(", precedence 4
    RightParen = 7, // ")", precedence 4
    Number = 8,     // a decimal literal, precedence 5
};

int ExprPrecedence(ExprTokenKind kind);

struct ExprToken {
    double value = 0.0; // meaningful for Number only
    ExprTokenKind kind = ExprTokenKind::Number;
};

// Lexes one token at the start of text. Returns the number of characters it spans, or 0 when
// the text does not start with a token (an empty text, a character outside the language, or a
// cast word cut short by the end of the text).
std::size_t NextExprToken(std::string_view text, ExprToken& token);

// Converts a prepared expression to postfix order (shunting-yard). Spaces between tokens are
// skipped. Nothing when a character cannot be lexed or a ")" has no "(".
std::optional<std::vector<ExprToken>> ToPostfix(std::string_view text);

// Evaluates a postfix sequence; the result is the value on top of the stack at the end. Nothing
// when an operator or cast lacks its operand, a "(" was never closed, or nothing was computed.
std::optional<double> EvaluatePostfix(const std::vector<ExprToken>& postfix);

// Truncates toward zero to 64 bits and keeps the low 32 bits as a signed number. NaN, the
// infinities and values outside the signed 64-bit range become 0.
std::int32_t ToInt32(double value);

// Evaluates a complete expression tag, delimiters included ("<%= MovieWidth/2 ;%>"), and returns
// its result in signed decimal. Every occurrence of a variable's bare name in the tag is replaced
// by its value first, even inside a longer word.
std::string EvaluateExpressionTag(std::string_view tagText, const TemplateVariables& variables);

} // namespace pennoria
