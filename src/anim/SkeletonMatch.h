// The working lists of a skeleton replacement and the walks that fill them.
#pragma once

#include "anim/ReplaceSkeleton.h"
#include "classes/EngineClassIds.h"

namespace PM {

// Declared in this order so that destruction releases them from the last to the first.
struct SkeletonMatch {
  ObjectList newNodes;    // matched nodes of the new skeleton
  ObjectList oldNodes;    // the old node paired with each (parallel)
  ObjectList oldSNodes;   // those old nodes' S-nodes (parallel)
  ObjectList skins;       // TSkinPolygonGeometry found on the old side
  ObjectList meshGroups;  // TMeshGroup found on the old side
  ObjectList moved;       // old subtrees moved under the new skeleton
};

// Pairs `newNode` with `oldNode` when both are branches, then each old child with the last of the new
// node's original children of the same short name (recursively); an old child without one is moved
// under the new node. Skins and mesh groups met on the old side are listed.
void MatchSkeletonNodes(ScriptObject* newNode, ScriptObject* oldNode, SkeletonMatch& match);

// Lists the skins and mesh groups of a moved subtree (children from the first to the last).
void CollectMovedGeometry(ScriptObject* node, SkeletonMatch& match);

// Member ids the replacement reads and writes.
namespace SkeletonIds {
inline constexpr uint32_t kSNode = 0x01FFF043;
inline constexpr uint32_t kParent = 0x02FFF043;
inline constexpr uint32_t kChild = 0x01FFF047;
inline constexpr uint32_t kContainerObject = 0x01FFF074;
inline constexpr uint32_t kSkinBlendControl = 0x03FFF078;
inline constexpr uint32_t kSkinJoint = 0x01FFF079;
inline constexpr uint32_t kMeshGroupMeshData = 0x02FFF0FB;
inline constexpr uint32_t kMeshGroupReplaceMesh = 0x04FFF0FB;
inline constexpr uint32_t kMeshDataJoint = 0x08FFF0F9;
inline constexpr uint32_t kMeshDataBlendControl = 0x0BFFF0F9;
inline constexpr uint32_t kBlendControlStaticBlend = 0x02FFF08E;
inline constexpr uint32_t kPoseBlendConnectionGroup = 0x05FFF0C2;
inline constexpr uint32_t kConnectionObject = 0x01FFF094;
}  // namespace SkeletonIds

// The child count of a branch (0 for anything else) and child i.
int32_t ChildCount(ScriptObject* node);
ScriptObject* ChildAt(ScriptObject* node, int32_t i);

}  // namespace PM
