// The main window driving a real engine: layout at start, opening a game, typing
// commands, *SCREEN, *TITLE, the *INPUT and *YESNO dialogs, a runaway script, pictures
// and sound effects.
#include <QClipboard>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "codec/ArchiveWriter.h"
#include "common/SjisText.h"
#include "player/qt/MainWindow.h"
#include "player/qt/QtTexts.h"
#include "tests/qt/ModalScript.h"
#include "tests/qt/WindowGames.h"

using vornal::qt::TForm1;
using vornal::testing::memoLines;
using vornal::testing::ModalScript;

namespace {

void answer(TForm1& form, const QString& text) {
    form.InputDlg().InputEdit().setText(text);
    QTest::keyClick(&form.InputDlg().InputEdit(), Qt::Key_Return);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QTranslator> qtTexts_;

    QString game(const QString& name, const QString& text) {
        return vornal::testing::writeGame(QDir(dir_.path()), name, text);
    }

    // A data file of tests/games/media, copied beside the games.
    void media(const QString& name) {
        QDir().mkpath(QFileInfo(dir_.filePath(name)).path());
        QFile::remove(dir_.filePath(name));
        QVERIFY(QFile::copy(QStringLiteral(VORNAL_SOURCE_DIR "/tests/games/media/") + name,
                            dir_.filePath(name)));
    }

    // Shows a form and opens a game in it; waits until the opening has run.
    void start(TForm1& form, const QString& file) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenGame(file));
        QTRY_VERIFY(!form.GameEngine().HasWork());
    }

    // Runs `call`, answering the one box it shows with OK; returns "title|text" of it.
    QString oneBoxDuring(const std::function<void()>& call) {
        ModalScript dialogs;
        dialogs.then(ModalScript::any<QMessageBox>(),
                     [&dialogs](QWidget* box) { dialogs.press(box, QMessageBox::Ok); });
        dialogs.start();
        call();
        if (!dialogs.finish()) return QStringLiteral("no box: ") + dialogs.failure();
        return dialogs.texts.value(0);
    }

    void type(TForm1& form, const QString& command) { vornal::testing::typeCommand(form, command); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QStandardPaths::setTestModeEnabled(true);  // the music menu's settings
        // Of this run's own: the runs at other scales go at the same time.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           dir_.filePath(QStringLiteral("settings")));
        // As the window's program does.
        qtTexts_ = vornal::qt::InstallJapaneseQtTexts();
        QVERIFY2(qtTexts_, "Qt's Japanese translations (qt6-translations-l10n) are missing");
    }

    void windowAtStart() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("VORNAL"));
        QCOMPARE(form.Client().size(), QSize(285, 347));
        QCOMPARE(form.Client().y(), form.MainMenu1().height());
        QCOMPARE(form.size(), QSize(285, 347 + form.MainMenu1().height()));
        QCOMPARE(form.minimumSize(), form.maximumSize());  // not resizable

        QCOMPARE(form.GrpImage().geometry(), QRect(8, 8, 270, 183));
        QCOMPARE(form.MsgMemo().geometry(), QRect(8, 197, 266, 107));
        QCOMPARE(form.CmdEdit().geometry(), QRect(8, 317, 185, 20));
        QCOMPARE(form.Button1().geometry(), QRect(200, 315, 75, 25));
        QCOMPARE(form.Button1().text(), QStringLiteral("入力"));
        QVERIFY(form.Button1().isDefault());
        QVERIFY(form.MsgMemo().isReadOnly());
        QVERIFY(form.MsgMemo().textInteractionFlags() & Qt::TextSelectableByMouse);
        QCOMPARE(form.MsgMemo().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(form.focusWidget(), &form.CmdEdit());
        QCOMPARE(form.CmdEdit().nextInFocusChain(), &form.Button1());
        QVERIFY(form.CmdEdit().isEnabled());
        QVERIFY(form.CmdEdit().testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!form.GameTimer().isActive());
        QCOMPARE(form.GameTimer().interval(), 100);

        QStringList menus;
        for (QAction* top : form.MainMenu1().actions()) {
            menus << top->text();
            for (QAction* item : top->menu()->actions()) {
                menus << (item->isSeparator() ? QStringLiteral("-") : item->text());
            }
        }
        // No MIDI ports here: the music menu offers the synthesizer alone.
        QCOMPARE(menus,
                 QStringList({"ファイル(&F)", "スクリプトを開く(&F)", "物語を保存(&S)...",
                              "物語を自動で記録(&R)", "-", "終了(&X)", "編集(&E)", "一手戻す(&U)",
                              "表示(&V)", "全画面表示(&F)", "-", "設定(&S)...", "音楽(&M)",
                              "ミュート(&M)", "-", "内蔵シンセサイザー(&S)",
                              "SoundFontを選ぶ(&F)...", "ヘルプ(&H)", "バージョン情報(&A)"}));
    }

    void openingShowsTextAndEnablesInput() {
        TForm1 form;
        start(form, game("open.vns",
                         "*SCENE hall\n"
                         "暗い広間に立っている。\n"
                         "北に扉がある。\n"
                         ">look\n"
                         "扉は古い。\n"
                         "*SCENEEND\n"));
        QCOMPARE(memoLines(form), QStringList({"暗い広間に立っている。", "北に扉がある。"}));
        QVERIFY(form.CmdEdit().isEnabled());
        QVERIFY(form.Button1().isEnabled());
        // Waiting for a command: nothing is scheduled, so the event loop can sleep.
        QVERIFY(!form.IdlePending());
        QVERIFY(!form.GameTimer().isActive());
    }

    void typedCommandRunsItsBlock() {
        TForm1 form;
        start(form, game("type.vns",
                         "*SCENE hall\n"
                         "広間。\n"
                         ">look/見る\n"
                         "扉は古い。\n"
                         ">NOMATCH\n"
                         "え？\n"
                         "*SCENEEND\n"));
        form.Button1().setFocus();  // Enter still reaches the command line's button
        form.CmdEdit().setFocus();
        type(form, QStringLiteral("扉を見る"));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("扉は古い。"));
        QCOMPARE(memoLines(form), QStringList({"広間。", "> 扉を見る", "扉は古い。"}));
        QCOMPARE(form.CmdEdit().text(), QString());
        QCOMPARE(form.focusWidget(), &form.CmdEdit());

        type(form, QStringLiteral("dance"));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("え？"));
        // A recalled command is typed text like any other.
        QTest::keyClick(&form.CmdEdit(), Qt::Key_Up);
        QTest::keyClick(&form.CmdEdit(), Qt::Key_Up);
        QCOMPARE(form.CmdEdit().text(), QStringLiteral("扉を見る"));
        QTest::keyClick(&form.CmdEdit(), Qt::Key_Return);
        QTRY_COMPARE(memoLines(form).size(), 7);
        QCOMPARE(memoLines(form).mid(5), QStringList({"> 扉を見る", "扉は古い。"}));
    }

    void messageAreaFollowsTheEngine() {
        TForm1 form;
        QString text = QStringLiteral("*SCENE s\n");
        for (int i = 0; i < 40; ++i)
            text += QStringLiteral("行%1\n").arg(i);
        text += QStringLiteral(">cls\n*CLS\n消えた。\n*SCENEEND\n");
        start(form, game("memo.vns", text));
        QCOMPARE(memoLines(form).size(), 40);
        const QScrollBar* bar = form.MsgMemo().verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());  // the last line is in view
        type(form, QStringLiteral("cls"));
        QTRY_COMPARE(memoLines(form), QStringList({"消えた。"}));
        QStringList engine;
        for (const std::string& line : form.GameEngine().Messages()) {
            engine << QString::fromStdString(vornal::sjis::toUtf8(line));
        }
        QCOMPARE(memoLines(form), engine);

        // The player may copy the story out.
        form.MsgMemo().selectAll();
        form.MsgMemo().copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("消えた。"));
    }

    void screenAndTitle() {
        TForm1 form;
        start(form, game("screen.vns",
                         "*SCREEN 320 240\n"
                         "*TITLE   夜の城\n"
                         "*SCENE s\n"
                         "ようこそ。\n"
                         "*SCENEEND\n"));
        QCOMPARE(form.windowTitle(), QStringLiteral("夜の城"));
        QCOMPARE(form.Client().size(), QSize(335, 404));
        QCOMPARE(form.size(), QSize(335, 404 + form.MainMenu1().height()));
        QCOMPARE(form.GrpImage().geometry(), QRect(8, 8, 320, 240));
        QCOMPARE(form.MsgMemo().geometry(), QRect(8, 254, 316, 107));
        QCOMPARE(form.CmdEdit().geometry(), QRect(8, 374, 235, 20));
        QCOMPARE(form.Button1().geometry(), QRect(250, 372, 75, 25));
        QCOMPARE(form.minimumSize(), form.maximumSize());
    }

    void inputRefusesUntilANumber() {
        TForm1 form;
        ModalScript dialogs;
        QString shownPrompt;
        const ModalScript::Expected input = ModalScript::dialog(&form.InputDlg());
        dialogs.then(input, [&](QWidget*) {
            shownPrompt = form.InputDlg().InputLabel().text();
            answer(form, QString());
        });
        dialogs.answer("VORNAL", "正しく入力してください", QMessageBox::Ok);
        dialogs.then(input, [&](QWidget*) { answer(form, QStringLiteral("25a")); });
        dialogs.answer("VORNAL", "数字のみを入力してください", QMessageBox::Ok);
        dialogs.then(input, [&](QWidget*) { answer(form, QStringLiteral("25")); });
        dialogs.start();
        start(form, game("input.vns",
                         "*SCENE s\n"
                         "*INPUT 年齢は？ F(10)\n"
                         "*IF F(10)==25 GOOD\n"
                         "違う。\n"
                         "*END\n"
                         "*LABEL GOOD\n"
                         "25歳。\n"
                         "*END\n"
                         "*SCENEEND\n"));
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        QCOMPARE(shownPrompt, QStringLiteral("年齢は？"));
        QCOMPARE(memoLines(form).last(), QStringLiteral("25歳。"));
        QVERIFY(form.CmdEdit().isEnabled());
    }

    void yesNoJumpsByTheAnswer_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("yes") << true << "開けた。";
        QTest::newRow("no") << false << "立ち去った。";
    }
    void yesNoJumpsByTheAnswer() {
        QFETCH(bool, yes);
        QFETCH(QString, expected);
        TForm1 form;
        ModalScript dialogs;
        QStringList buttons;
        dialogs.then(ModalScript::box("選択", "開けますか？"), [&](QWidget* box) {
            for (QAbstractButton* b : static_cast<QMessageBox*>(box)->buttons()) {
                buttons << b->text();
            }
            QVERIFY(static_cast<QMessageBox*>(box)->icon() == QMessageBox::NoIcon);
            dialogs.press(box, yes ? QMessageBox::Yes : QMessageBox::No);
        });
        dialogs.start();
        start(form, game("yesno.vns",
                         "*SCENE s\n"
                         "*YESNO 開けますか？ OPEN LEAVE\n"
                         "*END\n"
                         "*LABEL OPEN\n"
                         "開けた。\n"
                         "*END\n"
                         "*LABEL LEAVE\n"
                         "立ち去った。\n"
                         "*END\n"
                         "*SCENEEND\n"));
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        // Qt's own button texts in Japanese, as the question is.
        buttons.sort();
        QCOMPARE(buttons, QStringList({"いいえ(&N)", "はい(&Y)"}));
        QCOMPARE(memoLines(form), QStringList({expected}));
    }

    // --watch: what was typed (commands and answers) is typed again into the changed game,
    // with no dialog shown; a change that does not open leaves the game and says why.
    void liveReloadReplaysWhatWasTyped() {
        TForm1 form;
        form.SetLiveReload(true);
        form.SetRandomSeed(3);
        ModalScript dialogs;
        dialogs.answer(QStringLiteral("選択"), QStringLiteral("開けますか？"), QMessageBox::Yes);
        dialogs.start();
        const QString text =
            "*SCENE 玄関\n暗い。\n>開ける\n*YESNO 開けますか？ 地下 x\n*END\n"
            "*SCENEEND\n*SCENE 地下\n階段だ。\n>x\n*SCENEEND\n";
        const QString file = game("watch.vns", text);
        start(form, file);
        type(form, QStringLiteral("開ける"));
        QTRY_VERIFY(dialogs.done());
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("階段だ。"));
        QCOMPARE(form.TypedSoFar().entries().size(), 2u);

        // The file changes: the watcher says so from the event loop.
        game("watch.vns",
             QString(text).replace(QStringLiteral("階段だ。"), QStringLiteral("石の階段だ。")));
        QTRY_COMPARE(memoLines(form), QStringList({"暗い。", "> 開ける", "石の階段だ。"}));
        QCOMPARE(form.GameEngine().CurrentSceneName(), vornal::sjis::fromUtf8("地下"));
        QCOMPARE(dialogs.texts, QStringList({"選択|開けますか？"}));

        // Broken: the game stays, a box (not modal) says why.
        game("watch.vns", QStringLiteral("no scenes here\n"));
        QTRY_VERIFY(form.findChild<QMessageBox*>() && form.findChild<QMessageBox*>()->isVisible());
        QVERIFY(
            form.findChild<QMessageBox*>()->text().contains(QStringLiteral("*SCENEがありません")));
        QCOMPARE(memoLines(form).last(), QStringLiteral("石の階段だ。"));
        QCOMPARE(form.GameEngine().CurrentSceneName(), vornal::sjis::fromUtf8("地下"));
        // Mended again, reloaded by a direct call.
        game("watch.vns", text);
        form.ReloadGame();
        QCOMPARE(memoLines(form).last(), QStringLiteral("階段だ。"));
    }

    void runawayScriptLeavesTheWindowResponsive_data() {
        QTest::addColumn<QString>("loop");
        QTest::newRow("silent") << "*SCENE s\n*LABEL a\n*GOTO a\n*SCENEEND\n";
        QTest::newRow("printing") << "*SCENE s\n*LABEL a\nまだ続く。\n*GOTO a\n*SCENEEND\n";
    }
    void runawayScriptLeavesTheWindowResponsive() {
        QFETCH(QString, loop);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenGame(game("runaway.vns", loop)));
        // Events keep being handled between the slices of the pass, again and again; a
        // pass that never yields would let none through. (The wait only catches that.)
        int handled = 0;
        for (int i = 0; i < 3; ++i) {
            QTimer::singleShot(0, &form, [&] { ++handled; });
            QTRY_COMPARE_WITH_TIMEOUT(handled, i + 1, 30000);
            QVERIFY(form.GameEngine().HasWork());  // still looping
        }

        // Another game replaces the runaway one.
        QVERIFY(form.OpenGame(game("calm.vns", "*SCENE s\n落ち着いた。\n*SCENEEND\n")));
        QTRY_VERIFY(!form.GameEngine().HasWork());
        QCOMPARE(memoLines(form).last(), QStringLiteral("落ち着いた。"));
        QVERIFY(!form.IdlePending());

        // And the menu still quits while a game loops.
        QVERIFY(form.OpenGame(game("loop.vns", "*SCENE s\n*LABEL a\n*GOTO a\n*SCENEEND\n")));
        QTest::qWait(20);
        form.MainMenu1().actions().at(0)->menu()->actions().last()->trigger();
        QVERIFY(!form.isVisible());
    }

    void droppedFileOpensTheGame() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(game("drop.vns", "*SCENE s\n落とされた。\n*SCENEEND\n"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        QTRY_COMPARE(memoLines(form), QStringList({"落とされた。"}));
    }

    void failedOpeningIsReportedInTheApplicationsBox() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ModalScript dialogs;
        const QString missing = dir_.filePath(QStringLiteral("missing.vns"));
        dialogs.answer("VORNAL", "ファイル" + missing + "が開けません", QMessageBox::Ok);
        dialogs.start();
        QVERIFY(!form.OpenGame(missing));
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        QVERIFY(!form.GameEngine().HasWork());
    }

    // Qt's file dialog and buttons in Japanese; the detail of a failure in Japanese too.
    void openDialogAndFailedSaveSpeakJapanese() {
        const QString saver =
            game("saver.vns", "*SCENE s\n>save\n*SAVE 1\n後。\n*END\n*SCENEEND\n");
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ModalScript dialogs;
        QStringList shown;
        dialogs.then(ModalScript::any<QFileDialog>(), [&](QWidget* modal) {
            shown << modal->windowTitle();
            for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
                shown << modal->findChild<QLabel*>(QLatin1String(name))->text();
            for (QAbstractButton* b : modal->findChild<QDialogButtonBox*>()->buttons())
                shown << b->text();
            dialogs.choose(modal, saver);
        });
        // A folder in the save file's place: the file is written, but cannot replace it.
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("saver1.sav")));
        dialogs.answer("選択", "セーブデータが存在します。上書きしてもよろしいですか？",
                       QMessageBox::Yes);
        dialogs.answer("VORNAL",
                       "セーブデータ" + dir_.filePath(QStringLiteral("saver1.sav")) +
                           "を書き込めませんでした (フォルダです)",
                       QMessageBox::Ok);
        dialogs.start();
        form.MainMenu1().actions().at(0)->menu()->actions().at(0)->trigger();
        QTRY_VERIFY(!form.GameEngine().HasWork());
        type(form, QStringLiteral("save"));
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        QCOMPARE(shown, QStringList({"開く", "アドレス:", "ファイル名(&N):", "ファイルの種類:",
                                     "開く(&O)", "キャンセル"}));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("後。"));  // the game goes on
        QVERIFY(QFileInfo(dir_.filePath(QStringLiteral("saver1.sav"))).isDir());
        QCOMPARE(QDir(dir_.path()).entryList({".saver*"}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    void aboutBoxFromTheMenu() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ModalScript dialogs;
        dialogs.then(ModalScript::dialog(&form.AboutDlg()),
                     [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        dialogs.start();
        QAction* about = form.MainMenu1().actions().last()->menu()->actions().at(0);
        about->trigger();
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        QVERIFY(!form.AboutDlg().isVisible());
    }

    void picturesShowAtTheTopLeftAndStayThroughScreen() {
        media(QStringLiteral("square.bmp"));  // 50 x 50: red, a green square at 10..39
        const QRgb red = qRgb(0xC0, 0x30, 0x20), green = qRgb(0x30, 0xA0, 0x40);
        TForm1 form;
        start(form, game("picture.vns", "*SCENE s\n*PICTURE square\n*PICTURE square 250 165\n"));
        auto checkShown = [&](QSize area) {
            QCOMPARE(form.GrpImage().size(), area);
            QCOMPARE(form.GrpImage().image().size(), QSize(270, 183));
            const QImage shown = form.GrpImage().grab().toImage();
            QCOMPARE(shown.pixel(0, 0), red);
            QCOMPARE(shown.pixel(10, 10), green);
            QCOMPARE(shown.pixel(50, 0), qRgb(255, 255, 255));  // the new bitmap's white
            QCOMPARE(shown.pixel(269, 182), green);             // clipped at 270 x 183
        };
        checkShown(QSize(270, 183));
        // Another game does not clear the area; its *SCREEN makes the control grow, the
        // bitmap keeps its size and image, and the rest of the control shows the window.
        QVERIFY(form.OpenGame(game("wide.vns", "*SCREEN 320 240\n*SCENE s\n広い。\n")));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("広い。"));
        checkShown(QSize(320, 240));
        QCOMPARE(form.GrpImage().grab().toImage().pixel(300, 200),
                 form.palette().color(QPalette::Window).rgb());
    }

    // Run as well under QT_SCALE_FACTOR 1.25, 1.5 and 2 (tests/qt/CMakeLists.txt).
    void picturesFillTheirAreaAtAnyScale_data() {
        QTest::addColumn<vornal::qt::PictureZoom>("zoom");
        QTest::newRow("1x") << vornal::qt::PictureZoom::Actual;
        QTest::newRow("2x") << vornal::qt::PictureZoom::Double;
    }
    void picturesFillTheirAreaAtAnyScale() {
        QFETCH(vornal::qt::PictureZoom, zoom);
        QImage checks(8, 6, QImage::Format_RGB32);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x)
                checks.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
        vornal::qt::PictureView view;
        view.resize(40, 40);
        view.setAreaSize(QSize(8, 6));
        view.setZoom(zoom, false);
        view.setImage(checks);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const qreal ratio = view.devicePixelRatioF();
        const int factor = view.zoomFactor();
        // In device pixels the picture takes its size in points times the ratio: no band of
        // the face is left inside it, and nothing of it spills beyond.
        const QImage shown = view.grab().toImage();
        const int wide = qRound(8 * factor * ratio);
        const int high = qRound(6 * factor * ratio);
        const QRgb face = view.palette().color(QPalette::Window).rgb();
        QVERIFY(shown.pixel(wide - 1, high - 1) != face);
        QCOMPARE(shown.pixel(wide, 0), face);
        QCOMPARE(shown.pixel(0, high), face);
        // Sharp: every device pixel is one of the picture's pixels, unblended, taken from
        // the pixel under it.
        for (int y = 0; y < high; ++y) {
            for (int x = 0; x < wide; ++x) {
                const QRgb p = shown.pixel(x, y);
                QVERIFY2(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255),
                         qPrintable(QStringLiteral("blended at %1,%2").arg(x).arg(y)));
            }
        }
        const qreal perPixel = factor * ratio;
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int cx = static_cast<int>((x + 0.5) * perPixel);
                const int cy = static_cast<int>((y + 0.5) * perPixel);
                QCOMPARE(shown.pixel(cx, cy), checks.pixel(x, y));
            }
        }
        // Smooth blends where the picture's pixels meet.
        view.setZoom(zoom, true);
        const QImage smooth = view.grab().toImage();
        bool blended = false;
        for (int x = 0; x < wide && !blended; ++x) {
            const QRgb p = smooth.pixel(x, high / 2);
            blended = p != qRgb(0, 0, 0) && p != qRgb(255, 255, 255);
        }
        QCOMPARE(blended, perPixel > 1.01);
    }

    void fittedPicturesKeepWholePixelsWhenSharp() {
        QImage dot(10, 5, QImage::Format_RGB32);
        dot.fill(qRgb(200, 0, 0));
        vornal::qt::PictureView view;
        view.resize(100, 100);
        view.setAreaSize(QSize(10, 5));
        view.setImage(dot);
        view.setZoom(vornal::qt::PictureZoom::Fit, false);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const qreal ratio = view.devicePixelRatioF();
        // As large as fits (10 points per pixel across), centred, whole device pixels per
        // picture pixel.
        const QRectF sharp = view.imageRect();
        QCOMPARE(sharp.width() * ratio, std::floor(10 * ratio + 1e-6) * 10);
        QCOMPARE(sharp.center(), QPointF(50, 50));
        view.setZoom(vornal::qt::PictureZoom::Fit, true);
        QCOMPARE(view.imageRect(), QRectF(0, 25, 100, 50));
    }

    void soundEffectWaitsWhileTheWindowPaints() {
        media(QStringLiteral("snd/bell.wav"));  // half a second
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        struct PaintCounter : QObject {
            QPlainTextEdit* memoAtPaint = nullptr;
            bool asked = false;
            QString shownAtFirstPaint = QStringLiteral("(no paint)");
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint && asked && memoAtPaint) {
                    shownAtFirstPaint = memoAtPaint->toPlainText();
                    memoAtPaint = nullptr;
                }
                return false;
            }
        } counter;
        form.GrpImage().installEventFilter(&counter);
        // Asked to paint as the sound begins, the window paints during it: the text after
        // the sound is not there yet when it does.
        counter.memoAtPaint = &form.MsgMemo();
        const auto ask = connect(&form.MsgMemo(), &QPlainTextEdit::textChanged, &form, [&] {
            if (form.MsgMemo().toPlainText() != QStringLiteral("前。") || counter.asked) return;
            counter.asked = true;
            form.GrpImage().update();
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(form.OpenGame(game("bell.vns", "*SCENE s\n前。\n*SE snd\\bell\n後。\n")));
        QTRY_COMPARE(memoLines(form), QStringList({"前。", "後。"}));
        disconnect(ask);
        QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(counter.shownAtFirstPaint, QStringLiteral("前。"));

        // Another game opened during a sound replaces the pass that waits for it.
        const QString next = game("next.vns", "*SCENE s\n次の話。\n");
        QTimer::singleShot(100, &form, [&] { form.OpenGame(next); });
        QVERIFY(form.OpenGame(game("bell2.vns", "*SCENE s\n鐘。\n*SE snd\\bell\n続き。\n")));
        QTRY_COMPARE(memoLines(form).mid(2), QStringList({"鐘。", "次の話。"}));
        QTest::qWait(100);
        QCOMPARE(memoLines(form).size(), 4);
    }

    void musicPlaysMutesAndReportsInItsBox() {
        const QString log = dir_.filePath(QStringLiteral("music.log"));
        TForm1 form(vornal::MediaOptions{.output = "log:" + log.toStdString()});
        QFile bad(dir_.filePath(QStringLiteral("bad.mid")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a song");
        bad.close();
        QFile good(dir_.filePath(QStringLiteral("good.mid")));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(QByteArray::fromHex("4d546864000000060000000101e04d54726b0000000400903c64"));
        good.close();
        ModalScript dialogs;
        dialogs.answer("MIDI PLAY ERROR",
                       "スタンダード・ミディ・フォーマットのファイルではありません",
                       QMessageBox::Ok);
        dialogs.start();
        start(form, game("bgm.vns", "*SCENE s\n*BGM bad\n*BGM good\n後。\n*SCENEEND\n"));
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        // The timer thread plays the good song in real time.
        QTRY_VERIFY([&] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains(" 90 3C 64\n");
        }());
        form.MusicMenu1().muteAction().trigger();
        QVERIFY(form.Media().music().Muted());
        QCOMPARE(
            QSettings(QStringLiteral("VORNAL"), QStringLiteral("vnplayer")).value("music/mute"),
            QVariant(true));
        form.MusicMenu1().muteAction().trigger();
        QVERIFY(!form.Media().music().Muted());
        // Another output from the menu: used at once and remembered for the next run.
        const std::string other = "log:" + dir_.filePath(QStringLiteral("other.log")).toStdString();
        form.MusicMenu1().chooseOutput(QString::fromStdString(other));
        QCOMPARE(form.Media().musicOutput(), other);
        vornal::MediaOptions next;
        vornal::qt::MusicMenu::applyRemembered(next, false, false);
        QCOMPARE(next.output, other);
        QCOMPARE(next.mute, false);
    }

    void aStoppedGameSaysWhyOutsideTheMessageArea() {
        TForm1 form;
        const QString box = oneBoxDuring([&] {
            start(form,
                  game("halt.vns", "*SCENE s\n前。\n*PICTURE missing\n後。\n>x\n*SCENEEND\n"));
        });
        const QString reason =
            QStringLiteral("ファイル") +
            QFileInfo(dir_.filePath(QStringLiteral("missing.bmp"))).absoluteFilePath() +
            QStringLiteral("が開けません");
        QCOMPARE(box, QStringLiteral("VORNAL|") + reason);
        QVERIFY(form.HaltedLine().isVisible());
        QCOMPARE(form.HaltedLine().text(), QStringLiteral("ゲームは停止しました: ") + reason);
        QVERIFY(form.HaltedLine().geometry().top() >= form.Client().geometry().bottom());
        // The window grows by the line, downwards only.
        QCOMPARE(form.width(), form.Client().width());
        QVERIFY(form.HaltedLine().height() > 0);
        // The game's own text is what it was; a typed command still only echoes.
        QCOMPARE(memoLines(form), QStringList({"前。", "後。"}));
        type(form, QStringLiteral("x"));
        QCOMPARE(memoLines(form), QStringList({"前。", "後。", "> x"}));
        QVERIFY(form.HaltedLine().isVisible());
        // Until another game is opened.
        start(form, game("fresh.vns", "*SCENE s\n新しい話。\n"));
        QVERIFY(!form.HaltedLine().isVisible());
    }

    void aCutArchiveIsNamedOnceAtOpeningAndPlaysWhatItCan() {
        const QString path = dir_.filePath(QStringLiteral("cut.vnp"));
        {
            vornal::FileStream out(QFile::encodeName(path).toStdString(),
                                   vornal::FileStream::Mode::create);
            vornal::ArchiveWriter writer(out, 2);
            const std::string script = vornal::sjis::fromUtf8("*SCENE s\r\n始まり。\r\n");
            vornal::MemoryStream source(std::vector<vornal::Byte>(script.begin(), script.end()));
            writer.addEntry("*SCRIPT*", source, static_cast<std::int32_t>(script.size()));
            const std::string picture(500, 'p');
            vornal::MemoryStream data(std::vector<vornal::Byte>(picture.begin(), picture.end()));
            writer.addEntry("ROOM.BMP", data, static_cast<std::int32_t>(picture.size()));
        }
        QVERIFY(QFile::resize(path, QFileInfo(path).size() - 4));
        TForm1 form;
        const QString box = oneBoxDuring([&] { start(form, path); });
        const QString named = QStringLiteral("VORNAL|damaged archive '") + path +
                              QStringLiteral("': entry 1 'ROOM.BMP': the file is cut short");
        QVERIFY2(box.startsWith(named), qPrintable(box));
        QTRY_COMPARE(memoLines(form), QStringList({"始まり。"}));
        QVERIFY(!form.GameEngine().Halted());
        QVERIFY(!form.HaltedLine().isVisible());
    }

    void waitRunsOnTheGameTimer() {
        TForm1 form;
        start(form, game("wait.vns", "*SCENE s\n前。\n*WAIT 2\n後。\n*SCENEEND\n"));
        // The pass stopped at *WAIT; the game timer carries it on.
        QTRY_COMPARE(memoLines(form), QStringList({"前。", "後。"}));
        QTRY_VERIFY(!form.GameTimer().isActive());
        QVERIFY(form.CmdEdit().isEnabled());
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
