#pragma once
// A JSON snapshot of the running game: the frame globals, the player record, the level counters
// and every live game object. Two runs that end in the same snapshot played the same game.
// The format is described in docs/replays.md.
#include <string>

namespace vlm { struct GameContext; }

namespace vlm::shell {

std::string StateSnapshotJson(const GameContext& ctx);
// Writes the snapshot atomically; throws std::runtime_error naming the file on failure.
void WriteStateSnapshot(const GameContext& ctx, const std::string& file);

}  // namespace vlm::shell
