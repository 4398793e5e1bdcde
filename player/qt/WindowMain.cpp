#include "player/qt/WindowMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <string>

#include <optional>

#include "common/ConsoleLines.h"
#include "common/StopSignals.h"
#include "player/PlayerUsage.h"
#include "player/author/Seed.h"
#include "player/media/Volume.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/qt/Appearance.h"
#include "player/qt/MainWindow.h"
#include "player/qt/QtTexts.h"

namespace vornal {

namespace {

void complain(const std::string& text) {
    console::line(stderr, "vnplayer: " + text);
}

void usageError(const std::string& text) {
    console::raw(stderr, "vnplayer: " + text + "\n" + kPlayerUsage);
}

// Qt's own warnings share standard error with the music's threads: whole lines too.
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    console::line(stderr, qFormatLogMessage(type, context, message).toStdString());
}

}  // namespace

int runWindow(int argc, char** argv) {
    qInstallMessageHandler(qtMessage);
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
    bool musicVolumeGiven = false;
    bool soundVolumeGiven = false;
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
                usageError("--output needs a value");
                return 2;
            }
            media.output = args[i].toStdString();
            outputGiven = true;
            try {
                CheckOutputName(media.output);
            } catch (const UnknownOutput& error) {
                complain(error.what());
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
                usageError(arg.toStdString() + (isSeed ? " takes a number from 0 to 4294967295"
                                                       : " takes utf-8 or shift-jis"));
                return 2;
            }
        } else if (!optionsEnded && (arg == QLatin1String("--music-volume") ||
                                     arg == QLatin1String("--sound-volume"))) {
            if (++i == args.size()) {
                usageError(arg.toStdString() + " needs a value");
                return 2;
            }
            const std::optional<int> volume = ParseVolume(args[i].toStdString());
            if (!volume) {
                complain(arg.toStdString() + " takes a whole number from 0 to 100, not " +
                         args[i].toStdString());
                return 2;
            }
            const bool music = arg == QLatin1String("--music-volume");
            (music ? media.musicVolume : media.soundVolume) = *volume;
            (music ? musicVolumeGiven : soundVolumeGiven) = true;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-'))) {
            usageError("unknown option " + arg.toStdString());
            return 2;
        } else if (game.isEmpty()) {
            game = arg;
        } else {
            usageError("one game at a time");
            return 2;
        }
    }

    qt::MusicMenu::applyRemembered(media, outputGiven, media.mute);
    // The settings dialog's volumes, unless the command line set them for this run.
    const qt::WindowSettings remembered = qt::WindowSettings::load();
    if (!musicVolumeGiven) media.musicVolume = remembered.musicVolume;
    if (!soundVolumeGiven) media.soundVolume = remembered.soundVolume;
    qt::TForm1 form(media);
    // SIGINT, SIGTERM and SIGHUP end the window in order: the music's file is completed
    // and the status tells which signal it was.
    stop::installHandlers();
    QSocketNotifier stopped(stop::wakeFd(), QSocketNotifier::Read);
    QObject::connect(&stopped, &QSocketNotifier::activated, &form, [&form, &stopped] {
        stopped.setEnabled(false);
        form.StopForSignal(stop::exitCode());
    });
    // Live reload replays with one seed throughout, so R(x) draws alike.
    if (seed || watch) form.SetRandomSeed(seed.value_or(RandomSeed()));
    form.SetScriptEncoding(encoding);
    form.SetLiveReload(watch);
    form.show();
    if (!game.isEmpty()) {
        // From inside the loop, so a failure's message box has a shown window behind it.
        QTimer::singleShot(0, &form, [&form, game] { form.OpenGame(game); });
    }
    const int status = QApplication::exec();
    if (const std::string problem = form.Media().finishMusic(); !problem.empty())
        complain("music: " + problem);
    return stop::requested() ? stop::exitCode() : status;
}

}  // namespace vornal
