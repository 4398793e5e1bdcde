// What the window's tests share: games written to a folder, a form started on one, commands
// typed as the input method delivers them, the message area's lines.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QStringList>
#include <QtTest>

#include "common/SjisText.h"
#include "player/qt/MainWindow.h"

namespace vornal::testing {

// Writes a game (UTF-8 here, Shift-JIS on disk, lines ended by CR LF) into `dir`.
inline QString writeGame(const QDir& dir, const QString& name, const QString& text) {
    QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    QString crlf = text;
    crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    const std::string sjis = sjis::fromUtf8(crlf.toStdString());
    file.write(sjis.data(), static_cast<qint64>(sjis.size()));
    return path;
}

// Japanese arrives from the input method as committed text.
inline void typeCommand(qt::TForm1& form, const QString& command) {
    QInputMethodEvent commit;
    commit.setCommitString(command);
    QApplication::sendEvent(&form.CmdEdit(), &commit);
    QTest::keyClick(&form.CmdEdit(), Qt::Key_Return);
}

inline QStringList memoLines(qt::TForm1& form) {
    return form.MsgMemo().toPlainText().split(QLatin1Char('\n'));
}

}  // namespace vornal::testing
