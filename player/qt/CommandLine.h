// The command line (CmdEdit): a one-line edit that remembers this session's commands.
// Up and Down only put earlier text back into the edit; what the game receives is
// still whatever the edit holds when the command is entered.
#pragma once

#include <QLineEdit>
#include <QString>
#include <QStringList>

namespace vornal::qt {

// Recall order of entered commands, like a shell's: older with Up, newer with Down,
// and past the newest back to the text that was being typed.
class CommandHistory {
public:
    explicit CommandHistory(int limit = 200) : limit_(limit) {}

    // An entered command; empty ones and repeats of the last one are not kept.
    void add(const QString& command);
    // `current` is the edit's text, kept as the draft when browsing starts.
    // Both return the text to show (`current` itself when there is nothing to recall).
    QString older(const QString& current);
    QString newer(const QString& current);
    int size() const { return static_cast<int>(entries_.size()); }

private:
    QStringList entries_;
    int limit_;
    int pos_ = -1;  // index into entries_ while browsing, -1 when not
    QString draft_;
};

class CommandLine : public QLineEdit {
public:
    explicit CommandLine(QWidget* parent = nullptr);

    // Call when a command is entered, before the edit is emptied.
    void remember(const QString& command) { history_.add(command); }
    const CommandHistory& history() const { return history_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CommandHistory history_;
};

}  // namespace vornal::qt
