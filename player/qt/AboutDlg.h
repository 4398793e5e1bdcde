// TAboutDlg: the version box of the Help menu.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace vornal::qt {

class TAboutDlg : public QDialog {
public:
    explicit TAboutDlg(QWidget* parent = nullptr);

    QPushButton& OKButton() { return okButton_; }
    QLabel& TitleLabel() { return title_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Members, so they go before the QDialog base; none is the parent of another.
    QLabel picture_;
    QLabel product_;
    QLabel title_;
    QLabel version_;
    QLabel maker_;
    QPushButton okButton_;
};

}  // namespace vornal::qt
