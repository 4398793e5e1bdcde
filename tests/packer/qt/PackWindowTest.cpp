// The pack tool's window: the save procedure's checks and their order, the data list,
// drops, the saving state, failures after the checks, and archives identical to
// vnpack create's that the player's engine opens.
#include <signal.h>
#include <sys/resource.h>

#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
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

// Menu entries as "text" or "-" for a separator, menus and their items in order.
QStringList menuTexts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) {
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        if (a->menu()) texts << menuTexts(a->menu()->actions());
    }
    return texts;
}

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
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &dropped);
    return true;
}

// Does a Qt name filter ("description (pattern pattern)") take this file name, with
// letter case counting as on Linux?
bool filterTakes(const QString& filter, const QString& name) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const QStringList patterns = filter.mid(open + 1).chopped(1).split(QLatin1Char(' '));
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

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString writeScript() {
        const std::string line = vornal::sjis::fromUtf8("荷造りの済んだ部屋。");
        return write(QStringLiteral("game.vns"),
                     "*SCENE s\r\n" + QByteArray::fromStdString(line) + "\r\n*SCENEEND\r\n");
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
    // Answers one dialog of the save procedure and notes what it showed: "save:NAME"
    // picks NAME in the folder, "cancel" closes the save dialog, "yes", "no" and "ok"
    // press a box's button.
    void answer(QWidget* modal, const QString& how, QStringList& seen) {
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            seen << QStringLiteral("save:") +
                        dir_.relativeFilePath(files->selectedFiles().value(0));
            QVERIFY(files->testOption(QFileDialog::DontConfirmOverwrite));
            QVERIFY(files->defaultSuffix().isEmpty());
            QVERIFY(filterTakes(files->nameFilters().value(0), QStringLiteral("GAME.VNP")));
            if (how == QLatin1String("cancel")) return files->reject();
            files->selectFile(dir_.filePath(how.mid(5)));
            return static_cast<QDialog*>(files)->accept();  // QFileDialog hides it
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        seen << box->windowTitle() + QLatin1Char('|') + box->text();
        const auto button = how == QLatin1String("yes")  ? QMessageBox::Yes
                            : how == QLatin1String("no") ? QMessageBox::No
                                                         : QMessageBox::Ok;
        if (QAbstractButton* b = box->button(button)) return b->click();
        seen << QStringLiteral("(no button %1)").arg(how);
        box->done(0);
    }
    // Runs the save action and answers its dialogs in order, including a failure's box
    // that comes once the worker is done; returns what they showed.
    QStringList save(TVNPackForm& form, const QStringList& answers) {
        ModalScript dialogs;
        QStringList seen;
        for (const QString& how : answers)
            dialogs.then([this, how, &seen](QWidget* modal) { answer(modal, how, seen); });
        dialogs.start();
        menuItem(form, 0, 0)->trigger();
        if (!QTest::qWaitFor([&] { return dialogs.done(); }, 20000))
            qFatal("dialogs left unanswered: %s", qPrintable(seen.join(QLatin1Char('\n'))));
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

    void menusAndAboutBox() {
        TVNPackForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("VORNAL Pack"));
        QCOMPARE(menuTexts(form.VNPackMenu().actions()),
                 QStringList({"ファイル(&F)", "アーカイブの保存(&S)", "-", "終了(&Q)", "編集(&E)",
                              "スクリプトの割り当て(&S)", "データを追加(&A)",
                              "データの登録削除(&D)", "ヘルプ(&H)", "バージョン情報(&A)"}));
        QCOMPARE(menuTexts(form.DatPopupMenu().actions()),
                 QStringList({"ファイルの追加(&A)", "ファイルの登録削除(&D)"}));
        QCOMPARE(form.VNSButton().text(), QStringLiteral("..."));

        ModalScript dialogs;
        QString caption;
        dialogs.then([&](QWidget* box) {
            QCOMPARE(box, &form.AboutDlg());
            caption = box->windowTitle();
            QCOMPARE(box->size(), QSize(337, 133));
            QTest::keyClick(box, Qt::Key_Return);
        });
        dialogs.start();
        menuItem(form, 2, 0)->trigger();
        QVERIFY(dialogs.done());
        QCOMPARE(caption, QStringLiteral("VORNAL Packのバージョン情報"));

        // Quitting closes the window when nothing is being saved.
        menuItem(form, 0, 2)->trigger();
        QVERIFY(!form.isVisible());
    }

    void checksComeFirstAndWriteNothing_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("data");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("expected");
        const QString script = QStringLiteral("{dir}/game.vns");
        const QString question =
            QStringLiteral("確認|ファイルが存在します。上書きしてもいいですか？");
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
            << QStringList{
                   "save:game.vnp",
                   "VORNAL Pack|アーカイブ{dir}/a.bmpはスクリプトファイルかデータファイルです。"};
        QTest::newRow("overwrite refused, before the data")
            << script << QStringList{"gone.bmp"} << QStringList{"save:old.vnp", "no"}
            << QStringList{"save:game.vnp", question};
        QTest::newRow("data file missing, after the question")
            << script << QStringList{"a.bmp", "gone.bmp"}
            << QStringList{"save:old.vnp", "yes", "ok"}
            << QStringList{"save:game.vnp", question,
                           "VORNAL Pack|データファイル{dir}/gone.bmpが存在しません。"};
    }
    void checksComeFirstAndWriteNothing() {
        QFETCH(QString, edit);
        QFETCH(QStringList, data);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, expected);
        writeScript();
        write(QStringLiteral("a.bmp"), "picture");
        write(QStringLiteral("old.vnp"), "old archive");
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
        for (const char* name : {"pics/A.BMP", "pics/a.bmp", "pics/b.wav", "pics/c.mid"})
            write(QString::fromUtf8(name), name);
        TVNPackForm form;
        form.show();
        form.VNSEdit().setText(writeScript());

        ModalScript dialogs;
        QString firstFolder, secondFolder;
        QStringList filters;
        dialogs.then([&](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            firstFolder = files->directory().path();
            filters = files->nameFilters();
            files->setDirectory(dir_.filePath(QStringLiteral("pics")));
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"b.wav\" \"A.BMP\" \"a.bmp\" \"c.mid\""));
            static_cast<QDialog*>(files)->accept();
        });
        dialogs.then([&](QWidget* modal) {
            secondFolder = qobject_cast<QFileDialog*>(modal)->directory().path();
            qobject_cast<QFileDialog*>(modal)->reject();
        });
        dialogs.start();
        menuItem(form, 1, 1)->trigger();
        form.DatPopupMenu().actions().at(0)->trigger();
        QVERIFY(dialogs.done());
        // Without a remembered folder the script's; then the one last used.
        QCOMPARE(firstFolder, dir_.path());
        QCOMPARE(secondFolder, dir_.filePath(QStringLiteral("pics")));

        // The filters' descriptions as written, their patterns taking upper case too.
        QStringList descriptions = filters;
        for (QString& d : descriptions)
            d.truncate(d.lastIndexOf(QLatin1String(" (")));
        QCOMPARE(descriptions, QStringList({"対応している全てのデータ(*.bmp;*.jpg;*.wav;*.mid)",
                                            "画像ファイル(*.bmp;*.jpg)", "音楽ファイル(*.mid)",
                                            "効果音ファイル(*.wav)"}));
        for (const char* name :
             {"ROOM.BMP", "room.bmp", "Pic.Jpg", "PIC.JPEG", "SE.WAV", "bgm.MID"})
            QVERIFY2(filterTakes(filters[0], QString::fromUtf8(name)), name);
        for (const char* name : {"notes.txt", "game.vns", "x.bmp.txt"})
            QVERIFY2(!filterTakes(filters[0], QString::fromUtf8(name)), name);

        // Equal text is refused, paths differing in case are two items, and a path is
        // expanded before it is compared.
        const QString pics = dir_.filePath(QStringLiteral("pics"));
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
    }

    void dropsFillTheEditAndTheList() {
        for (const char* name : {"drop/Song.MID", "drop/sub/PIC.JPG", "drop/notes.txt",
                                 "drop/a.wav", "drop/inner.vns"})
            write(QString::fromUtf8(name), name);
        const QString script = writeScript();
        TVNPackForm form;
        form.show();
        QVERIFY(drop(form, {dir_.filePath(QStringLiteral("drop")), script}));
        const QString d = dir_.filePath(QStringLiteral("drop"));
        QCOMPARE(form.VNSEdit().text(), script);
        // A folder gives its data files below it, in path order; other files stay out.
        QCOMPARE(items(form), QStringList({d + "/Song.MID", d + "/a.wav", d + "/sub/PIC.JPG"}));
        QVERIFY(drop(form, {d + "/a.wav", d + "/notes.txt"}));
        QCOMPARE(items(form).size(), 4);
        QCOMPARE(items(form).last(), d + "/notes.txt");
    }

    void savingRunsBesideAResponsiveWindow() {
        const QString script = writeScript();
        QStringList data;
        QByteArray pattern;
        for (int i = 0; i < 3000; ++i)
            pattern += char('a' + i % 7 * (i % 5));
        data << write(QStringLiteral("pics/Room1.bmp"), pattern)
             << write(QStringLiteral("other/room1.bmp"), "second room")
             << write(QStringLiteral("empty.wav"), "") << write(QStringLiteral("部屋.bmp"), "heya");
        TVNPackForm form;
        form.show();
        form.TakeFiles(QStringList(data) << script);
        // The worker waits before the second data file until the checks below are done.
        std::atomic<bool> hold{true};
        const auto release = qScopeGuard([&] { hold = false; });
        form.SetWorkerHook([&](const PackProgress& p) {
            while (p.entry == 2 && hold)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });

        QCOMPARE(save(form, {"save:game.vnp"}), QStringList{"save:game.vnp"});
        QVERIFY(form.Saving());
        QTRY_COMPARE(form.WaitDlg().FileLabel().text(), QStringLiteral("Room1.bmp"));
        QVERIFY(form.WaitDlg().isVisible());
        QCOMPARE(form.WaitDlg().windowTitle(), QStringLiteral("PleaseWait..."));
        QCOMPARE(form.WaitDlg().Label1().text(), QStringLiteral("圧縮＆保存中……"));
        QCOMPARE(form.WaitDlg().ProgressBar().value(), 1);
        QCOMPARE(form.WaitDlg().ProgressBar().maximum(), 5);

        // Nothing that changes the list, the edit or starts a save; no quitting.
        QCOMPARE(enabledActions(form), QStringList{"バージョン情報(&A)"});
        QVERIFY(!form.VNSButton().isEnabled());
        QVERIFY(form.VNSEdit().isReadOnly());
        QVERIFY(!form.close());
        form.VNPQuitExecute();
        QVERIFY(form.isVisible());
        form.DATListBox().selectAll();
        QTest::keyClick(&form.DATListBox(), Qt::Key_Delete);
        QVERIFY(!drop(form, {dir_.filePath(QStringLiteral("empty.wav"))}));
        QCOMPARE(items(form), data);

        hold = false;
        QTRY_VERIFY(!form.Saving());
        QVERIFY(!form.WaitDlg().isVisible());
        QCOMPARE(enabledActions(form).size(), 8);
        QVERIFY(!form.VNSEdit().isReadOnly());
        QVERIFY(!QApplication::activeModalWidget());  // success says nothing
        QCOMPARE(form.VNSEdit().text(), script);
        QCOMPARE(items(form), data);

        // The same bytes as the command line's, and the player opens it.
        std::vector<std::string> args{"create", "-o", "cli.vnp", script.toStdString()};
        for (const QString& file : data)
            args.push_back(file.toStdString());
        const auto cli =
            vornal::testing::runProgram(VNPACK_PROGRAM, args, dir_.path().toStdString());
        QCOMPARE(cli.exitCode, 0);
        const QByteArray archive = contentOf(dir_.filePath(QStringLiteral("game.vnp")));
        QCOMPARE(archive, contentOf(dir_.filePath(QStringLiteral("cli.vnp"))));
        vornal::test::StubHost host;
        vornal::Engine engine(host);
        QVERIFY(engine.OpenScript(dir_.filePath(QStringLiteral("game.vnp")).toStdString()));
        QVERIFY(engine.ArchiveOpen());
        host.runIdle(engine);
        QCOMPARE(host.appended(),
                 std::vector<std::string>{vornal::sjis::fromUtf8("荷造りの済んだ部屋。")});

        QVERIFY(form.close());
    }

    void failureAfterTheChecksKeepsTheOldArchive_data() {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("a data file gone") << false;
        QTest::newRow("the disk full") << true;
    }
    void failureAfterTheChecksKeepsTheOldArchive() {
        QFETCH(bool, diskFull);
        const QString script = writeScript();
        QByteArray noise(64 * 1024, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        const QString first = write(QStringLiteral("first.bmp"), "1");
        const QString second = write(QStringLiteral("second.bmp"), noise);
        const QString old = write(QStringLiteral("game.vnp"), "old archive");
        TVNPackForm form;
        form.show();
        form.TakeFiles({script, first, second});

        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit unlimited = fileSize;
        form.SetWorkerHook([&](const PackProgress& p) {
            if (p.entry != 2) return;
            if (!diskFull) {
                QFile::remove(second);
                return;
            }
            // Writes past 16 KiB fail as on a full disk (EFBIG instead of a signal).
            ::signal(SIGXFSZ, SIG_IGN);
            fileSize.rlim_cur = 16 * 1024;
            setrlimit(RLIMIT_FSIZE, &fileSize);
        });
        const QStringList seen = save(form, {"save:game.vnp", "yes", "ok"});
        setrlimit(RLIMIT_FSIZE, &unlimited);

        QCOMPARE(seen.size(), 3);
        QVERIFY2(seen[2].contains(old), qPrintable(seen[2]));
        if (!diskFull) QVERIFY2(seen[2].contains(second), qPrintable(seen[2]));
        QCOMPARE(contentOf(old), QByteArray("old archive"));
        QCOMPARE(dir_.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".game")),
                 QStringList());
        QVERIFY(!form.Saving());
        QVERIFY(!form.WaitDlg().isVisible());
        QCOMPARE(enabledActions(form).size(), 8);
    }
};

QTEST_MAIN(PackWindowTest)
#include "PackWindowTest.moc"
