// The pack tool's window: the save procedure's checks and their order, the data list and
// drops, the saving state, failures after the checks, and archives identical to
// vnpack create's that the player's engine opens.
#include <signal.h>
#include <sys/resource.h>

#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

#include "common/SjisText.h"
#include "packer/qt/PackWindowMain.h"
#include "packer/qt/VNPackForm.h"
#include "player/core/Engine.h"
#include "player/qt/QtTexts.h"
#include "tests/core/StubHost.h"
#include "tests/packer/RunProgram.h"
#include "tests/qt/ModalScript.h"

using vornal::pack::PackProgress;
using vornal::pack::qt::TVNPackForm;
using vornal::testing::ModalScript;

namespace {

// The texts of the enabled items of the context menu, then of the main menu.
QStringList enabledActions(TVNPackForm& form) {
    QList<QAction*> all = form.DatPopupMenu().actions();
    for (QAction* top : form.VNPackMenu().actions())
        all << top->menu()->actions();
    QStringList enabled;
    for (QAction* a : all)
        if (!a->isSeparator() && a->isEnabled()) enabled << a->text();
    return enabled;
}

QAction* menuItem(TVNPackForm& form, int menu, int item) {
    return form.VNPackMenu().actions().at(menu)->menu()->actions().at(item);
}

QStringList items(TVNPackForm& form) {
    QStringList texts;
    for (int row = 0; row < form.DATListBox().count(); ++row)
        texts << form.DATListBox().item(row)->text();
    return texts;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool drop(TVNPackForm& form, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(&form, &dropped);
    return enter.isAccepted();
}

// Does a Qt name filter, "description (pattern ...)", take `name` with letter case
// counting, as on Linux?
bool filterTakes(const QString& filter, const QString& name) {
    const QStringList patterns =
        filter.mid(filter.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).split(QLatin1Char(' '));
    return std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
        return QRegularExpression(QRegularExpression::wildcardToRegularExpression(p))
            .match(name)
            .hasMatch();
    });
}

}  // namespace

class PackWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QDir dir_;  // a fresh folder for each test and each row
    int folders_ = 0;
    std::unique_ptr<QTranslator> qtTexts_;

    // Writes each file (its content: `content`, or its own name) below the folder.
    QString write(const QStringList& names, const QByteArray& content = {}) {
        QString path;
        for (const QString& name : names) {
            path = dir_.filePath(name);
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
            file.write(content.isNull() ? name.toUtf8() : content);
        }
        return path;
    }
    QString writeScript() {
        const std::string line = vornal::sjis::fromUtf8("荷造りの済んだ部屋。");
        return write({"game.vns"}, "*SCENE s\r\n" + QByteArray::fromStdString(line) + "\r\n");
    }
    // Every file below the folder, hidden ones too, with its content.
    QStringList snapshot() const {
        QStringList files;
        QDirIterator it(dir_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files << dir_.relativeFilePath(path) + QLatin1Char('=') + contentOf(path);
        }
        files.sort();
        return files;
    }
    // Runs the save action and answers its dialogs in order, a failure's box after the
    // worker included. `expected` names each dialog: "save:NAME", the save dialog
    // proposing NAME in the folder, or "TITLE|TEXT", a box. Its answer: "save:NAME" picks
    // NAME, "cancel" closes the save dialog, "yes", "no" and "ok" press a box's button.
    // Returns what went wrong, or nothing.
    QString save(TVNPackForm& form, const QStringList& expected, const QStringList& answers) {
        if (expected.size() != answers.size()) return QStringLiteral("steps and answers differ");
        ModalScript dialogs;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QString how = answers[i];
            if (expected[i].startsWith(QLatin1String("save:"))) {
                const QString proposed = dir_.filePath(expected[i].mid(5));
                dialogs.then({"save dialog proposing " + proposed,
                              [proposed](QWidget* w) {
                                  auto* files = qobject_cast<QFileDialog*>(w);
                                  return files && files->selectedFiles() == QStringList{proposed};
                              }},
                             [this, how, &dialogs](QWidget* modal) {
                                 auto* files = qobject_cast<QFileDialog*>(modal);
                                 QVERIFY(files->testOption(QFileDialog::DontConfirmOverwrite));
                                 QVERIFY(filterTakes(files->nameFilters().value(0), "GAME.VNP"));
                                 if (how == QLatin1String("cancel")) return files->reject();
                                 dialogs.choose(files, dir_.filePath(how.mid(5)));
                             });
                continue;
            }
            const QString title = expected[i].section(QLatin1Char('|'), 0, 0);
            const QString text = expected[i].section(QLatin1Char('|'), 1);
            dialogs.answer(title, text,
                           how == "yes"  ? QMessageBox::Yes
                           : how == "no" ? QMessageBox::No
                                         : QMessageBox::Ok);
        }
        dialogs.start();
        menuItem(form, 0, 0)->trigger();
        dialogs.finish();
        return dialogs.failure();
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        // As the window's program does.
        qtTexts_ = vornal::qt::InstallJapaneseQtTexts();
        QVERIFY2(qtTexts_, "Qt's Japanese translations (qt6-translations-l10n) are missing");
        QStandardPaths::setTestModeEnabled(true);
        // Settings of this run's own: others running at the same time (CTest's variants,
        // another checkout) would otherwise change the remembered folders under it.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           tmp_.filePath(QStringLiteral("settings")));
        QSettings(QStringLiteral("VORNAL"), QStringLiteral("VORNAL Pack")).clear();
    }
    void init() {
        dir_ = QDir(tmp_.filePath(QString::number(++folders_)));
        QVERIFY(dir_.mkpath(QStringLiteral(".")));
    }

    void checksComeFirstAndWriteNothing_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("data");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("expected");
        const QString script = QStringLiteral("{dir}/game.vns");
        const QString ask = QStringLiteral("確認|ファイルが存在します。上書きしてもいいですか？");
        QTest::newRow("no script")
            << QString() << QStringList{"gone.bmp"} << QStringList{"ok"}
            << QStringList{"VORNAL Pack|スクリプトファイルを選択してください。"};
        QTest::newRow("script missing, named before a missing data file")
            << "{dir}/none.vns" << QStringList{"gone.bmp"} << QStringList{"ok"}
            << QStringList{"VORNAL Pack|スクリプトファイル{dir}/none.vnsが存在しません。"};
        QTest::newRow("save dialog cancelled, before the data")
            << script << QStringList{"gone.bmp"} << QStringList{"cancel"}
            << QStringList{"save:game.vnp"};
        QTest::newRow("archive would replace a data file")
            << script << QStringList{"a.bmp"} << QStringList{"save:a.bmp", "ok"}
            << QStringList{"save:game.vnp",
                           "VORNAL Pack|アーカイブ{dir}/a.bmpはスクリプト"
                           "ファイルかデータファイルです。"};
        QTest::newRow("overwrite refused, before the data")
            << script << QStringList{"gone.bmp"} << QStringList{"save:old.vnp", "no"}
            << QStringList{"save:game.vnp", ask};
        QTest::newRow("script errors, packing refused")
            << "{dir}/bad.vns" << QStringList{"a.bmp"} << QStringList{"save:bad.vnp", "no"}
            << QStringList{"save:bad.vnp",
                           "確認|スクリプトに1件の誤りがあります。このまま保存しますか？"};
        QTest::newRow("data file missing, after the question")
            << script << QStringList{"a.bmp", "gone.bmp"}
            << QStringList{"save:old.vnp", "yes", "ok"}
            << QStringList{"save:game.vnp", ask,
                           "VORNAL Pack|データファイル{dir}/gone.bmpが存在しません。"};
    }
    void checksComeFirstAndWriteNothing() {
        QFETCH(QString, edit);
        QFETCH(QStringList, data);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, expected);
        writeScript();
        write({"a.bmp", "old.vnp"});
        write({"bad.vns"}, "*SCENE s\r\n*GOTO nowhere\r\n");
        const QStringList before = snapshot();
        TVNPackForm form;
        form.show();
        form.VNSEdit().setText(edit.replace(QStringLiteral("{dir}"), dir_.path()));
        for (const QString& name : data)
            form.AddDataFiles({dir_.filePath(name)});
        const QStringList list = items(form);

        expected.replaceInStrings(QStringLiteral("{dir}"), dir_.path());
        QCOMPARE(save(form, expected, answers), QString());
        QCOMPARE(snapshot(), before);
        QCOMPARE(form.VNSEdit().text(), edit);
        QCOMPARE(items(form), list);
        QVERIFY(!form.Saving());
    }

    void listTakesEachPathOnce() {
        write({"pics/A.BMP", "pics/a.bmp", "pics/b.wav", "pics/c.mid", "drop/sub/PIC.JPG",
               "drop/notes.txt", "drop/inner.vns"});
        TVNPackForm form;
        form.show();
        form.VNSEdit().setText(writeScript());
        const QString pics = dir_.filePath(QStringLiteral("pics"));

        ModalScript dialogs;
        QStringList folders, filters, texts;
        dialogs.then(ModalScript::any<QFileDialog>(), [&](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            folders << files->directory().path();
            filters = files->nameFilters();
            texts << files->windowTitle();
            for (QAbstractButton* b : files->findChild<QDialogButtonBox*>()->buttons())
                texts << b->text();
            // One file: the order of several depends on when the dialog's listing arrives.
            dialogs.choose(files, pics + "/b.wav");
        });
        dialogs.then(ModalScript::any<QFileDialog>(), [&](QWidget* modal) {
            folders << qobject_cast<QFileDialog*>(modal)->directory().path();
            qobject_cast<QFileDialog*>(modal)->reject();
        });
        dialogs.then(ModalScript::dialog(&form.AboutDlg()),
                     [&](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        dialogs.start();
        menuItem(form, 1, 1)->trigger();
        form.DatPopupMenu().actions().at(0)->trigger();
        menuItem(form, 2, 0)->trigger();
        QVERIFY2(dialogs.finish(), qPrintable(dialogs.failure()));
        // The script's folder while none is remembered, then the one last used.
        QCOMPARE(folders, QStringList({dir_.path(), pics}));
        QCOMPARE(form.AboutDlg().windowTitle(), QStringLiteral("VORNAL Packのバージョン情報"));
        // Qt's own words in Japanese, as the window's.
        QCOMPARE(texts, QStringList({"開く", "開く(&O)", "キャンセル"}));

        // The filters' descriptions as written, their patterns taking upper case too.
        for (const char* name : {"ROOM.BMP", "Pic.Jpg", "PIC.JPEG", "SE.WAV", "BGM.MID", "A.TXT"})
            QVERIFY2(filterTakes(filters[0], name) != QByteArray(name).endsWith("TXT"), name);
        for (QString& f : filters)
            f.truncate(f.lastIndexOf(QLatin1String(" (")));
        QCOMPARE(filters, QStringList({"対応している全てのデータ(*.bmp;*.jpg;*.wav;*.mid)",
                                       "画像ファイル(*.bmp;*.jpg)", "音楽ファイル(*.mid)",
                                       "効果音ファイル(*.wav)"}));

        QCOMPARE(items(form), QStringList{pics + "/b.wav"});
        form.AddDataFiles({pics + "/A.BMP", pics + "/a.bmp", pics + "/c.mid"});
        // Equal text is refused after expansion; paths differing in case are two items.
        form.AddDataFiles({pics + "/../pics/b.wav", pics + "/./A.BMP", pics + "/d.jpg"});
        QCOMPARE(items(form), QStringList({pics + "/b.wav", pics + "/A.BMP", pics + "/a.bmp",
                                           pics + "/c.mid", pics + "/d.jpg"}));
        // Delete removes every selected item; other keys remove nothing.
        for (int row : {0, 2, 3})
            form.DATListBox().item(row)->setSelected(true);
        QTest::keyClick(&form.DATListBox(), Qt::Key_Backspace);
        QCOMPARE(form.DATListBox().count(), 5);
        QTest::keyClick(&form.DATListBox(), Qt::Key_Delete);
        QCOMPARE(items(form), QStringList({pics + "/A.BMP", pics + "/d.jpg"}));

        // A dropped folder gives the data files below it, in path order, a .vns file goes
        // to the edit, and any other file dropped is a data file.
        const QString d = dir_.filePath(QStringLiteral("drop"));
        QVERIFY(drop(form, {pics, d + "/notes.txt", d + "/inner.vns", d}));
        QCOMPARE(form.VNSEdit().text(), d + "/inner.vns");
        QCOMPARE(items(form),
                 QStringList({pics + "/A.BMP", pics + "/d.jpg", pics + "/a.bmp", pics + "/b.wav",
                              pics + "/c.mid", d + "/notes.txt", d + "/sub/PIC.JPG"}));
    }

    void savingRunsBesideAResponsiveWindow() {
        const QString script = writeScript();
        const QStringList data{write({"pics/Room1.bmp"}, QByteArray(3000, 'r')),
                               write({"other/room1.bmp"}), write({"empty.wav"}, ""),
                               write({"部屋.bmp"})};
        TVNPackForm form;
        form.show();
        form.TakeFiles(QStringList(data) << script);
        // The worker waits before the second data file until the checks below are done.
        std::atomic<bool> hold{true};
        const auto release = qScopeGuard([&] { hold = false; });
        form.SetWorkerHook([&](const PackProgress& p) {
            while (p.entry == 2 && hold)
                std::this_thread::yield();
        });

        QCOMPARE(save(form, {"save:game.vnp"}, {"save:game.vnp"}), QString());
        QTRY_COMPARE(form.WaitDlg().FileLabel().text(), QStringLiteral("Room1.bmp"));
        QVERIFY(form.Saving() && form.WaitDlg().isVisible());
        QCOMPARE(form.WaitDlg().windowTitle(), QStringLiteral("PleaseWait..."));
        QCOMPARE(form.WaitDlg().Label1().text(), QStringLiteral("圧縮＆保存中……"));
        QCOMPARE(form.WaitDlg().ProgressBar().value(), 1);
        QCOMPARE(form.WaitDlg().ProgressBar().maximum(), 5);
        // Nothing that changes the list or the edit, saves or quits; closing is refused.
        QCOMPARE(enabledActions(form), QStringList{"バージョン情報(&A)"});
        QVERIFY(!form.VNSButton().isEnabled() && form.VNSEdit().isReadOnly());
        QVERIFY(!form.close() && form.isVisible());
        form.DATListBox().selectAll();
        QTest::keyClick(&form.DATListBox(), Qt::Key_Delete);
        QVERIFY(!drop(form, {dir_.filePath(QStringLiteral("empty.wav"))}));
        QCOMPARE(items(form), data);

        hold = false;
        QTRY_VERIFY(!form.Saving());
        QVERIFY(!form.WaitDlg().isVisible() && !QApplication::activeModalWidget());
        QCOMPARE(enabledActions(form),
                 QStringList({"ファイルの追加(&A)", "ファイルの登録削除(&D)",
                              "アーカイブの保存(&S)", "終了(&Q)", "スクリプトの割り当て(&S)",
                              "データを追加(&A)", "データの登録削除(&D)", "バージョン情報(&A)"}));
        QCOMPARE(form.VNSEdit().text(), script);
        QCOMPARE(items(form), data);

        // The same bytes as the command line's, and the player opens it.
        std::vector<std::string> args{"create", "-o", "cli.vnp", script.toStdString()};
        for (const QString& file : data)
            args.push_back(file.toStdString());
        QCOMPARE(
            vornal::testing::runProgram(VNPACK_PROGRAM, args, dir_.path().toStdString()).exitCode,
            0);
        QCOMPARE(contentOf(dir_.filePath(QStringLiteral("game.vnp"))),
                 contentOf(dir_.filePath(QStringLiteral("cli.vnp"))));
        vornal::test::StubHost host;
        vornal::Engine engine(host);
        QVERIFY(engine.OpenScript(dir_.filePath(QStringLiteral("game.vnp")).toStdString()));
        QVERIFY(engine.ArchiveOpen());
        host.runIdle(engine);
        QCOMPARE(host.appended(),
                 std::vector<std::string>{vornal::sjis::fromUtf8("荷造りの済んだ部屋。")});

        menuItem(form, 0, 2)->trigger();  // idle again, quitting closes the window
        QVERIFY(!form.isVisible());
    }

    void failureAfterTheChecksKeepsTheOldArchive_data() {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("a data file gone") << false;
        QTest::newRow("the disk full") << true;
    }
    void failureAfterTheChecksKeepsTheOldArchive() {
        QFETCH(bool, diskFull);
        QByteArray noise;
        for (int i = 0; i < 64 * 1024; ++i)
            noise += char(i * 2654435761u >> 13);  // barely compresses
        const QString script = writeScript(), first = write({"first.bmp"}),
                      second = write({"second.bmp"}, noise),
                      old = write({"game.vnp"}, "old archive");
        TVNPackForm form;
        form.show();
        form.TakeFiles({script, first, second});
        // Writes past 16 KiB fail as on a full disk (EFBIG, the signal ignored).
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{16 * 1024, limit.rlim_max};
        ::signal(SIGXFSZ, SIG_IGN);
        form.SetWorkerHook([&](const PackProgress& p) {
            if (p.entry == 2 && diskFull) setrlimit(RLIMIT_FSIZE, &full);
            if (p.entry == 2 && !diskFull) QFile::remove(second);
        });
        // The detail under the box's message names the file and the system's reason, in
        // Japanese as the message is.
        const QString failure =
            diskFull ? "「" + old + "」に書き込めません（ファイルが大きすぎます）"
                     : "「" + second + "」を開けません（ファイルまたはフォルダがありません）";
        const QString problem =
            save(form,
                 {"save:game.vnp", "確認|ファイルが存在します。上書きしてもいいですか？",
                  "VORNAL Pack|アーカイブを保存できませんでした。\n" + failure},
                 {"save:game.vnp", "yes", "ok"});
        setrlimit(RLIMIT_FSIZE, &limit);

        QCOMPARE(problem, QString());
        QCOMPARE(contentOf(old), QByteArray("old archive"));
        QCOMPARE(dir_.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".game")),
                 QStringList());
        QVERIFY(!form.WaitDlg().isVisible());
        QCOMPARE(enabledActions(form).size(), 8);  // idle again
    }

    // Last: the stop signal it raises stays caught for the rest of this process.
    void stopSignalCancelsTheSaveAndEndsTheLoops() {
        const QString script = writeScript(), first = write({"first.bmp"}),
                      second = write({"second.bmp"}), old = write({"game.vnp"}, "old archive");
        TVNPackForm form;
        const auto stopped = vornal::pack::EndOnStopSignals(form);
        form.show();
        form.TakeFiles({script, first, second});
        // The signal comes from the worker in the middle of the archive, once the dialogs
        // are answered; nothing else holds the worker back.
        std::atomic<bool> dialogsDone{false};
        form.SetWorkerHook([&](const PackProgress& p) {
            if (p.entry != 2) return;
            while (!dialogsDone)
                std::this_thread::yield();
            ::raise(SIGTERM);
        });
        QCOMPARE(
            save(form, {"save:game.vnp", "確認|ファイルが存在します。上書きしてもいいですか？"},
                 {"save:game.vnp", "yes"}),
            QString());
        dialogsDone = true;
        QEventLoop loop;  // stands for the program's own loop, which the signal ends
        QTimer::singleShot(20000, &loop, [&loop] { loop.exit(-1); });
        QCOMPARE(loop.exec(), 143);

        QVERIFY(!form.Saving() && !form.WaitDlg().isVisible());
        QCOMPARE(contentOf(old), QByteArray("old archive"));
        QCOMPARE(dir_.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".game")),
                 QStringList());
    }
};

QTEST_MAIN(PackWindowTest)
#include "PackWindowTest.moc"
