// A moment of play between two typed commands: what taking a command back (undo) and
// resuming a closed game return to. The game's state is the save file's own state record;
// around it is what a save leaves out: flag 512, the picture area, the caption, the message
// area and a *WAIT that was under way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "codec/Stream.h"
#include "player/core/Media.h"

namespace vornal {

struct Snapshot {
    std::vector<Byte> record;   // save::EncodeState
    std::int32_t keptFlag = 0;  // flag 512
    // The area's bitmap; null when nothing was drawn. Shared between snapshots that hold the
    // same picture.
    std::shared_ptr<const Bitmap> picture;
    int areaWidth = 0;
    int areaHeight = 0;
    std::string caption;      // Shift-JIS
    std::string pictureName;  // the last picture drawn, for the area's text alternative
    std::vector<std::string> messages;
    bool inputEnabled = true;
    // A *WAIT under way: the line after it and the ticks left.
    bool waiting = false;
    std::int32_t line = 0;
    std::int32_t waitCount = 0;

    // Memory held but the picture's, which snapshots share (UndoHistory counts each once).
    std::size_t bytesWithoutPicture() const;
};

// A hash of a script's bytes (64-bit FNV-1a): how resume points and save folders know a game.
std::uint64_t ScriptDigest(std::span<const Byte> script);

}  // namespace vornal
