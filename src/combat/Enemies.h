#pragma once
// The life of an enemy: a placement waits as a placeholder until the level clock reaches its
// appear time, then becomes a live enemy that flies its nav path or one of the built-in
// motions, acts by its kind class, shoots by its attack kind, takes hits and heals through
// the pending-hit queue, shows a health bar and a status marker, and dies with reward and
// explosion, or leaves quietly at the end of a one-way path.
//
// Playfield frame: every enemy object hangs under MainDummy (scale 6, 0.1, 8); X is the
// screen's vertical axis (up positive), Z the horizontal one, Y only layers objects.

#include <cstdint>
#include <vector>

#include "context/EnemyState.h"
#include "scene/Movement.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }
namespace vlm::levels { struct TPlacement; }

namespace vlm::combat {

// Path codes of the built-in motions; 0 and up name a nav path.
inline constexpr int32_t kPathPatrol = -1;
inline constexpr int32_t kPathHover = -2;
inline constexpr int32_t kPathRoam = -3;
inline constexpr int32_t kPathFollower = -5;
inline constexpr int32_t kPathDive = -6;

// Kind classes (the catalogue's `kind`).
inline constexpr int32_t kClassRing = 1;
inline constexpr int32_t kClassHealer = 2;
inline constexpr int32_t kClassSpawner = 3;
inline constexpr int32_t kClassTurret = 4;
inline constexpr int32_t kClassLeader = 5;


// A waiting placement, under EmptyEnemiesDummy; never drawn.
class TEmptyEnemyModel : public scene::TGLPolygon {
public:
    explicit TEmptyEnemyModel(GameContext& ctx) : mCtx(ctx) {}
    int32_t KindIndex = 0;
    int32_t PathCode = 0;
    double AppearTime = 0.0;
    double Z = 0.0, X = 0.0;
    double StartZ = 0.0, StartX = 0.0;
    bool Spawned = false;

    void DoProgress(double deltaTime, double newTime) override;

private:
    GameContext& mCtx;
};

// A live enemy, under MainDummy. It draws nothing itself: its Sprite, StatusSprite and health
// bar are separate objects it owns and frees with itself.
class TEnemyModel : public scene::TGLPolygon {
public:
    explicit TEnemyModel(GameContext& ctx) : mCtx(ctx) {}

    bool Finished = false;
    bool Spawned = false;
    int32_t HitBox = 0;
    int32_t KindIndex = 0;
    int32_t KindClass = 0;
    int32_t PathCode = 0;
    double BaseZ = 0.0, BaseX = 0.0, BaseY = 0.0;
    double TargetZ = 0.0, TargetX = 0.0;
    double Phase = 0.0;
    int32_t BurstCount = 0;
    double HalfZ = 0.0, HalfX = 0.0;
    double ReloadInterval = 0.0, ReloadTimer = 0.0;
    int32_t HealTargetBox = -1;
    scene::TGLPolygon* Carrot = nullptr;
    scene::TGLPolygon* Waypoint = nullptr;
    scene::TGLSprite* StatusSprite = nullptr;
    scene::TGLAnimatedSprite* Sprite = nullptr;
    double AppearTime = 0.0;
    double BurnTimer = 0.0, FreezeTimer = 0.0;
    double Speed = 0.0;
    double MaxLife = 0.0, Life = 0.0;
    scene::TGLSprite* BarFill = nullptr;
    scene::TGLSprite* BarFrame = nullptr;
    scene::TGLPolygon* Follower = nullptr;
    scene::TGLMovement* Movement = nullptr;
    scene::TGLMovementPath* Path = nullptr;
    scene::TGLPathNode* Node = nullptr;
    bool Paused = false;

    // Playfield position (the object's own position).
    double X() const { return Position.x; }
    double Y() const { return Position.y; }
    double Z() const { return Position.z; }

    void DoProgress(double deltaTime, double newTime) override;

private:
    friend TEnemyModel* SpawnEnemy(GameContext&, const TEmptyEnemyModel&);
    // Frees the enemy with everything it owns; countDestroyed adds it to the level's
    // destroyed enemies.
    void Destroy(bool countDestroyed);
    void StatusTimers(double dt);
    void HealthBar(double dt);
    void MoveByPath(double dt, double frameDelta);
    void MoveDive(double dt, double frameDelta);
    void ClassStep(double dt, double frameDelta);
    void Attack(double dt);
    void Fire(int32_t pattern, double startZ, double startY, double targetZ, double targetX, bool heal);
    void ApplyPendingHits();
    void Die();
    void SpawnChild();
    void RegisterBox(bool healTarget);

    GameContext& mCtx;
};

// Creates MainDummy, the playfield group (under GLDummyCube2, scale 6, 0.1, 8), and gives the
// health bars' group EnemiesDummyCube the same scale. Called by BuildLayout.
void CreateEnemiesLayout(GameContext& ctx);

// A placeholder under EmptyEnemiesDummy, counted in LevelEnemyCount. The level loader passes
// Spawned false; spawning enemies pass true.
TEmptyEnemyModel* AddEnemyPlaceholder(GameContext& ctx, int32_t PathCode, int32_t KindIndex, double Z, double X,
                                      double StartZ, double StartX, double AppearTime, bool Spawned);
TEmptyEnemyModel* AddEnemyPlaceholder(GameContext& ctx, const levels::TPlacement& placement);

// Builds the live enemy of a placeholder with the level's difficulty.
TEnemyModel* SpawnEnemy(GameContext& ctx, const TEmptyEnemyModel& placeholder);

// The first slot that is inactive, released and named by no pending hit; else a new slot.
int32_t AllocateHitBox(TEnemyState& s);
// Registers a box around (X, Z); Released := DamageTaken <= 0.
void SetHitBox(TEnemyState& s, int32_t index, bool HealTarget, bool Leader, double DamageTaken, double HalfX,
               double HalfZ, double X, double Z);
// Makes a box inactive (its four extents 0).
void ClearHitBox(TEnemyState& s, int32_t index);

// The first box strictly containing (X, Z) that may be hit (a leader only once no follower
// lives): queues a pending hit naming it with every other field 0 and returns true. The caller
// fills Amount, Impact, Effect or Heal of ctx.Enemies.PendingHits.back().
bool HitTestEnemies(GameContext& ctx, double X, double Z);

// The active heal target with the greatest damage among boxes 0 to LevelEnemyCount - 1 (the
// later wins a tie), or -1.
int32_t FindMostDamagedEnemy(GameContext& ctx);

// Removes pending hit i, keeping the order of the rest.
void RemovePendingHit(TEnemyState& s, size_t i);

// The level load's reset of the enemy state: no hit boxes, no pending hits, no leader.
void ResetEnemyLevelState(GameContext& ctx);

}  // namespace vlm::combat
