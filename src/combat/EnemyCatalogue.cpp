#include "combat/EnemyCatalogue.h"

namespace vlm::combat {

void LoadEnemyKinds(const levels::IniReadFn& read, TEnemyKinds& kinds) {
    kinds.clear();
    const levels::FieldReader f(read, kEnemyCatalogueFile);
    for (int n = 0;; ++n) {
        const std::string s = levels::SectionName(n);
        if (!f.TryInt(s, "kind")) break;
        // Filled aside and added whole, so that a kind whose keys do not all convert is not
        // left half-read in the catalogue.
        TEnemyModelData k;
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
        kinds.push_back(std::move(k));
    }
    // A kind that launches children must name one that exists, or the first launch would
    // build an enemy out of nothing.
    for (size_t i = 0; i < kinds.size(); ++i) {
        const TEnemyModelData& k = kinds[i];
        const bool spawns = k.attackKind == 6 || k.kind == 3;
        if (spawns && (k.CreateEnemyIndex < 0 || static_cast<size_t>(k.CreateEnemyIndex) >= kinds.size()))
            throw levels::EFieldError(kEnemyCatalogueFile, levels::SectionName(static_cast<int>(i)), "CreateEnemyIndex",
                                      std::to_string(k.CreateEnemyIndex),
                                      "enemy kind (the catalogue has " + std::to_string(kinds.size()) + ")");
    }
}

} // namespace vlm::combat
