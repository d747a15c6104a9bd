#include "import/ModelBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>
#include <vector>

#include "anim/BlendControl.h"
#include "core/Log.h"
#include "core/Matrix4f.h"
#include "core/UpTurn.h"
#include "geometry/PolygonGeometry.h"
#include "geometry/SkinPolygonGeometry.h"
#include "import/AssetRoot.h"
#include "import/ClipBuilder.h"
#include "import/MaterialConversion.h"
#include "import/NamePool.h"
#include "import/Plural.h"
#include "import/TextureImage.h"
#include "import/TexturePath.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "scene/Camera.h"
#include "scene/Joint.h"
#include "scene/Light.h"
#include "scene/Transform.h"
#include "scene/VertexData.h"
#include "scene/VertexDataUsage.h"

namespace PM::Import {

namespace {

constexpr uint64_t kMaxVertices = uint64_t(INT32_MAX);
// The lights both engines switch on at once (OpenGL's fixed function and Direct3D 8 take eight); ambient
// lights are summed and do not count.
constexpr size_t kEngineLights = 8;
// The widest view an orthographic camera turns into (degrees, vertical): nearer than that the picture
// would bend more than it frames.
constexpr float kMaxOrthoFieldOfView = 120;

template <class T>
Obj<T> Make() {
  return Obj<T>(static_cast<T*>(T::Create()));
}

// Every count and index of the record against the lists it points into.
bool CheckScene(const Scene& s, std::string& error) {
  if (s.nodes.empty()) return error = "the scene has no nodes", false;
  for (size_t i = 0; i < s.nodes.size(); ++i) {
    const Node& n = s.nodes[i];
    if (i == 0 ? n.parent != -1 : n.parent < 0 || size_t(n.parent) >= i)
      return error = "node " + std::to_string(i) + " has parent " + std::to_string(n.parent), false;
    for (uint32_t m : n.meshes)
      if (m >= s.meshes.size()) return error = "node " + std::to_string(i) + " names mesh " + std::to_string(m), false;
  }
  for (size_t i = 0; i < s.meshes.size(); ++i) {
    const Mesh& m = s.meshes[i];
    const size_t n = m.positions.size() / 3;
    const std::string which = "mesh " + std::to_string(i);
    if (m.primitive < 1 || m.primitive > 3)
      return error = which + " has primitive type " + std::to_string(m.primitive), false;
    if (m.positions.size() % 3 || n > kMaxVertices || m.indices.size() > kMaxVertices ||
        (!m.normals.empty() && m.normals.size() != 3 * n) || (!m.uv[0].empty() && m.uv[0].size() != 2 * n) ||
        (!m.uv[1].empty() && m.uv[1].size() != 2 * n) || (!m.colors.empty() && m.colors.size() != 4 * n) ||
        m.indices.size() % m.primitive)
      return error = which + " has streams of unequal lengths", false;
    for (uint32_t index : m.indices)
      if (index >= n)
        return error = which + " has index " + std::to_string(index) + " of " + std::to_string(n) + " vertices", false;
    if (m.material >= s.materials.size() && !(s.materials.empty() && m.material == 0))
      return error = which + " names material " + std::to_string(m.material), false;
    for (size_t t = 0; t < m.targets.size(); ++t) {
      const MorphTarget& target = m.targets[t];
      if ((!target.positionDeltas.empty() && target.positionDeltas.size() != 3 * n) ||
          (!target.normalDeltas.empty() && target.normalDeltas.size() != m.normals.size()))
        return error = which + "'s morph target " + std::to_string(t) + " moves another number of vertices", false;
    }
  }
  for (size_t i = 0; i < s.cameras.size(); ++i)
    if (s.cameras[i].node >= s.nodes.size())
      return error = "camera " + std::to_string(i) + " names node " + std::to_string(s.cameras[i].node), false;
  for (size_t i = 0; i < s.lights.size(); ++i)
    if (s.lights[i].node >= s.nodes.size() || s.lights[i].type < 1 || s.lights[i].type > 5)
      return error = "light " + std::to_string(i) + " names node " + std::to_string(s.lights[i].node) + " or type " +
                     std::to_string(s.lights[i].type),
             false;
  std::vector<bool> skinned(s.meshes.size());
  for (size_t i = 0; i < s.skins.size(); ++i) {
    const Skin& skin = s.skins[i];
    const std::string which = "skin " + std::to_string(i);
    if (skin.mesh >= s.meshes.size() || skinned[skin.mesh])
      return error = which + " names mesh " + std::to_string(skin.mesh) + " (or one skinned before)", false;
    skinned[skin.mesh] = true;
    const size_t vertices = s.meshes[skin.mesh].positions.size() / 3;
    for (const Bone& b : skin.bones) {
      if (b.node >= s.nodes.size()) return error = which + " names node " + std::to_string(b.node), false;
      if (b.vertices.size() != b.weights.size()) return error = which + " has a bone of unequal lengths", false;
      for (uint32_t v : b.vertices)
        if (v >= vertices) return error = which + " weighs vertex " + std::to_string(v), false;
    }
  }
  std::vector<size_t> nodeTargets(s.nodes.size());  // the most targets a mesh of each node has
  for (size_t i = 0; i < s.nodes.size(); ++i)
    for (uint32_t m : s.nodes[i].meshes) nodeTargets[i] = std::max(nodeTargets[i], s.meshes[m].targets.size());
  for (size_t i = 0; i < s.animations.size(); ++i) {
    const std::string which = "animation " + std::to_string(i);
    for (const Channel& c : s.animations[i].channels)
      if (c.node >= s.nodes.size()) return error = which + " names node " + std::to_string(c.node), false;
    for (const MorphChannel& c : s.animations[i].morphChannels) {
      if (c.node >= s.nodes.size()) return error = which + " names node " + std::to_string(c.node), false;
      uint64_t pairs = 0;
      for (uint32_t count : c.counts) pairs += count;
      if (c.counts.size() != c.times.size() || pairs != c.targets.size() || pairs != c.weights.size())
        return error = which + " has a morph channel of unequal lengths", false;
      const size_t targets = nodeTargets[c.node];
      for (uint32_t t : c.targets)
        if (t >= targets)
          return error = which + " names morph target " + std::to_string(t) + " of " + std::to_string(targets), false;
    }
  }
  for (size_t i = 0; i < s.materials.size(); ++i) {
    const Material& m = s.materials[i];
    if (m.diffuseTexture < -1 || (m.diffuseTexture >= 0 && size_t(m.diffuseTexture) >= s.textures.size()))
      return error = "material " + std::to_string(i) + " names texture " + std::to_string(m.diffuseTexture), false;
    if (m.diffuseUVSet > 1)
      return error =
                 "material " + std::to_string(i) + " reads texture-coordinate set " + std::to_string(m.diffuseUVSet),
             false;
  }
  return true;
}

class Builder {
 public:
  Builder(const Scene& scene, const std::string& file, const std::vector<std::string>& texturePath)
      : m_scene(scene), m_file(file), m_texturePath(texturePath) {
    // Names in one pool, so that a script finds each object under one name: the up turn, nodes, then
    // meshes, then materials.
    m_upName = m_names.Take(kModelUpName, "up");
    for (const Node& n : scene.nodes) m_nodeNames.push_back(m_names.Take(n.name, "node"));
    for (const Mesh& m : scene.meshes) m_meshNames.push_back(m_names.Take(m.name, "mesh"));
    // Materials are found by no script: they keep the file's names (--list and the warnings say them as
    // the file does), their numbered forms only standing in for empty ones.
    for (const Material& m : scene.materials)
      if (std::string taken = m_names.Take(m.name, "material"); m.name.empty())
        m_materialNames.push_back(std::move(taken));
      else
        m_materialNames.push_back(m.name);
    m_geometries.resize(scene.meshes.size());
    m_fellBack.resize(scene.meshes.size());
    m_blends.resize(scene.meshes.size());
    m_warned.resize(scene.textures.size());
    m_textureMissing.resize(scene.materials.size());
    // The bones' nodes, and the nodes of skinned meshes (which carry the vertices no bone weighs), are
    // joints: a skin moves only by joints.
    m_skinOf.assign(scene.meshes.size(), -1);
    m_joint.assign(scene.nodes.size(), false);
    for (size_t i = 0; i < scene.skins.size(); ++i) {
      m_skinOf[scene.skins[i].mesh] = int32_t(i);
      for (const Bone& b : scene.skins[i].bones) m_joint[b.node] = true;
    }
    for (size_t i = 0; i < scene.nodes.size(); ++i)
      for (uint32_t m : scene.nodes[i].meshes) m_joint[i] = m_joint[i] || m_skinOf[m] >= 0;
  }

  Obj<ScriptObject> Build(Obj<ScriptObject>* scheduler, MissingTextures* missing) {
    m_nodes.reserve(m_scene.nodes.size());
    for (size_t i = 0; i < m_scene.nodes.size(); ++i) {
      const Node& n = m_scene.nodes[i];
      Obj<TBaseTransform_I> t;
      if (m_joint[i]) {
        t = Obj<TBaseTransform_I>(Make<TJoint_I>().Get());
        auto* s = static_cast<SJoint_I*>(t->GetSNode());
        // A file's node stands at its parent's matrix times its own, scaling and all: an engine joint
        // undoes its parent's scaling unless told not to, which shrank the skin of a rig under a scaled
        // node (Blender's FBX armature at 100) a hundredfold.
        s->SetParentScalingEnable(false);
        SetTransform(*s, n.matrix, nullptr);
      } else {
        t = Obj<TBaseTransform_I>(Make<TTransform_I>().Get());
        auto* s = static_cast<STransform_I*>(t->GetSNode());
        SetTransform(*s, n.matrix, s);
      }
      SetNodeName(t, String(m_nodeNames[i].c_str()));
      if (n.parent >= 0) t->SetParent(m_nodes[size_t(n.parent)]);
      m_nodes.push_back(t);
    }
    // The geometry once every node stands: a skin names joints anywhere in the tree.
    for (size_t i = 0; i < m_scene.nodes.size(); ++i)
      for (uint32_t m : m_scene.nodes[i].meshes) AddGeometry(uint32_t(i), m);
    const std::vector<Obj<TBaseTransform_I>>& nodes = m_nodes;
    for (const Camera& c : m_scene.cameras) AddCamera(nodes[c.node], c);
    AddLights(nodes);
    WarnNonFiniteWeights();
    WarnMaterials();
    for (const std::string& w : m_scene.warnings) LogWarn("Import(\"", m_file.c_str(), "\"): ", w.c_str(), ".");
    Obj<AnimationScheduler_I> clips = BuildClips(m_scene, nodes, m_blends, m_names, m_file);
    if (scheduler) *scheduler = Obj<ScriptObject>(clips.Get());
    if (missing) *missing = std::move(m_missing);
    return Obj<ScriptObject>(UpTurn(nodes[0]).Get());
  }

 private:
  // The transform over the file's root that turns its up axis to +Y (and its front to +Z): always there,
  // the identity for a Y-up file, so that a script finds it alike.
  Obj<TTransform_I> UpTurn(TBaseTransform_I* root) {
    Obj<TTransform_I> t = Make<TTransform_I>();
    SetNodeName(t, String(m_upName.c_str()));
    auto* s = static_cast<STransform_I*>(t->GetSNode());
    SetEngineTransform(*s, UpTurnMatrix(m_scene.upAxis, m_scene.frontAxis), s);
    root->SetParent(t);
    if (m_scene.upAxis != Axis::PlusY && IsAxis(m_scene.upAxis))
      LogInfo("Import(\"", m_file.c_str(), "\"): up is ", AxisName(m_scene.upAxis), " (",
              m_scene.upFrom.empty() ? "as the file says" : m_scene.upFrom.c_str(), "); the transform \"",
              m_upName.c_str(), "\" turns it to +Y.");
    return t;
  }

  // The file's matrix is for column vectors; the engine's for row vectors: the transpose.
  static Matrix4f RowMatrix(const float* file) {
    Matrix4f m;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) m.m[r * 4 + c] = file[c * 4 + r];
    return m;
  }

  // A joint has no shearing: `sheared` is the transform itself where it has one, else null.
  static void SetTransform(SSimpleTransform_I& s, const float* file, STransform_I* sheared) {
    SetEngineTransform(s, RowMatrix(file), sheared);
  }
  static void SetEngineTransform(SSimpleTransform_I& s, const Matrix4f& m, STransform_I* sheared) {
    Vector3f translation, scale, shear, radians{0, 0, 0};
    Matrix4fC::Decompose(m, 0, translation, scale, shear, radians);
    s.SetTranslation(translation);
    s.SetRotation(radians * kRadToDeg);
    s.SetScaling(scale);
    if (sheared) sheared->SetPart<&STransform_I::m_shearing, kChangeShearing>(shear);
  }

  // A transform under `parent` at `position` whose -Z axis (where the engine's cameras look and its lights
  // shine) points along `forward` and whose +Y axis is `up` made square to it.
  Obj<TTransform_I> Placement(TBaseTransform_I* parent, const std::string& name, const float* position,
                              const float* forward, const float* up) {
    Vector3f back = Unit({-forward[0], -forward[1], -forward[2]}, {0, 0, 1});
    Vector3f y = Unit({up[0], up[1], up[2]}, {0, 1, 0});
    y = y - back * y.Dot(back);
    if (!(y.Length() > 1e-6f)) y = std::abs(back.y) < 0.9f ? Vector3f{0, 1, 0} : Vector3f{1, 0, 0};
    y = Unit(y - back * y.Dot(back), {0, 1, 0});
    const Vector3f x = Cross(y, back);
    // Columns right, up, back and the position: the file's convention, which SetTransform transposes.
    const float file[16] = {x.x, y.x, back.x, position[0], x.y, y.y, back.y, position[1],
                            x.z, y.z, back.z, position[2], 0,   0,   0,      1};
    Obj<TTransform_I> t = Make<TTransform_I>();
    SetNodeName(t, String(m_names.Take(name, "placement").c_str()));
    auto* settings = static_cast<STransform_I*>(t->GetSNode());
    SetTransform(*settings, file, settings);
    t->SetParent(parent);
    return t;
  }

  static Vector3f Unit(const Vector3f& v, const Vector3f& fallback) {
    const float length = v.Length();
    return length > 0 && std::isfinite(length) ? v * (1 / length) : fallback;
  }

  // The file's camera: its horizontal angle and aspect give the engine's vertical one. The engines have
  // no orthographic camera: one comes in as a perspective camera where it stands whose view spans, at
  // the distance of the model's centre, the height the orthographic one spans.
  void AddCamera(TBaseTransform_I* node, const Camera& c) {
    Obj<TTransform_I> place = Placement(node, c.name, c.position, c.lookAt, c.up);
    Obj<SCamera_I> s = Make<SCamera_I>();
    s->m_name = String(m_names.Take(c.name, "camera").c_str());
    float v = VerticalFieldOfView(c);
    if (c.orthographicWidth > 0 && std::isfinite(c.orthographicWidth)) {
      const float aspect = c.aspect > 0 && std::isfinite(c.aspect) ? c.aspect : 1.0f;
      const float halfHeight = c.orthographicWidth / aspect;
      float distance = CentreDistance(c, place);
      if (!(distance > 0)) distance = halfHeight;
      v = std::clamp(2 * std::atan(halfHeight / distance) * kRadToDeg, 1.0f, kMaxOrthoFieldOfView);
      char degrees[32];
      std::snprintf(degrees, sizeof degrees, "%.1f", double(v));
      LogWarn("Import(\"", m_file.c_str(), "\"): the camera \"", c.name.c_str(),
              "\" is orthographic, which the engines do not draw; it comes in as a perspective camera of ", degrees,
              " degrees framing its height at the model's centre.");
    }
    if (std::isfinite(v)) s->SetFieldOfView(v);
    Obj<TCamera_I> t = Make<TCamera_I>();
    t->SetSNode(s);
    t->m_name = String(c.name.c_str());  // as the file names it, for the viewer's --camera
    t->SetParent(place);
  }

  // How far in front of the camera placed at `place` the centre of the model's bounds is (every mesh's
  // vertices where their nodes put them), or 0 when the model has none.
  float CentreDistance(const Camera& c, TTransform_I* place) {
    Vector3f lo{0, 0, 0}, hi{0, 0, 0};
    if (!ModelBounds(lo, hi)) return 0;
    const Matrix4f& camera = m_worlds[c.node];
    const Matrix4f local = static_cast<SBaseTransform_I*>(place->GetSNode())->GetLocalMatrix();
    Matrix4f world;
    world.SetProduct(local, camera);
    const Vector3f at{world.m[12], world.m[13], world.m[14]};
    const Vector3f forward = Unit({-world.m[8], -world.m[9], -world.m[10]}, {0, 0, -1});
    return ((lo + hi) * 0.5f - at).Dot(forward);
  }

  // The bounds of every mesh's vertices where their nodes put them, in one pass over the nodes (parents
  // come first), which keeps the nodes' world matrices (the up turn aside) in m_worlds; false when there
  // are none.
  bool ModelBounds(Vector3f& lo, Vector3f& hi) {
    if (m_boundsDone) {
      lo = m_lo, hi = m_hi;
      return m_hasBounds;
    }
    m_boundsDone = true;
    std::vector<Matrix4f>& worlds = m_worlds;
    worlds.resize(m_scene.nodes.size());
    for (size_t i = 0; i < m_scene.nodes.size(); ++i) {
      const Node& n = m_scene.nodes[i];
      if (n.parent < 0)
        worlds[i] = RowMatrix(n.matrix);
      else
        worlds[i].SetProduct(RowMatrix(n.matrix), worlds[size_t(n.parent)]);
      for (uint32_t m : n.meshes) {
        const std::vector<float>& p = m_scene.meshes[m].positions;
        for (size_t k = 0; k + 2 < p.size(); k += 3) {
          Vector3f v;
          Matrix4fC::TransformPoint(v, Vector3f{p[k], p[k + 1], p[k + 2]}, worlds[i]);
          if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) continue;
          if (!m_hasBounds) m_lo = m_hi = v;
          m_hasBounds = true;
          m_lo = {std::min(m_lo.x, v.x), std::min(m_lo.y, v.y), std::min(m_lo.z, v.z)};
          m_hi = {std::max(m_hi.x, v.x), std::max(m_hi.y, v.y), std::max(m_hi.z, v.z)};
        }
      }
    }
    lo = m_lo, hi = m_hi;
    return m_hasBounds;
  }

  // The file's lights; past the engines' eight (ambient ones aside) they are built switched off (their
  // Visibility 0), and the lights the engines cannot draw as the file says are named in one line each.
  void AddLights(const std::vector<Obj<TBaseTransform_I>>& nodes) {
    std::string off, asPoint;
    size_t on = 0, offCount = 0, pointCount = 0;
    for (const Light& l : m_scene.lights) {
      static constexpr float kUp[3] = {0, 1, 0};
      Obj<TTransform_I> place = Placement(nodes[l.node], l.name, l.position, l.direction, kUp);
      Obj<SLight_I> s = Make<SLight_I>();
      s->m_name = String(m_names.Take(l.name, "light").c_str());
      const bool ambient = l.type == 4;
      s->m_type = ambient ? SLight_I::kTypeAmbient : l.type == 1 ? SLight_I::kTypeDirectional : SLight_I::kTypePoint;
      const bool dark = !(l.color[0] > 0 || l.color[1] > 0 || l.color[2] > 0);
      s->m_color = LightColour(ambient && dark ? l.ambient : l.color);
      const std::string shown = l.name.empty() ? std::string(s->m_name.CStr()) : l.name;
      if (l.type == 3 || l.type == 5) List(asPoint, pointCount, shown);
      if (!ambient && on++ >= kEngineLights) {
        s->m_visibility = 0;
        List(off, offCount, shown);
      }
      Obj<TLight_I> t = Make<TLight_I>();
      t->SetSNode(s);
      t->m_name = String(l.name.c_str());
      t->SetParent(place);
    }
    if (pointCount)
      LogInfo("Import(\"", m_file.c_str(),
              "\"): ", Plural(pointCount, " spot or area light is", " spot or area lights are").c_str(),
              " drawn as a point light (the engines draw no cone): ", asPoint.c_str(), ".");
    if (offCount)
      LogInfo("Import(\"", m_file.c_str(), "\"): the engines light with ", kEngineLights, " lights at once; ",
              Plural(offCount, " light is", " lights are").c_str(), " switched off (Visibility 0): ", off.c_str(), ".");
  }

  static void List(std::string& text, size_t& count, const std::string& name) {
    text += (count++ ? ", " : "") + ("\"" + name + "\"");
  }

  // The engines' lights have no intensity of their own: a colour brighter than 1 is scaled down to 1 at
  // its brightest component, keeping its hue; negative and invalid components are 0.
  static Vector3f LightColour(const float* c) {
    float v[3];
    for (int i = 0; i < 3; ++i) v[i] = std::isfinite(c[i]) && c[i] > 0 ? c[i] : 0;
    const float top = std::max({v[0], v[1], v[2]});
    const float k = top > 1 ? 1 / top : 1;
    return {v[0] * k, v[1] * k, v[2] * k};
  }

  void AddGeometry(uint32_t node, uint32_t meshIndex) {
    const Mesh& mesh = m_scene.meshes[meshIndex];
    if (mesh.indices.empty()) return;  // nothing to draw
    TBaseTransform_I* parent = m_nodes[node];
    const int32_t skin = m_skinOf[meshIndex];
    Obj<SPolygonGeometry_I>& shared = m_geometries[meshIndex];
    const bool morphs = !mesh.targets.empty();
    if (shared.IsNil()) {
      if (skin >= 0)
        shared = MakeSkin(m_scene.skins[size_t(skin)], mesh, m_meshNames[meshIndex]);
      else if (morphs)
        shared = MakeGeometry(Make<SSkinPolygonGeometry_I>(), mesh, m_meshNames[meshIndex]);
      else
        shared = MakeGeometry(Make<SPolygonGeometry_I>(), mesh, m_meshNames[meshIndex]);
      if (morphs) AddMorphs(static_cast<SSkinPolygonGeometry_I&>(*shared), meshIndex);
    }
    Obj<TPolygonGeometry_I> g;
    if (skin < 0 && morphs) {
      // Blend shapes without joints: the blended mesh is drawn where the node stands.
      g = Obj<TPolygonGeometry_I>(Make<TSkinPolygonGeometry_I>().Get());
    } else if (skin < 0) {
      g = Make<TPolygonGeometry_I>();
    } else {
      Obj<TSkinPolygonGeometry_I> t = Make<TSkinPolygonGeometry_I>();
      // Joint j is bone j's node; the last, past the bones, the mesh's own node.
      for (const Bone& b : m_scene.skins[size_t(skin)].bones)
        t->m_joints.Append(WeakObj<TJoint_I>(static_cast<TJoint_I*>(m_nodes[b.node].Get())));
      t->m_joints.Append(WeakObj<TJoint_I>(static_cast<TJoint_I*>(parent)));
      g = Obj<TPolygonGeometry_I>(t.Get());
    }
    g->SetSNode(shared);
    g->m_name = String(m_meshNames[meshIndex].c_str());
    g->SetShader(Shader(mesh.material, mesh.primitive == 3, UVSet(mesh, meshIndex)));
    if (mesh.primitive != 3) {
      // Unlit, the engines draw white: the material's colour comes in through the node's colour factor.
      const RenderMaterial_I* m = m_materials[mesh.material];
      g->m_colorMul = {m->m_diffuseColor.x, m->m_diffuseColor.y, m->m_diffuseColor.z, 1 - m->m_transparency};
    }
    g->SetParent(parent);
  }

  // The skinned description: one weight stream a bone (usage 0x80000 + j) with the bone's inverse bind
  // matrix, and past the bones one stream with the mesh's own node and the identity for the vertices no
  // bone weighs. A vertex's weights are scaled to sum to 1 over the shares the engine's skinning takes:
  // it drops a weight below its threshold without scaling the others up, which would pull the vertex
  // towards the origin by that share of its distance (0.75 units on a 7,000-unit Blender rig).
  static Obj<SPolygonGeometry_I> MakeSkin(const Skin& skin, const Mesh& mesh, const std::string& name) {
    Obj<SSkinPolygonGeometry_I> s = Make<SSkinPolygonGeometry_I>();
    MakeGeometry(s, mesh, name);
    const size_t n = mesh.positions.size() / 3;
    std::vector<float> total(n, 0.0f), sum(n, 0.0f);
    auto usable = [](float w) { return std::isfinite(w) && w > 0; };
    for (const Bone& b : skin.bones)
      for (size_t k = 0; k < b.vertices.size(); ++k)
        if (usable(b.weights[k])) total[b.vertices[k]] += b.weights[k];
    auto taken = [&](const Bone& b, size_t k) {
      return usable(b.weights[k]) && b.weights[k] >= total[b.vertices[k]] * SSkinPolygonGeometry_I::kWeightThreshold;
    };
    for (const Bone& b : skin.bones)
      for (size_t k = 0; k < b.vertices.size(); ++k)
        if (taken(b, k)) sum[b.vertices[k]] += b.weights[k];
    int32_t slot = s->GetVertexDataCount();
    auto stream = [&](uint32_t joint) {
      Obj<VertexDataF32_I> w = Make<VertexDataF32_I>();
      w->m_usage = VertexUsageWord(kVertexUsageJointWeights, joint);
      w->m_data.SetCount(int32_t(n));  // zeros
      s->SetVertexDataAt(slot++, w);
      return w;
    };
    for (size_t j = 0; j < skin.bones.size(); ++j) {
      const Bone& b = skin.bones[j];
      Obj<VertexDataF32_I> w = stream(uint32_t(j));
      for (size_t k = 0; k < b.vertices.size(); ++k) {
        const uint32_t v = b.vertices[k];
        if (taken(b, k)) w->m_data[int32_t(v)] += b.weights[k] / sum[v];
      }
      s->SetBindMatrixInverseAt(int32_t(j), RowMatrix(b.offset));
    }
    Obj<VertexDataF32_I> rest = stream(uint32_t(skin.bones.size()));
    for (size_t v = 0; v < n; ++v)
      if (!(sum[v] > 0)) rest->m_data[int32_t(v)] = 1;
    s->SetBindMatrixInverseAt(int32_t(skin.bones.size()), kIdentityMatrix4f);
    return Obj<SPolygonGeometry_I>(s.Get());
  }

  // The mesh's morph targets as blend shapes: blend k's position deltas (usage 0xA0000 + k) and normal
  // deltas (0xB0000 + k) weighted by entry k of BlendControl, one BlendControl a target, named after it
  // and holding its default weight (0 when that is not a number).
  void AddMorphs(SSkinPolygonGeometry_I& s, uint32_t meshIndex) {
    const Mesh& mesh = m_scene.meshes[meshIndex];
    const auto n = int32_t(mesh.positions.size() / 3);
    std::vector<Obj<BlendControl_I>>& blends = m_blends[meshIndex];
    int32_t slot = s.GetVertexDataCount();
    auto stream = [&](uint32_t kind, uint32_t k, const std::vector<float>& deltas) {
      if (deltas.empty()) return;
      Obj<VertexDataVector3f_I> d = Make<VertexDataVector3f_I>();
      d->m_usage = VertexUsageWord(kind, k);
      d->m_data = Vectors3(deltas, n);
      s.SetVertexDataAt(slot++, d);
    };
    for (size_t t = 0; t < mesh.targets.size(); ++t) {
      const MorphTarget& target = mesh.targets[t];
      Obj<BlendControl_I> control = Make<BlendControl_I>();
      const std::string made = m_meshNames[meshIndex] + "_target" + std::to_string(t);
      control->m_name = String(m_names.Take(target.name.empty() ? made : target.name, "target").c_str());
      control->m_weight = std::isfinite(target.weight) ? target.weight : 0.0f;
      stream(kVertexUsagePositionDeltas, uint32_t(t), target.positionDeltas);
      stream(kVertexUsageNormalDeltas, uint32_t(t), target.normalDeltas);
      s.m_blendControls.Append(Obj<ScriptObject>(control.Get()));
      blends.push_back(control);
    }
  }

  // Weights that are not numbers, named once for the whole file: a target's counts as 0, a key's is
  // left out of its curve.
  void WarnNonFiniteWeights() const {
    size_t bad = 0;
    for (const Mesh& m : m_scene.meshes)
      for (const MorphTarget& t : m.targets) bad += !std::isfinite(t.weight);
    for (const Animation& a : m_scene.animations)
      for (const MorphChannel& c : a.morphChannels)
        for (float w : c.weights) bad += !std::isfinite(w);
    if (bad)
      LogWarn("Import(\"", m_file.c_str(), "\"): ", Plural(bad, " morph weight is", " morph weights are").c_str(),
              " not a number; a target's default counts as 0 and a key's is left out.");
  }

  template <class S>
  static Obj<SPolygonGeometry_I> MakeGeometry(const Obj<S>& made, const Mesh& mesh, const std::string& name) {
    Obj<SPolygonGeometry_I> s(made.Get());
    s->m_name = String(name.c_str());
    const auto n = int32_t(mesh.positions.size() / 3);
    static constexpr uint32_t kTypes[] = {0, PrimitiveType::kPoint, PrimitiveType::kLine, PrimitiveType::kTriangle};
    s->SetPrimType(kTypes[mesh.primitive]);
    s->SetPrimCount(int32_t(mesh.indices.size() / mesh.primitive));
    Array<int32_t> indices;
    indices.SetCountNoCopy(int32_t(mesh.indices.size()));
    for (size_t i = 0; i < mesh.indices.size(); ++i) indices[int32_t(i)] = int32_t(mesh.indices[i]);
    s->TakeIndexArray(std::move(indices));
    s->TakeVertexArray(Vectors3(mesh.positions, n));
    if (!mesh.normals.empty()) s->TakeNormalArray(Vectors3(mesh.normals, n));
    int32_t slot = 0;
    for (uint32_t set = 0; set < 2; ++set) {
      if (mesh.uv[set].empty()) continue;
      Obj<VertexDataVector2f_I> uv = Make<VertexDataVector2f_I>();
      uv->m_usage = VertexUsageWord(kVertexUsageTexCoords, set);
      uv->m_data.SetCountNoCopy(n);
      for (int32_t i = 0; i < n; ++i) uv->m_data[i] = {mesh.uv[set][size_t(i) * 2], mesh.uv[set][size_t(i) * 2 + 1]};
      s->SetVertexDataAt(slot++, uv);
    }
    if (!mesh.colors.empty()) {
      Obj<VertexDataVector4f_I> colors = Make<VertexDataVector4f_I>();
      colors->m_usage = VertexUsageWord(kVertexUsageColors, 0);
      colors->m_data.SetCountNoCopy(n);
      const float* c = mesh.colors.data();
      for (int32_t i = 0; i < n; ++i, c += 4) colors->m_data[i] = {c[0], c[1], c[2], c[3]};
      s->SetVertexDataAt(slot++, colors);
    }
    return s;
  }

  static Array<Vector3f> Vectors3(const std::vector<float>& v, int32_t n) {
    Array<Vector3f> out;
    out.SetCountNoCopy(n);
    for (int32_t i = 0; i < n; ++i) out[i] = {v[size_t(i) * 3], v[size_t(i) * 3 + 1], v[size_t(i) * 3 + 2]};
    return out;
  }

  // The texture-coordinate set the mesh's material reads: set 1 falls back to set 0 when the mesh lacks
  // it (named in one Warn).
  uint32_t UVSet(const Mesh& mesh, uint32_t meshIndex) {
    if (mesh.material >= m_scene.materials.size()) return 0;
    const Material& m = m_scene.materials[mesh.material];
    if (m.diffuseUVSet == 0 || m.diffuseTexture < 0 || !mesh.uv[m.diffuseUVSet].empty()) return m.diffuseUVSet;
    if (!mesh.uv[0].empty() && !m_fellBack[meshIndex]) {
      m_fellBack[meshIndex] = true;
      m_uvFallback.push_back(m_meshNames[meshIndex]);
    }
    return 0;
  }

  // The shader of a material, lit for triangles (lines and points have no normals to light them by),
  // its texture reading texture-coordinate set `uvSet`.
  RenderShader_I* Shader(uint32_t materialIndex, bool lit, uint32_t uvSet) {
    Obj<RenderShader_I>& shader = m_shaders[{materialIndex, lit, uvSet}];
    if (!shader.IsNil()) return shader;
    const Material fallback;
    const bool hasMaterial = materialIndex < m_scene.materials.size();
    const Material& m = hasMaterial ? m_scene.materials[materialIndex] : fallback;
    const std::string name = hasMaterial ? m_materialNames[materialIndex] : std::string("material");
    const Texture* texture = m.diffuseTexture >= 0 ? &m_scene.textures[size_t(m.diffuseTexture)] : nullptr;
    const bool textureHasAlpha = texture && !texture->missing && texture->hasAlpha;
    const EngineMaterial e = ConvertMaterial(m, textureHasAlpha, textureHasAlpha && AlphaGraded(*texture));

    Obj<RenderMaterial_I>& material = m_materials[materialIndex];
    if (material.IsNil()) {
      if (e.invisibleMadeOpaque) m_madeOpaque.push_back(name);
      if (e.emissionDropped) m_emissionDropped.push_back(name);
      material = Make<RenderMaterial_I>();
      material->m_name = String(name.c_str());
      material->m_diffuseColor = e.diffuse;
      material->m_specularColor = e.specular;
      material->m_shininess = e.shininess;
      material->m_ambientColor = e.emission;  // drawn as emission by both engines
      material->m_emissionColor = e.emission;
      material->m_transparency = e.transparency;
    }
    Obj<ShaderPhong_I> phong = Make<ShaderPhong_I>();
    phong->m_material = material;
    if (Texture2D_I* t = texture ? TextureFor(size_t(m.diffuseTexture), e.textureAlphaMode, m.alphaCutoff) : nullptr) {
      Obj<ShaderTexture_I> surface = Make<ShaderTexture_I>();
      surface->m_texture = t;
      surface->m_texCoordSource = int32_t(uvSet);
      phong->m_color = surface.Get();
    } else if (texture && !m_textureMissing[materialIndex]) {
      // The material keeps no trace of the texture it asked for: the caller hears of it here.
      m_textureMissing[materialIndex] = true;
      m_missing.push_back({name, texture->source, CauseOf(*texture)});
    }
    shader = Make<RenderShader_I>();
    shader->m_name = String(name.c_str());
    shader->m_surface = phong.Get();
    shader->m_cullEnable = e.cull;
    shader->m_lightEnable = lit;
    return shader;
  }

  // Whether some of a texture's alpha lies between 0 and 255 (a glow, a cloud) rather than only cutting out.
  static bool AlphaGraded(const Texture& texture) {
    for (size_t i = 3; i < texture.rgba.size(); i += 4)
      if (texture.rgba[i] != 0 && texture.rgba[i] != 255) return true;
    return false;
  }

  // The texture object of texture `index` in `alphaMode` (cut out at `cutoff`), or null (warned once)
  // when it is missing.
  Texture2D_I* TextureFor(size_t index, int32_t alphaMode, float cutoff) {
    const Texture& texture = m_scene.textures[index];
    if (alphaMode != kTextureAlphaMask) cutoff = -1;
    Obj<Texture2D_I>& t = m_textures[{index, alphaMode, cutoff}];
    if (!t.IsNil()) return t;
    Obj<Image_I> image;
    if (!texture.missing) image = MakeTextureImage(texture, alphaMode != kTextureOpaque, cutoff);
    if (image.IsNil()) {
      if (!m_warned[index]) WarnUndrawn(texture);
      m_warned[index] = true;
      return nullptr;
    }
    t = Make<Texture2D_I>();
    t->m_name = String(texture.source.c_str());
    t->ReplaceSource(image);
    t->SetAlphaMode(alphaMode);  // ReplaceSource chose blending without depth writes
    return t;
  }

  // Why a texture is not drawn, as the caller hears it.
  static MissingTexture::Cause CauseOf(const Texture& texture) {
    using Cause = MissingTexture::Cause;
    switch (texture.missing ? texture.fault : TextureFault::kNotDecoded) {
      case TextureFault::kOutside:
        return Cause::kOutsideRoot;
      case TextureFault::kNotRegular:
        return Cause::kNotRegular;
      case TextureFault::kOverBudget:
        return Cause::kOverBudget;
      case TextureFault::kNotDecoded:
        return Cause::kNotDecoded;
      default:
        return Cause::kNotFound;
    }
  }

  // The warning for a texture that is not drawn. A refused file and one over the memory budget were warned
  // of by the reader, which knows the root and the budget.
  void WarnUndrawn(const Texture& texture) const {
    switch (CauseOf(texture)) {
      case MissingTexture::Cause::kNotFound: {
        // The reader's own search: the candidates of the name in its folders.
        const TextureSearch search = TextureSearchOf(PlaceOf(m_file), m_texturePath);
        std::string tried;
        for (const std::string& place : TextureCandidates(search.folder, texture.source, search.folders))
          tried += (tried.empty() ? "" : ", ") + ("\"" + place + "\"");
        const std::string where = tried.empty() ? std::string() : " (looked for at " + tried + ", in any letter case)";
        LogWarn("Import(\"", m_file.c_str(), "\"): the texture \"", texture.source.c_str(), "\" is missing",
                where.c_str(), "; its materials keep their colours.");
        break;
      }
      case MissingTexture::Cause::kNotDecoded:
        // The reader names the format and why (a format it does not decode is never "damaged").
        if (!texture.undecoded.empty())
          LogWarn("Import(\"", m_file.c_str(), "\"): the texture \"", texture.source.c_str(), "\" is not drawn (",
                  texture.undecoded.c_str(), "); its materials keep their colours.");
        else
          LogWarn(
              "Import(\"", m_file.c_str(), "\"): the texture \"", texture.source.c_str(),
              "\" cannot be decoded (it is no JPEG, PNG, TGA, BMP, GIF, PSD, HDR, PIC, PNM, SGI or DDS image, or it "
              "is damaged or too large); its materials keep their colours.");
        break;
      default:
        break;
    }
  }

  // The materials drawn otherwise than the file says, and the meshes whose texture reads a missing
  // set, told once for the file.
  void WarnMaterials() const {
    auto list = [](const std::vector<std::string>& names) {
      std::string text;
      size_t count = 0;
      for (const std::string& n : names) List(text, count, n);
      return text;
    };
    if (!m_madeOpaque.empty())
      LogWarn("Import(\"", m_file.c_str(), "\"): ", m_madeOpaque.size() == 1 ? "the material " : "the materials ",
              list(m_madeOpaque).c_str(), m_madeOpaque.size() == 1 ? " has" : " have",
              " an opacity of 0 and no opacity or alpha texture; drawn opaque.");
    if (!m_uvFallback.empty())
      LogWarn("Import(\"", m_file.c_str(), "\"): ", m_uvFallback.size() == 1 ? "the mesh " : "the meshes ",
              list(m_uvFallback).c_str(), m_uvFallback.size() == 1 ? " lacks" : " lack",
              m_uvFallback.size() == 1 ? " the texture-coordinate set 1 its texture reads; set 0 is used."
                                       : " the texture-coordinate set 1 their textures read; set 0 is used.");
    if (!m_emissionDropped.empty())
      LogInfo("Import(\"", m_file.c_str(), "\"): the emissive textures of ", list(m_emissionDropped).c_str(),
              " are not drawn, nor the emissive colour that scales them.");
  }

  const Scene& m_scene;
  const std::string& m_file;
  const std::vector<std::string>& m_texturePath;
  NamePool m_names;
  std::string m_upName;
  std::vector<std::string> m_madeOpaque, m_uvFallback, m_emissionDropped;
  std::vector<bool> m_fellBack;    // each mesh's: named among m_uvFallback
  std::vector<Matrix4f> m_worlds;  // each node's world matrix, once ModelBounds ran
  bool m_boundsDone = false, m_hasBounds = false;
  Vector3f m_lo{0, 0, 0}, m_hi{0, 0, 0};
  std::vector<std::string> m_nodeNames, m_meshNames, m_materialNames;
  std::vector<Obj<SPolygonGeometry_I>> m_geometries;
  std::vector<std::vector<Obj<BlendControl_I>>> m_blends;                         // each mesh's, one a morph target
  std::map<std::tuple<uint32_t, bool, uint32_t>, Obj<RenderShader_I>> m_shaders;  // by material, lit, UV set
  std::unordered_map<uint32_t, Obj<RenderMaterial_I>> m_materials;
  std::map<std::tuple<size_t, int32_t, float>, Obj<Texture2D_I>> m_textures;  // by texture, alpha mode, cutoff
  std::vector<bool> m_warned;
  std::vector<bool> m_textureMissing;  // each material's: listed in m_missing
  MissingTextures m_missing;
  std::vector<int32_t> m_skinOf;  // each mesh's skin, or -1
  std::vector<bool> m_joint;      // which nodes become joints
  std::vector<Obj<TBaseTransform_I>> m_nodes;
};

}  // namespace

float VerticalFieldOfView(const Camera& c) {
  const double aspect = c.aspect > 0 && std::isfinite(c.aspect) ? double(c.aspect) : 1.0;
  return float(2 * std::atan(std::tan(double(c.horizontalFov) * 0.5) / aspect) * 180 / 3.14159265358979323846);
}

Obj<ScriptObject> BuildModel(const Scene& scene, const std::string& file, std::string& error,
                             Obj<ScriptObject>* scheduler, MissingTextures* missing,
                             const std::vector<std::string>& texturePath) {
  if (scheduler) scheduler->Clear();
  if (missing) missing->clear();
  if (!CheckScene(scene, error)) return Obj<ScriptObject>();
  if (!scene.leftOut.empty()) LogInfo("Import(\"", file.c_str(), "\"): ", scene.leftOut.c_str());
  return Builder(scene, file, texturePath).Build(scheduler, missing);
}

}  // namespace PM::Import
