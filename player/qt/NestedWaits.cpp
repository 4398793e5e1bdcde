#include "player/qt/NestedWaits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <climits>

namespace vornal::qt {

namespace {

bool isKey(QEvent::Type type) {
    return type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::InputMethod;
}

// Input that would start something in the window: clicks, the wheel, menus, drops.
bool isPointer(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

NestedWaits::NestedWaits(QWidget& window) : window_(window) {}

NestedWaits::~NestedWaits() {
    if (!loops_.empty()) qApp->removeEventFilter(this);
}

void NestedWaits::run(QEventLoop& loop, bool keysWait) {
    if (stopped_) return;
    if (loops_.empty()) qApp->installEventFilter(this);
    loops_.push_back(&loop);
    keysWait_.push_back(keysWait);
    loop.exec();
    loops_.pop_back();
    keysWait_.pop_back();
    if (loops_.empty()) {
        qApp->removeEventFilter(this);
        deliverHeldKeys();
    }
}

void NestedWaits::runDialog(QDialog& dialog) {
    QEventLoop loop;
    connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.setWindowModality(Qt::NonModal);
    dialog.setProperty(kWaitingProperty, true);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    run(loop, false);
    dialog.setProperty(kWaitingProperty, false);
    if (dialog.isVisible()) dialog.hide();
    // Without a window manager nothing would hand the keyboard back.
    if (window_.isVisible() && !stopped_) window_.activateWindow();
}

void NestedWaits::sleep(std::chrono::milliseconds length) {
    QEventLoop loop;
    QTimer::singleShot(std::min(length, std::chrono::milliseconds(INT_MAX)), Qt::PreciseTimer,
                       &loop, &QEventLoop::quit);
    run(loop, true);
}

void NestedWaits::stopAll() {
    stopped_ = true;
    for (QEventLoop* loop : loops_)
        loop->quit();
}

bool NestedWaits::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &window_) return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride) {
        // Taken as the widget's own key, so no menu or shortcut starts meanwhile.
        event->accept();
        return true;
    }
    if (isKey(type)) {
        if (!keysWait_.empty() && keysWait_.back() && type != QEvent::KeyRelease)
            held_.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
        return true;
    }
    return isPointer(type);
}

void NestedWaits::deliverHeldKeys() {
    std::vector<HeldEvent> held = std::move(held_);
    held_.clear();
    for (HeldEvent& h : held) {
        if (h.receiver) QCoreApplication::postEvent(h.receiver, h.event.release());
    }
}

}  // namespace vornal::qt
