// The open dialog's file types, written as "description|patterns|description|patterns",
// turned into Qt name filters.
#pragma once

#include <QString>
#include <QStringList>

namespace vornal::qt {

// The player's open dialog filter.
QString scriptOpenFilter();

// One Qt filter per description/pattern pair: the description as written, then its
// ';'-separated patterns in parentheses, each made case-blind ("*.vnp" becomes
// "*.[vV][nN][pP]") because game files come from a system that ignores letter case.
// Show them with QFileDialog::HideNameFilterDetails so only the description appears.
// A trailing description without patterns is dropped.
QStringList qtNameFilters(const QString& filter);

}  // namespace vornal::qt
