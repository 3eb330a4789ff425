#include "context/Layout.h"

namespace vlm {

float MaterialAlpha(const scene::TGLSprite& s) { return s.Material.Effective().FrontProperties.Diffuse.a; }

void SetMaterialAlpha(scene::TGLSprite& s, float alpha) {
  s.Material.EffectiveForEdit().FrontProperties.Diffuse.a = alpha;
}

}  // namespace vlm
