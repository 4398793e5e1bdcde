// What the player chooses in the settings dialog, remembered between runs (QSettings, beside
// the music menu's choices). The defaults are the window's own look.
#pragma once

#include <QFont>
#include <QPalette>
#include <QSettings>
#include <QString>

#include "player/qt/PictureView.h"

namespace vornal::qt {

// The player's remembered choices, all in one file: the settings dialog's, the music menu's
// and what the window has told once.
QSettings PlayerSettings();

struct WindowSettings {
    enum class Colours { Desktop, Light, Dark };

    QString fontFamily;  // empty: the window's Gothic
    int fontPixels = 12;
    Colours colours = Colours::Desktop;
    PictureZoom zoom = PictureZoom::Actual;
    bool smooth = false;
    bool recordSessions = false;
    // 0 (silent) to 100 (player/media/Volume.h); the command line's win for their run.
    int musicVolume = 100;
    int soundVolume = 100;

    static constexpr int kMinFontPixels = 8;
    static constexpr int kMaxFontPixels = 48;

    static WindowSettings load();
    void save() const;
    bool operator==(const WindowSettings&) const = default;

    QFont messageFont() const;
    // The window's colours: `desktop` is what the desktop gave at start.
    QPalette palette(const QPalette& desktop) const;
};

}  // namespace vornal::qt
