#include "player/qt/MusicMenu.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

#include "common/ConsoleLines.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/music/outputs/PortOutput.h"
#include "player/qt/WindowSettings.h"

namespace vornal::qt {

namespace {

const QString kOutputKey = QStringLiteral("music/output");
const QString kMuteKey = QStringLiteral("music/mute");

}  // namespace

MusicMenu::MusicMenu(QMenuBar& bar, PlayerMedia& media, QWidget& window)
    : media_(media), window_(window), menu_(QStringLiteral("音楽(&M)")), outputs_(this) {
    // Before ヘルプ, which stays last.
    const QList<QAction*> menus = bar.actions();
    if (menus.isEmpty())
        bar.addMenu(&menu_);
    else
        bar.insertMenu(menus.last(), &menu_);
    outputs_.setExclusive(true);
    connect(&menu_, &QMenu::aboutToShow, this, &MusicMenu::rebuildOutputs);
    rebuildOutputs();
}

QAction* MusicMenu::addOutput(const QString& text, const QString& name) {
    QAction* action = menu_.addAction(text);
    action->setCheckable(true);
    action->setData(name);
    outputs_.addAction(action);
    connect(action, &QAction::triggered, this, [this, name] {
        if (name.isEmpty()) {
            // Pick a SoundFont for the built-in synthesizer.
            const QString file =
                QFileDialog::getOpenFileName(&window_, QStringLiteral("SoundFont"), QString(),
                                             QStringLiteral("SoundFont (*.sf2 *.SF2)"));
            if (!file.isEmpty()) chooseOutput(QStringLiteral("synth:") + file);
            return;  // the marks are set right when the menu opens next
        }
        chooseOutput(name);
    });
    return action;
}

// Each time the menu opens: ports come and go.
void MusicMenu::rebuildOutputs() {
    menu_.clear();
    for (QAction* action : outputs_.actions())
        outputs_.removeAction(action);
    mute_ = menu_.addAction(QStringLiteral("ミュート(&M)"));
    mute_->setCheckable(true);
    mute_->setChecked(media_.muted());
    connect(mute_, &QAction::toggled, this, &MusicMenu::setMuted);
    menu_.addSeparator();
    const QString current = QString::fromStdString(media_.musicOutput());
    std::vector<QAction*> added;
    added.push_back(addOutput(QStringLiteral("内蔵シンセサイザー(&S)"), QStringLiteral("synth")));
    QAction* other = addOutput(QStringLiteral("SoundFontを選ぶ(&F)..."), QString());
    if (current.startsWith(QStringLiteral("synth:"))) {
        other->setText(QStringLiteral("SoundFont: ") + current.mid(6));
        other->setChecked(true);
    }
    for (const std::string& port : ListMidiPorts()) {
        const QString name = QStringLiteral("port:") + QString::fromStdString(port);
        added.push_back(
            addOutput(QStringLiteral("MIDIポート: ") + QString::fromStdString(port), name));
    }
    for (QAction* action : added) {
        if (action->data().toString() == current || (current.isEmpty() && action == added.front()))
            action->setChecked(true);
    }
}

void MusicMenu::chooseOutput(const QString& name) {
    const std::string problem = media_.setMusicOutput(name.toStdString());
    PlayerSettings().setValue(kOutputKey, name);
    if (!problem.empty()) reportProblem(window_, problem);
}

void MusicMenu::setMuted(bool muted) {
    media_.setMuted(muted);
    PlayerSettings().setValue(kMuteKey, muted);
}

void MusicMenu::applyRemembered(MediaOptions& options, bool outputGiven, bool muteGiven) {
    QSettings settings = PlayerSettings();
    if (!outputGiven) {
        const std::string output = settings.value(kOutputKey).toString().toStdString();
        try {
            CheckOutputName(output);
            options.output = output;
        } catch (const UnknownOutput&) {
            // A setting from another version: the default instead.
        }
    }
    if (!muteGiven) options.mute = settings.value(kMuteKey, false).toBool();
}

void MusicMenu::reportProblem(QWidget& window, const std::string& problem) {
    const QString text = QStringLiteral("Music: ") + QString::fromStdString(problem) +
                         QStringLiteral("; the music is silent");
    console::line(stderr, "vnplayer: " + text.toStdString());
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VORNAL"), text, QMessageBox::Ok, &window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace vornal::qt
