// TForm1: the player's main window. It shows the picture area, the message area and
// the command line, owns the engine and is the engine's host.
#pragma once

#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "player/author/InputLog.h"
#include "player/core/Engine.h"
#include "player/core/Host.h"
#include "player/media/PlayerMedia.h"
#include "player/qt/AboutDlg.h"
#include "player/qt/AnchorPanel.h"
#include "player/qt/CommandLine.h"
#include "player/qt/InputDlg.h"
#include "player/qt/LiveReload.h"
#include "player/qt/MusicMenu.h"
#include "player/qt/NestedWaits.h"
#include "player/qt/PictureView.h"
#include "player/qt/SessionKeeper.h"
#include "player/qt/WindowSettings.h"

namespace vornal::qt {

// Thrown out of a modal host call once the window is stopping (a stop signal): the pass
// that made the call is abandoned, so no dialog opens after another while the program
// ends. Deliberately not a std::exception, so the engine's handlers let it pass.
struct WindowStopping {};

class TForm1 : public QWidget, public Host {
public:
    // The client area the form was designed for, and the frame the picture area keeps.
    static constexpr QSize kClientSize{285, 347};
    static constexpr int kFrameWidth = 15;
    static constexpr int kFrameHeight = 164;

    explicit TForm1(const MediaOptions& media = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Opens a script or archive as if it had been chosen in the open dialog.
    bool OpenGame(const QString& file);
    // A stop signal came: ends every event loop with `exitCode` and abandons the pass
    // under way at its next dialog.
    void StopForSignal(int exitCode);

    // For authors (vnplayer --seed, --encoding, --watch). With live reload on, the game
    // opened last is watched, and what is typed into it is kept for the replay.
    void SetRandomSeed(std::uint32_t seed);
    void SetScriptEncoding(std::optional<ScriptEncoding> encoding);
    void SetLiveReload(bool on);
    // Opens the watched game again and replays what was typed, on the fast clock with the
    // same seed; a game that no longer opens is left as it was, and a box says why.
    // Called when the files change; waits for a pass under way (a dialog) to end.
    void ReloadGame();
    const InputLog& TypedSoFar() const { return log_; }

    // Menu and button commands.
    void F1Click();
    void Exit1Click();
    void A1Click();
    void Button1Click();
    // Takes the last typed command back (編集 → 一手戻す, Alt+Z); false when there
    // was nothing to take back.
    bool UndoClick();
    // 表示 → 設定: the settings dialog; what it returns is applied and remembered.
    void SettingsClick();
    void FullScreenClick();
    void ApplySettings(const WindowSettings& settings);
    const WindowSettings& Settings() const { return settings_; }

    // Parts, for tests.
    Engine& GameEngine() { return *engine_; }
    QWidget& Client() { return client_; }
    PictureView& GrpImage() { return grpImage_; }
    QPlainTextEdit& MsgMemo() { return msgMemo_; }
    CommandLine& CmdEdit() { return cmdEdit_; }
    QPushButton& Button1() { return button1_; }
    QMenuBar& MainMenu1() { return mainMenu1_; }
    MusicMenu& MusicMenu1() { return *musicMenu_; }
    // Below the client while the game has stopped for good: why (hidden otherwise).
    QLabel& HaltedLine() { return haltedLine_; }
    PlayerMedia& Media() { return *media_; }
    QTimer& GameTimer() { return gameTimer_; }
    SessionKeeper& Keeper() { return *keeper_; }
    QAction& UndoAction() { return *undoAction_; }
    QAction& RecordAction() { return *recordAction_; }
    QAction& FullScreenAction() { return *fullScreenAction_; }
    QAction& SaveStoryAction() { return *saveStoryAction_; }
    TAboutDlg& AboutDlg() { return aboutDlg_; }
    TInputDlg& InputDlg() { return inputDlg_; }
    bool IdlePending() const { return idleTimer_.isActive(); }
    // A pass waits for a sound or a box.
    bool Waiting() const { return waits_.waiting(); }

    // Host
    void linesAppended(std::span<const std::string> lines) override;
    void linesRemovedFromTop(std::size_t count) override;
    void messagesCleared() override;
    void enableInput(bool enabled) override;
    void clearAndFocusInput() override;
    void setCaption(std::string_view text) override;
    void setPictureAreaSize(int width, int height) override;
    void pictureChanged() override;
    void waitForSound(std::chrono::milliseconds length) override;
    void showMessage(std::string_view text) override;
    bool askYesNo(std::string_view question) override;
    std::string askInput(std::string_view prompt) override;
    void setGameTimerEnabled(bool enabled) override;
    void requestIdle() override;
    void wakeFromAnyThread() override;
    void showMidiError(std::string_view text) override;
    void gameHalted(std::string_view reason) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenu();
    void buildClient();
    void runIdle();
    void scrollToEnd();
    void reportError(const QString& what, const std::exception& error);
    void showMediaNotice(const std::string& text);
    void throwIfStopping() const;
    // Sizes the client for the picture area at the zoom in force; fitted or full screen the
    // window may grow.
    void relayout();
    void describePicture();

    // Declared parents before children: members are destroyed in reverse order, so
    // every child goes before the widget that holds it.
    QVBoxLayout layout_;
    QMenuBar mainMenu1_;
    AnchorPanel client_;
    QLabel haltedLine_;
    PictureView grpImage_;
    QPlainTextEdit msgMemo_;
    CommandLine cmdEdit_;
    QPushButton button1_;
    QTimer gameTimer_;
    QTimer idleTimer_;
    TAboutDlg aboutDlg_;
    TInputDlg inputDlg_;
    QString lastFolder_;
    // Live reload.
    bool liveReload_ = false;
    bool reloadPending_ = false;
    std::uint32_t seed_ = 0;
    std::optional<ScriptEncoding> encoding_;
    std::filesystem::path game_;
    InputLog log_;
    std::unique_ptr<LiveReload> watch_;
    std::unique_ptr<QMessageBox> reloadNotice_;
    std::size_t memoLines_ = 0;    // lines shown in MsgMemo, in step with the engine's
    bool inIdle_ = false;          // an AppIdle call is on the stack (modal dialogs nest)
    bool stopping_ = false;        // a stop signal came or the window closed: waits end
    bool undoing_ = false;         // the message area comes back as it was before a command
    bool idleHeld_ = false;        // asking whether to resume: the opening pass waits
    QSize pictureArea_{270, 183};  // the game's picture area at 1×
    WindowSettings settings_;
    QPalette desktopPalette_;
    NestedWaits waits_;
    QAction* undoAction_ = nullptr;
    QAction* recordAction_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    QAction* saveStoryAction_ = nullptr;
    std::unique_ptr<QMessageBox> mediaNotice_;  // not modal: it may come in the middle of a pass
    std::unique_ptr<PlayerMedia> media_;
    std::unique_ptr<MusicMenu> musicMenu_;
    std::unique_ptr<Engine> engine_;  // it may talk to the widgets while built
    std::unique_ptr<SessionKeeper> keeper_;
};

}  // namespace vornal::qt
