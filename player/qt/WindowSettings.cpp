#include "player/qt/WindowSettings.h"

#include <QSettings>
#include <algorithm>

#include "player/qt/Appearance.h"

namespace vornal::qt {

QSettings PlayerSettings() {
    return QSettings(QStringLiteral("VORNAL"), QStringLiteral("vnplayer"));
}

namespace {

// Stored as words, so a hand-edited or older file reads as the default.
template <typename Enum>
Enum fromWord(const QString& word, std::initializer_list<std::pair<const char*, Enum>> words,
              Enum fallback) {
    for (const auto& [name, value] : words) {
        if (word == QLatin1String(name)) return value;
    }
    return fallback;
}

const std::initializer_list<std::pair<const char*, WindowSettings::Colours>> kColourWords = {
    {"desktop", WindowSettings::Colours::Desktop},
    {"light", WindowSettings::Colours::Light},
    {"dark", WindowSettings::Colours::Dark}};
const std::initializer_list<std::pair<const char*, PictureZoom>> kZoomWords = {
    {"1x", PictureZoom::Actual}, {"2x", PictureZoom::Double}, {"fit", PictureZoom::Fit}};

template <typename Enum>
QString toWord(Enum value, std::initializer_list<std::pair<const char*, Enum>> words) {
    for (const auto& [name, v] : words) {
        if (v == value) return QLatin1String(name);
    }
    return {};
}

}  // namespace

WindowSettings WindowSettings::load() {
    QSettings s = PlayerSettings();
    WindowSettings w;
    w.fontFamily = s.value(QStringLiteral("window/font"), QString()).toString();
    w.fontPixels = std::clamp(s.value(QStringLiteral("window/fontPixels"), 12).toInt(),
                              kMinFontPixels, kMaxFontPixels);
    w.colours = fromWord(s.value(QStringLiteral("window/colours")).toString(), kColourWords,
                         Colours::Desktop);
    w.zoom = fromWord(s.value(QStringLiteral("window/zoom")).toString(), kZoomWords,
                      PictureZoom::Actual);
    w.smooth = s.value(QStringLiteral("window/smooth"), false).toBool();
    w.recordSessions = s.value(QStringLiteral("window/recordSessions"), false).toBool();
    w.musicVolume = std::clamp(s.value(QStringLiteral("volume/music"), 100).toInt(), 0, 100);
    w.soundVolume = std::clamp(s.value(QStringLiteral("volume/sounds"), 100).toInt(), 0, 100);
    return w;
}

void WindowSettings::save() const {
    QSettings s = PlayerSettings();
    s.setValue(QStringLiteral("window/font"), fontFamily);
    s.setValue(QStringLiteral("window/fontPixels"), fontPixels);
    s.setValue(QStringLiteral("window/colours"), toWord(colours, kColourWords));
    s.setValue(QStringLiteral("window/zoom"), toWord(zoom, kZoomWords));
    s.setValue(QStringLiteral("window/smooth"), smooth);
    s.setValue(QStringLiteral("window/recordSessions"), recordSessions);
    s.setValue(QStringLiteral("volume/music"), musicVolume);
    s.setValue(QStringLiteral("volume/sounds"), soundVolume);
}

QFont WindowSettings::messageFont() const {
    if (fontFamily.isEmpty()) return gothicFont(fontPixels);
    QFont font(fontFamily);
    font.setPixelSize(fontPixels);
    return font;
}

QPalette WindowSettings::palette(const QPalette& desktop) const {
    if (colours == Colours::Desktop) return desktop;
    const bool dark = colours == Colours::Dark;
    const QColor window = dark ? QColor(0x2B, 0x2B, 0x2B) : QColor(0xF0, 0xF0, 0xF0);
    const QColor base = dark ? QColor(0x1E, 0x1E, 0x1E) : QColor(Qt::white);
    const QColor text = dark ? QColor(0xE8, 0xE8, 0xE8) : QColor(Qt::black);
    const QColor button = dark ? QColor(0x3C, 0x3C, 0x3C) : QColor(0xE1, 0xE1, 0xE1);
    const QColor highlight = dark ? QColor(0x3D, 0x6F, 0xB4) : QColor(0x00, 0x78, 0xD7);
    QPalette p(button, window);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText,
               dark ? QColor(0x90, 0x90, 0x90) : QColor(0x70, 0x70, 0x70));
    const QColor disabled = dark ? QColor(0x80, 0x80, 0x80) : QColor(0x78, 0x78, 0x78);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

}  // namespace vornal::qt
