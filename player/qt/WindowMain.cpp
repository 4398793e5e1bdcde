#include "player/qt/WindowMain.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include "player/PlayerUsage.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/qt/Appearance.h"
#include "player/qt/MainWindow.h"
#include "player/qt/QtTexts.h"

namespace vornal {

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    // The name only: a display name would be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("VORNAL"));
    QApplication::setWindowIcon(qt::playerIcon());
    // Message boxes and dialogs show the games' Japanese too, Qt's own texts included.
    QApplication::setFont(qt::gothicFont(12));
    const std::unique_ptr<QTranslator> qtTexts = qt::InstallJapaneseQtTexts();

    // Qt has taken its own options (-platform, ...) out of the list; main() has answered
    // --help and --version.
    QString game;
    MediaOptions media;
    bool optionsEnded = false;
    bool outputGiven = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg == QLatin1String("--mute")) {
            media.mute = true;
        } else if (!optionsEnded && arg == QLatin1String("--output")) {
            if (++i == args.size()) {
                QTextStream(stderr) << "vnplayer: --output needs a value\n" << kPlayerUsage;
                return 2;
            }
            media.output = args[i].toStdString();
            outputGiven = true;
            try {
                CheckOutputName(media.output);
            } catch (const UnknownOutput& error) {
                QTextStream(stderr) << "vnplayer: " << error.what() << "\n";
                return 2;
            }
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-'))) {
            QTextStream(stderr) << "vnplayer: unknown option " << arg << "\n" << kPlayerUsage;
            return 2;
        } else if (game.isEmpty()) {
            game = arg;
        } else {
            QTextStream(stderr) << "vnplayer: one game at a time\n" << kPlayerUsage;
            return 2;
        }
    }

    qt::MusicMenu::applyRemembered(media, outputGiven, media.mute);
    qt::TForm1 form(media);
    form.show();
    if (!game.isEmpty()) {
        // From inside the loop, so a failure's message box has a shown window behind it.
        QTimer::singleShot(0, &form, [&form, game] { form.OpenGame(game); });
    }
    return QApplication::exec();
}

}  // namespace vornal
