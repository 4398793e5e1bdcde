#include "player/qt/InputDlg.h"

#include <QShowEvent>
#include <algorithm>

#include "player/qt/Appearance.h"

namespace vornal::qt {

namespace {
constexpr int kMinLabelWidth = 400;
}

TInputDlg::TInputDlg(QWidget* parent)
    // A dialog frame with a caption only: the answer is left by OK (or Enter), never by
    // a close box.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      inputLabel_(this),
      okBtn_(QStringLiteral("OK"), this),
      inputEdit_(this) {
    setWindowTitle(QStringLiteral("入力"));
    setAccessibleName(QStringLiteral("入力"));
    inputEdit_.setAccessibleName(QStringLiteral("答え"));
    okBtn_.setAccessibleName(QStringLiteral("OK"));
    setFont(gothicFont(12));
    setFixedSize(387, 80);

    inputLabel_.setFont(gothicFont(16));
    inputLabel_.move(8, 8);
    inputLabel_.setTextFormat(Qt::PlainText);
    inputLabel_.setWordWrap(false);

    okBtn_.setGeometry(310, 36, 75, 25);
    okBtn_.setDefault(true);
    okBtn_.setAutoDefault(true);
    connect(&okBtn_, &QPushButton::clicked, this, &QDialog::accept);

    inputEdit_.setGeometry(8, 40, 288, 20);
    inputEdit_.setAttribute(Qt::WA_InputMethodEnabled, true);

    // OK first, the answer second, as the dialog was designed; the edit still gets
    // the focus when shown.
    setTabOrder(&okBtn_, &inputEdit_);
}

QString TInputDlg::ask(const QString& prompt) {
    prepare(prompt);
    exec();
    return inputEdit_.text();
}

void TInputDlg::prepare(const QString& prompt) {
    inputLabel_.setText(prompt);
    inputLabel_.adjustSize();
    // A long prompt widens the label past the dialog rather than wrapping.
    inputLabel_.resize(std::max(kMinLabelWidth, inputLabel_.width()), inputLabel_.height());
    inputEdit_.clear();
}

void TInputDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
    inputEdit_.setFocus(Qt::OtherFocusReason);
}

}  // namespace vornal::qt
