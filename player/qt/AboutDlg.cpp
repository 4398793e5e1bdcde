#include "player/qt/AboutDlg.h"

#include <QGuiApplication>
#include <QPalette>

#include "player/qt/Appearance.h"

namespace vornal::qt {

TAboutDlg::TAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      picture_(this),
      product_(QStringLiteral("Character Input Type Adventure Game Player"), this),
      title_(QStringLiteral("VORNAL"), this),
      version_(QStringLiteral("Version 0.10"), this),
      maker_(QStringLiteral("VORNAL for Linux developers"), this),
      okButton_(QStringLiteral("OK"), this) {
    setWindowTitle(QStringLiteral("VORNALのバージョン情報"));
    setAccessibleName(QStringLiteral("VORNALのバージョン情報"));
    okButton_.setAccessibleName(QStringLiteral("OK"));
    setFixedSize(372, 166);
    setFont(gothicFont(12));

    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);
    setAutoFillBackground(true);

    picture_.setPixmap(playerPixmap(48));
    picture_.setGeometry(16, 16, 48, 48);

    product_.setGeometry(80, 14, 280, 16);
    title_.setFont(minchoFont(24));
    title_.setGeometry(80, 34, 280, 32);
    version_.setGeometry(80, 76, 280, 16);
    maker_.setGeometry(80, 96, 280, 16);
    for (QLabel* text : {&product_, &title_, &version_, &maker_}) {
        text->setTextFormat(Qt::PlainText);
    }

    // The button keeps the system's colours on the black box.
    okButton_.setPalette(QGuiApplication::palette());
    okButton_.setGeometry((372 - 75) / 2, 128, 75, 25);
    okButton_.setDefault(true);
    connect(&okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(*this);
    okButton_.setFocus(Qt::OtherFocusReason);
}

}  // namespace vornal::qt
