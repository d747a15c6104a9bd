// The line shapes of the debug drawing that every back end draws alike: a bone along its offset and the
// near-plane rectangle of a camera frustum, as end points the engines send in their own way.
#pragma once

#include "core/Frustum.h"
#include "core/Vector3f.h"

namespace PM {

inline constexpr int kBoneLineVertexCount = 16;  // 8 lines: the square round the root, then its corners to the tip
inline constexpr Vector3f kBoneColor = {0.0f, 0.0f, 0.5f};
inline constexpr Vector3f kFrustumColor = {0.0f, 1.0f, 0.0f};

// The bone drawn from the origin along `offset`: pairs of line end points.
void BoneLines(const Vector3f& offset, Vector3f out[kBoneLineVertexCount]);

// The four corners of the frustum's near-plane rectangle (left bottom, right bottom, right top, left top),
// just beyond the near plane of a camera that looks down -z.
void FrustumNearCorners(const Frustum& f, Vector3f out[4]);

}  // namespace PM
