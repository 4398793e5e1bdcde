// The pack tool's file types: the three file dialogs' filters and how dropped (or
// command-line) files and folders are sorted into the script and the data files.
#pragma once

#include <QString>
#include <QStringList>

namespace vornal::pack::qt {

// Filters as "description|patterns|...", for vornal::qt::qtNameFilters.
QString scriptFilter();   // VNSOpenDialog
QString dataFilter();     // DATOpenDialog
QString archiveFilter();  // VNPSaveDialog

struct TakenFiles {
    QString script;         // the last .vns among them, absolute; empty when none
    QStringList dataFiles;  // absolute, in the order given
};

// Each path is made absolute. A .vns file (any letter case) is the script, a folder
// stands for the data files below it (by the data filter, any letter case) in path
// order, and any other path is a data file, whether it exists or not.
TakenFiles takeFiles(const QStringList& paths);

}  // namespace vornal::pack::qt
