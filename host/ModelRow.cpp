#include "ModelRow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <pelmora/anim/AnimationClip.h>
#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Log.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/render/RenderShader.h>
#include <pelmora/scene/ImportModelFunction.h>
#include <pelmora/scene/NodeWalk.h>
#include <pelmora/scene/Transform.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/GlobalFunctions.h>
#include <pelmora/script/object/ValueBox.h>

#include "ModelUp.h"

namespace PMHost {

using namespace PM;

namespace {

// Imports one further file into the view (ImportIntoView), its first clip looping.
Obj<ScriptObject> ImportBeside(ScriptEngine* engine, const std::string& file, const std::string& clip,
                               const std::string& up, ModelView& view) {
  ImportedModel model;
  if (!ImportIntoView(engine, file, up, view, model)) return {};
  for (int32_t i = 0; model.scheduler && i < model.scheduler->m_animationClip.Count(); ++i) {
    if (AnimationClip_I* c = model.scheduler->m_animationClip[i]) {
      c->m_enabled = i == 0 && clip != "none";
      c->m_cycles = kLoopCycles;
    }
  }
  return model.root;
}

// A model's extent along X in its place's frame, with the largest side of its box; zero when it draws
// nothing or its bounds are not finite.
struct Extent {
  float min = 0, max = 0, largest = 0;
};

Extent ExtentOf(ScriptObject* model) {
  const ModelSummary s = SummarizeModel(model);
  const Vector3f size = s.max - s.min;
  const float largest = std::max({size.x, size.y, size.z});
  if (s.empty || !std::isfinite(largest)) return {};
  return {s.min.x, s.max.x, largest};
}

}  // namespace

std::string FreeSchedulerName(ScriptNamespace* names) {
  for (int i = 0;; ++i) {  // bounded by the names taken, one per import
    std::string name = "Scheduler" + std::to_string(i);
    if (IsNilObject(names->FindObject(String(name.c_str())))) return name;
  }
}

void PlaceSideBySide(const ModelView& view) {
  std::vector<Extent> extents;
  float largest = 0;
  for (const Obj<ScriptObject>& model : view.models) {
    extents.push_back(ExtentOf(model));
    largest = std::max(largest, extents.back().largest);
  }
  const float gap = largest * 0.1f;
  float next = extents.empty() ? 0 : extents[0].min;
  for (size_t i = 0; i < view.models.size(); ++i) {
    auto* place = As<TTransform_I>(static_cast<TNode_I*>(view.models[i].Get())->GetParent());
    auto* s = place ? As<STransform_I>(place->GetSNode()) : nullptr;
    if (!s) continue;
    s->SetTranslation({next - extents[i].min, 0, 0});
    next += extents[i].max - extents[i].min + gap;
  }
}

int SetUpModelViews(ScriptEngine* engine, const std::vector<std::string>& files, const std::string& camera,
                    const std::string& clip, const std::string& up, ModelView& view) {
  if (files.empty()) return 1;
  if (int r = SetUpModelView(engine, files[0], camera, clip, up, view); r != 0 || files.size() == 1) return r;
  ScriptNamespace* names = engine->GetNamespace();
  view.models.push_back(view.root);
  for (size_t i = 1; i < files.size(); ++i) {
    Obj<ScriptObject> root = ImportBeside(engine, files[i], clip, up, view);
    if (root.IsNil()) return 1;
    view.models.push_back(root);
  }
  // Each model under a place of its own, in one group the view frames.
  std::string text = "TTransform:viewModels . { .Parent TTransform:viewScene; };\n";
  for (size_t i = 0; i < view.models.size(); ++i) {
    const std::string n = std::to_string(i);
    text.append("STransform:SviewPlace").append(n).append(" . { };\nTTransform:viewPlace").append(n);
    text.append(" . { .SNode STransform:SviewPlace").append(n).append("; .Parent TTransform:viewModels; };\n");
  }
  int errors = 0;
  Parser::ParseText(engine, String(text.c_str()), String("--view"), kParseCountLines, &errors);
  ScriptObject* group = names->FindObject(String("viewModels"));
  if (errors || !group->IsA(TTransform_I::kClassId)) {
    LogError("pm-run: --view: the view's scene could not be made.");
    return 1;
  }
  for (size_t i = 0; i < view.models.size(); ++i)
    static_cast<TNode_I*>(view.models[i].Get())
        ->SetParent(names->FindObject(String(("viewPlace" + std::to_string(i)).c_str())));
  view.root = Obj<ScriptObject>(group);
  PlaceSideBySide(view);
  if (!view.fileCamera) FrameModelView(engine, view, {kViewPitch, kViewYaw, 0});
  if (auto* pipe = As<RenderPipe_I>(names->FindObject(String("Pipe"))))
    pipe->m_windowTitle = String((files[0] + " and " + std::to_string(files.size() - 1) + " more - pm-run").c_str());
  return 0;
}

}  // namespace PMHost
