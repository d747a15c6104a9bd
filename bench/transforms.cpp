// A tree of 100,000 transforms built through the member-id API and its world matrices updated, against the
// same tree over plain structs with the same math. The engine's nodes are a T-node, its S-node and a
// children array, three blocks, the first two side by side in the node arena in creation order (here the
// walk's order); a plain node is one struct and its children vector. The update benchmarks build each
// tree once and time only the update.
// - BM_UpdateEngineWorldMatrices: UpdateWorldMatrices as a frame calls it on a tree whose shape did not
//   change since the last update: it replays the kept order of the visits (transform, S-transform, the
//   parent's world matrix), reading of each node only its world matrix and its S-node's local matrix and
//   state, and the list of visits in order.
// - BM_UpdateEngineWorldMatricesNewShape: the same with the tree-shape version moved on before every
//   update (as after any link or S-node change anywhere): the level-by-level walk over class rows, S-nodes
//   and child lists, fetching the blocks of the nodes waiting a few visits ahead, which also records the
//   order anew.
// - BM_UpdateEngineRecursive: for comparison, a plain recursion over the same nodes and child lists.
// - BM_UpdatePlainWorldMatrices: the plain trees by a plain recursion. PlainNode holds only what the
//   update reads (about 190 bytes, so 100,000 of them fit in a 32 MB cache); PlainFullNode, the
//   like-for-like peer, also carries as many bytes as the engine's two records hold besides (model-view
//   matrices, pivots, limits), placed after the fields the update reads as in the engine's records.
#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <vector>

#include "BenchWorld.h"
#include "classes/EngineClasses.h"
#include "scene/Transform.h"
#include "scene/TreeShape.h"
#include "scene/WorldMatrices.h"
#include "script/object/MemberAccess.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

constexpr int kNodes = 100000;  // the update benchmarks also run a 10,000-node tree that fits in cache
constexpr int kFanOut = 8;      // node i hangs under node (i - 1) / kFanOut

Vector3f TranslationOf(int i) { return {float(i % 7), float(i % 5) * 0.5f, 1.0f}; }
Vector3f RotationOf(int i) { return {float(i % 90), float(i % 45), 0.0f}; }

using Bench::InitOnce;

// ---- the engine's tree ----------------------------------------------------------------------------

Obj<ScriptObject> BuildEngineTree(int count = kNodes) {
  const uint32_t cls = FindClassID("TTransform");
  std::vector<ScriptObject*> nodes(count);
  Obj<ScriptObject> root(ScriptObject::Create(cls));
  nodes[0] = root;
  for (int i = 1; i < count; ++i) {
    Obj<ScriptObject> n(ScriptObject::Create(cls));
    ScriptObject* s = MemberGet<VObject>(n, kMemberTNodeSNode);
    MemberSet<VVector3f>(s, kMemberSSimpleTransformTranslation, TranslationOf(i));
    MemberSet<VVector3f>(s, kMemberSSimpleTransformRotation, RotationOf(i));
    MemberSet<VObject>(n, kMemberTNodeParent, nodes[(i - 1) / kFanOut]);
    nodes[i] = n;
  }
  return root;
}

// The same nodes walked by a plain recursion, as a caller without the library's walk would: each visit
// waits for its T-node, then its S-node.
void UpdateEngineRecursive(TBaseTransform_I* t, const Matrix4f& parentWorld) {
  auto* s = static_cast<SBaseTransform_I*>(t->m_sNode.Get());
  const Matrix4f& world = s->ApplyLocalMatrix(parentWorld, t->m_worldMatrix);
  if (&world != &t->m_worldMatrix) t->m_worldMatrix = world;
  for (const Obj<TNode_I>& c : t->m_children)
    UpdateEngineRecursive(static_cast<TBaseTransform_I*>(c.Get()), t->m_worldMatrix);
}

// ---- the same over plain structs ------------------------------------------------------------------

// A plain node holds what the update reads, then `Cold` bytes of what it does not (the same order as the
// engine's records); PlainNode carries nothing else.
template <size_t Cold>
struct PlainNodeOf {
  Vector3f translation{0, 0, 0}, rotation{0, 0, 0};
  Matrix4f local = kIdentityMatrix4f, world = kIdentityMatrix4f;
  bool stale = false, identity = true;
  std::vector<PlainNodeOf*> children;
  std::array<char, Cold> cold{};
  ~PlainNodeOf() {
    for (PlainNodeOf* c : children) delete c;
  }
};
using PlainNode = PlainNodeOf<0>;
// The like-for-like node: as many bytes as the engine's two records of a transform with their headers.
constexpr size_t kEngineNodeBytes = sizeof(TTransform_I) + sizeof(STransform_I) + 2 * sizeof(BlockHeader);
using PlainFullNode = PlainNodeOf<kEngineNodeBytes - sizeof(PlainNode)>;

template <class Node = PlainNode>
Node* BuildPlainTree(int count = kNodes) {
  std::vector<Node*> nodes(count);
  nodes[0] = new Node;
  for (int i = 1; i < count; ++i) {
    auto* n = new Node;
    n->translation = TranslationOf(i);
    n->rotation = RotationOf(i);
    n->stale = true;
    nodes[(i - 1) / kFanOut]->children.push_back(n);
    nodes[i] = n;
  }
  return nodes[0];
}

template <class Node>
void UpdatePlain(Node* n, const Matrix4f& parentWorld) {
  if (n->stale) {
    const Vector3f r = n->rotation;
    Matrix4fC::MakeRotation(n->local, {r.x * kDegToRad, r.y * kDegToRad, r.z * kDegToRad}, 0);
    n->local.SetRow(3, n->translation);
    n->stale = false;
    n->identity = false;
  }
  if (n->identity)
    n->world = parentWorld;
  else
    n->world.SetProductAffine(n->local, parentWorld);
  for (Node* c : n->children) UpdatePlain(c, n->world);
}

// ---- benchmarks -----------------------------------------------------------------------------------

void BM_BuildEngineTree(benchmark::State& state) {
  InitOnce();
  for (auto _ : state) benchmark::DoNotOptimize(BuildEngineTree().Get());  // built and released
  state.SetItemsProcessed(state.iterations() * kNodes);
}
BENCHMARK(BM_BuildEngineTree)->Unit(benchmark::kMillisecond);

void BM_BuildPlainTree(benchmark::State& state) {
  for (auto _ : state) {
    PlainNode* root = BuildPlainTree();
    benchmark::DoNotOptimize(root);
    delete root;
  }
  state.SetItemsProcessed(state.iterations() * kNodes);
}
BENCHMARK(BM_BuildPlainTree)->Unit(benchmark::kMillisecond);

// The update benchmarks' trees, built once per size and kept: rebuilt for every repetition, a tree lands
// wherever the heap has room after the last one, and its layout (so the time) varies from run to run.
const Obj<ScriptObject>& EngineTree(int count) {
  static auto* trees = new std::map<int, Obj<ScriptObject>>;  // left for the process exit
  Obj<ScriptObject>& tree = (*trees)[count];
  if (tree.IsNil()) tree = BuildEngineTree(count);
  return tree;
}
template <class Node>
Node* PlainTree(int count) {
  static auto* trees = new std::map<int, Node*>;  // left for the process exit too
  Node*& tree = (*trees)[count];
  if (!tree) tree = BuildPlainTree<Node>(count);
  return tree;
}

void BM_UpdateEngineWorldMatrices(benchmark::State& state) {
  InitOnce();
  const Obj<ScriptObject>& root = EngineTree(int(state.range(0)));
  for (auto _ : state) {
    UpdateWorldMatrices(static_cast<TBaseTransform_I*>(root.Get()), kIdentityMatrix4f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UpdateEngineWorldMatrices)->Arg(kNodes)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_UpdateEngineWorldMatricesNewShape(benchmark::State& state) {
  InitOnce();
  const Obj<ScriptObject>& root = EngineTree(int(state.range(0)));
  for (auto _ : state) {
    TreeShapeChanged();
    UpdateWorldMatrices(static_cast<TBaseTransform_I*>(root.Get()), kIdentityMatrix4f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UpdateEngineWorldMatricesNewShape)->Arg(kNodes)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_UpdateEngineRecursive(benchmark::State& state) {
  InitOnce();
  const Obj<ScriptObject>& root = EngineTree(int(state.range(0)));
  for (auto _ : state) {
    UpdateEngineRecursive(static_cast<TBaseTransform_I*>(root.Get()), kIdentityMatrix4f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UpdateEngineRecursive)->Arg(kNodes)->Arg(10000)->Unit(benchmark::kMillisecond);

template <class Node>
void BM_UpdatePlainWorldMatrices(benchmark::State& state) {
  Node* root = PlainTree<Node>(int(state.range(0)));
  for (auto _ : state) {
    UpdatePlain(root, kIdentityMatrix4f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UpdatePlainWorldMatrices<PlainNode>)
    ->Name("BM_UpdatePlainWorldMatrices")
    ->Arg(kNodes)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdatePlainWorldMatrices<PlainFullNode>)
    ->Name("BM_UpdatePlainFullNodeWorldMatrices")
    ->Arg(kNodes)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
