// Forced texture loading: the engine sets up, once, every preloadable shader under a channel's root so
// that their textures are requested before they are first seen.
#include "core/Clock.h"
#include "core/Log.h"
#include "geometry/Geometry.h"
#include "render/GUIWindow.h"
#include "render/RenderShader.h"
#include "render/RenderSystemTraverse.h"
#include "scene/Branch.h"

namespace PM {

namespace {

// A tree that reaches itself again would never end; no real scene has this many nodes.
constexpr int32_t kMaxNodes = 1 << 24;

void OfferShader(ScriptObject* candidate, Array<Obj<ScriptObject>>& shaders) {
  if (!candidate || !candidate->IsA(RenderShader_I::kClassId)) return;
  if (static_cast<RenderShader_I*>(candidate)->m_preloadMode <= 0) return;
  for (const Obj<ScriptObject>& s : shaders)
    if (s.Get() == candidate) return;
  shaders.Append(Obj<ScriptObject>(candidate));
}

uint32_t MsSince(int64_t start) {
  return static_cast<uint32_t>(double(GetPerformanceCounter() - start) * GetClockRates().msPerTick);
}

}  // namespace

void CollectPreloadShaders(ScriptObject* root, Array<Obj<ScriptObject>>& shaders) {
  if (!root) return;
  // Depth first, children in index order: pushed last to first.
  Array<ScriptObject*> stack;
  Array<ScriptObject*> candidates;
  stack.Append(root);
  for (int32_t visited = 0; stack.Count() > 0; ++visited) {
    if (visited == kMaxNodes) {
      LogError("CollectPreloadShaders: more than ", kMaxNodes, " nodes; the rest is left out.");
      return;
    }
    ScriptObject* node = stack.Last();
    stack.SetCount(stack.Count() - 1);
    if (node->IsA(ClassId::TWindow)) {
      candidates.SetCount(0);
      if (auto* window = dynamic_cast<GUIWindow*>(node)) window->ListShaderCandidates(candidates);
      for (ScriptObject* c : candidates) OfferShader(c, shaders);
    } else if (node->IsA(TBranch_I::kClassId)) {
      auto* branch = static_cast<TBranch_I*>(node);
      for (int32_t i = branch->ChildCount() - 1; i >= 0; --i) stack.Append(branch->m_children[i].Get());
    } else if (node->IsA(TGeometry_I::kClassId)) {
      OfferShader(static_cast<TGeometry_I*>(node)->m_shader.Get(), shaders);
    }
  }
}

void ForceTextureLoading(RenderEngine* engine, ScriptObject* root, ProgressCallback* progress) {
  const int64_t start = GetPerformanceCounter();
  Array<Obj<ScriptObject>> shaders;
  CollectPreloadShaders(root, shaders);
  const uint32_t traversalMs = MsSince(start);
  LogDebug("ForceTextureLoading...");
  const int32_t count = shaders.Count();
  for (int32_t i = 0; i < count; ++i) {
    if (progress) progress->Progress(float(i) / float(count));
    engine->SetShaderAmbient(shaders[i].Get(), true);
    engine->SetShaderBase(shaders[i].Get(), false);
  }
  const uint32_t totalMs = MsSince(start);
  const int32_t loads = engine->GetTextureLoadCount();
  LogDebug("ForceTextureLoading took ", totalMs, " ms (", traversalMs, "ms trav, ", loads, " pending, ", count,
           " total).");
}

}  // namespace PM
