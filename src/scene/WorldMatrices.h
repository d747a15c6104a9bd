// The world matrices of a subtree of transforms, each its local matrix times its parent's world matrix:
// the update a frame does for transforms alone, without constraints, IK or the model-view pass.
#pragma once

#include "core/Matrix4f.h"

namespace PM {

class TBaseTransform_I;

// Sets the world matrix of `root` (its parent's being `parentWorld`) and of every transform below it,
// level by level (each node after its parent, so every matrix is what a depth-first walk gives). The walk
// goes down through transforms only: a child that is not a transform ends its branch, and a transform
// without an S-transform takes its parent's world matrix. Levels from kMaxTreeDepth down are left alone,
// with the tree-depth report. The order of the visits is kept between updates while the tree-shape
// version holds (scene/TreeShape.h), so the updates of an unchanged tree read only the matrices.
void UpdateWorldMatrices(TBaseTransform_I* root, const Matrix4f& parentWorld);

}  // namespace PM
