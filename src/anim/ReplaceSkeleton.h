// Moving what hangs on one skeleton (props, skins, mesh groups, pose blends) onto another whose
// nodes match it by name.
#pragma once

#include "core/Array.h"
#include "core/String.h"
#include "script/object/ScriptObject.h"

namespace PM {

using ObjectList = Array<Obj<ScriptObject>>;

// Pairs the new skeleton's nodes with the old one's by short name, moves unmatched old subtrees under
// the new skeleton, re-binds skins and mesh groups of the old side to the new joints and to the blend
// controls of the new side's geometries of the same base name, and re-points the pose blends found
// under `poseRoot`, which a new "BlendContainer" under `newSkeleton` then lists. `moved` receives
// the moved subtrees, `joints` the matched new nodes; a pose-blend target that cannot be re-pointed
// is reported unless its name is in `ignoredNames`. `unused` is not read. Null counts as nil.
void ReplaceSkeleton(ScriptObject* newSkeleton, ScriptObject* unused, ScriptObject* oldSkeleton, ScriptObject* poseRoot,
                     ObjectList& moved, ObjectList& joints, const Array<String>& ignoredNames);

// Appends every TSkinPolygonGeometry and TMeshGroup of the subtree: the node first, then its
// children's subtrees from the last child to the first.
void CollectSkinnedGeometry(ScriptObject* node, ObjectList& out);

// The blend controls of the geometries (a mesh group's from its MeshData, others' from their
// S-node), geometries and entries from the last to the first, with the owning geometry's name in
// the parallel `ownerNames`. Nil entries are left out.
void CollectBlendControls(const ObjectList& geometries, Array<String>& ownerNames, ObjectList& controls);

// Appends the pose blends listed by the containers of the subtree (children from the last to the
// first, each container's objects from the last to the first), each pose blend once. `unused` is not read.
void CollectPoseBlends(ScriptObject* node, ObjectList& unused, ObjectList& out);

// Appends `object` to the mesh group's ReplaceMeshArray.
void AddReplaceMesh(ScriptObject* meshGroup, ScriptObject* object);

}  // namespace PM
