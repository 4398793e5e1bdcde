#include "player/qt/OpenFilter.h"

namespace vornal::qt {

namespace {

QString caseBlind(const QString& pattern) {
    QString out;
    for (QChar c : pattern) {
        if (c.isLetter() && c.unicode() < 128) {
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

QString scriptOpenFilter() {
    return QStringLiteral(
        "読み込める全てのファイル(*.vnp;*.vns)|*.vnp;*.vns|"
        "ヴォーナルシナリオ(*.vnp)|*.vnp|ヴォーナルスクリプト(*.vns)|*.vns");
}

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << caseBlind(pattern.trimmed());
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

}  // namespace vornal::qt
