// The window's part in what is kept for the player outside the game's files
// (player/session): the resume point written when the window closes and offered when the
// same game opens again, the folder for saves of a game whose own folder cannot be written,
// and the story so far, saved on request or recorded as it goes. Everything lives in the
// user's data folder (QStandardPaths: ~/.local/share/VORNAL).
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "player/core/Engine.h"
#include "player/session/StoryLog.h"
#include "player/session/UserData.h"

namespace vornal::qt {

class SessionKeeper {
public:
    SessionKeeper(QWidget& window, Engine& engine);

    // The user's data folder for the player.
    static std::filesystem::path dataFolder();

    // A game was opened from `file`: its saves' folder is settled (said once per game when it
    // is not the game's own) and, when recording, the story goes to today's file.
    void gameOpened(const QString& file);
    // Asks whether to continue from the game's resume point, if it has one. True when the
    // game was resumed; answered "start over", the point is forgotten.
    bool offerResume();
    // The window closes: the game in progress is kept to resume (or its old point removed
    // when nothing was played). Failures are said on standard error only: the window goes.
    void keepResumePoint();

    // A line the message area showed (UTF-8), or a command taken back.
    void storyLine(std::string_view utf8);
    void undone(const std::string& typedUtf8);
    const session::StoryLog& story() const { return story_; }
    // Asks for a file and writes the story so far there; false when cancelled or failed
    // (a box said why).
    bool saveStory();
    // Recording every session, from the next line on.
    void setRecording(bool on);

    std::optional<session::ResumeStore> resumeStore() const;

private:
    void startRecording();

    QWidget& window_;
    Engine& engine_;
    session::StoryLog story_;
    bool recordingWanted_ = false;
    QString game_;  // the open game's file; empty when none opened
    std::unique_ptr<QMessageBox> notice_;
};

}  // namespace vornal::qt
