// The slot through which the frame traversal updates a channel's tree (model-view matrices with
// constraints and IK chains solved). The animation area fills it; render never sees that code.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "script/object/ScriptObject.h"

namespace PM {

// One pass of the tree update, filled by the traversal and read back after the call.
struct TreeUpdatePass {
  enum Kind : uint32_t {
    kConstraint,  // "UpdateConstraint": world space, stamped frame ^ 0x80000000, only until the camera is done
    kTree,        // "UpdateTree": model-view space for drawing, stamped with the frame number
  };
  Kind kind = kTree;
  ScriptObject* root = nullptr;               // the channel's scene root
  uint32_t frame = 0;                         // the frame number of the draw call
  Matrix4f parentMatrix = kIdentityMatrix4f;  // the root's parent matrix: identity, or the camera's view
  uint32_t drawMask = 0xFFFFFFFF;
  uint32_t excludeMask = 0;        // nodes whose Visibility shares a bit keep their matrices, subtree and all
  ScriptObject* camera = nullptr;  // constraint pass: the camera's transform, or null for none
  // Out: the nodes met that later stages handle.
  Array<Obj<ScriptObject>> particles, soundEmitters, soundReceivers;
};

using TreeUpdateFn = void (*)(TreeUpdatePass& pass);

// The installed update (null until the animation area is loaded).
TreeUpdateFn GetTreeUpdate();
void SetTreeUpdate(TreeUpdateFn fn);

// The slot through which the frame traversal advances a particle system by the frame's time step;
// the animation area fills it, and until then particles stand still.
using ParticlesUpdateFn = void (*)(ScriptObject* particles, double timeStep);
ParticlesUpdateFn GetParticlesUpdate();
void SetParticlesUpdate(ParticlesUpdateFn fn);

}  // namespace PM
