#pragma once
// The top-ranks screen: the ten best results, and at the end of a game the name entry when the
// score (with 20000 for every life left) makes the table.
#include <string_view>

namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

inline constexpr int64_t kLifeBonus = 20000;

void CreateTopRanksLayout(GameContext& ctx);
// Start-up: reads the table (a damaged one is kept aside and reported once the menu is up),
// sorts it and shows it.
void LoadTopRanksAtStartup(GameContext& ctx);
// The table into the twenty texts.
void ShowTopRanks(GameContext& ctx);
// MM_TopRanks: the table, no name entry.
void OpenTopRanks(GameContext& ctx);
// TRD_Apply or Enter: the typed name and the score into the table, which is saved and shown.
void CommitTopRank(GameContext& ctx);
// Typed characters into the name entry: only those the menu font draws, at most 16.
void TypeName(GameContext& ctx, std::string_view chars);
void EraseNameChar(GameContext& ctx);
void TopRanksInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);
// Every frame in "topranks": the typed name and its blinking underline.
void TopRanksFrame(GameContext& ctx, double frameTime);

}  // namespace vlm::interface
