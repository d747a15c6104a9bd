#include "anim/Smoke_I.h"

namespace PM {

const TypeRecord& Smoke_I::GetTypeRecord() {
  static const TypeRecord t("Smoke", sizeof(Smoke_I), DestroyScriptObject<Smoke_I>);
  return t;
}

const ParticleEffectLook Smoke_I::kLook = {
    .velocity = {0.0f, 0.2f, 0.0f},
    .emitExtent = {0.1f, 0.0f, 0.1f},
    .emitCount = 10,
    .lifespan = 3.0,
    .spread = 0.03f,
    .radii = {{0.04f, 0.04f, 0.04f}, {0.1f, 0.1f, 0.1f}, {0.17f, 0.17f, 0.17f}},
    .colors = {{0.2f, 0.2f, 0.2f, 1.0f}, {0.4f, 0.4f, 0.4f, 1.0f}, {1.0f, 1.0f, 1.0f, 0.0f}},
};

// No script class of its own (see Fire::Create).
Smoke* Smoke::Create() { return NewScriptObject<Smoke_I>(Smoke_I::GetTypeRecord(), kClassScriptObject); }

}  // namespace PM
