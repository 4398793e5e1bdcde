#include "player/commands/Expressions.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace vornal {
namespace {

TEST(Expressions, SplitsAtOperatorRuns) {
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases = {
        {"F(1)>=10", "F(1)", ">=", "10"},
        {"F(1)=-5", "F(1)", "=-", "5"},
        {"F(1) += 2", "F(1) ", "+=", " 2"},
        {"F(1)=F(2)", "F(1)", "=", "F(2)"},
        {"F(1)=2+3", "F(1)", "=", "2"},
        {"F(1)", "F(1)", "", ""},
        {"", "", "", ""},
        {"=5", "", "=", "5"},
    };
    for (const auto& [text, left, op, right] : cases) {
        SplitResult r = SplitExpression(text);
        EXPECT_EQ(r.Left, left) << text;
        EXPECT_EQ(r.Operator, op) << text;
        EXPECT_EQ(r.Right, right) << text;
    }
}

TEST(Expressions, AssignmentsWrapAndNeverTrap) {
    const std::vector<std::tuple<std::string, std::int32_t, std::int32_t, std::int32_t>> cases = {
        {"=", 4, 9, 9},
        {"+=", INT_MAX, 1, INT_MIN},
        {"-=", INT_MIN, 1, INT_MAX},
        {"*=", 65536, 65536, 0},
        {"*=", INT_MIN, -1, INT_MIN},
        {"*=", 123456789, 1000, -1097262584},
        {"/=", -7, 3, -2},
        {"%=", -7, 3, -1},
        {"/=", 7, 0, 7},
        {"%=", 7, 0, 7},
        {"/=", INT_MIN, -1, INT_MIN},
        {"%=", INT_MIN, -1, 0},
        {"&=", 6, 3, 2},
        {"|=", 6, 3, 7},
        {"^=", 6, 3, 5},
        {"=-", 6, 3, 6},
        {"==", 6, 3, 6},
        {"!=", 6, 3, 6},
        {"<=", 6, 3, 6},
        {"+", 6, 3, 6},
        {"+=-", 6, 3, 6},
        {"", 6, 3, 6},
    };
    for (const auto& [op, a, b, expected] : cases) {
        EXPECT_EQ(ApplyAssignment(op, a, b), expected) << a << op << b;
    }
}

TEST(Expressions, Comparisons) {
    const std::vector<std::tuple<std::string, std::int32_t, std::int32_t, bool>> cases = {
        {"=", 2, 2, true},   {"==", 2, 2, true},   {"==", 2, 3, false}, {">", 3, 2, true},
        {">", -1, 2, false}, {"<", -1, 2, true},   {">=", 2, 2, true},  {"<=", 3, 2, false},
        {"!=", 2, 3, true},  {"<>", 2, 2, false},  {"=<", 1, 3, false}, {"=>", 3, 1, false},
        {"", 0, 0, false},   {"===", 1, 1, false}, {"!", 1, 2, false},  {"<<", 1, 2, false},
        {"!=", 2, 2, false}, {">=", 1, 2, false},  {"<>", 1, 2, true},  {"=!", 1, 2, false},
    };
    for (const auto& [op, a, b, holds] : cases)
        EXPECT_EQ(CompareValues(op, a, b), holds) << a << op << b;
}

TEST(Expressions, DigitOperands) {
    EXPECT_EQ(DigitOperand("10"), 10);
    EXPECT_EQ(DigitOperand("6)"), 6);
    EXPECT_EQ(DigitOperand("5th)"), 5);
    EXPECT_EQ(DigitOperand("2147483647"), INT_MAX);
    EXPECT_EQ(DigitOperand("2147483648"), -1);
    EXPECT_EQ(DigitOperand("99999999999999999999"), -1);
    EXPECT_EQ(DigitOperand("x"), -1);
}

}  // namespace
}  // namespace vornal
