#include "packer/qt/PackWindowMain.h"

#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include "common/ConsoleLines.h"
#include "common/StopSignals.h"
#include "packer/VnpackCli.h"
#include "packer/qt/VNPackForm.h"
#include "player/qt/Appearance.h"
#include "player/qt/QtTexts.h"

namespace vornal::pack {

std::unique_ptr<QSocketNotifier> EndOnStopSignals(qt::TVNPackForm& form) {
    stop::installHandlers();
    auto stopped = std::make_unique<QSocketNotifier>(stop::wakeFd(), QSocketNotifier::Read);
    QObject::connect(stopped.get(), &QSocketNotifier::activated, &form,
                     [&form, notifier = stopped.get()] {
                         notifier->setEnabled(false);
                         if (const QString archive = form.CancelSaving(); !archive.isEmpty()) {
                             console::line(stderr, "vnpack: stopped; '" +
                                                       QFile::encodeName(archive).toStdString() +
                                                       "' left as it was");
                         }
                         QCoreApplication::exit(stop::exitCode());
                     });
    return stopped;
}

int RunPackWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VORNAL Pack"));
    QApplication::setWindowIcon(vornal::qt::playerIcon());
    QApplication::setFont(vornal::qt::gothicFont(12));
    const std::unique_ptr<QTranslator> qtTexts = vornal::qt::InstallJapaneseQtTexts();

    // Qt has taken its own options (-platform, ...) out of the list; main() has answered
    // --help and --version.
    QStringList files;
    bool optionsEnded = false;
    QStringList args = QApplication::arguments();
    args.removeFirst();
    if (!args.isEmpty() && args.constFirst() == QLatin1String("gui")) args.removeFirst();
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-'))) {
            QTextStream(stderr) << "vnpack: unknown option '" << arg << "'\n"
                                << QString::fromUtf8(VnpackUsage());
            return kExitUsage;
        } else {
            files << arg;
        }
    }

    qt::TVNPackForm form;
    const std::unique_ptr<QSocketNotifier> stopped = EndOnStopSignals(form);
    form.show();
    form.TakeFiles(files);
    const int status = QApplication::exec();
    return stop::requested() ? stop::exitCode() : status;
}

}  // namespace vornal::pack
