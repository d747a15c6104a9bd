// The spline IK solver: lays a joint chain along a cubic B-spline curve bent by cluster handles.
#pragma once

#include "core/Vector3f.h"
#include "scene/IKSplineHandle.h"

namespace PM {

class TreeUpdate;

// Places each joint's child on the curve at the joint's bone length, spreads the handle's Twist over
// the chain, writes and stamps the joints' matrices (not their Rotation) and updates their other
// subtrees through `update`.
void IKSplineSolver(TreeUpdate& update, TIKSplineHandle_I* handle);

// The first point O + tD, t in [-slack, 1 + slack], on the sphere (centre, radius); false when none.
bool IntersectSegmentSphere(const Vector3f& origin, const Vector3f& direction, const Vector3f& centre, float radius,
                            float slack, Vector3f& point);

}  // namespace PM
