// TInputDlg: the small modal dialog that *INPUT uses to ask for a number or a text.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace vornal::qt {

class TInputDlg : public QDialog {
public:
    explicit TInputDlg(QWidget* parent = nullptr);

    // Shows the dialog modally once with `prompt` and an empty edit; returns the
    // edit's text however the dialog was closed.
    QString ask(const QString& prompt);
    // The same, for a caller that shows the dialog itself: sets the prompt, empties the edit.
    void prepare(const QString& prompt);

    // Parts, for tests.
    QLabel& InputLabel() { return inputLabel_; }
    QLineEdit& InputEdit() { return inputEdit_; }
    QPushButton& OKBtn() { return okBtn_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Members, so they go before the QDialog base; none is the parent of another.
    QLabel inputLabel_;
    QPushButton okBtn_;
    QLineEdit inputEdit_;
};

}  // namespace vornal::qt
