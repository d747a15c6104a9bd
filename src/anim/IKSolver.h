// The one- and two-bone IK solvers: they reset a chain to its preferred pose, turn it towards the
// handle (pole vector and twist included) in model-view space, store the joints' new Rotation and
// restamp the start joint.
#pragma once

#include <cstdint>

#include "core/Matrix4f.h"
#include "core/Quaternionf.h"
#include "core/String.h"
#include "scene/IKHandle.h"

namespace PM {

// The pivot of a transform node in model-view space: TTransform Translation + RotationPivotTranslation
// + RotationPivot, TSimpleTransform Translation, each through its parent transform's model-view matrix;
// any other node that matrix's translation. A node without a transform above it uses the identity.
void GetTransformPivot(ScriptObject* node, Vector3f& out);
// The same with `root` standing for a missing parent transform.
Vector3f TransformPivot(const TNode_I* node, const Matrix4f& root);

// Solves a one-bone (effector under the start joint) or two-bone chain; longer chains and wrongly typed
// links are skipped silently. `root` stands for a missing parent transform.
void SolveIKChain(TIKHandle_I* handle, uint32_t stamp, const Matrix4f& root = kIdentityMatrix4f);
void Solve1B(TIKHandle_I* handle, uint32_t stamp, const Matrix4f& root = kIdentityMatrix4f);

// The rotations of the root and middle joints that take effector E of the chain A-B-E to goal G, with the
// knee turned towards pole P and twisted about the goal direction. Degenerate input never gives NaN:
// a straight chain bends about u × P (else about a perpendicular of u); a zero pole or one along the goal
// leaves the pole part out with a Warn; no goal direction leaves the twist out with a Warn; a zero bone
// or an effector on the root returns the identity (the preferred pose stays).
void Solve2B(const Vector3f& A, const Vector3f& B, const Vector3f& E, const Vector3f& G, const Vector3f& P,
             float twistDegrees, const String& name, Quaternionf& qRoot, Quaternionf& qMid);

// The rotation carrying the bone A-E onto the goal direction, rolled so that its frame follows the pole;
// mode 0 takes the parent bone Pp-A as the reference of the current frame, any other the hint point H.
// A goal on the joint or a zero bone give the identity; a pole along the goal aims without roll.
Quaternionf Solve1BFrames(const Vector3f& Pp, const Vector3f& A, const Vector3f& E, const Vector3f& G,
                          const Vector3f& P, const Vector3f& H, float twistDegrees, int32_t mode);

// A vector with one non-zero component that is not parallel to v.
Vector3f PickPerpendicularAxis(const Vector3f& v);

}  // namespace PM
