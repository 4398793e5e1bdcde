// The expression language of flags and items: splitting, assignment and comparison.
// Operand evaluation needs the game's state and lives in Engine::Impl::EvalOperand.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vornal {

struct SplitResult {
    std::string_view Left;
    std::string_view Operator;
    std::string_view Right;
};

// Left: up to the first operator character; Operator: the run of operator characters that
// follows; Right: the run of other characters after it. The rest is ignored.
SplitResult SplitExpression(std::string_view text);

// The new value of an assignment `a op b`; an unknown operator leaves a. All arithmetic
// wraps at 32 bits; division and remainder by zero leave a.
std::int32_t ApplyAssignment(std::string_view op, std::int32_t a, std::int32_t b);

// Whether `a op b` holds (signed); an unknown operator never holds.
bool CompareValues(std::string_view op, std::int32_t a, std::int32_t b);

// An operand as the evaluator reads it: its first character (F, I, R, a digit, or anything
// else), and what follows the character after it, which is normally "(" and skipped
// whatever it is. Kind is 0 for an empty operand.
struct OperandParts {
    char Kind = '\0';
    std::string_view Inner;
};
OperandParts SplitOperand(std::string_view text);

// The name an I(...) operand looks up when its inner text is not a number: up to the first ")".
inline std::string_view ItemNameOf(std::string_view inner) {
    return inner.substr(0, inner.find(')'));
}

// A decimal operand: its leading digits (what follows them is ignored), or -1 when there are
// none or they exceed 2147483647.
std::int32_t DigitOperand(std::string_view text);

}  // namespace vornal
