#include "ModelView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <utility>
#include <vector>

#include <pelmora/anim/AnimationClip.h>
#include <pelmora/anim/AnimationScheduler.h>
#include <pelmora/core/Log.h>
#include <pelmora/geometry/Geometry.h>
#include <pelmora/geometry/PolygonGeometry.h>
#include <pelmora/geometry/SkinPolygonGeometry.h>
#include <pelmora/platform/InertText.h>
#include <pelmora/render/RenderChannel.h>
#include <pelmora/render/RenderMaterial.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/render/RenderShader.h>
#include <pelmora/render/ShaderPhong.h>
#include <pelmora/render/ShaderTexture.h>
#include <pelmora/render/Texture2D.h>
#include <pelmora/render/TreeUpdateHook.h>
#include <pelmora/scene/Camera.h>
#include <pelmora/scene/ImportModelFunction.h>
#include <pelmora/scene/ImportModule.h>
#include <pelmora/scene/Joint.h>
#include <pelmora/scene/Light.h>
#include <pelmora/scene/NodeWalk.h>
#include <pelmora/scene/Transform.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/script/object/GlobalFunctions.h>
#include <pelmora/script/object/ValueBox.h>

#include "ClipPlayer.h"
#include "HostScene.h"
#include "ModelList.h"
#include "ModelRow.h"
#include "ModelUp.h"
#include "SkeletonSticks.h"
#include "ViewRig.h"

namespace PMHost {

using namespace PM;

namespace {

// The view's own lamps: a light along the view and an ambient one (ApplyLights sets their strength).
constexpr char kLamp[] = "viewLampS", kSky[] = "viewSkyS";

// The texture a geometry's shader draws with, or null.
Texture2D_I* TextureOf(ScriptObject* shader) {
  if (!shader || !shader->IsA(RenderShader_I::kClassId)) return nullptr;
  ScriptObject* surface = static_cast<RenderShader_I*>(shader)->m_surface.Get();
  if (!surface->IsA(ShaderPhong_I::kClassId)) return nullptr;
  ScriptObject* color = static_cast<ShaderPhong_I*>(surface)->m_color.Get();
  if (!color->IsA(ShaderTexture_I::kClassId)) return nullptr;
  Texture2D_I* t = static_cast<ShaderTexture_I*>(color)->m_texture.Get();
  return IsNilObject(t) ? nullptr : t;
}

// Where `node` stands in the world: its transform ancestors' matrices (its own too) applied from the top
// down.
Matrix4f WorldMatrix(TNode_I* node) {
  std::vector<TNode_I*> chain;
  for (TNode_I* n = node; n && !IsNilObject(n); n = n->GetParent()) chain.push_back(n);
  Matrix4f world = kIdentityMatrix4f;
  for (size_t i = chain.size(); i-- > 0;) {
    ScriptObject* s = chain[i]->GetSNode();
    if (!chain[i]->IsA(TBaseTransform_I::kClassId) || !s->IsA(SBaseTransform_I::kClassId)) continue;
    Matrix4f out;
    world = static_cast<SBaseTransform_I*>(s)->ApplyLocalMatrix(world, out);
  }
  return world;
}

Vector3f WorldPosition(TNode_I* node) {
  const Matrix4f world = WorldMatrix(node);
  return {world.m[12], world.m[13], world.m[14]};
}

void AddGeometry(ModelSummary& s, TPolygonGeometry_I* g, const Matrix4f& world,
                 std::unordered_set<const void*>& textures) {
  auto* p = static_cast<SPolygonGeometry_I*>(g->GetSNode());
  if (IsNilObject(p)) return;
  ++s.geometries;
  const int64_t count = p->m_primCount;
  if (p->m_primType == PrimitiveType::kLine) {
    s.lines += count;
  } else if (p->m_primType == PrimitiveType::kPoint) {
    s.points += count;
  } else {
    p->CountTriangles();
    s.triangles += p->m_triangleCount;
  }
  if (Texture2D_I* t = TextureOf(g->GetShader())) textures.insert(t);
  // Every vertex the primitives use; the indices were checked when the geometry was built.
  std::vector<bool> used(size_t(p->m_vertices.Count()), p->m_indices.IsEmpty());
  for (int32_t index : p->m_indices)
    if (index >= 0 && index < p->m_vertices.Count()) used[size_t(index)] = true;
  // Where the engine's draw puts the vertices: a skin where its joints put it (their matrices are the
  // world ones the summary's tree update left), one without joints (blend shapes alone) blended where
  // its node stands.
  Array<Vector3f> deformed;
  bool skinned = false;
  if (auto* skin = As<TSkinPolygonGeometry_I>(g); skin && p->IsA(SSkinPolygonGeometry_I::kClassId))
    skinned = static_cast<SSkinPolygonGeometry_I*>(p)->ComputeDeformedPositions(skin->m_joints, &deformed);
  const Array<Vector3f>& positions = deformed.IsEmpty() ? p->m_vertices : deformed;
  for (int32_t i = 0; i < positions.Count(); ++i) {
    if (!used[size_t(i)]) continue;
    Vector3f v = positions[i];
    if (!skinned) Matrix4fC::TransformPoint(v, positions[i], world);
    if (s.empty) {
      s.min = s.max = v;
      s.empty = false;
    }
    s.min = {std::min(s.min.x, v.x), std::min(s.min.y, v.y), std::min(s.min.z, v.z)};
    s.max = {std::max(s.max.x, v.x), std::max(s.max.y, v.y), std::max(s.max.z, v.z)};
  }
}

// Formats a coordinate as %g does, without a negative zero.
std::string Number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(v == 0 ? 0.0f : v));
  return text;
}

}  // namespace

void AddFileLights(ModelView& view, ScriptObject* root) {
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  for (const Obj<ScriptObject>& node : nodes)
    if (auto* light = SNodeOf<SLight_I>(node.Get())) view.fileLights.emplace_back(light);
  ApplyLights(view, ViewLights::kFileAndLamp);
}

void ApplyLights(const ModelView& view, ViewLights mode) {
  for (const Obj<ScriptObject>& light : view.fileLights)
    static_cast<SLight_I*>(light.Get())->m_visibility = mode != ViewLights::kLampAlone;
  // Under a file's lights the lamp is dim: what they miss is not black, and their colour still
  // dominates where they fall.
  const bool dim = !view.fileLights.empty() && mode == ViewLights::kFileAndLamp;
  const bool off = !view.fileLights.empty() && mode == ViewLights::kFileAlone;
  for (size_t i = 0; i < view.lamps.size(); ++i) {
    auto* lamp = static_cast<SLight_I*>(view.lamps[i].Get());
    const float strength = i == 0 ? (dim ? kLampDim : kLampFull) : (dim ? kSkyDim : kSkyFull);
    lamp->m_color = {strength, strength, strength};
    lamp->m_visibility = !off;
  }
}

ModelSummary SummarizeModel(ScriptObject* root) {
  ModelSummary s;
  // The engine's own tree update places the joints the skins follow, in world space: the pass a frame
  // runs before its camera is known. Each summary is a frame of its own (a node stamped twice with one
  // frame is warned of), counted down from the top, far from the frames drawn, which count up from 2.
  static uint32_t summaryFrame = 0;
  TreeUpdatePass pass;
  pass.kind = TreeUpdatePass::kConstraint;
  pass.root = root;
  pass.frame = --summaryFrame;
  if (TreeUpdateFn update = GetTreeUpdate()) update(pass);
  std::unordered_set<const void*> textures;
  // Depth first with an explicit stack: the tree may be as deep as the file makes it.
  std::vector<std::pair<ScriptObject*, Matrix4f>> pending{{root, kIdentityMatrix4f}};
  while (!pending.empty()) {
    auto [node, parentWorld] = pending.back();
    pending.pop_back();
    if (!node || IsNilObject(node) || !node->IsA(TNode_I::kClassId)) continue;
    Matrix4f world = parentWorld;
    if (node->IsA(TBaseTransform_I::kClassId)) {
      ++s.nodes;
      ScriptObject* sNode = static_cast<TNode_I*>(node)->GetSNode();
      if (sNode->IsA(SBaseTransform_I::kClassId)) {
        Matrix4f out;
        world = static_cast<SBaseTransform_I*>(sNode)->ApplyLocalMatrix(parentWorld, out);
      }
    }
    if (node->IsA(TPolygonGeometry_I::kClassId))
      AddGeometry(s, static_cast<TPolygonGeometry_I*>(node), world, textures);
    s.joints += node->IsA(TJoint_I::kClassId);
    s.cameras += node->IsA(TCamera_I::kClassId);
    s.lights += node->IsA(TLight_I::kClassId);
    if (node->IsA(TBranch_I::kClassId))
      for (const Obj<TNode_I>& child : static_cast<TBranch_I*>(node)->m_children)
        pending.emplace_back(child.Get(), world);
  }
  s.textures = int64_t(textures.size());
  return s;
}

ModelSummary SummarizeImport(ScriptObject* root, ScriptObject* scheduler) {
  ModelSummary s = SummarizeModel(root);
  if (ModelUpAxis(root) != Axis::None) --s.nodes;
  auto* clips = As<AnimationScheduler_I>(scheduler);
  s.clips = clips ? clips->m_animationClip.Count() : 0;
  return s;
}

std::string SummaryLine(const std::string& file, const ModelSummary& s) {
  return InertText(file) + ": " + std::to_string(s.nodes) + " nodes, " + std::to_string(s.geometries) +
         " geometries, " + std::to_string(s.triangles) + " triangles, " + std::to_string(s.lines) + " lines, " +
         std::to_string(s.points) + " points, " + std::to_string(s.textures) + " textures, " +
         std::to_string(s.joints) + " joints, " + std::to_string(s.clips) + " clips, " + std::to_string(s.cameras) +
         " cameras, " + std::to_string(s.lights) + " lights; bounds (" + Number(s.min.x) + ", " + Number(s.min.y) +
         ", " + Number(s.min.z) + ") - (" + Number(s.max.x) + ", " + Number(s.max.y) + ", " + Number(s.max.z) + ")";
}

namespace {

// The T-camera under `root` named `name` as the file names it, or null.
TCamera_I* FindCamera(ScriptObject* root, const std::string& name) {
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  for (const Obj<ScriptObject>& node : nodes)
    if (node->IsA(TCamera_I::kClassId) && name == static_cast<TCamera_I*>(node.Get())->m_name.CStr())
      return static_cast<TCamera_I*>(node.Get());
  return nullptr;
}

// The file's camera names, quoted, for the message that names none of them.
std::string CameraNames(ScriptObject* root) {
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  std::string names;
  for (const Obj<ScriptObject>& node : nodes)
    if (node->IsA(TCamera_I::kClassId))
      names += (names.empty() ? "\"" : ", \"") + std::string(static_cast<TCamera_I*>(node.Get())->m_name.CStr()) + "\"";
  return names.empty() ? "none" : names;
}

// Plays the clip named `name` (the first when empty, none for "none") in a loop and no other; false
// (logged) when there is no clip of that name.
bool ChooseClip(AnimationScheduler_I* scheduler, const std::string& file, const std::string& name) {
  std::string all;
  AnimationClip_I* chosen = nullptr;
  const int32_t n = scheduler ? scheduler->m_animationClip.Count() : 0;
  for (int32_t i = 0; i < n; ++i) {
    AnimationClip_I* clip = scheduler->m_animationClip[i];
    if (!clip) continue;
    const std::string named = FileClipName(clip);  // the file's name, not the engine's
    all += (all.empty() ? "\"" : ", \"") + named + "\"";
    if (!chosen && (name.empty() || name == named)) chosen = clip;
  }
  if (name == "none") {
    chosen = nullptr;
  } else if (!name.empty() && !chosen) {
    LogError("pm-run: --clip: \"", InertText(file).c_str(), "\" has no clip \"", InertText(name).c_str(),
             "\"; its clips: ", all.empty() ? "none" : InertText(all).c_str(), ".");
    return false;
  }
  for (int32_t i = 0; i < n; ++i)
    if (AnimationClip_I* clip = scheduler->m_animationClip[i]) clip->m_enabled = clip == chosen;
  if (chosen) chosen->m_cycles = kLoopCycles;
  return true;
}

}  // namespace

bool FindRig(ScriptNamespace* names, Rig& rig) {
  ScriptObject* orbit = names->FindObject(String("SviewOrbit"));
  ScriptObject* eye = names->FindObject(String("SviewEye"));
  ScriptObject* channel = names->FindObject(String("Channel0"));
  if (!orbit->IsA(STransform_I::kClassId) || !eye->IsA(STransform_I::kClassId) ||
      !channel->IsA(RenderChannel_I::kClassId))
    return false;
  rig = {static_cast<STransform_I*>(orbit), static_cast<STransform_I*>(eye), static_cast<RenderChannel_I*>(channel), 1};
  return true;
}

void PlaceEye(const Rig& rig, float distance) {
  rig.eye->SetTranslation({0, 0, distance});
  // Near and far from the bounds: the sphere of the model lies between them from every side, so models
  // of a thousandth of a unit and of twenty thousand units show alike.
  // Far as well from where the sphere would fill the view, so that an eye a script backs off to there
  // still sees all of it.
  rig.channel->SetClipping({std::max(distance - rig.radius * 1.5f, distance * 1e-3f),
                            std::max(distance, FramingDistance(rig.radius)) + rig.radius * 1.5f});
}

float FramingDistance(float radius) { return radius / std::sin(kFieldOfView * 0.5f * kDegToRad) * 1.1f; }

namespace {

// The distance along the z axis of the orbit's matrix `orbit` (its rotation) at which a box of half sizes
// `half` about the orbit's centre fits a view of width / height `aspect` with a margin.
float BoxFramingDistance(const Matrix4f& orbit, const Vector3f& half, float aspect) {
  // The share of the view's height (and width) the box fills at most: a margin round it.
  constexpr float kFill = 0.95f;
  const float tanY = std::tan(kFieldOfView * 0.5f * kDegToRad) * kFill, tanX = tanY * aspect;
  const Vector3f right{orbit.m[0], orbit.m[1], orbit.m[2]}, up{orbit.m[4], orbit.m[5], orbit.m[6]},
      back{orbit.m[8], orbit.m[9], orbit.m[10]};
  // Each corner, seen from the eye on the orbit's z axis, lies inside the view's pyramid: the orbit
  // keeps the box's centre, so that turning it (a drag, a script) turns the model in place.
  float distance = 0;
  for (int k = 0; k < 8; ++k) {
    const Vector3f c{k & 1 ? half.x : -half.x, k & 2 ? half.y : -half.y, k & 4 ? half.z : -half.z};
    const float x = c.Dot(right), y = c.Dot(up), z = c.Dot(back);
    distance = std::max({distance, z + std::fabs(x) / tanX, z + std::fabs(y) / tanY});
  }
  return distance;
}

// How many poses of a playing clip the framing looks at, over one cycle of it.
constexpr int kFramingSamples = 24;

void Include(ModelSummary& swept, const ModelSummary& s) {
  if (s.empty) return;
  if (swept.empty) {
    swept = s;
    return;
  }
  swept.min = {std::min(swept.min.x, s.min.x), std::min(swept.min.y, s.min.y), std::min(swept.min.z, s.min.z)};
  swept.max = {std::max(swept.max.x, s.max.x), std::max(swept.max.y, s.max.y), std::max(swept.max.z, s.max.z)};
}

// The bounds the model sweeps: the rest pose's when no clip plays, else those of poses spread over one
// cycle of each clip that plays, posed by the scheduler. The scheduler is left as it was found: at the
// pose of its last step, or not yet stepped (its clips' first poses taken).
ModelSummary SweptBounds(ScriptObject* root, ScriptObject* scheduler) {
  auto* s = As<AnimationScheduler_I>(scheduler);
  std::vector<AnimationClip_I*> playing;
  for (int32_t i = 0; s && i < s->m_animationClip.Count(); ++i)
    if (AnimationClip_I* clip = s->m_animationClip[i]; clip && clip->m_enabled) playing.push_back(clip);
  if (playing.empty()) return SummarizeModel(root);
  ModelSummary swept;
  const double last = s->m_lastFrameTime;
  for (AnimationClip_I* clip : playing) {
    const double cycle = clip->GetDuration() * std::fabs(clip->m_scale);
    // From the end back to the start: a scheduler not yet stepped is left in the clip's first pose.
    for (int k = kFramingSamples; k-- > 0;) {
      // Just short of the cycle's end, which a looping clip shows as its start.
      const double t = clip->m_startTime + cycle * (k / double(kFramingSamples - 1)) * (1 - 1e-6);
      if (t == s->m_lastFrameTime) continue;
      s->Update(t);
      Include(swept, SummarizeModel(root));
    }
  }
  // The pose it stood in again (a paused view keeps it); before its first step, ready for that.
  s->m_lastFrameTime = -1;
  if (last >= 0) s->Update(last);
  s->m_lastFrameTime = last;
  return swept;
}

}  // namespace

std::vector<ModelView::Shader> ModelShaders(ScriptObject* root) {
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  std::vector<ModelView::Shader> shaders;
  std::unordered_set<const void*> seen;
  for (const Obj<ScriptObject>& node : nodes) {
    if (!node->IsA(TGeometry_I::kClassId)) continue;
    ScriptObject* shader = static_cast<TGeometry_I*>(node.Get())->GetShader();
    if (!shader || !shader->IsA(RenderShader_I::kClassId) || !seen.insert(shader).second) continue;
    auto* r = static_cast<RenderShader_I*>(shader);
    ModelView::Shader entry{Obj<ScriptObject>(shader), r->m_cullEnable, r->m_lightEnable, {}};
    if (auto* phong = As<ShaderPhong_I>(r->m_surface.Get())) entry.color = Obj<ScriptObject>(phong->m_color.Get());
    shaders.push_back(entry);
  }
  return shaders;
}

namespace {

// Assimp's readers of files that hold a skeleton and no mesh (BVH, CSM) give the skeleton a stand-in mesh:
// small markers along its bones, of a material named so.
constexpr char kSkeletonStandIn[] = "SkeletonMaterial";
// The sticks' width, of the rest pose's bounds' diagonal.
constexpr float kStickShare = 0.075f;

// Whether the model has joints and no mesh to skin with them but Assimp's stand-in.
bool SkeletonOnly(const ModelSummary& s, const std::vector<ModelView::Shader>& shaders) {
  // A setting of cameras and lights alone gets the same stand-in over its nodes: it is no skeleton.
  if (s.joints == 0 || s.cameras > 0 || s.lights > 0) return false;
  for (const ModelView::Shader& entry : shaders) {
    auto* phong = As<ShaderPhong_I>(static_cast<RenderShader_I*>(entry.shader.Get())->m_surface.Get());
    if (!phong || phong->m_material.IsNil() || std::strcmp(phong->m_material->m_name.CStr(), kSkeletonStandIn) != 0)
      return false;
  }
  return true;
}

}  // namespace

Vector3f FirstViewRotation(ScriptEngine* engine, const ModelView& view) {
  const Vector3f usual{kViewPitch, kViewYaw, 0};
  Rig rig;
  if (!FindRig(engine->GetNamespace(), rig)) return usual;
  const ModelSummary s = SweptBounds(view.root, view.scheduler);
  if (s.empty) return usual;
  const Vector3f size = s.max - s.min;
  const float extent[3] = {size.x, size.y, size.z};
  int longest = 0;
  for (int i = 1; i < 3; ++i)
    if (extent[i] > extent[longest]) longest = i;
  // Only a box clearly longer one way, so that ordinary models keep the usual view.
  for (int i = 0; i < 3; ++i)
    if (i != longest && !(extent[longest] >= 2 * extent[i])) return usual;
  // Whether the eye looks more along that axis than across it, from the given rotation.
  const auto endOn = [&](const Vector3f& rotation) {
    const Vector3f kept = rig.orbit->GetRotation();
    rig.orbit->SetRotation(rotation);
    Matrix4f out;
    const Matrix4f m = rig.orbit->ApplyLocalMatrix(kIdentityMatrix4f, out);
    rig.orbit->SetRotation(kept);
    const float along[3] = {std::fabs(m.m[8]), std::fabs(m.m[9]), std::fabs(m.m[10])};
    return along[longest] >= along[(longest + 1) % 3] && along[longest] >= along[(longest + 2) % 3];
  };
  if (!endOn(usual)) return usual;
  // A quarter turn about the vertical keeps the three-quarter look and sees the long side.
  const Vector3f turned{kViewPitch, kViewYaw + 90, 0};
  return endOn(turned) ? usual : turned;
}

float ViewAspect(RenderPipe_I* pipe) {
  int32_t left = 0, top = 0, width = 0, height = 0;
  if (pipe && pipe->GetWindowHandle()) pipe->GetClientArea(&left, &top, &width, &height);
  if ((width <= 0 || height <= 0) && pipe) width = pipe->m_width, height = pipe->m_height;
  return width > 0 && height > 0 ? float(width) / float(height) : 4.0f / 3.0f;
}

void FrameModelView(ScriptEngine* engine, ModelView& view, const Vector3f& rotation) {
  Rig rig;
  if (!FindRig(engine->GetNamespace(), rig)) return;
  const ModelSummary s = SweptBounds(view.root, view.scheduler);
  const Vector3f half = (s.max - s.min) * 0.5f;
  float radius = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
  if (!(radius > 0) || !std::isfinite(radius)) radius = 1;
  view.radius = rig.radius = radius;
  rig.orbit->SetTranslation((s.min + s.max) * 0.5f);
  rig.orbit->SetRotation(rotation);
  // The box fitted to the view from this side, which brings a long or flat model nearer than its sphere
  // would; the sphere's distance for a box of no size.
  const float aspect = ViewAspect(FindPipe(engine->GetNamespace()));
  Matrix4f out;
  const Matrix4f orbit = rig.orbit->ApplyLocalMatrix(kIdentityMatrix4f, out);
  float distance = s.empty ? 0 : BoxFramingDistance(orbit, half, aspect);
  if (!(distance > 0) || !std::isfinite(distance)) distance = FramingDistance(radius);
  PlaceEye(rig, distance);
}

bool ImportIntoView(ScriptEngine* engine, const std::string& file, const std::string& up, ModelView& view,
                    ImportedModel& out) {
  ScriptNamespace* names = engine->GetNamespace();
  RegisterImportModel(names);
  const std::string schedulerName = FreeSchedulerName(names);  // the one this import's clips come under
  Obj<ScriptObject> path(NewBox<VString>(String(file.c_str())));
  ScriptObject* argv[] = {path.Get()};
  Obj<ScriptObject> root = CallGlobalFunction(kFunctionImportModel, 1, argv);
  if (root.IsNil() || !root->IsA(TNode_I::kClassId)) return false;  // the import has logged why
  TellTextureOptions(file);
  if (!up.empty() && !SetModelUp(root, AxisFromWord(up))) return false;
  out.root = root;
  out.scheduler = As<AnimationScheduler_I>(names->FindObject(String(schedulerName.c_str())));
  out.summary = SummarizeImport(root, out.scheduler);
  if (!view.quiet) std::printf("%s\n", SummaryLine(file, out.summary).c_str());
  std::fflush(stdout);
  // The sides as the file says: faces it calls one-sided are culled, those of a format that cannot
  // say are drawn from both. The shaders keep the file's own for the key that steps through the rest.
  for (const ModelView::Shader& entry : ModelShaders(root)) view.shaders.push_back(entry);
  AddFileLights(view, root);
  return true;
}

int SetUpModelView(ScriptEngine* engine, const std::string& file, const std::string& camera, const std::string& clip,
                   const std::string& up, ModelView& view) {
  ScriptNamespace* names = engine->GetNamespace();
  // The view first: the model's names, registered next, then give way to the view's.
  char text[2048];
  std::snprintf(text, sizeof text,
                "RenderPipe:Pipe . { .Resolution (640, 480); .ColorBits 24; .DepthBits 24; .SwapInterval 0; };\n"
                "TTransform:viewScene . { };\n"
                "STransform:SviewOrbit . { .Rotation (%.1f, %.1f, 0); };\n"
                "TTransform:viewOrbit . { .SNode STransform:SviewOrbit; .Parent TTransform:viewScene; };\n"
                "STransform:SviewEye . { };\n"
                "TTransform:viewEye . { .SNode STransform:SviewEye; .Parent TTransform:viewOrbit; };\n"
                "SCamera:viewLens . { .FieldOfView %.1f; };\n"
                "TCamera:viewCamera . { .SNode SCamera:viewLens; .Parent TTransform:viewEye; };\n"
                "SLight:%s . { .Type SLight.TypeEnum.Directional; };\n"
                "TLight:viewLamp . { .SNode SLight:%s; .Parent TTransform:viewEye; };\n"
                "SLight:%s . { .Type SLight.TypeEnum.Ambient; };\n"
                "TLight:viewSky . { .SNode SLight:%s; .Parent TTransform:viewScene; };\n"
                "RenderChannel:Channel0 . { .SceneRoot TTransform:viewScene; .Camera TCamera:viewCamera;\n"
                "  .ColorClearValue (0.2, 0.2, 0.252); };\n",
                double(kViewPitch), double(kViewYaw), double(kFieldOfView), kLamp, kLamp, kSky, kSky);
  int errors = 0;
  Parser::ParseText(engine, String(text), String("--view"), kParseCountLines, &errors);
  Rig rig;
  ScriptObject* scene = names->FindObject(String("viewScene"));
  ScriptObject* pipe = names->FindObject(String("Pipe"));
  // The lamps as made, held here: they go out by what they are, whatever names the model brings.
  const Obj<SLight_I> lamps[] = {Obj<SLight_I>(As<SLight_I>(names->FindObject(String(kLamp)))),
                                 Obj<SLight_I>(As<SLight_I>(names->FindObject(String(kSky))))};
  if (errors || !FindRig(names, rig) || !scene->IsA(TBranch_I::kClassId) || !pipe->IsA(RenderPipe_I::kClassId) ||
      lamps[0].IsNil() || lamps[1].IsNil()) {
    LogError("pm-run: --view: the view's scene could not be made.");
    return 1;
  }
  static_cast<RenderPipe_I*>(pipe)->m_windowTitle = String((InertText(file) + " - pm-run").c_str());

  view.lamps = {Obj<ScriptObject>(lamps[0].Get()), Obj<ScriptObject>(lamps[1].Get())};
  ImportedModel model;
  if (!ImportIntoView(engine, file, up, view, model)) return 1;
  const Obj<ScriptObject> root = model.root;
  AnimationScheduler_I* scheduler = model.scheduler;
  const ModelSummary& s = model.summary;
  view.file = file;
  view.root = root;
  view.scheduler = Obj<ScriptObject>(scheduler);
  for (int32_t i = 0; scheduler && i < scheduler->m_animationClip.Count(); ++i)
    if (AnimationClip_I* c = scheduler->m_animationClip[i]) view.clips.emplace_back(c);
  static_cast<TNode_I*>(root.Get())->SetParent(scene);
  // A skeleton with nothing to move but the markers is drawn as its bones, sticks as thick as a small
  // share of its size.
  if (SkeletonOnly(s, view.shaders)) AddSkeletonSticks(root, scene, (s.max - s.min).Length() * kStickShare);
  if (!ChooseClip(scheduler, file, clip)) return 1;
  FrameModelView(engine, view, FirstViewRotation(engine, view));
  if (!camera.empty()) {
    TCamera_I* chosen = FindCamera(root, camera);
    if (!chosen) {
      LogError("pm-run: --camera: \"", InertText(file).c_str(), "\" has no camera \"", InertText(camera).c_str(),
               "\"; its cameras: ", InertText(CameraNames(root)).c_str(), ".");
      return 1;
    }
    view.fileCamera = true;
    rig.channel->m_camera = Obj<TCamera_I>(chosen);
    // The channel keeps near and far: the model's sphere, seen from where the camera stands.
    const Vector3f half = (s.max - s.min) * 0.5f;
    float radius = half.Length();
    if (!(radius > 0) || !std::isfinite(radius)) radius = 1;
    const Vector3f d = WorldPosition(chosen) - (s.min + s.max) * 0.5f;
    const float distance = d.Length();
    rig.channel->SetClipping(
        {std::max(distance - radius * 1.5f, (distance + radius) * 1e-4f), distance + radius * 1.5f});
  }
  return 0;
}

}  // namespace PMHost
