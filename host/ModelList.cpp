#include "ModelList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include <pelmora/anim/AnimationClip.h>
#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Log.h>
#include <pelmora/geometry/Geometry.h>
#include <pelmora/platform/InertText.h>
#include <pelmora/render/RenderMaterial.h>
#include <pelmora/render/RenderShader.h>
#include <pelmora/render/ShaderPhong.h>
#include <pelmora/render/ShaderTexture.h>
#include <pelmora/render/Texture2D.h>
#include <pelmora/scene/Camera.h>
#include <pelmora/scene/ImportModelFunction.h>
#include <pelmora/scene/ImportModule.h>
#include <pelmora/scene/Light.h>
#include <pelmora/scene/NodeWalk.h>
#include <pelmora/script/object/GlobalFunctions.h>
#include <pelmora/script/object/ValueBox.h>

#include "ClipPlayer.h"
#include "ModelRow.h"
#include "ModelView.h"

namespace PMHost {

using namespace PM;

namespace {

// The textures not drawn, by the name of the material that asked for each.
using MissingByMaterial = std::unordered_map<std::string, MissingTexture>;

// Why a texture is not drawn, as the material line says it.
const char* CauseText(MissingTexture::Cause cause) {
  switch (cause) {
    case MissingTexture::Cause::kOutsideRoot:
      return "outside the asset root";
    case MissingTexture::Cause::kNotRegular:
      return "not a regular file";
    case MissingTexture::Cause::kOverBudget:
      return "over the reader's memory budget";
    case MissingTexture::Cause::kNotDecoded:
      return "not decoded";
    default:
      return "not found";
  }
}

// The material line of a shader: its material's name and the texture its colour comes from, or the one
// it asked for that is not drawn and why.
std::string MaterialLine(RenderShader_I* shader, const MissingByMaterial& missing) {
  auto* phong = As<ShaderPhong_I>(shader->m_surface.Get());
  const char* name = phong && !phong->m_material.IsNil() ? phong->m_material->m_name.CStr() : shader->m_name.CStr();
  std::string line = std::string("material \"") + name + "\" ";
  auto* color = phong ? As<ShaderTexture_I>(phong->m_color.Get()) : nullptr;
  if (color && !color->m_texture.IsNil() && !IsNilObject(color->m_texture.Get()))
    return line + "texture \"" + color->m_texture->m_name.CStr() + "\"";
  if (const auto it = missing.find(name); it != missing.end())
    return line + "texture \"" + it->second.source + "\" " + CauseText(it->second.cause);
  return line + "no texture";
}

}  // namespace

// After the import's own warnings of textures not drawn (which name the library's API): pm-run's option
// that reaches them, once a cause.
void TellTextureOptions(const std::string& file) {
  using Cause = MissingTexture::Cause;
  const MissingTextures missing = LastImportMissingTextures();
  auto any = [&](Cause c) {
    return std::any_of(missing.begin(), missing.end(), [c](const MissingTexture& m) { return m.cause == c; });
  };
  const std::string named = "pm-run: \"" + InertText(file) + "\" ";
  if (any(Cause::kNotFound))
    LogWarn(named.c_str(), "misses textures; --texture-path DIR looks for them by name in another folder too.");
  if (any(Cause::kOutsideRoot))
    LogWarn(named.c_str(),
            "names textures outside its asset root; --asset-root DIR widens the root, "
            "--texture-path DIR looks for them in DIR too.");
  if (any(Cause::kOverBudget))
    LogWarn(named.c_str(), "has textures over the reader's memory budget; --reader-memory MIB raises it.");
}

int ListModel(ScriptEngine* engine, const std::string& file) {
  ScriptNamespace* names = engine->GetNamespace();
  RegisterImportModel(names);
  const std::string schedulerName = FreeSchedulerName(names);  // the file's, after another file's
  Obj<ScriptObject> path(NewBox<VString>(String(file.c_str())));
  ScriptObject* argv[] = {path.Get()};
  Obj<ScriptObject> root = CallGlobalFunction(kFunctionImportModel, 1, argv);
  if (root.IsNil() || !root->IsA(TNode_I::kClassId)) return 1;  // the import has logged why
  TellTextureOptions(file);
  auto* scheduler = As<AnimationScheduler_I>(names->FindObject(String(schedulerName.c_str())));
  const ModelSummary s = SummarizeImport(root, scheduler);
  std::printf("%s\n", SummaryLine(file, s).c_str());
  // The clips in the order the import made them: the scheduler has not sorted them yet.
  for (int32_t i = 0; scheduler && i < scheduler->m_animationClip.Count(); ++i)
    if (AnimationClip_I* clip = scheduler->m_animationClip[i])
      std::printf("clip \"%s\" %g s\n", InertText(FileClipName(clip)).c_str(),
                  clip->GetDuration() * std::fabs(clip->m_scale));
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  for (const Obj<ScriptObject>& node : nodes)
    if (node->IsA(TCamera_I::kClassId))
      std::printf("camera \"%s\"\n", InertText(static_cast<TCamera_I*>(node.Get())->m_name.CStr()).c_str());
  for (const Obj<ScriptObject>& node : nodes)
    if (node->IsA(TLight_I::kClassId))
      std::printf("light \"%s\"\n", InertText(static_cast<TLight_I*>(node.Get())->m_name.CStr()).c_str());
  MissingByMaterial missing;
  for (const MissingTexture& m : LastImportMissingTextures()) missing.emplace(m.material, m);
  std::unordered_set<const void*> seen;
  for (const Obj<ScriptObject>& node : nodes) {
    if (!node->IsA(TGeometry_I::kClassId)) continue;
    auto* shader = As<RenderShader_I>(static_cast<TGeometry_I*>(node.Get())->GetShader());
    if (!shader) continue;
    auto* phong = As<ShaderPhong_I>(shader->m_surface.Get());
    // One line a material: a material drawn lit and as lines has two shaders.
    const void* key = phong && !phong->m_material.IsNil() ? static_cast<const void*>(phong->m_material.Get()) : shader;
    if (seen.insert(key).second) std::printf("%s\n", InertText(MaterialLine(shader, missing)).c_str());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace PMHost
