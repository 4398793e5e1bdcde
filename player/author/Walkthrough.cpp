#include "player/author/Walkthrough.h"

#include "common/ScriptEncoding.h"
#include "common/SjisText.h"
#include "player/author/Seed.h"
#include "player/core/ScriptText.h"

namespace vornal {

namespace {

std::int32_t parseValue(int line, std::string_view text) {
    if (auto value = ParseInteger(text)) return *value;
    throw WalkthroughError(line, "'" + sjis::toUtf8(text) + "' is no whole number");
}

// "= scene NAME", "= F(n) VALUE", "= I(name) VALUE".
Expectation parseState(int line, std::string_view rest) {
    Expectation expectation;
    expectation.line = line;
    const std::size_t blank = rest.find(' ');
    const std::string_view subject = rest.substr(0, blank);
    const std::string_view object =
        blank == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(blank + 1));
    if (object.empty())
        throw WalkthroughError(line, "'= " + sjis::toUtf8(subject) + "' needs a value after it");
    if (subject == "scene") {
        expectation.kind = Expectation::Kind::Scene;
        expectation.text = std::string(object);
        return expectation;
    }
    if (subject.size() > 3 && subject[1] == '(' && subject.back() == ')') {
        const std::string_view inner = subject.substr(2, subject.size() - 3);
        expectation.value = parseValue(line, object);
        if (subject[0] == 'F') {
            expectation.kind = Expectation::Kind::Flag;
            expectation.number = parseValue(line, inner);
            return expectation;
        }
        if (subject[0] == 'I') {
            expectation.kind = Expectation::Kind::Item;
            expectation.text = std::string(inner);
            return expectation;
        }
    }
    throw WalkthroughError(line, "after '=' comes scene NAME, F(n) VALUE or I(name) VALUE");
}

}  // namespace

Walkthrough ParseWalkthrough(std::span<const std::uint8_t> raw) {
    if (static_cast<std::int64_t>(raw.size()) > kMaxScriptBytes)
        throw WalkthroughError(0, "the walkthrough is too large");
    const DecodedScript decoded = DecodeScript(raw, std::nullopt);
    if (!decoded.problems.empty()) {
        const EncodingProblem& problem = decoded.problems.front();
        throw WalkthroughError(
            problem.line + 1,
            "column " + std::to_string(problem.column) +
                ": a character Shift-JIS cannot hold, or bytes that are no UTF-8");
    }
    Walkthrough walk;
    walk.steps.emplace_back();
    const std::vector<std::string> lines = SplitScriptLines(decoded.bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const std::string_view line = lines[i];
        if (TrimBlanks(line).empty() || line.starts_with('#')) continue;
        const std::string_view rest =
            line.size() > 1 && line[1] == ' ' ? line.substr(2) : line.substr(1);
        WalkStep& step = walk.steps.back();
        switch (line[0]) {
            case '>':
                // The command as typed: blanks inside and around it are the player's.
                walk.steps.push_back({number, std::string(rest), {}, {}});
                continue;
            case '?':
                step.answers.push_back({number, std::string(rest)});
                continue;
            case '+':
            case '-':
                if (TrimBlanks(rest).empty())
                    throw WalkthroughError(number,
                                           std::string("'") + line[0] + "' needs a text after it");
                step.expectations.push_back(
                    {line[0] == '+' ? Expectation::Kind::Shown : Expectation::Kind::NotShown,
                     number, sjis::toUtf8(TrimBlanks(rest)), 0, 0});
                continue;
            case '=':
                step.expectations.push_back(parseState(number, TrimBlanks(rest)));
                continue;
            default:
                break;
        }
        if (line.starts_with("seed ")) {
            if (walk.steps.size() > 1)
                throw WalkthroughError(number, "'seed' must come before the first command");
            walk.seed = ParseSeed(TrimBlanks(line.substr(5)));
            if (!walk.seed)
                throw WalkthroughError(number, "the seed is a number from 0 to 4294967295");
            continue;
        }
        throw WalkthroughError(
            number, "a line begins with >, ?, +, -, =, # or 'seed': '" + sjis::toUtf8(line) + "'");
    }
    return walk;
}

}  // namespace vornal
