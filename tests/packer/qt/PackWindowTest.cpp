// The pack tool's window: the save procedure's checks and their order, the data list and
// drops, the saving state, failures after the checks, and archives identical to
// vnpack create's that the player's engine opens.
#include <signal.h>
#include <sys/resource.h>

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
#include "packer/qt/VNPackForm.h"
#include "player/core/Engine.h"
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
    // worker included: "save:NAME" picks NAME in the folder, "cancel" closes the save
    // dialog, "yes", "no" and "ok" press a box's button. Returns what they showed.
    QStringList save(TVNPackForm& form, const QStringList& answers) {
        ModalScript dialogs;
        QStringList seen;
        for (const QString& how : answers) {
            dialogs.then([this, how, &seen](QWidget* modal) {
                if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                    seen << "save:" + dir_.relativeFilePath(files->selectedFiles().value(0));
                    QVERIFY(files->testOption(QFileDialog::DontConfirmOverwrite));
                    QVERIFY(filterTakes(files->nameFilters().value(0), "GAME.VNP"));
                    if (how == QLatin1String("cancel")) return files->reject();
                    files->selectFile(dir_.filePath(how.mid(5)));
                    return static_cast<QDialog*>(files)->accept();  // QFileDialog hides it
                }
                auto* box = qobject_cast<QMessageBox*>(modal);
                seen << box->windowTitle() + QLatin1Char('|') + box->text();
                vornal::testing::press(box, how == "yes"  ? QMessageBox::Yes
                                            : how == "no" ? QMessageBox::No
                                                          : QMessageBox::Ok);
            });
        }
        dialogs.start();
        menuItem(form, 0, 0)->trigger();
        if (!QTest::qWaitFor([&] { return dialogs.done(); }, 20000))
            qFatal("dialogs left unanswered after %s", qPrintable(seen.join(QLatin1Char(','))));
        return seen;
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        QStandardPaths::setTestModeEnabled(true);
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
        QCOMPARE(save(form, answers), expected);
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
        QStringList folders, filters;
        dialogs.then([&](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            folders << files->directory().path();
            filters = files->nameFilters();
            files->setDirectory(pics);
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"b.wav\" \"A.BMP\" \"a.bmp\" \"c.mid\""));
            static_cast<QDialog*>(files)->accept();
        });
        dialogs.then([&](QWidget* modal) {
            folders << qobject_cast<QFileDialog*>(modal)->directory().path();
            qobject_cast<QFileDialog*>(modal)->reject();
        });
        dialogs.then([&](QWidget* box) {
            folders << box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        });
        dialogs.start();
        menuItem(form, 1, 1)->trigger();
        form.DatPopupMenu().actions().at(0)->trigger();
        menuItem(form, 2, 0)->trigger();
        QVERIFY(dialogs.done());
        // The script's folder while none is remembered, then the one last used.
        QCOMPARE(folders, QStringList({dir_.path(), pics, "VORNAL Packのバージョン情報"}));

        // The filters' descriptions as written, their patterns taking upper case too.
        for (const char* name : {"ROOM.BMP", "Pic.Jpg", "PIC.JPEG", "SE.WAV", "BGM.MID", "A.TXT"})
            QVERIFY2(filterTakes(filters[0], name) != QByteArray(name).endsWith("TXT"), name);
        for (QString& f : filters)
            f.truncate(f.lastIndexOf(QLatin1String(" (")));
        QCOMPARE(filters, QStringList({"対応している全てのデータ(*.bmp;*.jpg;*.wav;*.mid)",
                                       "画像ファイル(*.bmp;*.jpg)", "音楽ファイル(*.mid)",
                                       "効果音ファイル(*.wav)"}));

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

        QCOMPARE(save(form, {"save:game.vnp"}), QStringList{"save:game.vnp"});
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
        const QStringList seen = save(form, {"save:game.vnp", "yes", "ok"});
        setrlimit(RLIMIT_FSIZE, &limit);

        QCOMPARE(seen.size(), 3);
        QVERIFY2(seen[2].contains(old) && (diskFull || seen[2].contains(second)),
                 qPrintable(seen[2]));
        QCOMPARE(contentOf(old), QByteArray("old archive"));
        QCOMPARE(dir_.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".game")),
                 QStringList());
        QVERIFY(!form.WaitDlg().isVisible());
        QCOMPARE(enabledActions(form).size(), 8);  // idle again
    }
};

QTEST_MAIN(PackWindowTest)
#include "PackWindowTest.moc"
