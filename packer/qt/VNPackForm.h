// TVNPackForm: the pack tool's window. The author picks the script and the data files;
// saving runs the checks here, with their dialogs, and then the pack procedure on a
// worker thread (PackRun) while the wait dialog shows how far it is.
#pragma once

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "packer/PackProcedure.h"
#include "packer/qt/PackRun.h"
#include "packer/qt/PackWaitDlg.h"
#include "packer/qt/VNPAboutDlg.h"

namespace vornal::pack::qt {

class TVNPackForm : public QWidget {
public:
    explicit TVNPackForm(QWidget* parent = nullptr);
    ~TVNPackForm() override;

    // Actions.
    void VNSOpenExecute();
    void DATAddExecute();
    void DATDelExecute();
    void VNPSaveExecute();
    void VNPQuitExecute();
    void VNPAboutExecute();

    // As if dropped on the window: a .vns file goes to the edit, folders give their data
    // files, anything else is appended to the list unless an equal item is there.
    void TakeFiles(const QStringList& paths);
    // Appends each path unless an item equal to it (same text, letter case counts) is
    // already in the list.
    void AddDataFiles(const QStringList& paths);

    bool Saving() const { return saving_; }
    // Stops a save in progress for a stop signal, leaving the old archive as it was.
    // Returns the archive's path when a save was cancelled, empty otherwise.
    QString CancelSaving();

    // Parts, for tests.
    QLineEdit& VNSEdit() { return vnsEdit_; }
    QPushButton& VNSButton() { return vnsButton_; }
    QListWidget& DATListBox() { return datListBox_; }
    QMenuBar& VNPackMenu() { return vnpackMenu_; }
    QMenu& DatPopupMenu() { return datPopupMenu_; }
    TPackWaitDlg& WaitDlg() { return waitDlg_; }
    TVNPAboutDlg& AboutDlg() { return aboutDlg_; }
    // Runs on the worker thread before each entry is packed; tests hold a save open.
    void SetWorkerHook(ProgressCallback hook) { workerHook_ = std::move(hook); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildClient();
    QString askArchivePath(const QString& script);
    bool scriptErrorsAccepted(const PackJob& job);
    void showMessage(const QString& text);
    void startSaving(PackJob job);
    void finishSaving(const QString& failure);
    void setSaving(bool saving);
    QString rememberedFolder(const char* key) const;
    void rememberFolder(const char* key, const QString& file);

    // Parents before children: members go in reverse order, children first.
    QVBoxLayout layout_;
    QMenuBar vnpackMenu_;
    QGroupBox scriptGroup_;
    QHBoxLayout scriptLayout_;
    QLineEdit vnsEdit_;
    QPushButton vnsButton_;
    QGroupBox dataGroup_;
    QVBoxLayout dataLayout_;
    QListWidget datListBox_;
    QMenu datPopupMenu_;
    QAction vnsOpen_;
    QAction datAdd_;
    QAction datDel_;
    QAction vnpSave_;
    QAction vnpQuit_;
    QAction vnpAbout_;
    QAction popupAdd_;
    QAction popupDel_;
    TPackWaitDlg waitDlg_;
    TVNPAboutDlg aboutDlg_;
    bool saving_ = false;
    QString savingArchive_;
    ProgressCallback workerHook_;
    std::unique_ptr<PackRun> run_;  // last: its worker is stopped before anything else goes
};

}  // namespace vornal::pack::qt
