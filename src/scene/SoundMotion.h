// Where a sound node stands and how fast it moves, read from its parent transform each frame. The first
// frame after a restart reads no speed, so a node placed far away doesn't seem to fly there.
#pragma once

#include "core/Matrix4f.h"
#include "core/Vector3f.h"
#include "script/object/ScriptObject.h"

namespace PM {

struct SoundMotion {
  bool first = true;
  Vector3f last{0, 0, 0};

  void Restart() { first = true; }
  // The parent's world matrix and the velocity since the last step over `dt` (> 0); false without a
  // parent.
  bool Step(ScriptObject* parent, double dt, Matrix4f& world, Vector3f& velocity);
};

}  // namespace PM
