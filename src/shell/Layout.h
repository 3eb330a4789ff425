#pragma once
// Builds the main window's layout: the fixed tree of named scene objects created at start-up,
// with every subsystem's own objects under the groups it names.
namespace vlm { struct GameContext; }

namespace vlm::shell {

// Builds the fixed tree into the scene. Libraries and the font come from the context.
void BuildLayout(GameContext& ctx);

}  // namespace vlm::shell
