// What the player typed into a game, in order: commands and the answers to questions.
// Live reload types it all again into the reopened game; a walkthrough types its own.
// Texts are the engine's Shift-JIS, as handed to Engine::ProcessInput and as the host's
// askYesNo/askInput return them (a Yes is kept as the text typed).
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vornal {

class InputLog {
public:
    enum class Kind : unsigned char { Command, Answer };
    struct Entry {
        Kind kind;
        std::string text;
    };

    // Live input, as the host takes it.
    void recordCommand(std::string text) { entries_.push_back({Kind::Command, std::move(text)}); }
    void recordAnswer(std::string text) { entries_.push_back({Kind::Answer, std::move(text)}); }
    // The last command was taken back (undo): it goes, with the answers given after it.
    void takeBackCommand();

    // The entries so far become the queue of a replay, and the log records afresh what the
    // replay uses of them.
    void beginReplay();
    // Queued entries the replay did not use are dropped: the game went another way.
    void endReplay();
    bool replaying() const { return replaying_; }
    // Entries queued and not yet used.
    std::size_t queued() const { return queue_.size(); }

    // The game waits for a command: the next queued command, passing over answers to
    // questions the game no longer asks. nullopt when none is left.
    std::optional<std::string> nextCommand();
    // The next queued entry is a command (after any answers nobody asks for).
    bool commandQueued() const;
    // The game asks a question: the queued answer, when the next entry is one. When it is
    // not, the game asks where it did not before: the replay ends here (replaying() turns
    // false, the queue is dropped) and the host asks the player.
    std::optional<std::string> nextAnswer();

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    std::deque<Entry> queue_;
    bool replaying_ = false;
};

}  // namespace vornal
