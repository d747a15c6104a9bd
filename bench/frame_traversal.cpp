// One whole frame of the traversal (update, cull, collect, sort) over trees of 10,000 and 100,000 nodes,
// beside OpenSceneGraph's cull traversal of the same tree. Transforms have 4 to 8 children, the leaves
// are polygon geometries over 16 shaders, half of them behind the camera. Our engine keeps the base
// behaviour, so nothing is drawn; OSG's cull makes no GL call either.
#include <benchmark/benchmark.h>

#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osgUtil/CullVisitor>
#include <osgUtil/RenderStage>
#include <osgUtil/StateGraph>

#include <random>
#include <vector>

#include "BenchWorld.h"
#include "classes/EngineClasses.h"
#include "geometry/PolygonGeometry.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderShader.h"
#include "render/RenderSystemTraverse.h"
#include "scene/Transform.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

using Bench::InitOnce;

// The shape of the tree both libraries build: per transform its child transforms and its leaves.
struct Shape {
  struct Node {
    std::vector<int> transforms;
    int leaves = 0;
  };
  std::vector<Node> nodes;  // nodes[0] is the root transform
};

Shape MakeShape(int total) {
  std::mt19937 rng(7);
  Shape s;
  s.nodes.push_back({});
  const int transforms = total / 6;
  for (size_t i = 0; i < s.nodes.size() && int(s.nodes.size()) < transforms; ++i) {
    const int k = 4 + int(rng() % 5);
    for (int c = 0; c < k && int(s.nodes.size()) < transforms; ++c) {
      s.nodes[i].transforms.push_back(int(s.nodes.size()));
      s.nodes.push_back({});
    }
  }
  int leaves = total - transforms;
  while (leaves > 0)
    for (Shape::Node& n : s.nodes)
      if (n.transforms.empty() && leaves > 0) {
        const int k = std::min(leaves, 4 + int(rng() % 5));
        n.leaves += k;
        leaves -= k;
      }
  return s;
}

// Leaf j of the tree: in front of the camera for even j, behind it for odd.
float LeafZ(int j) { return j % 2 ? 50.0f : -50.0f; }

// A pipe that reports a 640 x 480 client area without a window.
class BenchPipe : public RenderPipe_I {
 public:
  void GetClientArea(int32_t* x, int32_t* y, int32_t* w, int32_t* h) override { *x = 0, *y = 0, *w = 640, *h = 480; }
};

class BaseEngine final : public RenderEngine {};
class BaseEngine_I final : public RenderEngine_I {
 public:
  BaseEngine_I() : RenderEngine_I(&m_engine) {}
  BaseEngine m_engine;
};

struct OurScene {
  Obj<ScriptObject> root, pipe, channel;
  Ptr<RenderSystemTraverse_I> traverse;
};

OurScene BuildOurs(const Shape& shape) {
  InitOnce();
  std::vector<Obj<ScriptObject>> shaders;
  for (int i = 0; i < 16; ++i) shaders.emplace_back(ScriptObject::Create(RenderShader_I::kClassId));
  std::vector<TBranch_I*> made;
  OurScene s;
  s.root = ScriptObject::Create(TTransform_I::kClassId);
  made.push_back(static_cast<TBranch_I*>(s.root.Get()));
  int leaf = 0;
  for (size_t i = 0; i < shape.nodes.size(); ++i) {
    TBranch_I* t = made[i];
    for (int c : shape.nodes[i].transforms) {
      auto* child = static_cast<TTransform_I*>(ScriptObject::Create(TTransform_I::kClassId));
      static_cast<STransform_I*>(child->m_sNode.Get())->SetTranslation({0.01f, 0, 0});
      t->SetChild(t->ChildCount(), child);
      made.resize(std::max(made.size(), size_t(c) + 1));
      made[size_t(c)] = child;
    }
    for (int k = 0; k < shape.nodes[i].leaves; ++k, ++leaf) {
      auto* g = static_cast<TGeometry_I*>(ScriptObject::Create(TPolygonGeometry_I::kClassId));
      g->m_boundingSphere = Spheref{{0, 0, LeafZ(leaf)}, 1};
      g->SetShader(shaders[size_t(leaf % 16)]);
      t->SetChild(t->ChildCount(), g);
    }
  }
  s.pipe = NewScriptObject<BenchPipe>(RenderPipe_I::GetTypeRecord(), RenderPipe_I::kClassId);
  static_cast<RenderPipe_I*>(s.pipe.Get())->m_d.engine = NewCounted<BaseEngine_I>();
  s.channel = ScriptObject::Create(RenderChannel_I::kClassId);
  static_cast<RenderChannel_I*>(s.channel.Get())->m_sceneRoot = static_cast<TNode_I*>(s.root.Get());
  s.traverse = RenderSystemTraverse_I::Create();
  s.traverse->SetRenderPipe(s.pipe);
  s.traverse->SetChannel(0, s.channel);
  return s;
}

void BM_PelmoraFrame(benchmark::State& state) {
  OurScene s = BuildOurs(MakeShape(int(state.range(0))));
  double t = 0;
  for (auto _ : state) {
    s.traverse->Draw(t, 1.0 / 60, 0);
    t += 1.0 / 60;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

osg::ref_ptr<osg::Group> BuildOsg(const Shape& shape) {
  std::vector<osg::ref_ptr<osg::StateSet>> states;
  for (int i = 0; i < 16; ++i) states.push_back(new osg::StateSet);
  std::vector<osg::Group*> made;
  osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform;
  made.push_back(root.get());
  int leaf = 0;
  for (size_t i = 0; i < shape.nodes.size(); ++i) {
    osg::Group* t = made[i];
    for (int c : shape.nodes[i].transforms) {
      osg::ref_ptr<osg::MatrixTransform> child = new osg::MatrixTransform(osg::Matrix::translate(0.01, 0, 0));
      t->addChild(child);
      made.resize(std::max(made.size(), size_t(c) + 1));
      made[size_t(c)] = child.get();
    }
    for (int k = 0; k < shape.nodes[i].leaves; ++k, ++leaf) {
      osg::ref_ptr<osg::Geometry> g = new osg::Geometry;
      osg::ref_ptr<osg::Vec3Array> v = new osg::Vec3Array;
      const float z = LeafZ(leaf);
      v->push_back({-0.5f, -0.5f, z}), v->push_back({0.5f, -0.5f, z}), v->push_back({0, 0.5f, z});
      g->setVertexArray(v);
      g->addPrimitiveSet(new osg::DrawArrays(GL_TRIANGLES, 0, 3));
      g->setStateSet(states[size_t(leaf % 16)]);
      t->addChild(g);
    }
  }
  root->getBound();
  return root;
}

// Culls as osgUtil::SceneView::cullStage does: render stage and state graph reset per frame, viewport
// and matrices pushed, near/far computation off, the stage sorted afterwards.
void BM_OsgCull(benchmark::State& state) {
  osg::ref_ptr<osg::Group> root = BuildOsg(MakeShape(int(state.range(0))));
  osg::ref_ptr<osgUtil::CullVisitor> cv = new osgUtil::CullVisitor;
  osg::ref_ptr<osgUtil::StateGraph> graph = new osgUtil::StateGraph;
  osg::ref_ptr<osgUtil::RenderStage> stage = new osgUtil::RenderStage;
  osg::ref_ptr<osg::Viewport> viewport = new osg::Viewport(0, 0, 640, 480);
  osg::ref_ptr<osg::StateSet> global = new osg::StateSet;
  osg::ref_ptr<osg::RefMatrix> projection =
      new osg::RefMatrix(osg::Matrix::perspective(45.0, 640.0 / 480.0, 0.5, 1024.0));
  osg::ref_ptr<osg::RefMatrix> view = new osg::RefMatrix(osg::Matrix::identity());
  unsigned frame = 0;
  for (auto _ : state) {
    cv->reset();
    graph->clean();
    stage->reset();
    cv->setStateGraph(graph.get());
    cv->setRenderStage(stage.get());
    cv->setTraversalNumber(++frame);
    cv->setComputeNearFarMode(osg::CullSettings::DO_NOT_COMPUTE_NEAR_FAR);
    stage->setViewport(viewport.get());
    cv->pushStateSet(global.get());
    cv->pushViewport(viewport.get());
    cv->pushProjectionMatrix(projection.get());
    cv->pushModelViewMatrix(view.get(), osg::Transform::ABSOLUTE_RF);
    root->accept(*cv);
    cv->popModelViewMatrix();
    cv->popProjectionMatrix();
    cv->popViewport();
    cv->popStateSet();
    stage->sort();
    graph->prune();
    benchmark::DoNotOptimize(stage.get());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_PelmoraFrame)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OsgCull)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
