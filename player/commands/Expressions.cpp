// Flags and expressions: operands, assignment lines and *IF.
#include "player/commands/Expressions.h"

#include <array>
#include <limits>

#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

namespace {

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
// Deeper nesting than this evaluates to -1; a long line of "F(F(F(..." must not exhaust
// the stack.
constexpr int kMaxOperandDepth = 64;

// Asked of every character of every expression: a table, not a search of "=!<>+-/*%&|^"
// (a call of memchr) nor a switch (a jump table in WebAssembly).
constexpr std::array<bool, 256> kOperatorChars = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : std::string_view("=!<>+-/*%&|^"))
        table[c] = true;
    return table;
}();

bool isOperatorChar(char c) {
    return kOperatorChars[static_cast<unsigned char>(c)];
}

std::int32_t wrap(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

}  // namespace

SplitResult SplitExpression(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && !isOperatorChar(text[i]))
        ++i;
    SplitResult result;
    result.Left = text.substr(0, i);
    std::size_t start = i;
    while (i < text.size() && isOperatorChar(text[i]))
        ++i;
    result.Operator = text.substr(start, i - start);
    start = i;
    while (i < text.size() && !isOperatorChar(text[i]))
        ++i;
    result.Right = text.substr(start, i - start);
    return result;
}

// Operators are told apart by their characters rather than compared as strings: in the
// link-time-optimised WebAssembly build, each comparison was a call of memcmp.
std::int32_t ApplyAssignment(std::string_view op, std::int32_t a, std::int32_t b) {
    if (op.size() == 1) return op[0] == '=' ? b : a;
    if (op.size() != 2 || op[1] != '=') return a;
    const auto ua = static_cast<std::uint32_t>(a);
    const auto ub = static_cast<std::uint32_t>(b);
    switch (op[0]) {
        case '+':
            return wrap(ua + ub);
        case '-':
            return wrap(ua - ub);
        case '*':
            return wrap(ua * ub);
        case '/':
            if (b == 0) return a;
            if (a == kInt32Min && b == -1) return kInt32Min;
            return a / b;
        case '%':
            if (b == 0) return a;
            if (b == -1) return 0;
            return a % b;
        case '&':
            return wrap(ua & ub);
        case '|':
            return wrap(ua | ub);
        case '^':
            return wrap(ua ^ ub);
        default:
            return a;
    }
}

bool CompareValues(std::string_view op, std::int32_t a, std::int32_t b) {
    if (op.size() == 1) {
        switch (op[0]) {
            case '=':
                return a == b;
            case '>':
                return a > b;
            case '<':
                return a < b;
            default:
                return false;
        }
    }
    if (op.size() != 2) return false;
    if (op[0] == '<' && op[1] == '>') return a != b;
    if (op[1] != '=') return false;
    switch (op[0]) {
        case '=':
            return a == b;
        case '>':
            return a >= b;
        case '<':
            return a <= b;
        case '!':
            return a != b;
        default:
            return false;
    }
}

std::int32_t DigitOperand(std::string_view text) {
    std::int64_t value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) return -1;
    }
    return i == 0 ? -1 : static_cast<std::int32_t>(value);
}

OperandParts SplitOperand(std::string_view text) {
    if (text.empty()) return {};
    return {text[0], text.size() > 2 ? text.substr(2) : std::string_view{}};
}

// The operand inside F(), I() or R(): a number in nearly every script, read here without a
// recursive call.
std::int32_t Engine::Impl::EvalInner(std::string_view inner, int depth) {
    if (!inner.empty() && inner[0] >= '0' && inner[0] <= '9' && depth <= kMaxOperandDepth) {
        return DigitOperand(inner);
    }
    return EvalOperand(inner, false, depth);
}

std::int32_t Engine::Impl::EvalOperand(std::string_view text, bool wantNumber, int depth) {
    if (text.empty() || depth > kMaxOperandDepth) return -1;
    const auto [kind, inner] = SplitOperand(text);
    switch (kind) {
        case 'F': {
            std::int32_t n = EvalInner(inner, depth + 1);
            return wantNumber ? n : FlagList.Value(n);
        }
        case 'I': {
            std::int32_t n = EvalInner(inner, depth + 1);
            if (n == -1) {
                const std::string_view name = ItemNameOf(inner);
                n = Game.ItemList.FindItem(name);
                if (n < 0) ShowMessage(texts::ItemNotFound(name));
            }
            if (wantNumber) return n;
            return Game.ItemList.Contains(n) ? Game.ItemList.Items(n).Value : 0;
        }
        case 'R': {
            std::int32_t n = EvalInner(inner, depth + 1);
            if (n <= 0) return 0;
            return std::uniform_int_distribution<std::int32_t>(0, n - 1)(Random);
        }
        default:
            if (kind >= '0' && kind <= '9') return DigitOperand(text);
            return -1;
    }
}

void Engine::Impl::CmdAssign(std::string_view line) {
    const SplitResult parts = SplitExpression(line.substr(1));
    // The target is designated once, so a missing item is reported once and R() in the
    // target is drawn once.
    const std::int32_t n = EvalOperand(parts.Left, true);
    const std::int32_t b = EvalOperand(parts.Right, false);
    if (parts.Left.front() == 'F') {
        FlagList.SetValue(n, ApplyAssignment(parts.Operator, FlagList.Value(n), b));
    } else if (Game.ItemList.Contains(n)) {
        sItem& item = Game.ItemList.Items(n);
        item.Value = ApplyAssignment(parts.Operator, item.Value, b);
    }
}

void Engine::Impl::CmdIf(std::string_view line) {
    const SplitResult parts = SplitExpression(GetToken(line, ' ', 1));
    const std::int32_t a = EvalOperand(parts.Left, false);
    const std::int32_t b = EvalOperand(parts.Right, false);
    if (CompareValues(parts.Operator, a, b)) LabelJump(GetToken(line, ' ', 2), JumpRule::If);
}

}  // namespace vornal
