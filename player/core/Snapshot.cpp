// Snapshots of the game between commands: taking commands back, and the state a resume
// point keeps.
#include "player/core/Snapshot.h"

#include "player/core/EngineImpl.h"

namespace vornal {

std::uint64_t ScriptDigest(std::span<const Byte> script) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const Byte b : script) {
        hash ^= b;
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

bool Engine::Impl::BetweenCommands() const {
    return !Game.ScriptLines.empty() && !Halted && !PassStarted && !InPass &&
           (State == RunState::Idle || State == RunState::Wait);
}

save::ScriptLimits Engine::Impl::Limits() const {
    return {Game.ItemList.Count(), static_cast<std::int32_t>(Game.ScriptLines.size()),
            static_cast<std::int64_t>(kMaxStackDepth)};
}

Snapshot Engine::Impl::TakeSnapshot() const {
    Snapshot s;
    s.record = save::EncodeState(SavedState());
    s.keptFlag = FlagList.Value(save::kSavedFlags);
    if (GrpImage.hasBitmap()) {
        if (!SnapshotPicture || SnapshotPictureVersion != GrpImage.version()) {
            SnapshotPicture = std::make_shared<const Bitmap>(GrpImage.bitmap());
            SnapshotPictureVersion = GrpImage.version();
        }
        s.picture = SnapshotPicture;
    }
    s.areaWidth = GrpImage.areaWidth();
    s.areaHeight = GrpImage.areaHeight();
    s.caption = Caption;
    s.pictureName = PictureName;
    s.messages.assign(MsgMemo.lines().begin(), MsgMemo.lines().end());
    s.inputEnabled = InputEnabled;
    s.waiting = State == RunState::Wait;
    s.line = CurLine;
    s.waitCount = WaitCount;
    return s;
}

void Engine::Impl::RestoreSnapshot(const Snapshot& s) {
    const save::GameState state = save::DecodeState(s.record, Limits());
    SetGameTimer(false);
    CurScene = state.scene;
    for (std::size_t i = 0; i < state.flags.size(); ++i)
        FlagList.SetValue(static_cast<std::int32_t>(i), state.flags[i]);
    FlagList.SetValue(save::kSavedFlags, s.keptFlag);
    for (std::size_t i = 0; i < state.items.size(); ++i)
        Game.ItemList.Items(i).Value = state.items[i];
    if (state.hasStack) GameStack = state.stack;
    RebuildCommands();

    if (s.areaWidth != GrpImage.areaWidth() || s.areaHeight != GrpImage.areaHeight())
        SetPictureAreaSize(s.areaWidth, s.areaHeight);
    if (s.picture)
        GrpImage.replace(*s.picture);
    else
        GrpImage.forget();
    PictureName = s.pictureName;
    host.pictureChanged();
    if (!s.caption.empty() && s.caption != Caption) SetCaption(s.caption);
    MsgMemo.replace(s.messages);

    State = s.waiting ? RunState::Wait : RunState::Idle;
    CurLine = s.line;
    WaitCount = s.waitCount;
    PassStarted = false;
    EnableInput(s.inputEnabled);
    if (s.waiting) SetGameTimer(true);

    // The music as a load brings it back; a song that still plays as it should goes on.
    const Music::State music = Bgm.GetState();
    const bool same = music.loaded == state.musicLoaded && music.loop == state.musicLoop &&
                      (!music.loaded || music.file == state.song);
    if (same) return;
    StopBgm();
    Bgm.RestoreFlags(state.musicLoaded, state.musicLoop);
    // Last: a song that cannot be loaded shows its box (and halts the game) on a state that
    // is already whole.
    if (state.musicLoaded) {
        InPass = true;
        try {
            PlayBgm(state.song);
        } catch (...) {
            InPass = false;
            throw;
        }
        InPass = false;
    }
}

std::optional<std::string> Engine::Impl::UndoLast() {
    if (!BetweenCommands()) return std::nullopt;
    std::optional<UndoHistory::Level> level = History.pop();
    if (!level) return std::nullopt;
    try {
        RestoreSnapshot(level->before);
    } catch (const GameReplaced&) {
        // Another game was opened from the song's error box: it stands.
    }
    return std::move(level->typed);
}

std::optional<Snapshot> Engine::Impl::ResumeSnapshot() const {
    if (!Progressed || Game.ScriptLines.empty()) return std::nullopt;
    if (BetweenCommands()) return TakeSnapshot();
    // A pass is under way or the game has stopped: the moment before the last command.
    if (const UndoHistory::Level* newest = History.newest()) return newest->before;
    return std::nullopt;
}

}  // namespace vornal
