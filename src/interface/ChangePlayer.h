#pragma once
// The players of this computer: loading the profiles at start-up and after a game, and the
// change-player dialog, which lists them nine rows at a time, takes the chosen one, makes a new
// one from a typed name, or deletes one after a question (never the last one).
namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

void CreateChangePlayerLayout(GameContext& ctx);
// The mark behind the selected row, into InterFaceLibrary.
void LoadChangePlayerTextures(GameContext& ctx);

// Start-up: the profile list, the current profile (the first listed one when "game.ini" names
// none that exists) and its save slots on the choose-level screen. Damaged profiles are reported
// once the menu is up.
void LoadProfilesAtStartup(GameContext& ctx);
// Back from a game: the current profile's slots as the file has them (the progress of the
// run that was not saved in a slot is discarded). A profile that cannot be read any more is
// reported and its slots stay as they were.
void ReloadCurrentProfile(GameContext& ctx);
// True when there is no profile at all: the menu's entrance then opens the name entry.
bool NoProfileYet(const GameContext& ctx);

// The player's name in the main menu: opens the dialog with the list scrolled to the selection.
void OpenChangePlayer(GameContext& ctx);
// "[new player]", and the end of the menu's entrance without any profile (`atStartup`, which also
// shows the dialog and enters "changeplayer").
void OpenNameEntry(GameContext& ctx, bool atStartup);
// Apply in the name box, or Enter: the typed name becomes a new profile; an empty name is
// refused with "enter name first!".
void ApplyNewName(GameContext& ctx);
// The message box's Ok after "are you sure?": the selected profile is deleted.
void DeleteSelectedProfile(GameContext& ctx);
// Escape: as Cancel of the name box, else of the dialog; nothing while no profile exists.
void ChangePlayerEscape(GameContext& ctx);
void ChangePlayerInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);
// Every frame in "changeplayer": the rows, the typed name with its blinking underline, the mark.
void ChangePlayerFrame(GameContext& ctx, double frameTime);
// The main menu's player name, label and hint as one text button. True when it acted.
bool PlayerNameInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);

}  // namespace vlm::interface
