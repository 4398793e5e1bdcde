// Answers the modal dialogs a window opens (message boxes, file dialogs, its own boxes),
// one action per dialog, in order; each action sees the dialog. The boxes a pass waits for
// are not modal to the window (player/qt/NestedWaits.h) and count as well. Stops polling
// after the last one.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <vector>

namespace vornal::testing {

class ModalScript {
public:
    void then(std::function<void(QWidget*)> action) { actions_.push_back(std::move(action)); }
    void start() { poll(); }
    bool done() const { return next_ == actions_.size(); }
    QStringList texts;  // what each message box said

private:
    // The box a pass waits for, shown last.
    static QWidget* waitingBox() {
        QWidget* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->property("vornalWaiting").toBool()) found = w;
        }
        return found;
    }

    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) modal = waitingBox();
        // A dialog shown again after another counts anew; so does a box built where the
        // last one was, with no poll in between, which the mark tells apart.
        if (modal && (modal != last_ || !modal->property(kSeen).toBool())) {
            last_ = modal;
            modal->setProperty(kSeen, true);
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->windowTitle() + QStringLiteral("|") + box->text();
            }
            actions_[next_++](modal);
        } else if (!modal) {
            last_ = nullptr;
        }
        if (!done()) QTimer::singleShot(10, [this] { poll(); });
    }
    std::vector<std::function<void(QWidget*)>> actions_;
    std::size_t next_ = 0;
    QWidget* last_ = nullptr;
    static constexpr char kSeen[] = "vornalModalSeen";
};

inline void press(QWidget* box, QMessageBox::StandardButton which) {
    static_cast<QMessageBox*>(box)->button(which)->click();
}

}  // namespace vornal::testing
