#include "shell/StateDump.h"

#include "context/HudState.h"

#include <cxxabi.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <typeinfo>

#include "combat/Enemies.h"
#include "data/FileIo.h"
#include "context/GameContext.h"

namespace vlm::shell {

namespace {

class JsonWriter {
 public:
  void Open(char c) { Comma(); out_ += c; first_ = true; }
  void Close(char c) { out_ += c; first_ = false; }
  void Key(const char* k) {
    Comma();
    out_ += '"';
    out_ += k;
    out_ += "\":";
    first_ = true;
  }
  void Str(std::string_view s) {
    Comma();
    out_ += '"';
    for (unsigned char c : s) {
      if (c == '"' || c == '\\') { out_ += '\\'; out_ += char(c); }
      else if (c < 0x20) { char buf[8]; std::snprintf(buf, sizeof buf, "\\u%04x", c); out_ += buf; }
      else out_ += char(c);
    }
    out_ += '"';
    first_ = false;
  }
  void Num(double v) {
    Comma();
    if (!std::isfinite(v)) { out_ += "null"; first_ = false; return; }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    out_ += buf;
    first_ = false;
  }
  void Bool(bool b) { Comma(); out_ += b ? "true" : "false"; first_ = false; }
  template <class T>
  void Field(const char* k, const T& v) {
    Key(k);
    if constexpr (std::is_same_v<T, bool>) Bool(v);
    else if constexpr (std::is_arithmetic_v<T>) Num(double(v));
    else Str(v);
  }
  std::string& Text() { return out_; }

 private:
  void Comma() {
    if (!first_) out_ += ',';
  }
  std::string out_;
  bool first_ = true;
};

std::string ClassName(const scene::TGLBaseSceneObject& o) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(o).name(), nullptr, nullptr, &status),
                                              std::free);
  std::string full = status == 0 && name ? name.get() : typeid(o).name();
  size_t colon = full.rfind("::");
  return colon == std::string::npos ? full : full.substr(colon + 2);
}

// Game objects are the scene objects of the game's own classes (their names start with "T"
// but are not scene kinds).
bool IsGameObject(const std::string& cls) { return cls.rfind("T", 0) == 0 && cls.rfind("TGL", 0) != 0; }

void Objects(JsonWriter& w, const scene::TGLBaseSceneObject& o) {
  for (size_t i = 0; i < o.Count(); ++i) {
    const scene::TGLBaseSceneObject& c = *o.Child(i);
    if (c.IsFreed()) continue;
    std::string cls = ClassName(c);
    if (IsGameObject(cls)) {
      w.Open('{');
      w.Field("kind", cls);
      w.Field("name", c.Name);
      w.Field("visible", c.Visible);
      w.Key("position");
      w.Open('[');
      w.Num(c.Position.x);
      w.Num(c.Position.y);
      w.Num(c.Position.z);
      w.Close(']');
      if (auto* e = dynamic_cast<const combat::TEnemyModel*>(&c)) {
        w.Field("life", e->Life);
        w.Field("maxLife", e->MaxLife);
      }
      w.Close('}');
    }
    Objects(w, c);
  }
}

}  // namespace

std::string StateSnapshotJson(const GameContext& ctx) {
  JsonWriter w;
  w.Open('{');
  w.Field("GameState", ctx.GameState);
  w.Field("FrameTime", ctx.FrameTime);
  w.Field("DeltaTime", ctx.DeltaTime);
  w.Field("TimeScale", ctx.TimeScale);
  w.Field("TimeMultiplier", ctx.GLCadencer1.GetTimeMultiplier());
  w.Field("IntroLogoStep", ctx.IntroLogoStep);
  w.Field("MouseX", ctx.MouseX);
  w.Field("MouseY", ctx.MouseY);
  w.Field("LeftClick", ctx.LeftClick);
  w.Field("RightClick", ctx.RightClick);
  w.Field("HitShakeTicks", ctx.HitShakeTicks);
  w.Field("FocalLength", ctx.Scene.Camera().FocalLength);

  const data::TPlayer& p = ctx.Player;
  w.Key("Player");
  w.Open('{');
#define VLM_FIELD(f) w.Field(#f, p.f)
  VLM_FIELD(Name); VLM_FIELD(FileName); VLM_FIELD(SavedShipCode); VLM_FIELD(Lifes); VLM_FIELD(BonusLifeIndex);
  VLM_FIELD(Scores); VLM_FIELD(Health); VLM_FIELD(Armor); VLM_FIELD(UpgradePoints); VLM_FIELD(ShownScore);
  VLM_FIELD(ShieldSeconds); VLM_FIELD(SatelliteSeconds); VLM_FIELD(DoubleDamageSeconds);
  VLM_FIELD(BurnShotSeconds); VLM_FIELD(FreezeShotSeconds); VLM_FIELD(SlowMotionSeconds);
  VLM_FIELD(HitShieldSeconds); VLM_FIELD(MaxHealth); VLM_FIELD(Skins); VLM_FIELD(CurrentSkin);
  VLM_FIELD(PrimaryLevel); VLM_FIELD(MegaLevel); VLM_FIELD(AutoaimLevel); VLM_FIELD(RocketLevel);
  VLM_FIELD(ArmorLevel); VLM_FIELD(RegenLevel); VLM_FIELD(BonusStrengthLevel); VLM_FIELD(TimeFreezeLevel);
  VLM_FIELD(Rockets);
#undef VLM_FIELD
  w.Close('}');

  const levels::TLevelGlobals& l = ctx.Level;
  w.Key("Level");
  w.Open('{');
#define VLM_FIELD(f) w.Field(#f, l.f)
  VLM_FIELD(CurrentLevel); VLM_FIELD(LevelCount); VLM_FIELD(LevelTime); VLM_FIELD(LevelEndTicks);
  VLM_FIELD(Difficulty); VLM_FIELD(LevelEnemyCount); VLM_FIELD(LiveSpawnCount); VLM_FIELD(FollowerCount);
  VLM_FIELD(FinalLevel); VLM_FIELD(ShopAfterLevel);
#undef VLM_FIELD
  w.Close('}');

  // The level's counters as the statistics screen counts them (zeroed when a level loads).
  const interface::TLevelStats& st = ctx.Hud.LevelStats;
  w.Key("Statistics");
  w.Open('{');
  w.Field("EnemiesAppeared", st.EnemiesTotal);
  w.Field("EnemiesDestroyed", st.EnemiesDestroyed);
  w.Field("ShotsFired", st.Shots);
  w.Field("ShotsHit", st.Hits);
  w.Field("BonusesDropped", st.BonusesTotal);
  w.Field("BonusesTaken", st.BonusesTaken);
  w.Close('}');

  w.Key("Objects");
  w.Open('[');
  Objects(w, ctx.Scene.Objects());
  w.Close(']');
  w.Close('}');
  w.Text() += '\n';
  return std::move(w.Text());
}

void WriteStateSnapshot(const GameContext& ctx, const std::string& file) {
  const std::string json = StateSnapshotJson(ctx);
  data::WriteFileAtomically(file, json, file);
}

}  // namespace vlm::shell
