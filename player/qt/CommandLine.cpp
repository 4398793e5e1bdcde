#include "player/qt/CommandLine.h"

#include <QKeyEvent>

namespace vornal::qt {

void CommandHistory::add(const QString& command) {
    pos_ = -1;
    draft_.clear();
    if (command.isEmpty() || (!entries_.isEmpty() && entries_.back() == command)) return;
    entries_.append(command);
    if (entries_.size() > limit_) entries_.removeFirst();
}

QString CommandHistory::older(const QString& current) {
    if (entries_.isEmpty()) return current;
    if (pos_ < 0) {
        draft_ = current;
        pos_ = static_cast<int>(entries_.size());
    }
    if (pos_ > 0) --pos_;
    return entries_.at(pos_);
}

QString CommandHistory::newer(const QString& current) {
    if (pos_ < 0) return current;
    if (++pos_ < entries_.size()) return entries_.at(pos_);
    pos_ = -1;
    return draft_;
}

CommandLine::CommandLine(QWidget* parent) : QLineEdit(parent) {
    // The system's input method composes Japanese here; never switch it off.
    setAttribute(Qt::WA_InputMethodEnabled, true);
}

void CommandLine::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Up) {
            setText(history_.older(text()));
            return;
        }
        if (event->key() == Qt::Key_Down) {
            setText(history_.newer(text()));
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace vornal::qt
