// The settings dialog (表示 → 設定): the message area's font and size, the colours, the
// picture's zoom and how it is scaled, recording every session, and the music's and the
// sound effects' volumes. It edits a
// WindowSettings; the window applies and remembers what OK returns.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QSlider>
#include <QSpinBox>

#include "player/qt/WindowSettings.h"

namespace vornal::qt {

class SettingsDlg : public QDialog {
public:
    explicit SettingsDlg(QWidget* parent = nullptr);

    void setSettings(const WindowSettings& settings);
    WindowSettings settings() const;

    // Parts, for tests.
    QFontComboBox& FontBox() { return font_; }
    QSpinBox& SizeBox() { return size_; }
    QComboBox& ColoursBox() { return colours_; }
    QComboBox& ZoomBox() { return zoom_; }
    QComboBox& ScalingBox() { return scaling_; }
    QCheckBox& RecordBox() { return record_; }
    QSlider& MusicVolume() { return musicVolume_; }
    QSlider& SoundVolume() { return soundVolume_; }
    QDialogButtonBox& Buttons() { return buttons_; }

private:
    QFontComboBox font_;
    QSpinBox size_;
    QComboBox colours_;
    QComboBox zoom_;
    QComboBox scaling_;
    QCheckBox record_;
    QSlider musicVolume_;
    QSlider soundVolume_;
    QDialogButtonBox buttons_;
    QString defaultFamily_;
};

}  // namespace vornal::qt
