#include "player/qt/SessionKeeper.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <exception>

#include "common/ConsoleLines.h"
#include "player/qt/WindowSettings.h"

namespace vornal::qt {

namespace {

std::filesystem::path localPath(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

QString shown(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace

SessionKeeper::SessionKeeper(QWidget& window, Engine& engine) : window_(window), engine_(engine) {}

std::filesystem::path SessionKeeper::dataFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    return localPath(base) / "VORNAL";
}

std::optional<session::ResumeStore> SessionKeeper::resumeStore() const {
    if (game_.isEmpty() || engine_.ScriptKey() == 0 || dataFolder().empty()) return std::nullopt;
    return session::ResumeStore(dataFolder(),
                                session::gameStem(localPath(game_), engine_.ScriptKey()));
}

void SessionKeeper::gameOpened(const QString& file) {
    game_ = file;
    const std::string stem = session::gameStem(localPath(file), engine_.ScriptKey());
    try {
        if (const auto folder = session::savesFolder(engine_.DataFolder(), dataFolder(), stem)) {
            engine_.SetSaveFolder(*folder);
            // Said once per game: the box would otherwise greet every start of an installed game.
            QSettings settings = PlayerSettings();
            const QString key = QStringLiteral("saves/told/") + QString::fromStdString(stem);
            if (!settings.value(key, false).toBool()) {
                settings.setValue(key, true);
                notice_ = std::make_unique<QMessageBox>(
                    QMessageBox::Information, QStringLiteral("VORNAL"),
                    QStringLiteral("このゲームのフォルダーには書き込めないため、セーブは次の"
                                   "フォルダーに作られます:\n") +
                        shown(*folder),
                    QMessageBox::Ok, &window_);
                notice_->setTextFormat(Qt::PlainText);
                notice_->setWindowModality(Qt::NonModal);
                notice_->setAccessibleName(QStringLiteral("セーブの場所"));
                notice_->show();
            }
        }
    } catch (const std::exception& error) {
        console::line(stderr,
                      std::string("vnplayer: no folder for this game's saves: ") + error.what());
    }
    if (recordingWanted_) startRecording();
}

bool SessionKeeper::offerResume() {
    const std::optional<session::ResumeStore> store = resumeStore();
    if (!store || !store->exists()) return false;
    QMessageBox box(QMessageBox::Question, QStringLiteral("VORNAL"),
                    QStringLiteral("前回の続きから遊びますか？\n"
                                   "「いいえ」を選ぶと最初から始まります。"),
                    QMessageBox::Yes | QMessageBox::No, &window_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setAccessibleName(QStringLiteral("続きから遊ぶ"));
    const bool yes = box.exec() == QMessageBox::Yes;
    if (yes && engine_.Resume(store->read())) return true;
    if (yes) {
        QMessageBox failed(QMessageBox::Warning, QStringLiteral("VORNAL"),
                           QStringLiteral("前回の続きを読めませんでした。最初から始めます。"),
                           QMessageBox::Ok, &window_);
        failed.exec();
    }
    store->remove();
    return false;
}

void SessionKeeper::keepResumePoint() {
    const std::optional<session::ResumeStore> store = resumeStore();
    if (!store) return;
    try {
        const std::vector<Byte> point = engine_.ResumePoint();
        if (point.empty()) {
            store->remove();
            return;
        }
        store->write(point);
    } catch (const std::exception& error) {
        console::line(stderr, "vnplayer: cannot keep the game to resume in " +
                                  store->file().string() + ": " + error.what());
    }
}

void SessionKeeper::storyLine(std::string_view utf8) {
    story_.add(utf8);
}

void SessionKeeper::undone(const std::string& typedUtf8) {
    story_.add("[undo] " + typedUtf8);
}

bool SessionKeeper::saveStory() {
    const QString suggested = QDir::home().filePath(
        (game_.isEmpty() ? QStringLiteral("VORNAL") : QFileInfo(game_).completeBaseName()) +
        QStringLiteral(".txt"));
    const QString file = QFileDialog::getSaveFileName(
        &window_, QStringLiteral("物語を保存"), suggested, QStringLiteral("テキスト (*.txt)"));
    if (file.isEmpty()) return false;
    try {
        story_.saveTo(localPath(file));
        return true;
    } catch (const std::exception& error) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("VORNAL"),
                        QStringLiteral("物語を保存できませんでした: ") + file +
                            QStringLiteral("\n") + QString::fromStdString(error.what()),
                        QMessageBox::Ok, &window_);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return false;
    }
}

void SessionKeeper::setRecording(bool on) {
    recordingWanted_ = on;
    if (on && !game_.isEmpty()) {
        startRecording();
    } else if (!on) {
        story_.stopRecording();
    }
}

void SessionKeeper::startRecording() {
    const std::filesystem::path folder = dataFolder();
    if (folder.empty()) return;
    const std::filesystem::path file = session::StoryLog::recordFile(
        folder, session::gameStem(localPath(game_), engine_.ScriptKey()));
    const QString heading = QStringLiteral("=== ") +
                            QDateTime::currentDateTime().toString(Qt::ISODate) +
                            QStringLiteral(" ") + game_ + QStringLiteral(" ===");
    try {
        story_.startRecording(file, heading.toStdString());
    } catch (const std::exception& error) {
        console::line(
            stderr, "vnplayer: cannot record the story in " + file.string() + ": " + error.what());
    }
}

}  // namespace vornal::qt
