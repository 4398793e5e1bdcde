// The window's parts that need no engine: command history, anchoring, the open
// dialog's filters, fonts, the input dialog and the about box.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "player/qt/AboutDlg.h"
#include "player/qt/AnchorPanel.h"
#include "player/qt/Appearance.h"
#include "player/qt/CommandLine.h"
#include "player/qt/InputDlg.h"
#include "player/qt/OpenFilter.h"

using namespace vornal::qt;

namespace {

// Runs `action` on the next modal widget once one is shown (tests drive exec() loops).
void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(10, [action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            action(modal);
        } else {
            whenModal(action);
        }
    });
}

bool hasJapaneseGlyphs(const QFont& font) {
    QFontMetrics metrics(font);
    for (char32_t c : U"入力選択バージョン情報正しく数字") {
        if (c != 0 && !metrics.inFontUcs4(c)) return false;
    }
    return true;
}

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void historyRecallsLikeAShell_data() {
        QTest::addColumn<QStringList>("entered");
        QTest::addColumn<QString>("keys");  // U = Up, D = Down
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing entered") << QStringList{} << "U"
                                         << "draft"
                                         << "draft";
        QTest::newRow("last first") << QStringList{"a", "b"} << "U"
                                    << ""
                                    << "b";
        QTest::newRow("stops at oldest") << QStringList{"a", "b"} << "UUU"
                                         << ""
                                         << "a";
        QTest::newRow("back down") << QStringList{"a", "b", "c"} << "UUD"
                                   << ""
                                   << "c";
        QTest::newRow("draft restored") << QStringList{"a", "b"} << "UD"
                                        << "half"
                                        << "half";
        QTest::newRow("down alone keeps text") << QStringList{"a"} << "D"
                                               << "x"
                                               << "x";
        QTest::newRow("empty and repeats dropped") << QStringList{"a", "", "b", "b"} << "UU"
                                                   << ""
                                                   << "a";
    }
    void historyRecallsLikeAShell() {
        QFETCH(QStringList, entered);
        QFETCH(QString, keys);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        CommandLine edit;
        for (const QString& e : entered)
            edit.remember(e);
        edit.setText(typed);
        for (QChar k : keys)
            QTest::keyClick(&edit, k == 'U' ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(edit.text(), expected);
    }

    void historyIsBounded() {
        CommandHistory history(3);
        for (QString c : {"1", "2", "3", "4"})
            history.add(c);
        QCOMPARE(history.size(), 3);
        QString shown;
        for (int i = 0; i < 5; ++i)
            shown = history.older(shown);
        QCOMPARE(shown, QString("2"));
    }

    void commandLineTakesInputMethodText() {
        CommandLine edit;
        QVERIFY(edit.testAttribute(Qt::WA_InputMethodEnabled));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("扉を開ける"));
        QApplication::sendEvent(&edit, &commit);
        QCOMPARE(edit.text(), QStringLiteral("扉を開ける"));
    }

    void anchorsStretchAndMove_data() {
        QTest::addColumn<QRect>("design");
        QTest::addColumn<int>("edges");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("expected");
        const int all = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;
        const int lrb = Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;
        const QSize screen(335, 404);  // *SCREEN 320 240
        QTest::newRow("picture") << QRect(8, 8, 270, 183) << all << screen << QRect(8, 8, 320, 240);
        QTest::newRow("left top stays")
            << QRect(5, 6, 7, 8) << int(Qt::LeftEdge | Qt::TopEdge) << screen << QRect(5, 6, 7, 8);
        QTest::newRow("shrunk to nothing")
            << QRect(8, 8, 270, 183) << all << QSize(15, 164) << QRect(8, 8, 0, 0);
        QTest::newRow("memo in a tiny window")
            << QRect(8, 197, 266, 107) << lrb << QSize(15, 164) << QRect(8, 14, 0, 107);
    }
    void anchorsStretchAndMove() {
        QFETCH(QRect, design);
        QFETCH(int, edges);
        QFETCH(QSize, size);
        QFETCH(QRect, expected);
        QCOMPARE(AnchorPanel::anchored(design, Qt::Edges(edges), QSize(285, 347), size), expected);
    }

    void anchorPanelLaysOutOnResize() {
        AnchorPanel panel(QSize(285, 347));
        QWidget child(&panel);
        panel.place(child, {200, 315, 75, 25}, Qt::RightEdge | Qt::BottomEdge);
        panel.show();  // hidden widgets get their resize events only when shown
        QCOMPARE(child.geometry(), QRect(200, 315, 75, 25));
        panel.resize(335, 404);
        QCOMPARE(child.geometry(), QRect(250, 372, 75, 25));
    }

    void openFiltersAreCaseBlind() {
        const QStringList filters = qtNameFilters(scriptOpenFilter());
        QCOMPARE(
            filters,
            QStringList({"読み込める全てのファイル(*.vnp;*.vns) (*.[vV][nN][pP] *.[vV][nN][sS])",
                         "ヴォーナルシナリオ(*.vnp) (*.[vV][nN][pP])",
                         "ヴォーナルスクリプト(*.vns) (*.[vV][nN][sS])"}));
        // Qt's own split of a filter into its shown name and its patterns.
        QRegularExpression parts(
            QStringLiteral("^(.*)\\(([a-zA-Z0-9_.,*? +;#\\-\\[\\]@\\{\\}/"
                           "!<>\\$%&=^~:\\|]*)\\)$"));
        const auto match = parts.match(filters[0]);
        QVERIFY(match.hasMatch());
        QCOMPARE(match.captured(1).trimmed(),
                 QStringLiteral("読み込める全てのファイル(*.vnp;*.vns)"));
        for (const char* name : {"GAME.Vnp", "game.vnp", "Story.VNS"}) {
            bool matched = false;
            for (const QString& glob : match.captured(2).split(' ')) {
                matched |= QRegularExpression::fromWildcard(glob).match(name).hasMatch();
            }
            QVERIFY2(matched, name);
        }
        QVERIFY(!QRegularExpression::fromWildcard(QStringLiteral("*.[vV][nN][pP]"))
                     .match(QStringLiteral("game.txt"))
                     .hasMatch());
        QCOMPARE(qtNameFilters(QStringLiteral("only a name")), QStringList());
    }

    void japaneseFontsHaveTheGlyphs() {
        const QFont gothic = gothicFont(12);
        QVERIFY2(gothicFamilies().contains(QFontInfo(gothic).family()),
                 qPrintable(QFontInfo(gothic).family()));
        QCOMPARE(QFontInfo(gothic).pixelSize(), 12);
        QVERIFY(hasJapaneseGlyphs(gothic));
        const QFont mincho = minchoFont(24);
        QVERIFY2(minchoFamilies().contains(QFontInfo(mincho).family()),
                 qPrintable(QFontInfo(mincho).family()));
        QVERIFY(hasJapaneseGlyphs(mincho));
    }

    void inputDialogLayout() {
        TInputDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("入力"));
        QCOMPARE(dialog.size(), QSize(387, 80));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(dialog.InputLabel().pos(), QPoint(8, 8));
        QCOMPARE(dialog.InputLabel().font().pixelSize(), 16);
        QCOMPARE(dialog.OKBtn().geometry(), QRect(310, 36, 75, 25));
        QCOMPARE(dialog.OKBtn().text(), QStringLiteral("OK"));
        QVERIFY(dialog.OKBtn().isDefault());
        QCOMPARE(dialog.InputEdit().geometry(), QRect(8, 40, 288, 20));
        QVERIFY(dialog.InputEdit().testAttribute(Qt::WA_InputMethodEnabled));
    }

    void inputDialogAsksAndReturnsTheText() {
        QWidget owner;
        owner.setGeometry(300, 200, 500, 400);
        owner.show();
        TInputDlg dialog(&owner);
        dialog.InputEdit().setText(QStringLiteral("left over"));
        QString seenEdit;
        QWidget* focused = nullptr;
        QPoint centre;
        whenModal([&](QWidget* modal) {
            seenEdit = dialog.InputEdit().text();
            focused = modal->focusWidget();
            centre = modal->geometry().center();
            QTest::keyClicks(&dialog.InputEdit(), QStringLiteral("25"));
            QTest::keyClick(&dialog.InputEdit(), Qt::Key_Return);  // the default button
        });
        const QString answer = dialog.ask(QStringLiteral("年齢は？"));
        QCOMPARE(answer, QStringLiteral("25"));
        QCOMPARE(seenEdit, QString());
        QCOMPARE(focused, &dialog.InputEdit());
        QVERIFY((centre - owner.geometry().center()).manhattanLength() <= 2);
        QCOMPARE(dialog.InputLabel().text(), QStringLiteral("年齢は？"));
        QCOMPARE(dialog.InputLabel().width(), 400);
    }

    void inputDialogLongPromptWidensTheLabel() {
        TInputDlg dialog;
        const QString prompt(80, QChar(u'長'));
        whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
        QCOMPARE(dialog.ask(prompt), QString());  // closed without an answer
        QVERIFY(dialog.InputLabel().width() > 400);
        QVERIFY(dialog.InputLabel().height() < 40);  // one line, not wrapped
    }

    void aboutBox() {
        TAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("VORNALのバージョン情報"));
        QCOMPARE(about.size(), QSize(372, 166));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::black));
        QStringList texts;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
                QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
            }
        }
        for (const char* expected : {"Character Input Type Adventure Game Player", "VORNAL",
                                     "Version 0.10", "VORNAL for Linux developers"}) {
            QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
        }
        QCOMPARE(about.TitleLabel().font().pixelSize(), 24);
        QVERIFY(minchoFamilies().contains(QFontInfo(about.TitleLabel().font()).family()));
        QVERIFY(about.OKButton().isDefault());

        QPoint centre;
        whenModal([&](QWidget* modal) {
            centre = modal->geometry().center();
            QTest::keyClick(modal, Qt::Key_Return);
        });
        QCOMPARE(about.exec(), int(QDialog::Accepted));
        const QRect screen = about.screen()->availableGeometry();
        QVERIFY((centre - screen.center()).manhattanLength() <= 2);
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
