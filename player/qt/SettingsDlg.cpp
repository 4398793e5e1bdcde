#include "player/qt/SettingsDlg.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "player/qt/Appearance.h"

namespace vornal::qt {

namespace {

// A label that names its control for screen readers too, and gives it a mnemonic.
void addRow(QFormLayout& form, const QString& text, QWidget& control, const QString& name) {
    auto* label = new QLabel(text);
    label->setBuddy(&control);
    control.setAccessibleName(name);
    form.addRow(label, &control);
}

}  // namespace

SettingsDlg::SettingsDlg(QWidget* parent)
    : QDialog(parent),
      record_(QStringLiteral("遊んだ物語を自動で記録する(&R)")),
      musicVolume_(Qt::Horizontal),
      soundVolume_(Qt::Horizontal),
      buttons_(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
               QDialogButtonBox::RestoreDefaults) {
    setWindowTitle(QStringLiteral("設定"));
    setAccessibleName(QStringLiteral("設定"));
    defaultFamily_ = gothicFont(12).family();

    size_.setRange(WindowSettings::kMinFontPixels, WindowSettings::kMaxFontPixels);
    size_.setSuffix(QStringLiteral(" px"));
    colours_.addItems({QStringLiteral("デスクトップに合わせる"), QStringLiteral("明るい"),
                       QStringLiteral("暗い")});
    zoom_.addItems({QStringLiteral("等倍 (1×)"), QStringLiteral("2倍 (2×)"),
                    QStringLiteral("ウィンドウに合わせる")});
    scaling_.addItems({QStringLiteral("くっきり (画素を整数倍)"), QStringLiteral("なめらか")});
    record_.setAccessibleName(QStringLiteral("遊んだ物語を自動で記録する"));
    for (QSlider* volume : {&musicVolume_, &soundVolume_}) {
        volume->setRange(0, 100);
        volume->setSingleStep(5);
        volume->setPageStep(10);
        volume->setTickInterval(10);
        volume->setTickPosition(QSlider::TicksBelow);
    }

    auto* form = new QFormLayout;
    addRow(*form, QStringLiteral("文字(&F):"), font_, QStringLiteral("メッセージの文字"));
    addRow(*form, QStringLiteral("大きさ(&S):"), size_, QStringLiteral("メッセージの文字の大きさ"));
    addRow(*form, QStringLiteral("色(&C):"), colours_, QStringLiteral("色"));
    addRow(*form, QStringLiteral("画像の拡大(&Z):"), zoom_, QStringLiteral("画像の拡大"));
    addRow(*form, QStringLiteral("拡大のしかた(&M):"), scaling_, QStringLiteral("拡大のしかた"));
    addRow(*form, QStringLiteral("音楽の音量(&B):"), musicVolume_, QStringLiteral("音楽の音量"));
    addRow(*form, QStringLiteral("効果音の音量(&E):"), soundVolume_,
           QStringLiteral("効果音の音量"));
    form->addRow(&record_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(&buttons_);

    buttons_.button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons_.button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    buttons_.button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("キャンセル"));
    QPushButton* defaults = buttons_.button(QDialogButtonBox::RestoreDefaults);
    defaults->setText(QStringLiteral("既定に戻す"));
    defaults->setAccessibleName(QStringLiteral("既定に戻す"));
    connect(&buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { setSettings(WindowSettings{}); });
    setSettings(WindowSettings{});
}

void SettingsDlg::setSettings(const WindowSettings& s) {
    font_.setCurrentFont(QFont(s.fontFamily.isEmpty() ? defaultFamily_ : s.fontFamily));
    size_.setValue(s.fontPixels);
    colours_.setCurrentIndex(static_cast<int>(s.colours));
    zoom_.setCurrentIndex(static_cast<int>(s.zoom));
    scaling_.setCurrentIndex(s.smooth ? 1 : 0);
    record_.setChecked(s.recordSessions);
    musicVolume_.setValue(s.musicVolume);
    soundVolume_.setValue(s.soundVolume);
}

WindowSettings SettingsDlg::settings() const {
    WindowSettings s;
    const QString family = font_.currentFont().family();
    // The window's own Gothic stays "the default", whichever of its families was found.
    s.fontFamily = family == defaultFamily_ ? QString() : family;
    s.fontPixels = size_.value();
    s.colours = static_cast<WindowSettings::Colours>(colours_.currentIndex());
    s.zoom = static_cast<PictureZoom>(zoom_.currentIndex());
    s.smooth = scaling_.currentIndex() == 1;
    s.recordSessions = record_.isChecked();
    s.musicVolume = musicVolume_.value();
    s.soundVolume = soundVolume_.value();
    return s;
}

}  // namespace vornal::qt
