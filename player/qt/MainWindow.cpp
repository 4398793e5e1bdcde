#include "player/qt/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <exception>

#include "common/SjisText.h"
#include "player/author/ProbeOpening.h"
#include "player/author/Replay.h"
#include "player/media/QtBitmap.h"
#include "player/qt/Appearance.h"
#include "player/qt/OpenFilter.h"
#include "player/qt/SettingsDlg.h"

namespace vornal::qt {

namespace {

QString fromGame(std::string_view sjis) {
    return QString::fromStdString(sjis::toUtf8(sjis));
}
std::string toGame(const QString& text) {
    return sjis::fromUtf8(text.toStdString());
}

// *SCREEN takes its numbers from the script; keep the window within what a screen and
// Qt can hold.
constexpr int kMaxPictureSide = 8192;

}  // namespace

TForm1::TForm1(const MediaOptions& media, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      layout_(this),
      mainMenu1_(this),
      client_(kClientSize, this),
      haltedLine_(this),
      grpImage_(&client_),
      msgMemo_(&client_),
      cmdEdit_(&client_),
      button1_(QStringLiteral("入力"), &client_),
      aboutDlg_(this),
      inputDlg_(this),
      waits_(*this) {
    setWindowTitle(QStringLiteral("VORNAL"));
    setWindowIcon(playerIcon());
    setFont(gothicFont(12));
    setAcceptDrops(true);
    move(233, 112);

    buildMenu();
    buildClient();

    gameTimer_.setInterval(100);
    connect(&gameTimer_, &QTimer::timeout, this, [this] {
        try {
            engine_->GameTimerTimer();
        } catch (const WindowStopping&) {
        } catch (const std::exception& e) {
            // Stopped first: the box's own loop would otherwise tick into the same error.
            gameTimer_.stop();
            reportError(QStringLiteral("GameTimer"), e);
        }
    });
    // One-shot: armed only while the engine has work, so an idle player sleeps.
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(0);
    connect(&idleTimer_, &QTimer::timeout, this, &TForm1::runIdle);

    media_ = std::make_unique<PlayerMedia>(
        media, [this](const std::string& text) { showMediaNotice(text); });
    // Said when the first song starts, after the pass that started it.
    media_->setProblemReporter([this](const std::string& problem) {
        QTimer::singleShot(0, this, [this, problem] { MusicMenu::reportProblem(*this, problem); });
    });
    musicMenu_ = std::make_unique<MusicMenu>(mainMenu1_, *media_, *this);
    engine_ = std::make_unique<Engine>(*this, media_->services());
    keeper_ = std::make_unique<SessionKeeper>(*this, *engine_);
    desktopPalette_ = palette();
    // The volumes the media were made with: the command line's, or else the remembered ones.
    WindowSettings settings = WindowSettings::load();
    settings.musicVolume = media_->musicVolume();
    settings.soundVolume = media_->soundVolume();
    ApplySettings(settings);
}

TForm1::~TForm1() = default;

void TForm1::buildMenu() {
    QMenu* file = mainMenu1_.addMenu(QStringLiteral("ファイル(&F)"));
    connect(file->addAction(QStringLiteral("スクリプトを開く(&F)")), &QAction::triggered, this,
            &TForm1::F1Click);
    saveStoryAction_ = file->addAction(QStringLiteral("物語を保存(&S)..."));
    connect(saveStoryAction_, &QAction::triggered, this, [this] { keeper_->saveStory(); });
    recordAction_ = file->addAction(QStringLiteral("物語を自動で記録(&R)"));
    recordAction_->setCheckable(true);
    connect(recordAction_, &QAction::triggered, this, [this](bool on) {
        WindowSettings next = settings_;
        next.recordSessions = on;
        ApplySettings(next);
        settings_.save();
    });
    file->addSeparator();
    connect(file->addAction(QStringLiteral("終了(&X)")), &QAction::triggered, this,
            &TForm1::Exit1Click);
    QMenu* edit = mainMenu1_.addMenu(QStringLiteral("編集(&E)"));
    undoAction_ = edit->addAction(QStringLiteral("一手戻す(&U)"));
    // Not Ctrl+Z nor Alt+Backspace: those are the command line's own undo of its text.
    undoAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Z));
    connect(undoAction_, &QAction::triggered, this, [this] { UndoClick(); });
    QMenu* view = mainMenu1_.addMenu(QStringLiteral("表示(&V)"));
    fullScreenAction_ = view->addAction(QStringLiteral("全画面表示(&F)"));
    fullScreenAction_->setCheckable(true);
    fullScreenAction_->setShortcut(QKeySequence(Qt::Key_F11));
    connect(fullScreenAction_, &QAction::triggered, this, &TForm1::FullScreenClick);
    view->addSeparator();
    connect(view->addAction(QStringLiteral("設定(&S)...")), &QAction::triggered, this,
            &TForm1::SettingsClick);
    QMenu* help = mainMenu1_.addMenu(QStringLiteral("ヘルプ(&H)"));
    connect(help->addAction(QStringLiteral("バージョン情報(&A)")), &QAction::triggered, this,
            &TForm1::A1Click);
}

void TForm1::buildClient() {
    // The window is not resizable: the layout holds it at the client's fixed size plus
    // the menu bar, and *SCREEN changes the client's size.
    layout_.setContentsMargins(0, 0, 0, 0);
    layout_.setSpacing(0);
    layout_.setMenuBar(&mainMenu1_);
    layout_.addWidget(&client_);
    // Outside the message area, so the game's text stays its own; the window grows by
    // this line while it shows.
    layout_.addWidget(&haltedLine_);
    haltedLine_.setWordWrap(true);
    haltedLine_.setTextFormat(Qt::PlainText);
    haltedLine_.setContentsMargins(8, 0, 8, 6);
    haltedLine_.hide();
    layout_.setSizeConstraint(QLayout::SetFixedSize);
    client_.setFixedSize(kClientSize);

    client_.place(grpImage_, {8, 8, 270, 183},
                  Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);

    client_.place(msgMemo_, {8, 197, 266, 107}, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    msgMemo_.setReadOnly(true);
    msgMemo_.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    msgMemo_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    msgMemo_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    msgMemo_.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Japanese has no blanks to break at.
    msgMemo_.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    msgMemo_.setUndoRedoEnabled(false);

    client_.place(cmdEdit_, {8, 317, 185, 20}, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    client_.place(button1_, {200, 315, 75, 25}, Qt::RightEdge | Qt::BottomEdge);
    // Enter in the command line presses the button, as the default button of the form.
    button1_.setDefault(true);
    connect(&button1_, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(&cmdEdit_, &QLineEdit::returnPressed, this, [this] {
        if (button1_.isEnabled()) button1_.click();
    });

    setTabOrder(&cmdEdit_, &button1_);
    setTabOrder(&button1_, &msgMemo_);
    cmdEdit_.setFocus(Qt::OtherFocusReason);

    // Names for screen readers; the picture's changes with what it shows.
    mainMenu1_.setAccessibleName(QStringLiteral("メニュー"));
    grpImage_.setAccessibleName(QStringLiteral("画像"));
    msgMemo_.setAccessibleName(QStringLiteral("メッセージ"));
    cmdEdit_.setAccessibleName(QStringLiteral("コマンド"));
    button1_.setAccessibleName(QStringLiteral("入力"));
    haltedLine_.setAccessibleName(QStringLiteral("ゲームの状態"));
}

bool TForm1::OpenGame(const QString& file) {
    // Absolute, as the open dialog gives it: the game's data folder must not depend on
    // the working directory.
    const QFileInfo info(file);
    lastFolder_ = info.absolutePath();
    const QByteArray name = QFile::encodeName(info.absoluteFilePath());
    haltedLine_.hide();
    haltedLine_.clear();
    // The game left for another is kept to resume, as if the window had closed.
    keeper_->keepResumePoint();
    try {
        game_ = std::filesystem::path(name.toStdString());
        log_ = InputLog{};
        watch_.reset();
        if (liveReload_) {
            try {
                watch_ = std::make_unique<LiveReload>(game_, [this] { ReloadGame(); });
            } catch (const std::exception& e) {
                reportError(QStringLiteral("--watch"), e);
            }
        }
        if (!engine_->OpenScript(game_)) return false;
    } catch (const WindowStopping&) {
        return false;
    } catch (const std::exception& e) {
        reportError(file, e);
        return false;
    }
    // What is damaged in an archive is named once; the game plays what it can.
    QStringList problems;
    for (const std::string& problem : engine_->OpeningProblems())
        problems << fromGame(problem);
    if (!problems.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("VORNAL"),
                        problems.join(QLatin1Char('\n')), QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    keeper_->gameOpened(info.absoluteFilePath());
    // The opening pass waits for the answer: resuming replaces it.
    idleHeld_ = true;
    // Not with live reload: its replay starts from the opening, not from a resumed game.
    const bool resumed = !liveReload_ && keeper_->offerResume();
    idleHeld_ = false;
    if (resumed) {
        clearAndFocusInput();
    } else if (engine_->HasWork()) {
        requestIdle();
    }
    return true;
}

void TForm1::StopForSignal(int exitCode) {
    stopping_ = true;
    waits_.stopAll();
    QCoreApplication::exit(exitCode);
}

void TForm1::closeEvent(QCloseEvent* event) {
    keeper_->keepResumePoint();
    // A pass that waits for a sound or an answer is abandoned, and the program ends now.
    if (waits_.waiting()) {
        stopping_ = true;
        waits_.stopAll();
    }
    QWidget::closeEvent(event);
}

void TForm1::throwIfStopping() const {
    if (stopping_ || waits_.stopped()) throw WindowStopping{};
}

void TForm1::SetRandomSeed(std::uint32_t seed) {
    seed_ = seed;
    engine_->SetRandomSeed(seed);
}

void TForm1::SetScriptEncoding(std::optional<ScriptEncoding> encoding) {
    encoding_ = encoding;
    engine_->SetScriptEncoding(encoding);
}

void TForm1::SetLiveReload(bool on) {
    liveReload_ = on;
    if (!on) watch_.reset();
}

void TForm1::ReloadGame() {
    // A pass is on the stack (a question is open): reload once it is over.
    if (inIdle_) {
        reloadPending_ = true;
        return;
    }
    reloadPending_ = false;
    if (const auto why = WhyGameDoesNotOpen(game_, encoding_)) {
        reloadNotice_ = std::make_unique<QMessageBox>(
            QMessageBox::NoIcon, QStringLiteral("VORNAL"),
            QStringLiteral("変更されたゲームを開けません。ゲームはそのまま続きます。\n") +
                fromGame(*why),
            QMessageBox::Ok, this);
        reloadNotice_->setTextFormat(Qt::PlainText);
        reloadNotice_->setWindowModality(Qt::NonModal);
        reloadNotice_->show();
        return;
    }
    reloadNotice_.reset();
    // The replay drives the engine itself; sounds on the way are not heard.
    inIdle_ = true;
    const bool muted = media_->muted();
    media_->setMuted(true);
    try {
        engine_->ClearDisplay();
        engine_->SetRandomSeed(seed_);
        log_.beginReplay();
        if (engine_->OpenScript(game_)) Replay(*engine_, log_);
    } catch (const std::exception& e) {
        reportError(QStringLiteral("reload"), e);
    }
    log_.endReplay();
    media_->setMuted(muted);
    inIdle_ = false;
    if (engine_->HasWork()) requestIdle();
}

void TForm1::F1Click() {
    QFileDialog dialog(this, QString(), lastFolder_);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(qtNameFilters(scriptOpenFilter()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenGame(dialog.selectedFiles().constFirst());
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::A1Click() {
    aboutDlg_.exec();
}

void TForm1::Button1Click() {
    const QString typed = cmdEdit_.text();
    cmdEdit_.remember(typed);
    if (liveReload_) log_.recordCommand(toGame(typed));
    try {
        engine_->ProcessInput(toGame(typed));
    } catch (const std::exception& e) {
        reportError(QStringLiteral("> ") + typed, e);
    }
}

void TForm1::runIdle() {
    // A modal dialog opened by a pass runs a nested loop in which this timer fires
    // again; the pass on the stack goes on when the dialog closes.
    if (inIdle_ || idleHeld_) return;
    inIdle_ = true;
    try {
        engine_->AppIdle();
    } catch (const WindowStopping&) {
        idleTimer_.stop();
        inIdle_ = false;
        return;
    } catch (const std::exception& e) {
        // Not retried: the same line would fail again and again. A typed command or
        // another game starts the engine anew.
        idleTimer_.stop();
        reportError(QStringLiteral("AppIdle"), e);
        inIdle_ = false;
        return;
    }
    inIdle_ = false;
    if (engine_->HasWork()) requestIdle();
    if (reloadPending_) QTimer::singleShot(0, this, [this] { ReloadGame(); });
}

void TForm1::requestIdle() {
    if (!idleTimer_.isActive()) idleTimer_.start();
}

// From the music timer's thread: the widgets are touched only on ours, through the queue.
void TForm1::wakeFromAnyThread() {
    QMetaObject::invokeMethod(
        this, [this] { requestIdle(); }, Qt::QueuedConnection);
}

void TForm1::showMidiError(std::string_view text) {
    throwIfStopping();
    if (log_.replaying()) return;  // seen when it was played
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("MIDI PLAY ERROR"), fromGame(text),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setAccessibleName(QStringLiteral("MIDI PLAY ERROR"));
    waits_.runDialog(box);
    throwIfStopping();
}

void TForm1::gameHalted(std::string_view reason) {
    haltedLine_.setText(QStringLiteral("ゲームは停止しました: ") + fromGame(reason));
    haltedLine_.show();
}

void TForm1::setGameTimerEnabled(bool enabled) {
    if (!enabled) {
        gameTimer_.stop();
    } else if (!gameTimer_.isActive()) {
        gameTimer_.start();
    }
}

void TForm1::linesAppended(std::span<const std::string> lines) {
    if (lines.empty()) return;
    // A cursor rather than appendPlainText, which folds an empty first line away and
    // would put the view out of step with the engine's lines. Each line is its own edit, so
    // a screen reader hears of each new line as it is inserted.
    QTextCursor cursor(msgMemo_.document());
    cursor.movePosition(QTextCursor::End);
    for (const std::string& line : lines) {
        const QString text = fromGame(line);
        if (memoLines_ > 0) cursor.insertBlock();
        cursor.insertText(text);
        ++memoLines_;
        // Lines an undo brings back were recorded when they were first shown.
        if (!undoing_) keeper_->storyLine(text.toStdString());
    }
    scrollToEnd();
}

void TForm1::linesRemovedFromTop(std::size_t count) {
    if (count == 0) return;
    if (count >= memoLines_) {
        messagesCleared();
        return;
    }
    QTextCursor cursor(msgMemo_.document());
    const QTextBlock keep = msgMemo_.document()->findBlockByNumber(static_cast<int>(count));
    cursor.setPosition(keep.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    memoLines_ -= count;
    scrollToEnd();
}

void TForm1::messagesCleared() {
    msgMemo_.clear();
    memoLines_ = 0;
}

void TForm1::scrollToEnd() {
    QScrollBar* bar = msgMemo_.verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TForm1::enableInput(bool enabled) {
    cmdEdit_.setEnabled(enabled);
    button1_.setEnabled(enabled);
    // Enabled in the middle of a pass (*SETINPUT 1 before a *WAIT): the keyboard comes back to
    // the command line, whose last command is selected so that typing replaces it. Not taken
    // from a box that has it.
    const QWidget* focus = QApplication::focusWidget();
    if (enabled && !cmdEdit_.hasFocus() && (!focus || focus->window() == this)) {
        cmdEdit_.setFocus(Qt::OtherFocusReason);
        cmdEdit_.selectAll();
    }
}

void TForm1::clearAndFocusInput() {
    cmdEdit_.clear();
    cmdEdit_.setFocus(Qt::OtherFocusReason);
}

void TForm1::setCaption(std::string_view text) {
    setWindowTitle(fromGame(text));
}

void TForm1::setPictureAreaSize(int width, int height) {
    pictureArea_ =
        QSize(std::clamp(width, 0, kMaxPictureSide), std::clamp(height, 0, kMaxPictureSide));
    relayout();
}

void TForm1::relayout() {
    grpImage_.setAreaSize(pictureArea_);
    const bool free = isFullScreen() || settings_.zoom == PictureZoom::Fit;
    grpImage_.setZoom(isFullScreen() ? PictureZoom::Fit : settings_.zoom, settings_.smooth);
    const int factor = free ? 1 : grpImage_.zoomFactor();
    const QSize client(pictureArea_.width() * factor + kFrameWidth,
                       pictureArea_.height() * factor + kFrameHeight);
    if (free) {
        layout_.setSizeConstraint(QLayout::SetMinimumSize);
        client_.setMinimumSize(client);
        client_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        layout_.setSizeConstraint(QLayout::SetFixedSize);
        client_.setFixedSize(client);
    }
}

// The control changes size with *SCREEN; the bitmap keeps its own.
void TForm1::pictureChanged() {
    grpImage_.setImage(toQImage(engine_->Picture().bitmap()));
    describePicture();
}

void TForm1::describePicture() {
    const std::string& name = engine_->PictureName();
    grpImage_.setAccessibleName(name.empty() ? QStringLiteral("画像")
                                             : QStringLiteral("画像: ") + fromGame(name));
}

void TForm1::waitForSound(std::chrono::milliseconds length) {
    if (log_.replaying()) return;
    // As under a dialog: the window paints and can be moved or closed, typing waits until
    // the sound is over, and the engine keeps its timers from starting another pass.
    throwIfStopping();
    waits_.sleep(length);
    throwIfStopping();
}

void TForm1::showMessage(std::string_view text) {
    throwIfStopping();
    if (log_.replaying()) return;  // seen when it was played
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VORNAL"), fromGame(text), QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.setAccessibleName(QStringLiteral("メッセージ"));
    waits_.runDialog(box);
    throwIfStopping();
}

// Live reload keeps a Yes as "yes" and a No as "no".
bool TForm1::askYesNo(std::string_view question) {
    throwIfStopping();
    if (auto answer = log_.nextAnswer()) return *answer == "yes";
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("選択"), fromGame(question),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setAccessibleName(QStringLiteral("選択"));
    waits_.runDialog(box);
    const bool yes = box.clickedButton() == box.button(QMessageBox::Yes);
    throwIfStopping();
    if (liveReload_) log_.recordAnswer(yes ? "yes" : "no");
    return yes;
}

std::string TForm1::askInput(std::string_view prompt) {
    throwIfStopping();
    if (auto answer = log_.nextAnswer()) return *answer;
    inputDlg_.prepare(fromGame(prompt));
    waits_.runDialog(inputDlg_);
    std::string answer = toGame(inputDlg_.InputEdit().text());
    throwIfStopping();
    if (liveReload_) log_.recordAnswer(answer);
    return answer;
}

bool TForm1::UndoClick() {
    // Never inside a pass: its boxes and sounds hold the window's input, and the engine
    // refuses as well.
    if (inIdle_ || waits_.waiting()) return false;
    std::optional<std::string> typed;
    try {
        const QScopedValueRollback<bool> undoing(undoing_, true);
        typed = engine_->Undo();
    } catch (const WindowStopping&) {
        return false;
    } catch (const std::exception& e) {
        reportError(QStringLiteral("Undo"), e);
        return false;
    }
    if (!typed) {
        QApplication::beep();
        return false;
    }
    if (liveReload_) log_.takeBackCommand();
    const QString command = fromGame(*typed);
    keeper_->undone(command.toStdString());
    // The command comes back to the command line, selected: Enter types it again, anything
    // else replaces it.
    if (cmdEdit_.isEnabled()) {
        cmdEdit_.setText(command);
        cmdEdit_.selectAll();
        cmdEdit_.setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void TForm1::SettingsClick() {
    SettingsDlg dialog(this);
    dialog.setSettings(settings_);
    if (dialog.exec() != QDialog::Accepted) return;
    ApplySettings(dialog.settings());
    settings_.save();
}

void TForm1::ApplySettings(const WindowSettings& settings) {
    settings_ = settings;
    msgMemo_.setFont(settings_.messageFont());
    setPalette(settings_.palette(desktopPalette_));
    relayout();
    recordAction_->setChecked(settings_.recordSessions);
    keeper_->setRecording(settings_.recordSessions);
    media_->setMusicVolume(settings_.musicVolume);
    media_->setSoundVolume(settings_.soundVolume);
}

void TForm1::FullScreenClick() {
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
    fullScreenAction_->setChecked(isFullScreen());
    relayout();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) return;
    event->acceptProposedAction();
    const QString file = urls.constFirst().toLocalFile();
    // Open after the drop has finished, not inside the drag-and-drop loop.
    QTimer::singleShot(0, this, [this, file] { OpenGame(file); });
}

void TForm1::showMediaNotice(const std::string& text) {
    mediaNotice_ =
        std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("VORNAL"),
                                      QString::fromStdString(text), QMessageBox::Ok, this);
    mediaNotice_->setTextFormat(Qt::PlainText);
    mediaNotice_->setWindowModality(Qt::NonModal);
    mediaNotice_->show();
}

void TForm1::reportError(const QString& what, const std::exception& error) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VORNAL"),
                    what + QStringLiteral(": ") + QString::fromStdString(error.what()),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace vornal::qt
