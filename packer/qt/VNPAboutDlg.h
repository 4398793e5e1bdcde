// TVNPAboutDlg: the pack tool's version box.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace vornal::pack::qt {

class TVNPAboutDlg : public QDialog {
public:
    explicit TVNPAboutDlg(QWidget* parent = nullptr);

    QPushButton& OKButton() { return okButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel title_;
    QLabel version_;
    QLabel maker_;
    QPushButton okButton_;
};

}  // namespace vornal::pack::qt
