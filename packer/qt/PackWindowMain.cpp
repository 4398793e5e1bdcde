#include "packer/qt/PackWindowMain.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

#include "packer/VnpackCli.h"
#include "packer/qt/VNPackForm.h"
#include "player/qt/Appearance.h"
#include "player/qt/QtTexts.h"

namespace vornal::pack {

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
    form.show();
    form.TakeFiles(files);
    return QApplication::exec();
}

}  // namespace vornal::pack
