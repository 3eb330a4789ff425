#pragma once
// The modal message box: a panel with a text, Ok and, where there is a choice, Cancel. While it
// is shown the screen beneath keeps its state and its animation, but only the box's buttons
// react. What Ok does depends on the state it was raised in.
#include <string_view>

namespace vlm { struct GameContext; }

namespace vlm::interface {

// The box's objects under MessageDummy (made by BuildLayout).
void CreateMessageBoxLayout(GameContext& ctx);
// Shows the text with Ok and Cancel; the transparency stays as the last faded box left it.
void ShowMessageBox(GameContext& ctx, std::string_view text);
// As ShowMessageBox; without Cancel, Ok stands alone in the middle.
void ShowMessageBoxButtons(GameContext& ctx, std::string_view text, bool withCancel);
// As ShowMessageBoxButtons, then the box's transparency (0..1) for this and later boxes.
void ShowMessageBoxFaded(GameContext& ctx, std::string_view text, bool withCancel, float alpha);
// Hover and press of the box's buttons; runs whenever the box is shown.
void MessageBoxInput(GameContext& ctx);

}  // namespace vlm::interface
