#include "packer/qt/PackFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

namespace vornal::pack::qt {

namespace {

// *.jpeg beside *.jpg: the player reads both, though the descriptions name only .jpg.
constexpr auto kDataPatterns = "*.bmp;*.jpg;*.jpeg;*.wav;*.mid";

bool isScript(const QFileInfo& file) {
    return file.suffix().compare(QLatin1String("vns"), Qt::CaseInsensitive) == 0;
}

QStringList dataFilesBelow(const QString& folder) {
    // Matched by suffix rather than QDir's name filters, which are case-blind only on
    // some systems. Links to folders are not followed, so a loop cannot trap the walk.
    const QStringList patterns = QString::fromLatin1(kDataPatterns).split(QLatin1Char(';'));
    QStringList found;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (patterns.contains(QStringLiteral("*.") + QFileInfo(path).suffix().toLower())) {
            found << path;
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

QString scriptFilter() {
    return QStringLiteral("ヴォーナルスクリプト(*.vns)|*.vns");
}

QString dataFilter() {
    return QStringLiteral(
               "対応している全てのデータ(*.bmp;*.jpg;*.wav;*.mid)|%1|"
               "画像ファイル(*.bmp;*.jpg)|*.bmp;*.jpg;*.jpeg|"
               "音楽ファイル(*.mid)|*.mid|"
               "効果音ファイル(*.wav)|*.wav")
        .arg(QLatin1String(kDataPatterns));
}

QString archiveFilter() {
    return QStringLiteral("ヴォーナルシナリオ(*.vnp)|*.vnp");
}

TakenFiles takeFiles(const QStringList& paths) {
    TakenFiles taken;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            taken.dataFiles << dataFilesBelow(info.absoluteFilePath());
        } else if (isScript(info)) {
            taken.script = info.absoluteFilePath();
        } else {
            taken.dataFiles << info.absoluteFilePath();
        }
    }
    return taken;
}

}  // namespace vornal::pack::qt
