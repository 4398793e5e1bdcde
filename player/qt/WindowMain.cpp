#include "player/qt/WindowMain.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include "player/PlayerUsage.h"
#include "player/author/Seed.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/qt/Appearance.h"
#include "player/qt/MainWindow.h"

namespace vornal {

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    // The name only: a display name would be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("VORNAL"));
    QApplication::setWindowIcon(qt::playerIcon());
    // Message boxes and dialogs show the games' Japanese too.
    QApplication::setFont(qt::gothicFont(12));

    // Qt has taken its own options (-platform, ...) out of the list; main() has answered
    // --help and --version.
    QString game;
    MediaOptions media;
    bool optionsEnded = false;
    bool outputGiven = false;
    std::optional<std::uint32_t> seed;
    std::optional<ScriptEncoding> encoding;
    bool watch = false;
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
        } else if (!optionsEnded && arg == QLatin1String("--watch")) {
            watch = true;
        } else if (!optionsEnded &&
                   (arg == QLatin1String("--seed") || arg == QLatin1String("--encoding"))) {
            const std::string value = ++i < args.size() ? args[i].toStdString() : std::string();
            const bool isSeed = arg == QLatin1String("--seed");
            if (isSeed) {
                seed = ParseSeed(value);
            } else {
                encoding = ParseEncodingName(value);
            }
            if (isSeed ? !seed : !encoding) {
                QTextStream(stderr) << "vnplayer: " << arg
                                    << (isSeed ? " takes a number from 0 to 4294967295\n"
                                               : " takes utf-8 or shift-jis\n")
                                    << kPlayerUsage;
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
    // Live reload replays with one seed throughout, so R(x) draws alike.
    if (seed || watch) form.SetRandomSeed(seed.value_or(RandomSeed()));
    form.SetScriptEncoding(encoding);
    form.SetLiveReload(watch);
    form.show();
    if (!game.isEmpty()) {
        // From inside the loop, so a failure's message box has a shown window behind it.
        QTimer::singleShot(0, &form, [&form, game] { form.OpenGame(game); });
    }
    return QApplication::exec();
}

}  // namespace vornal
