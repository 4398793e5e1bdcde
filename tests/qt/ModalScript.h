// Answers the modal dialogs a window opens (message boxes, file dialogs, its own boxes),
// in order. Each step names the dialog it expects, a message box by its title and text,
// and acts only once that dialog is the visible modal one. A dialog that does not match
// is never answered: when the expected one has not come after a long while, the script
// fails naming what it waited for and what was shown, and closes what was shown so the
// test is not left blocked. The boxes a pass waits for are not modal to the window
// (player/qt/NestedWaits.h): they count as the modal one as well.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <vector>

namespace vornal::testing {

// The dialog the player must answer: the modal one, or the box a pass waits for (shown last).
inline QWidget* dialogShown() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->property("vornalWaiting").toBool()) found = w;
    }
    return found;
}

// "Title|text" of a message box, the type name of any other dialog.
inline QString describe(QWidget* dialog) {
    if (!dialog) return QStringLiteral("no dialog");
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        return box->windowTitle() + QLatin1Char('|') + box->text();
    return QString::fromLatin1(dialog->metaObject()->className()) + QLatin1Char('|') +
           dialog->windowTitle();
}

class ModalScript : public QObject {
public:
    struct Expected {
        QString description;
        std::function<bool(QWidget*)> matches;
    };
    // A message box of this title and text.
    static Expected box(const QString& title, const QString& text) {
        return {title + QLatin1Char('|') + text, [title, text](QWidget* w) {
                    auto* b = qobject_cast<QMessageBox*>(w);
                    return b && b->windowTitle() == title && b->text() == text;
                }};
    }
    // A message box of this title whose text the step checks itself.
    static Expected boxTitled(const QString& title) {
        return {title + QStringLiteral("|(any text)"), [title](QWidget* w) {
                    auto* b = qobject_cast<QMessageBox*>(w);
                    return b && b->windowTitle() == title;
                }};
    }
    // That very dialog, or any dialog of type T.
    static Expected dialog(QWidget* which) {
        return {describe(which), [which](QWidget* w) { return w == which; }};
    }
    template <class T>
    static Expected any() {
        return {QString::fromLatin1(T::staticMetaObject.className()),
                [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; }};
    }

    ModalScript() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    }

    void then(Expected expected, std::function<void(QWidget*)> action) {
        steps_.push_back({std::move(expected), std::move(action)});
    }
    // The common step: a box of this title and text, answered by one of its buttons.
    void answer(const QString& title, const QString& text, QMessageBox::StandardButton button) {
        then(box(title, text), [this, button](QWidget* w) { press(w, button); });
    }

    void start() {
        deadline_ = QDeadlineTimer(kPatienceMs);
        timer_.start();
        poll();
    }
    bool done() const { return acted_ == steps_.size() && failure_.isEmpty(); }
    bool ended() const { return acted_ == steps_.size() || !failure_.isEmpty(); }
    // Waits for every step; false with failure() saying which did not come.
    bool finish() {
        if (!QTest::qWaitFor([this] { return ended(); }, 2 * kPatienceMs) && failure_.isEmpty())
            fail(dialogShown());
        return done();
    }
    const QString& failure() const { return failure_; }

    QStringList texts;  // what each message box answered said, "title|text"

    // Presses a standard button of a box, or fails when the box has no such button.
    void press(QWidget* w, QMessageBox::StandardButton which) {
        auto* b = qobject_cast<QMessageBox*>(w);
        QAbstractButton* button = b ? b->button(which) : nullptr;
        if (!button) {
            failure_ = QStringLiteral("no button %1 on %2").arg(which).arg(describe(w));
            static_cast<QDialog*>(w)->reject();
            return;
        }
        button->click();
    }
    // Chooses `path` in a file dialog and accepts it. The name goes into the name field
    // directly: selectFile() leaves the field alone while it has the focus.
    void choose(QWidget* w, const QString& path) {
        auto* files = qobject_cast<QFileDialog*>(w);
        const QFileInfo info(path);
        files->setDirectory(info.absolutePath());
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(info.fileName());
        if (files->selectedFiles() != QStringList{path}) {
            failure_ = QStringLiteral("the file dialog chose %1, not %2")
                           .arg(files->selectedFiles().join(QLatin1Char(',')), path);
            return files->reject();
        }
        static_cast<QDialog*>(files)->accept();  // QFileDialog hides accept()
    }

private:
    static constexpr int kPatienceMs = 30000;

    struct Step {
        Expected expected;
        std::function<void(QWidget*)> action;
    };

    void poll() {
        if (next_ == steps_.size() || !failure_.isEmpty()) return timer_.stop();
        QWidget* modal = dialogShown();
        // The one answered last counts anew once it has been hidden; not shown yet, it
        // is not there.
        const bool fresh = modal && modal->isVisible() && modal != answered_;
        if (fresh && steps_[next_].expected.matches(modal)) {
            answered_ = modal;
            modal->installEventFilter(this);
            if (auto* b = qobject_cast<QMessageBox*>(modal)) texts << describe(b);
            // Queued, so that a dialog the action opens finds this timer free to fire.
            QMetaObject::invokeMethod(
                this,
                [this, action = steps_[next_++].action, dialog = QPointer<QWidget>(modal)] {
                    if (dialog) action(dialog);
                    ++acted_;
                },
                Qt::QueuedConnection);
            deadline_ = QDeadlineTimer(kPatienceMs);
            if (next_ == steps_.size()) timer_.stop();
        } else if (deadline_.hasExpired()) {
            fail(fresh ? modal : nullptr);
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == answered_ && event->type() == QEvent::Hide) {
            watched->removeEventFilter(this);
            answered_ = nullptr;
        }
        return false;
    }
    void fail(QWidget* shown) {
        const QString expected = next_ < steps_.size() ? steps_[next_].expected.description
                                                       : QStringLiteral("its action to run");
        failure_ = QStringLiteral("step %1 waited for %2; shown: %3")
                       .arg(next_ + 1)
                       .arg(expected, describe(shown));
        timer_.stop();
        if (auto* dialog = qobject_cast<QDialog*>(shown)) dialog->reject();
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;   // steps taken
    std::size_t acted_ = 0;  // and their actions run
    QTimer timer_;
    QDeadlineTimer deadline_;
    QPointer<QWidget> answered_;
    QString failure_;
};

}  // namespace vornal::testing
