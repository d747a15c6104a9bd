// The per-frame tree update over constrained transforms and two-bone IK chains, per node. No peer
// library solves these chains in this form, so the figure is the cost per node.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchWorld.h"
#include "anim/TransformConstraint.h"
#include "classes/EngineClasses.h"
#include "render/TreeUpdateHook.h"
#include "scene/IKHandle.h"
#include "scene/Joint.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

using Bench::InitOnce;

template <class T>
T* Add(TBranch_I* parent, Vector3f t) {
  T* n = static_cast<T*>(T::Create());
  parent->SetChild(parent->ChildCount(), n);
  static_cast<SSimpleTransform_I*>(n->m_sNode.Get())->SetTranslation(t);
  return n;
}

// Targets first, then the owners, half of them point- and half orient-constrained to two targets each;
// every fourth owner comes before its targets, so it waits for one sweep.
Obj<TTransform_I> ConstrainedTree(int owners) {
  Obj<TTransform_I> root(static_cast<TTransform_I*>(TTransform_I::Create()));
  TTransform_I* early = Add<TTransform_I>(root.Get(), {0, 0, 0});
  TTransform_I* targets = Add<TTransform_I>(root.Get(), {1, 0, 0});
  TTransform_I* late = Add<TTransform_I>(root.Get(), {2, 0, 0});
  std::vector<TTransform_I*> t;
  for (int i = 0; i < 64; ++i) t.push_back(Add<TTransform_I>(targets, {float(i), 1, 2}));
  for (int i = 0; i < owners; ++i) {
    TTransform_I* o = Add<TTransform_I>(i % 4 == 0 ? early : late, {0, 0, float(i)});
    auto* c = static_cast<TransformConstraint_I*>(TransformConstraint_I::Create());
    c->m_constraintType = i % 2 ? TransformConstraint_I::kConstraintPoint : TransformConstraint_I::kConstraintOrient;
    for (int k = 0; k < 2; ++k) {
      c->m_targetArray.Append(t[size_t((i + k * 17) % 64)]);
      c->m_weightArray.Append(1.0f + float(k));
    }
    o->SetConstraint(0, c);
  }
  return root;
}

Obj<TTransform_I> ChainTree(int chains) {
  Obj<TTransform_I> root(static_cast<TTransform_I*>(TTransform_I::Create()));
  for (int i = 0; i < chains; ++i) {
    TJoint_I* start = Add<TJoint_I>(root.Get(), {float(i), 0, 0});
    TJoint_I* mid = Add<TJoint_I>(start, {1, 0, 0});
    static_cast<SJoint_I*>(mid->m_sNode.Get())->m_preferredAngle = {0, 0, 30};
    TIKEffector_I* eff = Add<TIKEffector_I>(mid, {1, 0, 0});
    TIKHandle_I* h = Add<TIKHandle_I>(root.Get(), {float(i) + 1.2f, 0.9f, 0.1f});
    h->SetStartJoint(start);
    h->m_endEffector = eff;
  }
  return root;
}

void Run(benchmark::State& state, const Obj<TTransform_I>& root, int64_t nodes) {
  TreeUpdatePass pass;
  pass.root = root.Get();
  uint32_t frame = 2;
  for (auto _ : state) {
    pass.frame = frame++;
    GetTreeUpdate()(pass);
  }
  state.SetItemsProcessed(state.iterations() * nodes);
  state.counters["ns/node"] =
      benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ConstrainedNodes(benchmark::State& state) {
  InitOnce();
  const Obj<TTransform_I> root = ConstrainedTree(10000);
  Run(state, root, 10000);
}
BENCHMARK(BM_ConstrainedNodes)->Unit(benchmark::kMicrosecond);

void BM_TwoBoneChains(benchmark::State& state) {
  InitOnce();
  const Obj<TTransform_I> root = ChainTree(1000);
  Run(state, root, 1000);
}
BENCHMARK(BM_TwoBoneChains)->Unit(benchmark::kMicrosecond);

}  // namespace
