// Cloning and measuring trees of 10,000 and 100,000 nodes (transforms with polygon-geometry leaves),
// against cloning with the linear FindLast scans in collecting and linking on the smaller tree.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchWorld.h"
#include "classes/EngineClasses.h"
#include "core/Spheref.h"
#include "geometry/TreeBounds.h"
#include "scene/CloneTree.h"
#include "scene/ImportModule.h"
#include "scene/Transform.h"
#include "script/object/MemberAccess.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

constexpr int kFanOut = 8;  // node i hangs under node (i - 1) / kFanOut

using Bench::InitOnce;

// Inner nodes are transforms; nodes without children are polygon geometry with a bounding sphere.
Obj<ScriptObject> BuildTree(int count) {
  InitOnce();
  const uint32_t transform = FindClassID("TTransform"), geometry = FindClassID("TPolygonGeometry");
  std::vector<ScriptObject*> nodes(static_cast<size_t>(count));
  Obj<ScriptObject> root(ScriptObject::Create(transform));
  nodes[0] = root;
  for (int i = 1; i < count; ++i) {
    const bool inner = int64_t(i) * kFanOut + 1 < count;
    Obj<ScriptObject> n(ScriptObject::Create(inner ? transform : geometry));
    if (!inner) MemberSet<VSpheref>(n, kMemberTNodeBoundingSphere, Spheref{{float(i % 13), float(i % 7), 1}, 0.5f});
    MemberSet<VObject>(n, kMemberTNodeParent, nodes[size_t(i - 1) / kFanOut]);
    nodes[size_t(i)] = n;
  }
  return root;
}

void BM_CloneTree(benchmark::State& state) {
  Obj<ScriptObject> root = BuildTree(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CloneTree(root).Get());
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CloneTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The clone with collecting and linking by FindLast, as the plain reading of the algorithm has it.
void CollectByScan(ScriptObject* n, Array<Obj<ScriptObject>>& nodes) {
  if (IsNilObject(n) || FindLast(nodes, n) >= 0) return;
  nodes.Append(Obj<ScriptObject>(n));
  if (!n->IsA(TBranch_I::kClassId)) return;
  for (int32_t c = MemberSize(n, kMemberTBranchChild) - 1; c >= 0; --c)
    CollectByScan(MemberGetAt<VObject>(n, kMemberTBranchChild, c), nodes);
}

Obj<ScriptObject> CloneByScan(ScriptObject* root) {
  Array<Obj<ScriptObject>> nodes, clones;
  CollectByScan(root, nodes);
  for (const Obj<ScriptObject>& n : nodes) {
    Obj<ScriptObject> clone(ScriptObject::Create(n->GetClassID()));
    MemberSet<VObject>(clone, kMemberTNodeSNode, MemberGet<VObject>(n, kMemberTNodeSNode));
    MemberSet<VSpheref>(clone, kMemberTNodeBoundingSphere, MemberGet<VSpheref>(n, kMemberTNodeBoundingSphere));
    clones.Append(clone);
  }
  for (int32_t i = 0; i < nodes.Count(); ++i) {
    if (!nodes[i]->IsA(TBranch_I::kClassId)) continue;
    for (int32_t c = MemberSize(nodes[i], kMemberTBranchChild) - 1; c >= 0; --c) {
      int32_t k = FindLast(nodes, MemberGetAt<VObject>(nodes[i], kMemberTBranchChild, c));
      if (k >= 0) MemberSet<VObject>(clones[k], kMemberTNodeParent, clones[i]);
    }
  }
  return clones[0];
}

void BM_CloneTreeByScan(benchmark::State& state) {
  Obj<ScriptObject> root = BuildTree(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CloneByScan(root).Get());
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CloneTreeByScan)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ComputeNodesBounds(benchmark::State& state) {
  Obj<ScriptObject> root = BuildTree(int(state.range(0)));
  const Array<Obj<ScriptObject>> list{root};
  Spheref bounds;
  for (auto _ : state) {
    ComputeNodesBounds(list, bounds, false);
    benchmark::DoNotOptimize(bounds);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ComputeNodesBounds)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
