#include "packer/qt/PackWaitDlg.h"

#include <QCloseEvent>

#include "player/qt/Appearance.h"

namespace vornal::pack::qt {

namespace {

// The box was 312 x 66; the progress bar and the file's name add a band below the text.
constexpr int kWidth = 312;
constexpr int kHeight = 108;

}  // namespace

TPackWaitDlg::TPackWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      bevel1_(this),
      label1_(QStringLiteral("圧縮＆保存中……"), this),
      progressBar_(this),
      fileLabel_(this) {
    setWindowTitle(QStringLiteral("PleaseWait..."));
    setFixedSize(kWidth, kHeight);
    setFont(vornal::qt::gothicFont(12));

    bevel1_.setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel1_.setGeometry(8, 8, kWidth - 16, kHeight - 16);
    label1_.setFont(vornal::qt::gothicFont(19));
    label1_.setAlignment(Qt::AlignCenter);
    label1_.setGeometry(16, 14, kWidth - 32, 26);
    progressBar_.setGeometry(16, 48, kWidth - 32, 18);
    progressBar_.setFormat(QStringLiteral("%v / %m"));
    fileLabel_.setTextFormat(Qt::PlainText);
    fileLabel_.setGeometry(16, 74, kWidth - 32, 16);
}

void TPackWaitDlg::ShowProgress(std::size_t entry, std::size_t entryCount, const QString& file) {
    progressBar_.setRange(0, static_cast<int>(entryCount));
    progressBar_.setValue(static_cast<int>(entry));
    fileLabel_.setText(
        fileLabel_.fontMetrics().elidedText(file, Qt::ElideMiddle, fileLabel_.width()));
}

void TPackWaitDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    vornal::qt::centreOnScreen(*this);
}

void TPackWaitDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace vornal::pack::qt
