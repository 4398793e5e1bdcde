#include "player/music/Music.h"

namespace vornal {

Music::Music() = default;
Music::~Music() = default;

void Music::SetLoop(bool loop) {
    std::lock_guard lock(mutex_);
    state_.loop = loop;
}

std::vector<std::string> Music::PlayBgm(std::string_view name, const Fetch& fetch) {
    {
        std::lock_guard lock(mutex_);
        if (state_.loaded && state_.file == name) return {};
        state_.file = std::string(name);
    }
    if (!fetch()) return {};
    std::lock_guard lock(mutex_);
    state_.loaded = true;
    return {};
}

void Music::StopBgm() {
    std::lock_guard lock(mutex_);
    state_.loaded = false;
    state_.loop = false;
    state_.file.clear();
}

Music::State Music::GetState() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void Music::RestoreFlags(bool loaded, bool loop) {
    std::lock_guard lock(mutex_);
    state_.loaded = loaded;
    state_.loop = loop;
}

void Music::SetErrorSink(std::function<void(std::string)> sink) {
    std::lock_guard lock(mutex_);
    errorSink_ = std::move(sink);
}

}  // namespace vornal
