#include "player/core/Engine.h"

#include <chrono>

#include "player/core/EngineImpl.h"
#include "player/core/ResumeFile.h"

namespace vornal {

namespace {

std::unique_ptr<Music> musicUnlessGiven(const MediaServices& media) {
    return media.music ? nullptr : std::make_unique<Music>();
}

}  // namespace

Engine::Impl::Impl(Host& h, const MediaServices& media)
    : host(h),
      Media(media),
      OwnMusic(musicUnlessGiven(media)),
      Bgm(media.music ? *media.music : *OwnMusic),
      MsgMemo(h) {
    Random.seed(static_cast<std::uint32_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    Bgm.SetErrorSink([this](std::string text) {
        {
            std::lock_guard lock(NoticeMutex);
            Notices.push_back(std::move(text));
        }
        NoticesPending = true;
        host.wakeFromAnyThread();
    });
}

Engine::Impl::~Impl() {
    // The timer thread must neither report to nor play for an engine that is gone.
    Bgm.SetErrorSink({});
    Bgm.StopBgm();
    if (Media.sound) Media.sound->stop();
}

void Engine::Impl::ShowNotices() {
    if (!NoticesPending.exchange(false)) return;
    std::vector<std::string> notices;
    {
        std::lock_guard lock(NoticeMutex);
        notices.swap(Notices);
    }
    for (const std::string& text : notices)
        host.showMidiError(text);
}

Engine::Engine(Host& host, const MediaServices& media)
    : impl_(std::make_unique<Impl>(host, media)) {}
Engine::~Engine() = default;

bool Engine::OpenScript(const std::filesystem::path& file) {
    return impl_->OpenScript(file);
}

bool Engine::OpenScriptText(std::string_view text, const std::filesystem::path& asFile) {
    return impl_->OpenScriptText(std::span(reinterpret_cast<const Byte*>(text.data()), text.size()),
                                 asFile);
}

void Engine::ProcessInput(std::string_view typed) {
    impl_->ProcessInput(typed);
}
void Engine::AppIdle() {
    impl_->AppIdle();
}
bool Engine::HasWork() const {
    return impl_->HasWork();
}
void Engine::GameTimerTimer() {
    impl_->GameTimerTimer();
}

const PictureArea& Engine::Picture() const {
    return impl_->GrpImage;
}

const std::deque<std::string>& Engine::Messages() const {
    return impl_->MsgMemo.lines();
}
RunState Engine::State() const {
    return impl_->State;
}
bool Engine::Halted() const {
    return impl_->Halted;
}
bool Engine::InputEnabled() const {
    return impl_->InputEnabled;
}

void Engine::SetRandomSeed(std::uint32_t seed) {
    impl_->Random.seed(seed);
}
void Engine::SetScriptEncoding(std::optional<ScriptEncoding> encoding) {
    impl_->ForcedEncoding = encoding;
}
void Engine::ClearDisplay() {
    impl_->MsgMemo.clear();
    impl_->GrpImage.forget();
    impl_->SetPictureAreaSize(PictureArea::kDefaultWidth, PictureArea::kDefaultHeight);
    impl_->host.pictureChanged();
}
void Engine::SetSliceLimit(std::size_t lines) {
    impl_->SliceLines = lines == 0 ? 1 : lines;
}
bool Engine::GameTimerEnabled() const {
    return impl_->TimerEnabled;
}

std::int32_t Engine::FlagValue(std::int32_t number) const {
    return impl_->FlagList.Value(number);
}

std::optional<std::int32_t> Engine::ItemValue(std::string_view name) const {
    std::int32_t n = impl_->Game.ItemList.FindItem(name);
    if (n < 0) return std::nullopt;
    return impl_->Game.ItemList.Items(static_cast<std::size_t>(n)).Value;
}

std::int32_t Engine::CurrentLine() const {
    return impl_->CurLine;
}
std::int32_t Engine::CurrentScene() const {
    return impl_->CurScene;
}
std::string Engine::CurrentSceneName() const {
    const TLabelList& labels = impl_->Game.LabelList;
    for (std::size_t i = 0; i < labels.Count(); ++i) {
        const sLabelIndex& label = labels.Items(i);
        if (label.Line == impl_->CurScene && label.Scene == label.Line) return label.Name;
    }
    return {};
}
std::size_t Engine::StackDepth() const {
    return impl_->GameStack.size();
}
bool Engine::ArchiveOpen() const {
    return impl_->ArchiveStream != nullptr;
}

const std::vector<std::string>& Engine::OpeningProblems() const {
    return impl_->OpeningProblems;
}

std::optional<std::string> Engine::Undo() {
    return impl_->UndoLast();
}
std::optional<std::string> Engine::UndoCommand() const {
    const UndoHistory::Level* newest = impl_->History.newest();
    if (!impl_->BetweenCommands() || !newest) return std::nullopt;
    return newest->typed;
}
std::size_t Engine::UndoLevels() const {
    return impl_->History.levels();
}
std::size_t Engine::UndoBytes() const {
    return impl_->History.bytes();
}

std::vector<Byte> Engine::ResumePoint() const {
    const std::optional<Snapshot> snapshot = impl_->ResumeSnapshot();
    if (!snapshot) return {};
    return resume::Encode(*snapshot, impl_->ScriptKey, impl_->Media.pictures);
}

bool Engine::Resume(std::vector<Byte> file) {
    Impl& e = *impl_;
    if (e.Game.ScriptLines.empty() || e.Halted || e.PassStarted || e.InPass) return false;
    Snapshot snapshot;
    try {
        snapshot = resume::Decode(std::move(file), e.ScriptKey, e.Limits(), e.Media.pictures);
    } catch (const save::SaveFormatError&) {
        return false;
    } catch (const PictureError&) {
        return false;
    }
    e.History.clear();
    e.Progressed = true;
    try {
        e.RestoreSnapshot(snapshot);
    } catch (const GameReplaced&) {
    }
    return true;
}

std::uint64_t Engine::ScriptKey() const {
    return impl_->ScriptKey;
}
const std::filesystem::path& Engine::DataFolder() const {
    return impl_->DataPath;
}
void Engine::SetSaveFolder(const std::filesystem::path& folder) {
    impl_->SaveFolder = folder;
}
const std::filesystem::path& Engine::SaveFolder() const {
    return impl_->SaveFolder;
}
const std::string& Engine::PictureName() const {
    return impl_->PictureName;
}

}  // namespace vornal
