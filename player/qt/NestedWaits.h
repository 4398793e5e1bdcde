// The waits a pass makes inside the window's event loop: a sound effect that plays, a box
// that asks. The window goes on painting and can be closed meanwhile; what the player types
// or clicks in it is held back (keys are delivered when the sound is over, clicks dropped),
// so no command arrives in the middle of a pass. The boxes are not modal to the window, so
// that its close button still works: closing ends every wait at once (stopAll).
#pragma once

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <vector>

namespace vornal::qt {

class NestedWaits : public QObject {
public:
    // Set on a box while it waits for its answer, for tests that answer it.
    static constexpr char kWaitingProperty[] = "vornalWaiting";

    explicit NestedWaits(QWidget& window);
    ~NestedWaits() override;

    // Shows `dialog` and returns once it is finished (or every wait was stopped).
    void runDialog(QDialog& dialog);
    // Returns when `length` has passed (or every wait was stopped).
    void sleep(std::chrono::milliseconds length);
    // Ends the waits under way; later ones end at once.
    void stopAll();
    bool stopped() const { return stopped_; }
    bool waiting() const { return !loops_.empty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(QEventLoop& loop, bool keysWait);
    void deliverHeldKeys();

    QWidget& window_;
    std::vector<QEventLoop*> loops_;
    std::vector<bool> keysWait_;  // per loop: keys are kept for later (not a box's wait)
    struct HeldEvent {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<HeldEvent> held_;
    bool stopped_ = false;
};

}  // namespace vornal::qt
