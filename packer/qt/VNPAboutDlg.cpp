#include "packer/qt/VNPAboutDlg.h"

#include <QGuiApplication>
#include <QPalette>

#include "player/qt/Appearance.h"

namespace vornal::pack::qt {

namespace {

constexpr int kWidth = 337;
constexpr int kHeight = 133;

}  // namespace

TVNPAboutDlg::TVNPAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      title_(QStringLiteral("VORNAL Pack"), this),
      version_(QStringLiteral("Version 0.10"), this),
      maker_(QStringLiteral("VORNAL for Linux developers"), this),
      okButton_(QStringLiteral("OK"), this) {
    setWindowTitle(QStringLiteral("VORNAL Packのバージョン情報"));
    setFixedSize(kWidth, kHeight);
    setFont(vornal::qt::gothicFont(12));

    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);
    setAutoFillBackground(true);

    title_.setFont(vornal::qt::minchoFont(24));
    title_.setGeometry(24, 12, kWidth - 48, 32);
    version_.setGeometry(24, 50, kWidth - 48, 16);
    maker_.setGeometry(24, 70, kWidth - 48, 16);
    for (QLabel* text : {&title_, &version_, &maker_}) {
        text->setTextFormat(Qt::PlainText);
    }

    // The button keeps the system's colours on the black box.
    okButton_.setPalette(QGuiApplication::palette());
    okButton_.setGeometry((kWidth - 75) / 2, kHeight - 33, 75, 25);
    okButton_.setDefault(true);
    connect(&okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void TVNPAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    vornal::qt::centreOnScreen(*this);
    okButton_.setFocus(Qt::OtherFocusReason);
}

}  // namespace vornal::pack::qt
