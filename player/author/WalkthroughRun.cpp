#include "player/author/WalkthroughRun.h"

#include <algorithm>

#include "common/SjisText.h"
#include "player/author/InputLog.h"
#include "player/author/Replay.h"
#include "player/author/SilentHost.h"
#include "player/core/Engine.h"
#include "player/core/ScriptText.h"

namespace vornal {

namespace {

// Thrown out of the engine's pass: the walkthrough cannot go on from this question.
struct Unanswerable {
    std::string message;
    bool atAnswer;  // the answer given is wrong, rather than missing
};

// The engine's host during a walkthrough: keeps what is shown, in the terminal's form, and
// answers questions from the log.
class WalkHost final : public SilentHost {
public:
    explicit WalkHost(InputLog& log) : log_(log) {}

    std::vector<std::string> shown;
    std::size_t answersUsed = 0;

    void linesAppended(std::span<const std::string> lines) override {
        for (const std::string& line : lines)
            show("", line);
    }
    void showMessage(std::string_view text) override { show("[message] ", text); }
    bool askYesNo(std::string_view question) override {
        show("[yes/no] ", question);
        const std::string answer = sjis::toUtf8(take());
        if (const std::optional<bool> yes = ParseYesNo(answer)) return *yes;
        throw Unanswerable{"'" + answer + "' answers a yes/no question: write ? yes or ? no", true};
    }
    std::string askInput(std::string_view prompt) override {
        show("[input] ", prompt);
        return take();
    }

private:
    void show(std::string_view tag, std::string_view sjisText) {
        ForEachShownLine(sjis::toUtf8(sjisText), [&](std::string_view piece) {
            shown.push_back(std::string(tag) + std::string(piece));
        });
    }

    std::string take() {
        std::optional<std::string> answer = log_.nextAnswer();
        if (!answer)
            throw Unanswerable{"the game asks a question here, and the walkthrough gives no answer",
                               false};
        ++answersUsed;
        show(answer->empty() ? "[answer]" : "[answer] ", *answer);
        return std::move(*answer);
    }

    InputLog& log_;
};

std::optional<std::string> failed(const Expectation& e, const Engine& engine,
                                  const std::vector<std::string>& shown) {
    const auto holding = [&shown](const std::string& text) {
        return std::find_if(shown.begin(), shown.end(), [&text](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    };
    switch (e.kind) {
        case Expectation::Kind::Shown:
            if (holding(e.text) != shown.end()) return std::nullopt;
            return "no line shows '" + e.text + "'";
        case Expectation::Kind::NotShown:
            if (auto line = holding(e.text); line != shown.end())
                return "'" + e.text + "' was shown: " + *line;
            return std::nullopt;
        case Expectation::Kind::Scene:
            if (engine.CurrentSceneName() == e.text) return std::nullopt;
            return "the scene is '" + sjis::toUtf8(engine.CurrentSceneName()) + "', not '" +
                   sjis::toUtf8(e.text) + "'";
        case Expectation::Kind::Flag:
            if (engine.FlagValue(e.number) == e.value) return std::nullopt;
            return "F(" + std::to_string(e.number) + ") is " +
                   std::to_string(engine.FlagValue(e.number)) + ", not " + std::to_string(e.value);
        case Expectation::Kind::Item: {
            const std::optional<std::int32_t> value = engine.ItemValue(e.text);
            if (!value) return "no item is named '" + sjis::toUtf8(e.text) + "'";
            if (*value == e.value) return std::nullopt;
            return "I(" + sjis::toUtf8(e.text) + ") is " + std::to_string(*value) + ", not " +
                   std::to_string(e.value);
        }
    }
    return std::nullopt;
}

}  // namespace

WalkResult RunWalkthrough(const Walkthrough& walk, const std::filesystem::path& game,
                          const WalkOptions& options) {
    WalkResult result;
    InputLog log;
    WalkHost host(log);
    Engine engine(host, options.media);
    engine.SetRandomSeed(options.seed.value_or(walk.seed.value_or(0)));
    engine.SetScriptEncoding(options.encoding);
    const auto fail = [&](int line, std::string message) {
        result.failure = WalkFailure{line, std::move(message), std::move(host.shown)};
        return result;
    };
    if (!engine.OpenScript(game)) return fail(0, "the game does not open");

    for (const WalkStep& step : walk.steps) {
        host.shown.clear();
        host.answersUsed = 0;
        log = InputLog{};
        if (step.command) {
            log.recordCommand(*step.command);
            ++result.commands;
        }
        for (const WalkAnswer& answer : step.answers)
            log.recordAnswer(answer.text);
        log.beginReplay();
        ReplayEnd end = ReplayEnd::Done;
        try {
            end = Replay(engine, log, options.tick);
        } catch (const Unanswerable& problem) {
            return fail(problem.atAnswer ? step.answers[host.answersUsed - 1].line : step.line,
                        problem.message);
        }
        if (end == ReplayEnd::Runaway)
            return fail(step.line, "the game does not come back for a command (it runs on and on)");
        if (host.answersUsed < step.answers.size())
            return fail(step.answers[host.answersUsed].line, "no question came for this answer");
        for (const Expectation& expectation : step.expectations) {
            if (auto why = failed(expectation, engine, host.shown))
                return fail(expectation.line, *why);
            ++result.expectations;
        }
    }
    return result;
}

}  // namespace vornal
