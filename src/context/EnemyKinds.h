#pragma once
// The enemy kinds as the catalogue defines them, held once for the whole run (ctx.EnemyKinds).
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::combat {

// One kind, in the order of its keys in the file.
struct TEnemyModelData {
    std::string name;              // descriptive only
    int32_t kind = 0;              // class: 1 ring of shots on death, 2 healer, 3 spawning wanderer,
                                   // 4 turret, 5 formation leader, other: none
    int32_t attackKind = 0;        // firing pattern, -2 to 9
    int32_t attackcount = 0;       // burst length (> 1: a pause of ten intervals after each burst)
    int32_t CreateEnemyIndex = 0;  // kind of the children it spawns
    int32_t CreateEnemyMaxCount = 0; // spawning only while fewer spawned enemies live
    std::string ImageName;         // material in EnemiesLibrary and file under "Data\Textures\Enemies\"
    uint8_t AnimMode = 0;          // 0 loop, 1 forwards and backwards, other: unchanged
    int32_t AnimCount = 0;         // index of the last frame
    int32_t FrameWidth = 0;        // texture pixels
    int32_t FrameHeight = 0;
    double ScaleX = 0.0;
    double ScaleZ = 0.0;
    int32_t AnimSpeed = 0;         // frame interval, milliseconds
    double speed = 0.0;            // movement speed factor (the enemy starts with speed * 0.925)
    double clipspeed = 0.0;        // start speed factor of its shots
    double clipspeedUp = 0.0;      // acceleration of its shots
    double reloadspeed = 0.0;      // base seconds between shots
    int32_t Strength = 0;          // base damage of one shot
    double cw = 0.0;               // shot sprite width and height, world units
    double ch = 0.0;
    int32_t fx = 0;                // particle trail of its shots: 0 to 3, other: none
    std::string clip;              // material of the shot sprite in EnemiesLibrary
    int32_t maxlife = 0;
    double HealthIndX = 0.0;       // health bar offset along X
    double expScaleZ = 0.0;        // death explosion scale
    double expScaleX = 0.0;
    int32_t expIndex = 0;          // explosion "exp<n>", sound "explosion<n>", splinter kind
    int32_t splineindex = 0;       // path code of a child of this kind
    int32_t scores = 0;            // destroying it scores twice this
};

using TEnemyKinds = std::vector<TEnemyModelData>;

}  // namespace vlm::combat
