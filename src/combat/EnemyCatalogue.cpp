#include "combat/EnemyCatalogue.h"

namespace vlm::combat {

void LoadEnemyKinds(const levels::IniReadFn& read, TEnemyKinds& kinds) {
    kinds.clear();
    const levels::FieldReader f(read, kEnemyCatalogueFile);
    for (int n = 0;; ++n) {
        const std::string s = levels::SectionName(n);
        if (!f.TryInt(s, "kind")) return;
        TEnemyModelData& k = kinds.emplace_back();
        k.name = f.Text(s, "name");
        k.kind = f.Int(s, "kind");
        k.attackKind = f.Int(s, "attackKind");
        k.attackcount = f.Int(s, "attackcount");
        k.CreateEnemyIndex = f.Int(s, "CreateEnemyIndex");
        k.CreateEnemyMaxCount = f.Int(s, "CreateEnemyMaxCount");
        k.ImageName = f.Text(s, "ImageName");
        k.AnimMode = static_cast<uint8_t>(f.Int(s, "AnimMode"));
        k.AnimCount = f.Int(s, "AnimCount");
        k.FrameWidth = f.Int(s, "FrameWidth");
        k.FrameHeight = f.Int(s, "FrameHeight");
        k.ScaleZ = f.Float(s, "ScaleZ");
        k.ScaleX = f.Float(s, "ScaleX");
        k.AnimSpeed = f.Int(s, "AnimSpeed");
        k.speed = f.Float(s, "speed");
        k.clipspeed = f.Float(s, "clipspeed");
        k.clipspeedUp = f.Float(s, "clipspeedUp");
        k.reloadspeed = f.Float(s, "reloadspeed");
        k.Strength = f.Int(s, "Strength");
        k.cw = f.Float(s, "cw");
        k.ch = f.Float(s, "ch");
        k.fx = f.Int(s, "fx");
        k.clip = f.Text(s, "clip");
        k.maxlife = f.Int(s, "maxlife");
        k.HealthIndX = f.Float(s, "HealthIndX");
        k.expScaleZ = f.Float(s, "expScaleZ");
        k.expScaleX = f.Float(s, "expScaleX");
        k.expIndex = f.Int(s, "expIndex");
        k.splineindex = f.Int(s, "splineindex");
        k.scores = f.Int(s, "scores");
    }
}

} // namespace vlm::combat
