#include "context/GameStates.h"

#include <initializer_list>
#include <string>

#include "context/GameContext.h"

namespace vlm {

namespace {
bool In(const std::string& s, std::initializer_list<const char*> states) {
  for (const char* st : states)
    if (s == st) return true;
  return false;
}
}  // namespace

bool IsWorldState(const GameContext& ctx) {
  return In(ctx.GameState, {"game", "levelintro", "levelintro2", "statistics"});
}

bool IsMenuState(const GameContext& ctx) {
  return In(ctx.GameState, {"mainmenu", "chooselevel", "options", "help", "credits", "topranks", "changeplayer"});
}

}  // namespace vlm
