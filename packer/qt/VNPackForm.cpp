#include "packer/qt/VNPackForm.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QUrl>
#include <algorithm>
#include <system_error>

#include "packer/PackCheck.h"
#include "packer/qt/PackFiles.h"
#include "player/qt/Appearance.h"
#include "player/qt/OpenFilter.h"

namespace vornal::pack::qt {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& file) {
    return fs::path(QFile::encodeName(file).toStdString());
}
QString fromPath(const fs::path& file) {
    return QFile::decodeName(file.c_str());
}

// Where the file dialogs start, kept between runs.
constexpr char kScriptFolder[] = "folders/script";
constexpr char kDataFolder[] = "folders/data";

// The window as designed: 459 x 436 with its frame, caption and menu.
constexpr QSize kDesignSize{451, 409};

}  // namespace

TVNPackForm::TVNPackForm(QWidget* parent)
    : QWidget(parent, Qt::Window),
      layout_(this),
      vnpackMenu_(this),
      scriptGroup_(QStringLiteral("スクリプトファイル"), this),
      scriptLayout_(&scriptGroup_),
      vnsEdit_(&scriptGroup_),
      vnsButton_(QStringLiteral("..."), &scriptGroup_),
      dataGroup_(QStringLiteral("データファイル"), this),
      dataLayout_(&dataGroup_),
      datListBox_(&dataGroup_),
      datPopupMenu_(this),
      vnsOpen_(QStringLiteral("スクリプトの割り当て(&S)"), this),
      datAdd_(QStringLiteral("データを追加(&A)"), this),
      datDel_(QStringLiteral("データの登録削除(&D)"), this),
      vnpSave_(QStringLiteral("アーカイブの保存(&S)"), this),
      vnpQuit_(QStringLiteral("終了(&Q)"), this),
      vnpAbout_(QStringLiteral("バージョン情報(&A)"), this),
      popupAdd_(QStringLiteral("ファイルの追加(&A)"), this),
      popupDel_(QStringLiteral("ファイルの登録削除(&D)"), this),
      waitDlg_(this),
      aboutDlg_(this) {
    setWindowTitle(QStringLiteral("VORNAL Pack"));
    setWindowIcon(vornal::qt::playerIcon());
    setFont(vornal::qt::gothicFont(12));
    setAcceptDrops(true);

    connect(&vnsOpen_, &QAction::triggered, this, &TVNPackForm::VNSOpenExecute);
    connect(&datAdd_, &QAction::triggered, this, &TVNPackForm::DATAddExecute);
    connect(&datDel_, &QAction::triggered, this, &TVNPackForm::DATDelExecute);
    connect(&vnpSave_, &QAction::triggered, this, &TVNPackForm::VNPSaveExecute);
    connect(&vnpQuit_, &QAction::triggered, this, &TVNPackForm::VNPQuitExecute);
    connect(&vnpAbout_, &QAction::triggered, this, &TVNPackForm::VNPAboutExecute);
    connect(&popupAdd_, &QAction::triggered, this, &TVNPackForm::DATAddExecute);
    connect(&popupDel_, &QAction::triggered, this, &TVNPackForm::DATDelExecute);

    buildMenus();
    buildClient();
    resize(kDesignSize);
}

// Out of line: PackRun's worker is stopped here, before the widgets it reports to go.
TVNPackForm::~TVNPackForm() = default;

void TVNPackForm::buildMenus() {
    QMenu* file = vnpackMenu_.addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(&vnpSave_);
    file->addSeparator();
    file->addAction(&vnpQuit_);
    QMenu* edit = vnpackMenu_.addMenu(QStringLiteral("編集(&E)"));
    edit->addActions({&vnsOpen_, &datAdd_, &datDel_});
    QMenu* help = vnpackMenu_.addMenu(QStringLiteral("ヘルプ(&H)"));
    help->addAction(&vnpAbout_);
    datPopupMenu_.addActions({&popupAdd_, &popupDel_});
}

void TVNPackForm::buildClient() {
    layout_.setMenuBar(&vnpackMenu_);
    layout_.setContentsMargins(8, 8, 8, 8);
    layout_.addWidget(&scriptGroup_);
    layout_.addWidget(&dataGroup_, 1);

    scriptLayout_.addWidget(&vnsEdit_, 1);
    scriptLayout_.addWidget(&vnsButton_);
    scriptGroup_.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    vnsButton_.setFixedWidth(25);
    vnsButton_.setAutoDefault(false);
    connect(&vnsButton_, &QPushButton::clicked, &vnsOpen_, &QAction::trigger);
    connect(&vnsOpen_, &QAction::enabledChanged, &vnsButton_, &QWidget::setEnabled);
    // Files dropped on the edit go to the window, not into the text.
    vnsEdit_.setAcceptDrops(false);

    dataLayout_.addWidget(&datListBox_);
    datListBox_.setSelectionMode(QAbstractItemView::ExtendedSelection);
    datListBox_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&datListBox_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        datPopupMenu_.popup(datListBox_.viewport()->mapToGlobal(at));
    });
    datListBox_.installEventFilter(this);

    setTabOrder(&vnsEdit_, &vnsButton_);
    setTabOrder(&vnsButton_, &datListBox_);
}

void TVNPackForm::VNSOpenExecute() {
    if (saving_) return;
    QString folder = QFileInfo(vnsEdit_.text()).absolutePath();
    if (vnsEdit_.text().isEmpty() || !QFileInfo(folder).isDir()) {
        folder = rememberedFolder(kScriptFolder);
    }
    QFileDialog dialog(this, QString(), folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(vornal::qt::qtNameFilters(scriptFilter()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString chosen = dialog.selectedFiles().constFirst();
    vnsEdit_.setText(chosen);
    rememberFolder(kScriptFolder, chosen);
}

void TVNPackForm::DATAddExecute() {
    if (saving_) return;
    QString folder = rememberedFolder(kDataFolder);
    if (folder.isEmpty() && !vnsEdit_.text().isEmpty()) {
        folder = QFileInfo(vnsEdit_.text()).absolutePath();
    }
    QFileDialog dialog(this, QString(), folder);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(vornal::qt::qtNameFilters(dataFilter()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    AddDataFiles(dialog.selectedFiles());
    rememberFolder(kDataFolder, dialog.selectedFiles().constFirst());
}

void TVNPackForm::DATDelExecute() {
    if (saving_) return;
    for (int row = datListBox_.count() - 1; row >= 0; --row) {
        if (datListBox_.item(row)->isSelected()) {
            std::unique_ptr<QListWidgetItem> gone(datListBox_.takeItem(row));
        }
    }
}

void TVNPackForm::AddDataFiles(const QStringList& paths) {
    if (saving_) return;
    for (const QString& path : paths) {
        // Expanded as the dialog's files are: absolute, "." and ".." taken out, links kept.
        const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (datListBox_.findItems(full, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
            datListBox_.addItem(full);
        }
    }
}

void TVNPackForm::TakeFiles(const QStringList& paths) {
    if (saving_) return;
    const TakenFiles taken = takeFiles(paths);
    if (!taken.script.isEmpty()) vnsEdit_.setText(taken.script);
    AddDataFiles(taken.dataFiles);
}

void TVNPackForm::VNPSaveExecute() {
    if (saving_) return;
    // Every check comes before anything is read or written, in this order.
    const QString scriptText = vnsEdit_.text();
    PackJob job;
    job.script = toPath(scriptText);
    if (auto problem = CheckScript(job.script))
        return showMessage(QString::fromStdString(*problem));

    const QString archive = askArchivePath(scriptText);
    if (archive.isEmpty()) return;
    job.archive = toPath(archive);
    for (int row = 0; row < datListBox_.count(); ++row) {
        job.dataFiles.push_back(toPath(datListBox_.item(row)->text()));
    }
    if (auto problem = CheckArchivePath(job)) return showMessage(QString::fromStdString(*problem));

    std::error_code ec;
    if (fs::exists(fs::symlink_status(job.archive, ec))) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("確認"),
                        QStringLiteral("ファイルが存在します。上書きしてもいいですか？"),
                        QMessageBox::Yes | QMessageBox::No, this);
        // No by default: a stray Enter should not replace a file.
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes) return;
    }
    if (auto problem = CheckDataFiles(job.dataFiles)) {
        return showMessage(QString::fromStdString(*problem));
    }
    if (!scriptErrorsAccepted(job)) return;
    startSaving(std::move(job));
}

// The script's mistakes that would stop a player, as vnpack create finds them: the author
// decides whether to pack it all the same.
bool TVNPackForm::scriptErrorsAccepted(const PackJob& job) {
    std::vector<check::Finding> findings;
    try {
        findings = CheckPackJob(job);
    } catch (const PackError& e) {
        showMessage(QString::fromStdString(e.japanese()));
        return false;
    }
    QStringList errors;
    for (const check::Finding& f : findings) {
        if (f.severity == check::Severity::Error)
            errors << QString::fromStdString(
                check::FormatFinding(job.script.filename().string(), f));
    }
    if (errors.isEmpty()) return true;
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("確認"),
                    QStringLiteral("スクリプトに%1件の誤りがあります。このまま保存しますか？")
                        .arg(errors.size()),
                    QMessageBox::Yes | QMessageBox::No, this);
    ask.setDetailedText(errors.join(QLatin1Char('\n')));
    ask.setDefaultButton(QMessageBox::No);
    return ask.exec() == QMessageBox::Yes;
}

QString TVNPackForm::askArchivePath(const QString& script) {
    const fs::path proposed = ProposedArchivePath(toPath(QFileInfo(script).absoluteFilePath()));
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The overwrite question is the save procedure's own, after the dialog.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(vornal::qt::qtNameFilters(archiveFilter()));
    dialog.selectFile(fromPath(proposed));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void TVNPackForm::startSaving(PackJob job) {
    setSaving(true);
    savingArchive_ = QFile::decodeName(job.archive.c_str());
    waitDlg_.ShowProgress(0, job.dataFiles.size() + 1, fromPath(job.script.filename()));
    waitDlg_.show();
    run_ = std::make_unique<PackRun>(
        *this, std::move(job),
        [this](std::size_t entry, std::size_t count, const QString& file) {
            waitDlg_.ShowProgress(entry, count, file);
        },
        [this](const QString& failure) { finishSaving(failure); }, workerHook_);
}

void TVNPackForm::finishSaving(const QString& failure) {
    run_.reset();
    waitDlg_.hide();
    setSaving(false);
    if (!failure.isEmpty()) {
        showMessage(QStringLiteral("アーカイブを保存できませんでした。\n") + failure);
    }
}

QString TVNPackForm::CancelSaving() {
    if (!run_) return {};
    const bool cancelled = run_->Stop();
    finishSaving({});
    return cancelled ? savingArchive_ : QString();
}

void TVNPackForm::setSaving(bool saving) {
    saving_ = saving;
    // While saving, nothing may change the list or the edit, start a save or quit.
    for (QAction* action :
         {&vnsOpen_, &datAdd_, &datDel_, &vnpSave_, &vnpQuit_, &popupAdd_, &popupDel_}) {
        action->setEnabled(!saving);
    }
    vnsEdit_.setReadOnly(saving);
}

void TVNPackForm::VNPQuitExecute() {
    close();
}

void TVNPackForm::VNPAboutExecute() {
    aboutDlg_.exec();
}

void TVNPackForm::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VORNAL Pack"), text, QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TVNPackForm::closeEvent(QCloseEvent* event) {
    if (saving_) {
        event->ignore();
    } else {
        event->accept();
    }
}

void TVNPackForm::dragEnterEvent(QDragEnterEvent* event) {
    if (saving_) return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void TVNPackForm::dropEvent(QDropEvent* event) {
    if (saving_) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    TakeFiles(paths);
}

bool TVNPackForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &datListBox_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DATDelExecute();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString TVNPackForm::rememberedFolder(const char* key) const {
    return QSettings(QStringLiteral("VORNAL"), QStringLiteral("VORNAL Pack"))
        .value(QLatin1String(key))
        .toString();
}

void TVNPackForm::rememberFolder(const char* key, const QString& file) {
    QSettings(QStringLiteral("VORNAL"), QStringLiteral("VORNAL Pack"))
        .setValue(QLatin1String(key), QFileInfo(file).absolutePath());
}

}  // namespace vornal::pack::qt
