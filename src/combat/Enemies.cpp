#include "combat/Enemies.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "combat/Bonuses.h"
#include "combat/EnemyCatalogue.h"
#include "combat/EnemyShots.h"
#include "combat/Explosions.h"
#include "combat/Player.h"
#include "data/Numbers.h"
#include "levels/FollowerPath.h"
#include "levels/LevelLoader.h"
#include "scene/Movement.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::combat {

namespace {

constexpr const char* kRedStatus = "EnemyRedStatus.jpg";
constexpr const char* kGreenStatus = "EnemyGreenStatus.jpg";
constexpr const char* kBlueStatus = "EnemyBlueStatus.jpg";
constexpr const char* kBarFillMaterial = "IndicatorFill2.bmp";
constexpr const char* kBarFrameMaterial = "IndicatorRamka1.bmp";

const glm::vec3 kUpX{1.0f, 0.0f, 0.0f};
const glm::vec3 kUpY{0.0f, 1.0f, 0.0f};
const glm::vec3 kUpZ{0.0f, 0.0f, 1.0f};

double Round(double v) { return double(data::RoundHalfEven(v)); }

// Rounded and kept within int32: a catalogue value may be anything that converts, and a float
// beyond the integer's range must never reach the conversion.
int32_t RoundToInt(double v) {
    return int32_t(std::clamp<int64_t>(data::RoundHalfEven(v), INT32_MIN, INT32_MAX));
}

int32_t SaturatingAdd(int32_t a, int32_t b) { return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX)); }

// Live enemies and waiting placeholders together. Copies that enemies launch stop here, so a
// kind that launches copies of itself cannot grow without end.
constexpr int32_t kMaxEnemiesInPlay = 2500;

// One point is within e of another when neither X nor Z differs by more than e.
bool Within(const scene::TGLBaseSceneObject& a, const scene::TGLBaseSceneObject& b, double e) {
    return std::fabs(double(a.Position.x) - b.Position.x) <= e && std::fabs(double(a.Position.z) - b.Position.z) <= e;
}

// Turns obj toward another object of the playfield. Y only layers objects, so the turn stays
// in the screen's plane: the enemy, its Carrot and its Waypoint lie on different layers and
// must not drift between them as they move.
void TurnTo(scene::TGLBaseSceneObject& obj, const scene::TGLBaseSceneObject& target, const glm::vec3& up) {
    TurnToPoint(obj, glm::vec3(target.Position.x, obj.Position.y, target.Position.z), up);
}

// A random point of the upper playfield for a wanderer's or healer's Waypoint.
void JumpToRandomPoint(GameContext& ctx, scene::TGLBaseSceneObject& waypoint) {
    const double z = (ctx.Rng(84) - 42) * 0.01;
    const double x = (ctx.Rng(64) - 22) * 0.01;
    waypoint.Position.z = float(z);
    waypoint.Position.x = float(x);
}

scene::TGLPolygon* NewPoint(scene::TGLBaseSceneObject& field, double x, double z) {
    auto* p = field.AddNewChild<scene::TGLPolygon>();
    p->Position = glm::vec3(float(x), 0.0f, float(z));
    return p;
}

bool InPlay(const std::string& state) { return state == "game" || state == "levelintro2"; }

void RemoveHitsOf(TEnemyState& s, int32_t box) {
    std::erase_if(s.PendingHits, [box](const TPendingHit& h) { return h.HitBox == box; });
}

void ZeroEnemyCounters(GameContext& ctx) {
    ctx.Level.LevelEnemyCount = 0;
    ctx.Level.LiveSpawnCount = 0;
    ctx.Level.FollowerCount = 0;
}

const TEnemyModelData* KindOf(const GameContext& ctx, int32_t index) {
    if (index < 0 || size_t(index) >= ctx.EnemyKinds.size()) return nullptr;
    return &ctx.EnemyKinds[size_t(index)];
}

// The sound of an enemy's explosion. The bank holds every name the catalogue may give; a
// kind naming an explosion sound the bank lacks stays silent rather than ending the game.
void PlayExplosionSound(const std::string& name, double volume, double pan) {
    try {
        PlaySound(name, RoundToInt(volume), RoundToInt(pan));
    } catch (const sound::EWaveNotFound&) {
    }
}

}  // namespace

// ------------------------------------------------------------------ state and hit boxes

int32_t AllocateHitBox(TEnemyState& s) {
    for (size_t i = 0; i < s.EnemyHitBoxes.size(); ++i) {
        const TEnemyHitBox& b = s.EnemyHitBoxes[i];
        if (b.ZMax != 0.0 || b.ZMin != 0.0 || b.XMax != 0.0 || b.XMin != 0.0 || !b.Released) continue;
        const bool named = std::any_of(s.PendingHits.begin(), s.PendingHits.end(),
                                       [i](const TPendingHit& h) { return h.HitBox == int64_t(i); });
        if (!named) return int32_t(i);
    }
    s.EnemyHitBoxes.emplace_back();
    return int32_t(s.EnemyHitBoxes.size() - 1);
}

void SetHitBox(TEnemyState& s, int32_t index, bool HealTarget, bool Leader, double DamageTaken, double HalfX,
               double HalfZ, double X, double Z) {
    TEnemyHitBox& b = s.EnemyHitBoxes[size_t(index)];
    b.ZMax = Z + HalfZ;
    b.ZMin = Z - HalfZ;
    b.XMax = X + HalfX;
    b.XMin = X - HalfX;
    b.DamageTaken = DamageTaken;
    b.HealTarget = HealTarget;
    b.Leader = Leader;
    b.Released = DamageTaken <= 0.0;
}

void ClearHitBox(TEnemyState& s, int32_t index) {
    TEnemyHitBox& b = s.EnemyHitBoxes[size_t(index)];
    b.ZMax = b.ZMin = b.XMax = b.XMin = 0.0;
}

bool HitTestEnemies(GameContext& ctx, double X, double Z) {
    TEnemyState& s = ctx.Enemies;
    const bool leadersOpen = ctx.Level.FollowerCount <= 0;
    for (size_t i = 0; i < s.EnemyHitBoxes.size(); ++i) {
        const TEnemyHitBox& b = s.EnemyHitBoxes[i];
        if (!(b.ZMin < Z && Z < b.ZMax && b.XMin < X && X < b.XMax)) continue;
        if (b.Leader && !leadersOpen) continue;
        TPendingHit h;
        h.HitBox = int64_t(i);
        s.PendingHits.push_back(h);
        return true;
    }
    return false;
}

int32_t FindMostDamagedEnemy(GameContext& ctx) {
    const TEnemyState& s = ctx.Enemies;
    const size_t n = std::min(s.EnemyHitBoxes.size(), size_t(std::max(ctx.Level.LevelEnemyCount, 0)));
    int32_t best = -1;
    double most = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const TEnemyHitBox& b = s.EnemyHitBoxes[i];
        const bool active = b.ZMax != 0.0 || b.ZMin != 0.0 || b.XMax != 0.0 || b.XMin != 0.0;
        if (!active || !b.HealTarget || !(b.DamageTaken > 0.0)) continue;
        if (best < 0 || b.DamageTaken >= most) {
            best = int32_t(i);
            most = b.DamageTaken;
        }
    }
    return best;
}

void RemovePendingHit(TEnemyState& s, size_t i) {
    if (i < s.PendingHits.size()) s.PendingHits.erase(s.PendingHits.begin() + std::ptrdiff_t(i));
}

void ResetEnemyLevelState(GameContext& ctx) {
    TEnemyState& s = ctx.Enemies;
    s.EnemyHitBoxes.clear();
    s.PendingHits.clear();
    s.LeaderHitBox = -1;
}

void CreateEnemiesLayout(GameContext& ctx) {
    TEnemyState& s = ctx.Enemies;
    s.MainDummy = ctx.L.GLDummyCube2->AddNewChild<scene::TGLDummyCube>();
    s.MainDummy->Name = "MainDummy";
    s.MainDummy->Scale = glm::vec3(6.0f, 0.1f, 8.0f);
    // The health bars hang under EnemiesDummyCube and are placed in playfield units too.
    ctx.L.EnemiesDummyCube->Scale = glm::vec3(6.0f, 0.1f, 8.0f);

    // The enemies' own materials; start-up loads their pictures by name from the enemy textures.
    // Status markers glow (their black vanishes); the health bar is drawn with its alpha.
    for (const char* name : {kRedStatus, kGreenStatus, kBlueStatus}) {
        scene::TGLLibMaterial* m = ctx.EnemiesLibrary.AddTextureMaterial(name);
        m->Material.BlendingMode = scene::TBlendingMode::Additive;
        m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
        m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
    }
    for (const char* name : {kBarFillMaterial, kBarFrameMaterial}) {
        scene::TGLLibMaterial* m = ctx.EnemiesLibrary.AddTextureMaterial(name);
        m->Material.BlendingMode = scene::TBlendingMode::Transparency;
        m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
        m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
    }
}

// ------------------------------------------------------------------ placeholders

TEmptyEnemyModel* AddEnemyPlaceholder(GameContext& ctx, int32_t PathCode, int32_t KindIndex, double Z, double X,
                                      double StartZ, double StartX, double AppearTime, bool Spawned) {
    auto* p = ctx.L.EmptyEnemiesDummy->AddNewChild<TEmptyEnemyModel>(ctx);
    p->KindIndex = KindIndex;
    p->PathCode = PathCode;
    p->AppearTime = AppearTime;
    p->Z = Z;
    p->X = X;
    p->StartZ = StartZ;
    p->StartX = StartX;
    p->Spawned = Spawned;
    ctx.Level.LevelEnemyCount += 1;
    return p;
}

TEmptyEnemyModel* AddEnemyPlaceholder(GameContext& ctx, const levels::TPlacement& p) {
    return AddEnemyPlaceholder(ctx, p.PathCode, p.KindIndex, p.Z, p.X, p.StartZ, p.StartX, p.AppearTime, false);
}

void TEmptyEnemyModel::DoProgress(double deltaTime, double newTime) {
    TGLPolygon::DoProgress(deltaTime, newTime);
    if (LeavingLevel(mCtx)) {
        Free();
        ZeroEnemyCounters(mCtx);
        return;
    }
    if (mCtx.Level.LevelTime >= AppearTime) {
        SpawnEnemy(mCtx, *this);
        Free();
    }
}

// ------------------------------------------------------------------ spawning

TEnemyModel* SpawnEnemy(GameContext& ctx, const TEmptyEnemyModel& ph) {
    const TEnemyModelData* kind = KindOf(ctx, ph.KindIndex);
    if (!kind) {
        // The level loader and the catalogue check every kind they name, so this placement
        // was made by hand: it cannot become an enemy, and it must not hold the level open.
        ctx.Level.LevelEnemyCount -= 1;
        return nullptr;
    }
    const TEnemyModelData& K = *kind;
    const double D = ctx.Level.Difficulty;
    TEnemyState& s = ctx.Enemies;
    scene::TGLBaseSceneObject& field = *s.MainDummy;

    // The enemy, its sprite, its box.
    ctx.Hud.LevelStats.EnemiesTotal += 1;
    auto* e = field.AddNewChild<TEnemyModel>(ctx);
    e->Sprite = field.AddNewChild<scene::TGLAnimatedSprite>();
    e->Finished = false;
    e->Spawned = ph.Spawned;
    e->HitBox = AllocateHitBox(s);
    if (e->Spawned) ctx.Level.LiveSpawnCount += 1;

    // The animation.
    scene::TGLAnimatedSprite& sp = *e->Sprite;
    scene::TSpriteAnimation& a = sp.AddAnimation();
    a.CurrentFrame = 0;
    a.Dimensions = scene::TSpriteAnimDimensions::Auto;
    a.EndFrame = K.AnimCount;
    a.FrameWidth = K.FrameWidth;
    a.FrameHeight = K.FrameHeight;
    a.Interval = K.AnimSpeed;
    a.LibMaterialName = K.ImageName;
    a.StartFrame = 0;
    sp.SetAnimationIndex(0);
    if (K.AnimMode == 0)
        sp.AnimationMode = scene::TSpriteAnimationMode::Loop;
    else if (K.AnimMode == 1)
        sp.AnimationMode = scene::TSpriteAnimationMode::BounceForward;
    sp.MaterialLibrary = &ctx.EnemiesLibrary;
    sp.PixelRatio = 60.0f;
    sp.Position = glm::vec3(float(ph.X), 0.0f, float(ph.Z));
    sp.Scale = glm::vec3(float(K.ScaleX), 0.1f, float(K.ScaleZ));
    sp.Visible = false;

    // The status marker.
    e->StatusSprite = field.AddNewChild<scene::TGLSprite>();
    e->StatusSprite->Material.SetLibMaterial(&ctx.EnemiesLibrary, kRedStatus);
    e->StatusSprite->Height = float(std::min(K.FrameWidth, K.FrameHeight) * 0.0007125);
    e->StatusSprite->Width = e->StatusSprite->Height * 0.85f;
    e->StatusSprite->AlphaChannel = 0.0f;

    // Box size, motion, weapon and life.
    const double meanFrame = (double(K.FrameWidth) + double(K.FrameHeight)) / 2.0;
    e->HalfZ = meanFrame * 0.0005;
    e->HalfX = meanFrame * 0.0004;
    e->PathCode = ph.PathCode;
    e->AppearTime = ph.AppearTime;
    e->Speed = K.speed * 0.925;
    e->ReloadInterval = K.reloadspeed / (0.29 * D);
    e->ReloadTimer = ctx.Rng(RoundToInt(K.reloadspeed * 10.0)) / 10.0;
    e->KindIndex = ph.KindIndex;
    e->KindClass = K.kind;
    e->MaxLife = e->Life = K.maxlife * D * 0.72;
    e->BurstCount = 0;

    // Position; every box gets its own layer.
    e->Position = glm::vec3(float(ph.X), float(0.1 - e->HitBox / 2500.0), float(ph.Z));

    // By path code.
    switch (e->PathCode) {
        case kPathDive:
            e->TargetZ = ph.Z;
            e->TargetX = ph.X;
            e->Position.z = float(ph.StartZ);
            e->Position.x = float(ph.StartX);
            e->Waypoint = NewPoint(field, e->TargetX, e->TargetZ);
            e->Carrot = NewPoint(field, e->TargetX / 2.0, e->TargetZ / 2.0);
            break;
        case kPathFollower:
            e->MaxLife = e->Life = K.maxlife * D * 0.65 * 3.2;
            e->BaseZ = ph.Z;
            e->BaseX = ph.X;
            e->BaseY = (s.LeaderHitBox == -1 || s.LeaderHitBox >= e->HitBox) ? 0.0025 : -0.0025;
            e->Position = glm::vec3(float(s.LeaderPosition[0] + e->BaseX), float(s.LeaderPosition[1] + e->BaseY),
                                    float(s.LeaderPosition[2] + e->BaseZ));
            ctx.Level.FollowerCount += 1;
            break;
        case kPathRoam: {
            e->Position.y = -2.0f;
            const double cx = (ctx.Rng(84) - 42) * 0.01, cz = (ctx.Rng(84) - 42) * 0.01;
            e->Carrot = NewPoint(field, cx, cz);
            const double wx = (ctx.Rng(84) - 42) * 0.01, wz = (ctx.Rng(84) - 42) * 0.01;
            e->Waypoint = NewPoint(field, wx, wz);
            e->HealTargetBox = -1;
            break;
        }
        case kPathHover: {
            e->BaseZ = ph.Z;
            e->BaseX = ph.X;
            e->Phase = ctx.Rng(100) / 10.0;
            const double angle = 3.0 * e->Phase;
            e->Position.z = float(e->BaseZ + 0.008 * std::cos(angle));
            e->Position.x = float(e->BaseX + 0.008 * std::sin(angle));
            break;
        }
        case kPathPatrol:
            e->Position.y = float(ctx.Rng(200) / 100.0 - 1.0);
            break;
        default:
            break;  // nav paths: the Follower is built below
    }

    // By kind class.
    if (e->KindClass == kClassHealer || e->KindClass == kClassTurret) {
        if (e->Carrot) e->Carrot->Free();
        e->Carrot = NewPoint(field, e->Position.x - 1.0, e->Position.z);
        if (e->KindClass == kClassTurret) {
            sp.SetAnimationIndex(0);
            sp.AnimationMode = scene::TSpriteAnimationMode::None;
        }
    } else if (e->KindClass == kClassLeader) {
        e->Position.y = 0.0f;
        s.LeaderPosition[0] = ph.X;
        s.LeaderPosition[1] = 0.0;
        s.LeaderPosition[2] = ph.Z;
        s.LeaderHitBox = e->HitBox;
    }

    // The box.
    SetHitBox(s, e->HitBox, e->PathCode != kPathRoam, e->KindClass == kClassLeader, 0.0, e->HalfX, e->HalfZ,
              e->Position.x, e->Position.z);
    s.EnemyHitBoxes[size_t(e->HitBox)].Released = false;

    // The health bar, hidden until the first hit.
    scene::TGLBaseSceneObject& bars = *ctx.L.EnemiesDummyCube;
    e->BarFill = bars.AddNewChild<scene::TGLSprite>();
    if (const scene::TGLLibMaterial* m = ctx.EnemiesLibrary.LibMaterialByName(kBarFillMaterial))
        e->BarFill->Material.AssignFromLibMaterial(*m);
    {
        scene::TGLFaceProperties& f = e->BarFill->Material.EffectiveForEdit().FrontProperties;
        f.Diffuse.a = 0.0f;
        f.Diffuse.b = 0.0f;
        f.Emission.b = 0.0f;
    }
    e->BarFill->Position = glm::vec3(float(K.HealthIndX), -0.1f, 0.0f);
    e->BarFill->Height = 0.01f;
    e->BarFill->Width = float(K.FrameWidth * 0.0008);
    e->BarFrame = bars.AddNewChild<scene::TGLSprite>();
    e->BarFrame->Material.SetLibMaterial(&ctx.EnemiesLibrary, kBarFrameMaterial);
    e->BarFrame->AlphaChannel = 0.0f;
    e->BarFrame->Position = glm::vec3(float(K.HealthIndX), -0.11f, 0.0f);
    e->BarFrame->Height = 0.015f;
    e->BarFrame->Width = float(K.FrameWidth * 0.0008);

    // A nav path: the hidden Follower travels it and the enemy copies it. The Follower
    // starts where the enemy is, in the path's frame (6 and 8 times the playfield), so an
    // enemy whose path cannot travel stays where it was placed.
    if (e->AppearTime != 0.0 && e->PathCode >= 0) {
        e->Follower = field.AddNewChild<scene::TGLPolygon>();
        e->Follower->Visible = false;
        e->Follower->Position = glm::vec3(e->Position.x * 6.0f, e->Position.y, e->Position.z * 8.0f);
        const levels::TFollowerPath fp = levels::BuildFollowerPath(*e->Follower, ctx.Level.NavPaths, e->PathCode);
        e->Movement = fp.Movement;
        e->Path = fp.Path;
        e->Node = fp.Node;
    }

    // Hidden until its first moving frame.
    e->Visible = false;
    return e;
}

// ------------------------------------------------------------------ the enemy's frame

void TEnemyModel::DoProgress(double deltaTime, double newTime) {
    TGLPolygon::DoProgress(deltaTime, newTime);
    GameContext& ctx = mCtx;
    TEnemyState& s = ctx.Enemies;
    const TEnemyModelData& K = ctx.EnemyKinds[size_t(KindIndex)];

    // The level is being left.
    if (LeavingLevel(ctx)) {
        // The box goes with the enemy, so nothing can hit where it was.
        ClearHitBox(s, HitBox);
        s.EnemyHitBoxes[size_t(HitBox)].Released = true;
        Destroy(true);
        ZeroEnemyCounters(ctx);
        return;
    }
    // The end of a one-way path: gone without reward.
    if (Finished) {
        ClearHitBox(s, HitBox);
        if (Spawned) ctx.Level.LiveSpawnCount -= 1;
        s.EnemyHitBoxes[size_t(HitBox)].Released = true;
        Destroy(false);
        ctx.Level.LevelEnemyCount -= 1;
        RemoveHitsOf(s, HitBox);
        return;
    }
    // Paused, statistics, cut-scenes: everything stands still.
    if (!InPlay(ctx.GameState)) {
        if (Movement && Movement->GetActivePathIndex() >= 0) Paused = true;
        Sprite->Interval = -1;
        return;
    }
    const bool game = ctx.GameState == "game";
    const double scaled = deltaTime * ctx.TimeScale;
    const double moveDt = game ? scaled : deltaTime;

    // The visible sprite follows the invisible carrier at the kind's animation speed.
    Sprite->Interval = K.AnimSpeed;
    Sprite->Position = Position;
    // The nav path's clock.
    const bool pathActive = Movement && Movement->GetActivePathIndex() >= 0;
    if (Movement && !Paused) Movement->PathClock += moveDt;
    if (pathActive && Paused) Paused = false;
    // Burning and freezing run down, and the marker with them.
    StatusTimers(scaled);
    // Frozen enemies neither move nor shoot; followers keep their place in the formation.
    if (!(FreezeTimer > 0.0 && PathCode != kPathFollower)) {
        HealthBar(scaled);
        if (AppearTime != 0.0 && PathCode >= 0 && Movement && !pathActive) {
            if (Path && !Path->Looped)
                Movement->OnPathTravelStop = [this](scene::TGLMovement&, scene::TGLMovementPath&) { Finished = true; };
            Movement->SetActivePathIndex(0);
            Movement->StartPathTravel();
            return;
        }
        if (pathActive && Follower) {
            Position.x = Follower->Position.x / 6.0f;
            Position.z = Follower->Position.z / 8.0f;
            Sprite->Rotation = float(Round(Follower->GetTurnAngle()) + 90.0);
        }
        MoveByPath(moveDt, deltaTime);
        ClassStep(moveDt, deltaTime);
        RegisterBox(PathCode != kPathRoam);
        Visible = true;
        Sprite->Visible = true;
        if (game) Attack(scaled);
    }
    // The status marker stays just above the sprite.
    StatusSprite->Position = glm::vec3(Position.x, Sprite->Position.y - 0.001f, Position.z);
    // Hits and heals queued by shots since the last frame.
    ApplyPendingHits();
}

void TEnemyModel::RegisterBox(bool healTarget) {
    SetHitBox(mCtx.Enemies, HitBox, healTarget, KindClass == kClassLeader, MaxLife - Life, HalfX, HalfZ, X(), Z());
}

void TEnemyModel::StatusTimers(double dt) {
    const TEnemyModelData& K = mCtx.EnemyKinds[size_t(KindIndex)];
    // The marker fades once no effect runs.
    if (!(BurnTimer > 0.0) && !(FreezeTimer > 0.0) && StatusSprite->AlphaChannel > 0.0f)
        StatusSprite->AlphaChannel -= float(1.5 * dt);
    // A burn or a freeze that has taken the last of the life kills at the end of this frame;
    // one zero hit is enough for that.
    bool drained = false;
    auto drain = [&](double rate) {
        if (Life > 0.0) {
            Life -= rate * dt;
            BarFrame->AlphaChannel = 1.0f;
            BarFill->Material.EffectiveForEdit().FrontProperties.Diffuse.a = 1.0f;
        }
        if (Life <= 0.0 && !drained) {
            TPendingHit h;
            h.HitBox = HitBox;
            mCtx.Enemies.PendingHits.push_back(h);
            drained = true;
        }
    };
    // Burning.
    if (BurnTimer > 0.0) {
        BurnTimer -= 5.0 * dt;
        drain(2.0);
        StatusSprite->AlphaChannel = float(1.0 - 1.0 / (BurnTimer + 1.0));
    }
    // Frozen: the path stops, the animation crawls.
    Paused = false;
    if (FreezeTimer > 0.0) {
        Paused = true;
        FreezeTimer -= 5.0 * dt;
        drain(1.0);
        StatusSprite->AlphaChannel = float(1.0 - 1.0 / (FreezeTimer + 1.0));
        Sprite->Interval = SaturatingAdd(RoundToInt(FreezeTimer * 50.0), K.AnimSpeed);
        RegisterBox(false);
        BarFill->Scale.z = float(Life / MaxLife);
    }
    if (!(FreezeTimer > 0.0) && Sprite->Interval != K.AnimSpeed) Sprite->Interval = K.AnimSpeed;
    // A turret's firing animation ends on its first frame.
    if (KindClass == kClassTurret && Sprite->AnimationMode == scene::TSpriteAnimationMode::PlayOnce) {
        scene::TSpriteAnimation* anim = Sprite->CurrentAnimation();
        if (anim && anim->CurrentFrame > 10) {
            Sprite->AnimationMode = scene::TSpriteAnimationMode::None;
            anim->CurrentFrame = 0;
        }
    }
}

void TEnemyModel::HealthBar(double dt) {
    const TEnemyModelData& K = mCtx.EnemyKinds[size_t(KindIndex)];
    BarFill->Position = glm::vec3(float(X() + K.HealthIndX), float(Y() - 0.1), Position.z);
    BarFrame->Position = glm::vec3(float(X() + K.HealthIndX), float(Y() - 0.2), Position.z);
    if (BarFrame->AlphaChannel > 0.0f) BarFrame->AlphaChannel -= float(0.35 * dt);
    scene::TGLFaceProperties& f = BarFill->Material.EffectiveForEdit().FrontProperties;
    if (f.Diffuse.a > 0.0f) f.Diffuse.a = std::max(0.0f, f.Diffuse.a - float(0.35 * dt));
    const double r = Life / MaxLife;
    BarFill->Scale.z = float(r);
    f.Diffuse.r = f.Emission.r = float((1.0 - r) * 2.0);
    f.Diffuse.g = f.Emission.g = float(r - 0.2);
    f.Diffuse.b = f.Emission.b = -2.0f;
}

// ------------------------------------------------------------------ motion

void TEnemyModel::MoveByPath(double dt, double frameDelta) {
    GameContext& ctx = mCtx;
    switch (PathCode) {
        case kPathPatrol: {
            double z = Z();
            if (-0.48 < z && z < 0.48) {
                z += Speed * 0.04 * dt;
            } else {
                Speed = -Speed;
                z = -((Speed > 0.0) - (Speed < 0.0)) * 0.48;
                z += Speed * 0.08 * dt;
            }
            Position.z = float(z);
            break;
        }
        case kPathHover:
            if (ctx.GameState == "game") {
                Phase += 0.7 * frameDelta;
                const double angle = 3.0 * Phase * ctx.TimeScale;
                Position.z = float(BaseZ + 0.008 * std::cos(angle));
                Position.x = float(BaseX + 0.008 * std::sin(angle));
            }
            break;
        case kPathRoam: {
            if (!Carrot || !Waypoint) break;
            Sprite->Rotation = float(Round(Direction.z * 30.0));
            Speed = std::fabs(X() - Waypoint->Position.x) + 1.25 * std::fabs(Z() - Waypoint->Position.z);
            if (!Within(*Carrot, *Waypoint, 0.025)) {
                TurnTo(*Carrot, *Waypoint, kUpY);
                Carrot->Move(float(0.3 * Speed * dt));
            }
            if (!Within(*this, *Carrot, 0.015) && HealTargetBox == -1) {
                TurnTo(*this, *Carrot, kUpY);
                Move(float(0.2 * Speed * dt));
            }
            break;
        }
        case kPathFollower: {
            const TEnemyState& s = ctx.Enemies;
            Position = glm::vec3(float(s.LeaderPosition[0] + BaseX), float(s.LeaderPosition[1] + BaseY),
                                 float(s.LeaderPosition[2] + BaseZ));
            break;
        }
        case kPathDive:
            MoveDive(dt, frameDelta);
            break;
        default:
            break;  // a nav path moves the enemy through its Movement, on the path clock
    }
}

void TEnemyModel::MoveDive(double dt, double frameDelta) {
    Sprite->Rotation = float(Round(glm::degrees(std::atan2(double(Direction.x), -double(Direction.z))) + 90.0));
    if (!Carrot || !Waypoint) return;
    Speed = std::fabs(X() - Waypoint->Position.x) + 1.75 * std::fabs(Z() - Waypoint->Position.z);
    if (!Within(*Carrot, *Waypoint, 0.025)) {
        TurnTo(*Carrot, *Waypoint, kUpZ);
        Carrot->Move(float(0.5 * Speed * dt));
    }
    // The dive ends near the Carrot or at its target. The pace falls with the distance to the
    // target, so an enemy diving straight at it (the Carrot waiting just beyond) only creeps up
    // on the target and would never reach the Carrot.
    if (!Within(*this, *Carrot, 0.02) && !Within(*this, *Waypoint, 0.02)) {
        TurnTo(*this, *Carrot, kUpZ);
        Move(float(0.4 * Speed * dt));
        return;
    }
    // Arrived: swing round to face down the screen, at the frame's own pace. The facing is a
    // unit vector: every nudge of one component is followed by normalising it, so the turn
    // settles on straight down instead of stalling part way.
    auto nudge = [this](float& component, float by) {
        component += by;
        Direction = glm::normalize(Direction);
    };
    const float step = float(0.4 * frameDelta);
    if (Direction.x >= -1.0f) nudge(Direction.x, -float(0.5 * frameDelta));
    if (Direction.x >= 0.0f) {
        if (0.0f <= Direction.z && Direction.z <= 1.0f) nudge(Direction.z, step);
        if (-1.0f <= Direction.z && Direction.z < 0.0f) nudge(Direction.z, -step);
    } else if (Direction.x > -1.0f) {
        if (0.0f <= Direction.z && Direction.z <= 1.0f) nudge(Direction.z, -step);
        if (-1.0f <= Direction.z && Direction.z < 0.0f) nudge(Direction.z, step);
    }
    // Facing down: from the next frame it hovers where it stopped.
    if (Sprite->Rotation == 0.0f) {
        Carrot->Free();
        Waypoint->Free();
        Carrot = nullptr;
        Waypoint = nullptr;
        BaseZ = Z() - 0.008;
        BaseX = X();
        Phase = 0.0;
        Speed = 3.0;
        AppearTime = 0.0;
        PathCode = kPathHover;
    }
}

void TEnemyModel::ClassStep(double dt, double frameDelta) {
    GameContext& ctx = mCtx;
    TEnemyState& s = ctx.Enemies;
    const TEnemyModelData& K = ctx.EnemyKinds[size_t(KindIndex)];
    switch (KindClass) {
        case kClassLeader:
            s.LeaderPosition[0] = X();
            s.LeaderPosition[1] = Y();
            s.LeaderPosition[2] = Z();
            break;
        case kClassTurret: {
            if (!Carrot) break;
            const glm::vec3& player = ctx.L.PlayerDummy->Position;
            const float track = float(ctx.TimeScale * Speed * frameDelta * 0.2);
            if (player.z - 0.02f > Carrot->Position.z) Carrot->Position.z += track;
            if (player.z + 0.02f < Carrot->Position.z) Carrot->Position.z -= track;
            Carrot->Position.x = player.x;
            TurnTo(*this, *Carrot, kUpY);
            Sprite->Rotation = float(-Round(Direction.z * 90.0));
            if (Sprite->AnimationMode == scene::TSpriteAnimationMode::PlayOnce) {
                scene::TSpriteAnimation* anim = Sprite->CurrentAnimation();
                if (anim && anim->CurrentFrame > 10) {
                    Sprite->AnimationMode = scene::TSpriteAnimationMode::None;
                    anim->CurrentFrame = 0;
                }
            }
            break;
        }
        case kClassHealer: {
            if (!Carrot || !Waypoint) break;
            Sprite->Rotation = float(Round(Direction.z * 36.0));
            Speed = std::fabs(X() - Waypoint->Position.x) + 2.5 * std::fabs(Z() - Waypoint->Position.z);
            HealTargetBox = FindMostDamagedEnemy(ctx);
            if (!Within(*Carrot, *Waypoint, 0.025)) {
                TurnTo(*Carrot, *Waypoint, kUpY);
                Carrot->Move(float(0.3 * Speed * dt));
            }
            if (HealTargetBox != -1) {
                const TEnemyHitBox& b = s.EnemyHitBoxes[size_t(HealTargetBox)];
                Waypoint->Position.z = float((b.ZMax + b.ZMin) / 2.0);
                Waypoint->Position.x = float((b.XMax + b.XMin) / 2.0);
                if (!Within(*this, *Waypoint, 0.03)) {
                    TurnTo(*this, *Carrot, kUpY);
                    Move(float(0.2 * Speed * dt));
                }
            } else {
                if (!Within(*this, *Carrot, 0.015)) {
                    TurnTo(*this, *Carrot, kUpY);
                    Move(float(0.2 * Speed * dt));
                }
                if (Within(*Carrot, *Waypoint, 0.03)) JumpToRandomPoint(ctx, *Waypoint);
            }
            break;
        }
        case kClassSpawner:
            if (PathCode != kPathRoam || !Carrot || !Waypoint) break;
            if (Within(*Carrot, *Waypoint, 0.03)) {
                JumpToRandomPoint(ctx, *Waypoint);
                if (ctx.Level.LiveSpawnCount < K.CreateEnemyMaxCount) SpawnChild();
            }
            break;
        default:
            break;
    }
}

void TEnemyModel::SpawnChild() {
    const TEnemyModelData& K = mCtx.EnemyKinds[size_t(KindIndex)];
    const TEnemyModelData* child = KindOf(mCtx, K.CreateEnemyIndex);
    if (!child) return;  // the catalogue refuses such kinds when it loads
    if (mCtx.Level.LevelEnemyCount >= kMaxEnemiesInPlay) {
        static bool told = false;  // once a run: the limit holds every frame after it is hit
        if (!told)
            std::fprintf(stderr,
                         "velmora2: \"%s\", section [%d], \"CreateEnemyMaxCount\": no more enemies are launched "
                         "while %d are in play (the limit on live enemies)\n",
                         kEnemyCatalogueFile, KindIndex, int(kMaxEnemiesInPlay));
        told = true;
        return;
    }
    AddEnemyPlaceholder(mCtx, child->splineindex, K.CreateEnemyIndex, Z(), X(), -1.0, -1.0, 0.0, true);
}

// ------------------------------------------------------------------ attack

void TEnemyModel::Fire(int32_t pattern, double startZ, double startY, double targetZ, double targetX, bool heal) {
    const TEnemyModelData& K = mCtx.EnemyKinds[size_t(KindIndex)];
    MakeEnemyShot(mCtx, K, startZ, X(), startY, pattern, targetZ, targetX, heal);
}

void TEnemyModel::Attack(double dt) {
    GameContext& ctx = mCtx;
    const TEnemyModelData& K = ctx.EnemyKinds[size_t(KindIndex)];
    // Reloading.
    if (ReloadTimer < ReloadInterval) {
        ReloadTimer += dt;
        return;
    }
    // Bursts: after attackcount shots one interval apart, ten more intervals of rest.
    ReloadTimer = 0.0;
    if (K.attackcount > 1) {
        if (BurstCount < K.attackcount - 1) {
            BurstCount += 1;
        } else {
            BurstCount = 0;
            ReloadTimer = -10.0 * ReloadInterval;
        }
    }
    // Fire.
    const double y = Y() + 0.00001;
    const int32_t kind = K.attackKind;
    switch (kind) {
        case -2: {
            if (!Carrot) break;
            const glm::vec3& player = ctx.L.PlayerDummy->Position;
            if (std::fabs(double(Carrot->Position.z) - player.z) < 0.025) {
                Fire(kind, Z() - 0.01, y, player.z, player.x - 0.1, false);
                Sprite->SetAnimationIndex(0);
                Sprite->AnimationMode = scene::TSpriteAnimationMode::PlayOnce;
            }
            break;
        }
        case 0:
        case 1:
        case 2:
            Fire(kind, Z(), y, 0.0, 0.0, false);
            break;
        case 3:
            for (int i = 1; i <= 2; ++i) Fire(kind, Z(), y, Z() + 0.1 * i - 0.15, -1.0, false);
            break;
        case 4:
            for (int i = 1; i <= 3; ++i) Fire(kind, Z(), y, Z() + 0.1 * i - 0.205, -2.0, false);
            break;
        case 5:
            for (double dz : {0.6, 0.3, 0.0, -0.3, -0.6}) Fire(kind, Z(), Y() + 0.0001, Z() + dz, X() - 1.0, false);
            break;
        case 6:
            if (ctx.Level.LiveSpawnCount < K.CreateEnemyMaxCount) SpawnChild();
            break;
        case 8:
            if (HealTargetBox != -1 && Waypoint && Within(*Waypoint, *this, 0.15))
                Fire(kind, Z(), y, Waypoint->Position.z, Waypoint->Position.x, true);
            break;
        case 9:
            for (int i = 1; i <= 2; ++i) Fire(kind, Z(), y, Z() + 0.2 * i - 0.3, -1.0, false);
            Fire(1, Z(), y, 0.0, 0.0, false);
            break;
        default:
            break;  // -1 and 7 hold their fire
    }
}

// ------------------------------------------------------------------ hits and death

void TEnemyModel::ApplyPendingHits() {
    GameContext& ctx = mCtx;
    TEnemyState& s = ctx.Enemies;
    for (size_t i = 0; i < s.PendingHits.size(); ++i) {
        if (s.PendingHits[i].HitBox != HitBox) continue;
        const TPendingHit hit = s.PendingHits[i];
        scene::TGLFaceProperties& fill = BarFill->Material.EffectiveForEdit().FrontProperties;
        if (hit.Heal) {
            // A heal wipes out whatever else was queued for this enemy this frame.
            Life = std::min(MaxLife, Life + hit.Amount + hit.Amount * ctx.Level.Difficulty);
            RemoveHitsOf(s, HitBox);
            BarFrame->AlphaChannel = 1.0f;
            fill.Diffuse.a = 1.0f;
            return;
        }
        const char* marker = kRedStatus;
        if (hit.Effect == kEffectBurn) {
            BurnTimer = 10.0;
            FreezeTimer = 0.0;
            marker = kGreenStatus;
        } else if (hit.Effect == kEffectFreeze) {
            FreezeTimer = 10.0;
            BurnTimer = 0.0;
            marker = kBlueStatus;
        }
        StatusSprite->AlphaChannel = 1.0f;
        if (StatusSprite->Material.GetLibMaterialName() != marker)
            StatusSprite->Material.SetLibMaterial(&ctx.EnemiesLibrary, marker);
        BarFrame->AlphaChannel = 1.0f;
        fill.Diffuse.a = 1.0f;
        // One hit a frame: the rest wait in the queue for the next.
        ClearHitBox(s, HitBox);
        if (Life - hit.Amount > 0.0) {
            s.EnemyHitBoxes[size_t(HitBox)].Released = false;
            Life -= hit.Amount;
            if (hit.Impact == kImpactExplosion)
                Explode(ctx, "exp1", Z(), X(), -ctx.Aftermath.ExplosionLayer / 10000.0, 0.085, 0.06);
            RemovePendingHit(s, i);
        } else {
            Die();
        }
        return;
    }
}

void TEnemyModel::Die() {
    GameContext& ctx = mCtx;
    TEnemyState& s = ctx.Enemies;
    const TEnemyModelData& K = ctx.EnemyKinds[size_t(KindIndex)];
    const double x = X(), z = Z();
    // Its spawner may make another child; its box may be reused.
    if (Spawned) ctx.Level.LiveSpawnCount -= 1;
    s.EnemyHitBoxes[size_t(HitBox)].Released = true;
    // Reward: spawned children give nothing.
    if (!Spawned) {
        if (std::fabs(z) < 0.45) DropBonus(ctx, ChooseBonus(ctx, PathCode == kPathFollower), 0.11, 0.085, x, z);
        ctx.Player.Scores += 2 * int64_t(K.scores);
        CheckExtraLife(ctx);
    }
    // The ring of shots.
    if (KindClass == kClassRing) {
        static constexpr double kRing[8][2] = {{2, 0}, {2, 2}, {0, 2}, {-2, 2}, {-2, 0}, {-2, -2}, {0, -2}, {2, -2}};
        for (const auto& d : kRing) Fire(kShotRing, z, Y() + 0.00001, z + d[0], x + d[1], false);
    }
    // Explosion, sound, splinters.
    const std::string index = std::to_string(K.expIndex);
    Explode(ctx, "exp" + index, z, x, -0.1, K.expScaleZ, K.expScaleX);
    PlayExplosionSound("explosion" + index, (85.0 - 25.0 * Sprite->Position.x) * ctx.Options.SoundVolume,
                       -Sprite->Position.z * 3000.0);
    const int splinters = 3 + ctx.Rng(3);
    for (int i = 0; i < splinters; ++i) Splinter(ctx, K.expIndex, x, z);
    // A leader goes up in a chain of blasts and leaves a stash of bonuses.
    if (KindClass == kClassLeader) {
        for (int i = 0; i < 5; ++i) {
            const double ez = z - 0.1 + 0.02 * ctx.Rng(10);
            const double ex = x - 0.1 + 0.02 * ctx.Rng(10);
            Explode(ctx, "exp" + index, ez, ex, Y() - 0.001 - ctx.Aftermath.LiveExplosions / 50.0, 0.8 * K.expScaleZ,
                    0.8 * K.expScaleX);
        }
        for (int i = 0; i < 20; ++i) {
            const double sz = z - 0.1 + 0.02 * ctx.Rng(10);
            const double sx = x - 0.1 + 0.02 * ctx.Rng(10);
            Splinter(ctx, K.expIndex, sx, sz);
        }
        PlayExplosionSound("explosion4", ctx.Options.SoundVolume * 100.0, 0.0);
        DropBonus(ctx, kBonusHealth, 0.11, 0.085, x, z + 0.1);
        DropBonus(ctx, kBonusHealth, 0.11, 0.085, x, z - 0.1);
        DropBonus(ctx, kBonusArmor, 0.11, 0.085, x + 0.1, z);
        DropBonus(ctx, kBonusArmor, 0.11, 0.085, x - 0.1, z);
        DropBonus(ctx, kBonusRockets, 0.11, 0.085, x, z);
    }
    // The red flash.
    FlashExplosionLight(ctx);
    // 7, 8.
    if (PathCode == kPathFollower) ctx.Level.FollowerCount -= 1;
    Destroy(true);
    ctx.Level.LevelEnemyCount -= 1;
    RemoveHitsOf(s, HitBox);
}

void TEnemyModel::Destroy(bool countDestroyed) {
    for (scene::TGLBaseSceneObject* o : {static_cast<scene::TGLBaseSceneObject*>(Waypoint),
                                          static_cast<scene::TGLBaseSceneObject*>(Carrot),
                                          static_cast<scene::TGLBaseSceneObject*>(BarFill),
                                          static_cast<scene::TGLBaseSceneObject*>(BarFrame),
                                          static_cast<scene::TGLBaseSceneObject*>(StatusSprite)})
        if (o) o->Free();
    Waypoint = Carrot = nullptr;
    BarFill = BarFrame = StatusSprite = nullptr;
    if (Follower) {
        if (Movement) Movement->OnPathTravelStop = nullptr;
        Follower->Free();  // its movement, path and nodes go with it
        Follower = nullptr;
        Movement = nullptr;
        Path = nullptr;
        Node = nullptr;
    }
    if (Sprite) Sprite->Free();
    Sprite = nullptr;
    Free();
    if (countDestroyed) mCtx.Hud.LevelStats.EnemiesDestroyed += 1;
}

}  // namespace vlm::combat
