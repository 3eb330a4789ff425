#pragma once
// The credits: 25 entries, each a title and a text that fade in (the title narrowing to its
// size), hold and fade out on Timer2's 25 ms tick.
namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

void CreateCreditsLayout(GameContext& ctx);
// The 25 entries: our roles, then every library, font and tool the game is built with and
// ships, each with its licence.
void FillCredits(GameContext& ctx);
// MM_Credits: from the first entry, Timer2 on.
void OpenCredits(GameContext& ctx);
// Timer2 in "credits".
void CreditsTick(GameContext& ctx);
void CreditsInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);

}  // namespace vlm::interface
