// TPackWaitDlg: shown, without being modal, while an archive is written; besides its
// caption and text it shows how far the save is and which file is being packed.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <cstddef>

namespace vornal::pack::qt {

class TPackWaitDlg : public QDialog {
public:
    explicit TPackWaitDlg(QWidget* parent = nullptr);

    // Before entry `entry` of `entryCount` is packed; `file` is its name.
    void ShowProgress(std::size_t entry, std::size_t entryCount, const QString& file);

    QLabel& Label1() { return label1_; }
    QProgressBar& ProgressBar() { return progressBar_; }
    QLabel& FileLabel() { return fileLabel_; }

protected:
    void showEvent(QShowEvent* event) override;
    // The save decides when the box goes: neither Escape nor the title bar closes it.
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    QFrame bevel1_;
    QLabel label1_;
    QProgressBar progressBar_;
    QLabel fileLabel_;
};

}  // namespace vornal::pack::qt
