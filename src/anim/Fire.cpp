#include "anim/Fire_I.h"

namespace PM {

const TypeRecord& Fire_I::GetTypeRecord() {
  static const TypeRecord t("Fire", sizeof(Fire_I), DestroyScriptObject<Fire_I>);
  return t;
}

const ParticleEffectLook Fire_I::kLook = {
    .velocity = {0.0f, 0.1f, 0.0f},
    .emitExtent = {0.07f, 0.0f, 0.07f},
    .emitCount = 16,
    .lifespan = 1.5,
    .spread = 0.02f,
    .radii = {{0.03f, 0.03f, 0.03f}, {0.05f, 0.05f, 0.05f}, {0.01f, 0.01f, 0.01f}},
    .colors = {{0.5f, 0.5f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}},
};

// Effects have no script class of their own: they take the root class's row, so member look-ups on
// them reach the root's stubs like any object's.
Fire* Fire::Create() { return NewScriptObject<Fire_I>(Fire_I::GetTypeRecord(), kClassScriptObject); }

}  // namespace PM
