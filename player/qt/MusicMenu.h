// The window's music menu, 音楽(M): where the music goes (the built-in synthesizer, with its
// SoundFont or one the player picks, or a system MIDI port) and muting. The choices are
// remembered between runs (QSettings); --output and --mute on the command line win for
// that run and are not remembered.
#pragma once

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QString>
#include <QWidget>

#include "player/media/PlayerMedia.h"

namespace vornal::qt {

class MusicMenu : public QObject {
public:
    MusicMenu(QMenuBar& bar, PlayerMedia& media, QWidget& window);

    QMenu& menu() { return menu_; }
    QAction& muteAction() { return *mute_; }
    // As if chosen in the menu: used, remembered, and a box says so if it stays silent.
    void chooseOutput(const QString& name);
    void setMuted(bool muted);

    // Fills what the command line left open from the remembered choices.
    static void applyRemembered(MediaOptions& options, bool outputGiven, bool muteGiven);
    // "Music: <problem>; the music is silent" on standard error and in a box.
    static void reportProblem(QWidget& window, const std::string& problem);

private:
    void rebuildOutputs();
    QAction* addOutput(const QString& text, const QString& name);

    PlayerMedia& media_;
    QWidget& window_;
    QMenu menu_;
    QAction* mute_ = nullptr;
    QActionGroup outputs_;
};

}  // namespace vornal::qt
