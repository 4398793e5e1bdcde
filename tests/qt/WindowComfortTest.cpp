// The window around the game: the keyboard during a pause, closing in the middle of a wait,
// taking commands back, resuming, the story kept and recorded, the settings, full screen and
// the names a screen reader reads.
#include <qpa/qwindowsysteminterface.h>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "player/qt/MainWindow.h"
#include "player/qt/SettingsDlg.h"
#include "tests/qt/ModalScript.h"
#include "tests/qt/WindowGames.h"

using vornal::qt::TForm1;
using vornal::qt::WindowSettings;
using vornal::testing::memoLines;
using vornal::testing::ModalScript;
using vornal::testing::typeCommand;

namespace {

// A WAV file of `seconds` of silence (8 kHz, 8 bits, mono).
QByteArray silence(int seconds) {
    const quint32 samples = 8000u * static_cast<quint32>(seconds);
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(8000) << quint16(1)
        << quint16(8);
    out.writeRawData("data", 4);
    out << samples;
    wav.append(QByteArray(static_cast<int>(samples), '\x80'));
    return wav;
}

const QString kResumeQuestion =
    QStringLiteral("前回の続きから遊びますか？\n「いいえ」を選ぶと最初から始まります。");

QString dataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VORNAL");
}

QString readUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("(missing)");
    return QString::fromUtf8(file.readAll());
}

QString accessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class WindowComfortTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString game(const QString& name, const QString& text) {
        return vornal::testing::writeGame(QDir(dir_.path()), name, text);
    }
    void start(TForm1& form, const QString& file) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenGame(file));
        QTRY_VERIFY(!form.GameEngine().HasWork());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QFile square(QStringLiteral(VORNAL_SOURCE_DIR "/tests/games/media/square.bmp"));
        QVERIFY(square.copy(QDir(dir_.path()).filePath(QStringLiteral("square.bmp"))));
    }
    // Every case starts from the defaults and an empty data folder.
    void init() {
        QSettings(QStringLiteral("VORNAL"), QStringLiteral("vnplayer")).clear();
        QDir(dataFolder()).removeRecursively();
    }

    void commandLineTakesTheKeyboardDuringAPause() {
        TForm1 form;
        start(form,
              game("pause.vns",
                   "*SCENE s\n>待つ\n*SETINPUT 1\n*WAIT 600\n鐘が鳴った。\n>本棚\n本がある。\n"));
        typeCommand(form, QStringLiteral("待つ"));
        // The pause: the command stands, selected, in the command line, which has the keys.
        QTRY_VERIFY(form.GameTimer().isActive());
        QCOMPARE(form.focusWidget(), &form.CmdEdit());
        QCOMPARE(form.CmdEdit().text(), QStringLiteral("待つ"));
        QCOMPARE(form.CmdEdit().selectedText(), QStringLiteral("待つ"));
        QTest::keyClicks(&form.CmdEdit(), QStringLiteral("abc"));
        QCOMPARE(form.CmdEdit().text(), QStringLiteral("abc"));
        typeCommand(form, QStringLiteral("本棚"));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("本がある。"));
        QVERIFY(memoLines(form).contains(QStringLiteral("> abc本棚")));
    }

    void closingEndsAnyWaitAtOnce_data() {
        QTest::addColumn<QString>("script");
        QTest::newRow("sound") << "*SCENE s\n前。\n*SE long\n後。\n";
        QTest::newRow("yes/no") << "*SCENE s\n前。\n*YESNO 開ける？ A B\n後。\n";
        QTest::newRow("input") << "*SCENE s\n前。\n*INPUT 名前は？ F(1)\n後。\n";
        QTest::newRow("message") << "*SCENE s\n前。\n*PICTURE missing.bmp\n後。\n";
    }
    void closingEndsAnyWaitAtOnce() {
        QFETCH(QString, script);
        QFile wav(QDir(dir_.path()).filePath(QStringLiteral("long.wav")));
        QVERIFY(wav.open(QIODevice::WriteOnly));
        wav.write(silence(10));
        wav.close();
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The wait runs its own event loop: the close is sent from inside it, as the window
        // manager's close button sends it (queued), where a wait that held back input (or a
        // modal box) would keep it for the sound's 10 s (or for good).
        QElapsedTimer clock;
        QTimer closer;
        closer.setInterval(10);
        connect(&closer, &QTimer::timeout, &form, [&] {
            if (!form.Waiting()) return;
            closer.stop();
            clock.start();
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                form.windowHandle());
        });
        closer.start();
        QVERIFY(form.OpenGame(game("closing.vns", script)));
        QTRY_VERIFY_WITH_TIMEOUT(clock.isValid() && !form.isVisible() && !form.Waiting(), 3000);
        qInfo("closed after %lld ms", static_cast<long long>(clock.elapsed()));
        // The pass was abandoned, not finished.
        QCOMPARE(memoLines(form), QStringList({"前。"}));
    }

    void undoTakesCommandsBackFromTheMenuAndItsKey() {
        TForm1 form;
        start(form, game("undo.vns",
                         "*SCENE s\n*PICTURE square\n始まり。\n>動かす\n*PICTURE square 100 50\n"
                         "*F(1)=9\n動いた。\n>見る\n見た。\n"));
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QImage before = form.GrpImage().image();
        typeCommand(form, QStringLiteral("動かす"));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("動いた。"));
        typeCommand(form, QStringLiteral("見る"));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("見た。"));
        QVERIFY(form.GrpImage().image() != before);

        // The menu item, then its key while the command line has the focus.
        form.UndoAction().trigger();
        QCOMPARE(memoLines(form), QStringList({"始まり。", "> 動かす", "動いた。"}));
        QCOMPARE(form.CmdEdit().text(), QStringLiteral("見る"));
        QCOMPARE(form.CmdEdit().selectedText(), QStringLiteral("見る"));
        // The command line claims none of the key's presses for its own editing.
        QKeyEvent claim(QEvent::ShortcutOverride, Qt::Key_Z, Qt::AltModifier);
        claim.ignore();
        QApplication::sendEvent(&form.CmdEdit(), &claim);
        QVERIFY(!claim.isAccepted());
        QCOMPARE(form.UndoAction().shortcut(), QKeySequence(Qt::ALT | Qt::Key_Z));
        QTest::keyClick(&form.CmdEdit(), Qt::Key_Z, Qt::AltModifier);
        QCOMPARE(memoLines(form), QStringList({"始まり。"}));
        QCOMPARE(form.GrpImage().image(), before);
        QCOMPARE(form.GameEngine().FlagValue(1), 1);
        QCOMPARE(form.CmdEdit().text(), QStringLiteral("動かす"));
        // Nothing more to take back.
        QVERIFY(!form.UndoClick());
        QCOMPARE(memoLines(form), QStringList({"始まり。"}));

        // Ctrl+Z stays the command line's own: it takes back typing, not a command.
        typeCommand(form, QStringLiteral("見る"));
        QTRY_COMPARE(memoLines(form).last(), QStringLiteral("見た。"));
        QTest::keyClicks(&form.CmdEdit(), QStringLiteral("xyz"));
        QTest::keyClick(&form.CmdEdit(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.CmdEdit().text(), QString());
        QCOMPARE(memoLines(form).last(), QStringLiteral("見た。"));
        QCOMPARE(form.GameEngine().UndoLevels(), std::size_t{1});
        // The story keeps what was taken back, marked, and what an undo shows again only
        // once.
        QCOMPARE(QString::fromStdString(form.Keeper().story().text()),
                 QStringLiteral("始まり。\n> 動かす\n動いた。\n> 見る\n見た。\n[undo] 見る\n"
                                "[undo] 動かす\n> 見る\n見た。\n"));
    }

    void aClosedGameResumesOrStartsOver() {
        const QString file = game("resume.vns",
                                  "*SCENE s\n*PICTURE square\n始まり。\n>進む\n*F(1)+=10\n"
                                  "*PICTURE square 30 30\n進んだ。\n*SCENEEND\n");
        QStringList played;
        QImage picture;
        {
            TForm1 first;
            start(first, file);
            for (const int lines : {3, 5}) {
                typeCommand(first, QStringLiteral("進む"));
                QTRY_COMPARE(memoLines(first).size(), lines);
            }
            played = memoLines(first);
            picture = first.GrpImage().image();
            // Leaving it for another game keeps it too.
            QVERIFY(first.OpenGame(game("other.vns", "*SCENE s\n別の話。\n")));
            QVERIFY(QDir(dataFolder() + QStringLiteral("/resume")).exists());
            first.close();
        }
        const QStringList points =
            QDir(dataFolder() + QStringLiteral("/resume")).entryList(QDir::Files);
        QCOMPARE(points.size(), 1);
        QVERIFY(points[0].startsWith(QStringLiteral("resume-")));
        {
            TForm1 again;
            ModalScript dialogs;
            dialogs.answer(QStringLiteral("VORNAL"), kResumeQuestion, QMessageBox::Yes);
            dialogs.start();
            start(again, file);
            QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
            QCOMPARE(memoLines(again), played);
            QCOMPARE(again.GrpImage().image(), picture);
            QCOMPARE(again.GameEngine().FlagValue(1), 21);
            QVERIFY(again.CmdEdit().isEnabled());
            again.close();  // resumed counts as in progress: kept again
        }
        {
            TForm1 fresh;
            ModalScript dialogs;
            dialogs.answer(QStringLiteral("VORNAL"), kResumeQuestion, QMessageBox::No);
            dialogs.start();
            start(fresh, file);
            QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
            QCOMPARE(memoLines(fresh), QStringList({"始まり。"}));
            QCOMPARE(fresh.GameEngine().FlagValue(1), 1);
            // Started over: the old point is gone, and nothing played leaves none.
            QVERIFY(QDir(dataFolder() + QStringLiteral("/resume")).isEmpty());
            fresh.close();
            QVERIFY(QDir(dataFolder() + QStringLiteral("/resume")).isEmpty());
        }
    }

    void theSavedStoryHoldsEverythingShown() {
        QString script = QStringLiteral("*SCENE s\n");
        for (int i = 0; i < 1100; ++i)
            script += QStringLiteral("行%1\n").arg(i);
        script += QStringLiteral(">続き\n*CLS\n最後。\n");
        TForm1 form;
        start(form, game("story.vns", script));
        typeCommand(form, QStringLiteral("続き"));
        QTRY_COMPARE(memoLines(form), QStringList({"最後。"}));
        const QString saved = QDir(dir_.path()).filePath(QStringLiteral("saved story.txt"));
        ModalScript dialogs;
        dialogs.then(ModalScript::any<QFileDialog>(),
                     [&](QWidget* dialog) { dialogs.choose(dialog, saved); });
        dialogs.start();
        form.SaveStoryAction().trigger();
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        const QStringList lines = readUtf8(saved).split(QLatin1Char('\n'));
        // Every line, past the area's trimming and clearing, then the command and its line.
        QCOMPARE(lines.size(), 1100 + 2 + 1);
        QCOMPARE(lines[0], QStringLiteral("行0"));
        QCOMPARE(lines[1099], QStringLiteral("行1099"));
        QCOMPARE(lines.mid(1100), QStringList({"> 続き", "最後。", ""}));
    }

    void sessionsAreRecordedWhenAsked() {
        const QString file = game("record.vns", "*SCENE s\n始まり。\n>見る\n見た。\n");
        for (int session = 0; session < 2; ++session) {
            TForm1 form;
            if (session == 0) form.RecordAction().trigger();  // remembered for the second
            QVERIFY(form.RecordAction().isChecked());
            start(form, file);
            typeCommand(form, QStringLiteral("見る"));
            QTRY_COMPARE(memoLines(form).last(), QStringLiteral("見た。"));
        }
        const QStringList files =
            QDir(dataFolder() + QStringLiteral("/transcripts")).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].startsWith(QStringLiteral("record-")));
        QVERIFY(
            files[0].endsWith(QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".txt")));
        const QStringList lines =
            readUtf8(dataFolder() + QStringLiteral("/transcripts/") + files[0]).split('\n');
        QCOMPARE(lines.size(), 9);
        for (int session = 0; session < 2; ++session) {
            QVERIFY(lines[session * 4].startsWith(QStringLiteral("=== ")));
            QVERIFY(lines[session * 4].endsWith(file + QStringLiteral(" ===")));
            QCOMPARE(lines.mid(session * 4 + 1, 3), QStringList({"始まり。", "> 見る", "見た。"}));
        }
    }

    void settingsApplyAndAreRemembered() {
        TForm1 form;
        start(form, game("settings.vns", "*SCENE s\n*PICTURE square\n始まり。\n"));
        ModalScript dialogs;
        const ModalScript::Expected settingsDialog{
            QStringLiteral("the settings dialog"),
            [](QWidget* w) { return dynamic_cast<vornal::qt::SettingsDlg*>(w) != nullptr; }};
        dialogs.then(settingsDialog, [](QWidget* dialog) {
            auto* settings = static_cast<vornal::qt::SettingsDlg*>(dialog);
            settings->SizeBox().setValue(20);
            settings->ColoursBox().setCurrentIndex(2);  // dark
            settings->ZoomBox().setCurrentIndex(1);     // 2x
            settings->MusicVolume().setValue(40);
            settings->SoundVolume().setValue(70);
            settings->Buttons().button(QDialogButtonBox::Ok)->click();
        });
        dialogs.start();
        form.SettingsClick();
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        QCOMPARE(form.MsgMemo().font().pixelSize(), 20);
        QVERIFY(form.MsgMemo().palette().color(QPalette::Base).lightness() < 64);
        QVERIFY(form.MsgMemo().palette().color(QPalette::Text).lightness() > 192);
        QCOMPARE(form.GrpImage().size(), QSize(540, 366));
        QCOMPARE(form.Client().size(), QSize(555, 530));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        const QImage shown = form.GrpImage().grab().toImage();
        QCOMPARE(shown.pixel(99, 99), shown.pixel(0, 0));  // 50 pixels of red at 2 points each

        QCOMPARE(form.Media().musicVolume(), 40);
        QCOMPARE(form.Media().soundVolume(), 70);
        QCOMPARE(WindowSettings::load(), form.Settings());

        // Remembered: the next window starts with them. Its volumes are its media's, which
        // the program makes from the remembered ones unless the command line gave others.
        vornal::MediaOptions media;
        media.musicVolume = 40;
        media.soundVolume = 70;
        TForm1 next(media);
        QCOMPARE(next.Settings(), form.Settings());
        QCOMPARE(next.Client().size(), QSize(555, 530));
        media.musicVolume = 90;
        TForm1 louder(media);
        QCOMPARE(louder.Settings().musicVolume, 90);
        // The defaults are the window's own look.
        next.ApplySettings(WindowSettings{});
        QCOMPARE(next.Client().size(), TForm1::kClientSize);
        QCOMPARE(next.MsgMemo().font().pixelSize(), 12);
    }

    void fittedAndFullScreenThePictureGrows() {
        TForm1 form;
        start(form, game("fit.vns", "*SCENE s\n*PICTURE square\n始まり。\n"));
        WindowSettings fit;
        fit.zoom = vornal::qt::PictureZoom::Fit;
        form.ApplySettings(fit);
        QVERIFY(form.minimumSize() != form.maximumSize());  // the player may resize it
        form.resize(form.width() + 270, form.height() + 183);
        QTRY_COMPARE(form.GrpImage().size(), QSize(540, 366));
        QCOMPARE(form.GrpImage().imageRect().size(), QSizeF(540, 366));
        QCOMPARE(form.MsgMemo().height(), 107);  // the rest keeps its size

        form.ApplySettings(WindowSettings{});
        QCOMPARE(form.Client().size(), TForm1::kClientSize);
        form.FullScreenAction().trigger();
        QTRY_VERIFY(form.isFullScreen());
        QTRY_VERIFY(form.GrpImage().width() > 270);
        QVERIFY(form.GrpImage().imageRect().width() > 270);
        form.FullScreenAction().trigger();
        QTRY_VERIFY(!form.isFullScreen());
        QTRY_COMPARE(form.Client().size(), TForm1::kClientSize);
    }

    void everyControlHasAnAccessibleName() {
        TForm1 form;
        start(form, game("names.vns", "*SCENE s\n*PICTURE square 5 5\n始まり。\n"));
        QStringList unnamed;
        const auto check = [&](QWidget& top) {
            for (QWidget* w : top.findChildren<QWidget*>()) {
                // The edit inside a combo or spin box is named with it.
                QWidget* owner = w->parentWidget();
                if (qobject_cast<QComboBox*>(owner) || qobject_cast<QAbstractSpinBox*>(owner) ||
                    (owner && qobject_cast<QComboBox*>(owner->parentWidget())))
                    continue;
                const bool control = w->focusPolicy() != Qt::NoFocus ||
                                     qobject_cast<QMenuBar*>(w) || w == &form.GrpImage();
                if (control && !w->isHidden() && accessibleName(w).isEmpty())
                    unnamed << QString::fromLatin1(w->metaObject()->className()) +
                                   QLatin1Char(':') + w->objectName();
            }
            if (accessibleName(&top).isEmpty()) unnamed << top.windowTitle();
        };
        check(form);
        check(form.InputDlg());
        check(form.AboutDlg());
        vornal::qt::SettingsDlg settings(&form);
        check(settings);
        QCOMPARE(unnamed.join(QLatin1Char(' ')), QString());
        // The picture is a graphic named by the file it shows.
        QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(&form.GrpImage());
        QCOMPARE(picture->role(), QAccessible::Graphic);
        QCOMPARE(picture->text(QAccessible::Name), QStringLiteral("画像: square.bmp"));
    }
};

QTEST_MAIN(WindowComfortTest)
#include "WindowComfortTest.moc"
