#pragma once
// What the enemies share with the rest of the game (ctx.Enemies): the hit boxes the shots test,
// the queue of hits waiting for their enemy's next frame, and the formation leader.
#include <cstdint>
#include <vector>

namespace vlm::scene { class TGLDummyCube; }

namespace vlm::combat {

// One slot per live enemy; a box whose four extents are all 0 cannot be hit.
struct TEnemyHitBox {
    double ZMax = 0.0, ZMin = 0.0;
    double XMax = 0.0, XMin = 0.0;
    double DamageTaken = 0.0;  // maximum life minus current life
    bool HealTarget = false;   // a healer may choose it
    bool Released = false;     // the slot may be reused
    bool Leader = false;       // a formation leader's box
};

// A hit (or heal) queued by a shot, applied by the enemy owning the box on its next frame.
struct TPendingHit {
    int64_t HitBox = 0;
    double Amount = 0.0;       // damage, or the heal amount
    uint8_t Impact = 0;        // 2: a small impact explosion on a non-lethal hit
    uint8_t Effect = 0;        // 2 burn, 3 freeze, other: only the red flash
    bool Heal = false;
};

inline constexpr uint8_t kImpactExplosion = 2;
inline constexpr uint8_t kEffectBurn = 2;
inline constexpr uint8_t kEffectFreeze = 3;

// The enemies' shared state (ctx.Enemies). The three enemy counters live in ctx.Level
// (LevelEnemyCount, LiveSpawnCount, FollowerCount) because the level loader resets them.
struct TEnemyState {
    TEnemyState() {
        // Room for a crowded level, so steady frames never grow these arrays.
        EnemyHitBoxes.reserve(256);
        PendingHits.reserve(256);
    }
    std::vector<TEnemyHitBox> EnemyHitBoxes;
    std::vector<TPendingHit> PendingHits;
    // The current formation leader: where the followers hang from, and its box (-1 none).
    double LeaderPosition[3] = {0.0, 0.0, 0.0};  // X, Y, Z
    int32_t LeaderHitBox = -1;
    // The playfield group every enemy, shot and bonus hangs under (CreateEnemiesLayout).
    scene::TGLDummyCube* MainDummy = nullptr;
};

}  // namespace vlm::combat
