#include "import/ModelBuilder.h"

#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "core/Log.h"
#include "core/Matrix4f.h"
#include "geometry/PolygonGeometry.h"
#include "import/MaterialConversion.h"
#include "import/NamePool.h"
#include "import/TextureImage.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "scene/Transform.h"
#include "scene/VertexData.h"
#include "scene/VertexDataUsage.h"

namespace PM::Import {

namespace {

constexpr uint64_t kMaxVertices = uint64_t(INT32_MAX);

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
  Builder(const Scene& scene, const std::string& file) : m_scene(scene), m_file(file) {
    // Names in one pool, so that a script finds each object under one name: nodes first, then meshes,
    // then materials.
    for (const Node& n : scene.nodes) m_nodeNames.push_back(m_names.Take(n.name, "node"));
    for (const Mesh& m : scene.meshes) m_meshNames.push_back(m_names.Take(m.name, "mesh"));
    for (const Material& m : scene.materials) m_materialNames.push_back(m_names.Take(m.name, "material"));
    m_geometries.resize(scene.meshes.size());
    m_shaders.resize(std::max<size_t>(scene.materials.size(), 1));
    m_warned.resize(scene.textures.size());
  }

  Obj<ScriptObject> Build() {
    std::vector<Obj<TTransform_I>> nodes;
    nodes.reserve(m_scene.nodes.size());
    for (size_t i = 0; i < m_scene.nodes.size(); ++i) {
      const Node& n = m_scene.nodes[i];
      Obj<TTransform_I> t = Make<TTransform_I>();
      SetNodeName(t, String(m_nodeNames[i].c_str()));
      SetTransform(*static_cast<STransform_I*>(t->GetSNode()), n.matrix);
      if (n.parent >= 0) t->SetParent(nodes[size_t(n.parent)]);
      for (uint32_t m : n.meshes) AddGeometry(t, m);
      nodes.push_back(t);
    }
    return Obj<ScriptObject>(nodes[0].Get());
  }

 private:
  // The file's matrix is for column vectors; the engine's for row vectors: the transpose.
  static void SetTransform(STransform_I& s, const float* file) {
    Matrix4f m;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) m.m[r * 4 + c] = file[c * 4 + r];
    Vector3f translation, scale, shear, radians{0, 0, 0};
    Matrix4fC::Decompose(m, 0, translation, scale, shear, radians);
    s.SetTranslation(translation);
    s.SetRotation(radians * kRadToDeg);
    s.SetScaling(scale);
    s.SetPart<&STransform_I::m_shearing, kChangeShearing>(shear);
  }

  void AddGeometry(TTransform_I* parent, uint32_t meshIndex) {
    const Mesh& mesh = m_scene.meshes[meshIndex];
    if (mesh.indices.empty()) return;  // nothing to draw
    Obj<SPolygonGeometry_I>& shared = m_geometries[meshIndex];
    if (shared.IsNil()) shared = MakeGeometry(mesh, m_meshNames[meshIndex]);
    Obj<TPolygonGeometry_I> g = Make<TPolygonGeometry_I>();
    g->SetSNode(shared);
    g->m_name = String(m_meshNames[meshIndex].c_str());
    g->SetShader(Shader(mesh.material, mesh.primitive == 3));
    if (mesh.primitive != 3) {
      // Unlit, the engines draw white: the material's colour comes in through the node's colour factor.
      const RenderMaterial_I* m = m_materials[mesh.material];
      g->m_colorMul = {m->m_diffuseColor.x, m->m_diffuseColor.y, m->m_diffuseColor.z, 1 - m->m_transparency};
    }
    g->SetParent(parent);
  }

  static Obj<SPolygonGeometry_I> MakeGeometry(const Mesh& mesh, const std::string& name) {
    Obj<SPolygonGeometry_I> s = Make<SPolygonGeometry_I>();
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

  // The shader of a material, lit for triangles; lines and points have no normals to light them by.
  RenderShader_I* Shader(uint32_t materialIndex, bool lit) {
    Obj<RenderShader_I>& shader = m_shaders[materialIndex][lit ? 1 : 0];
    if (!shader.IsNil()) return shader;
    const Material fallback;
    const bool hasMaterial = materialIndex < m_scene.materials.size();
    const Material& m = hasMaterial ? m_scene.materials[materialIndex] : fallback;
    const std::string name = hasMaterial ? m_materialNames[materialIndex] : std::string("material");
    const Texture* texture = m.diffuseTexture >= 0 ? &m_scene.textures[size_t(m.diffuseTexture)] : nullptr;
    const bool textureHasAlpha = texture && !texture->missing && texture->hasAlpha;
    const EngineMaterial e = ConvertMaterial(m, textureHasAlpha);

    Obj<RenderMaterial_I>& material = m_materials[materialIndex];
    if (material.IsNil()) {
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
      surface->m_texCoordSource = int32_t(m.diffuseUVSet);
      phong->m_color = surface.Get();
    }
    shader = Make<RenderShader_I>();
    shader->m_name = String(name.c_str());
    shader->m_surface = phong.Get();
    shader->m_cullEnable = e.cull;
    shader->m_lightEnable = lit;
    return shader;
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
      if (!m_warned[index])
        LogWarn("Import(\"", m_file.c_str(), "\"): the texture \"", texture.source.c_str(),
                "\" is missing; its materials keep their colours.");
      m_warned[index] = true;
      return nullptr;
    }
    t = Make<Texture2D_I>();
    t->m_name = String(texture.source.c_str());
    t->ReplaceSource(image);
    t->SetAlphaMode(alphaMode);  // ReplaceSource chose blending without depth writes
    return t;
  }

  const Scene& m_scene;
  const std::string& m_file;
  NamePool m_names;
  std::vector<std::string> m_nodeNames, m_meshNames, m_materialNames;
  std::vector<Obj<SPolygonGeometry_I>> m_geometries;
  std::vector<std::array<Obj<RenderShader_I>, 2>> m_shaders;  // unlit, lit
  std::unordered_map<uint32_t, Obj<RenderMaterial_I>> m_materials;
  std::map<std::tuple<size_t, int32_t, float>, Obj<Texture2D_I>> m_textures;  // by texture, alpha mode, cutoff
  std::vector<bool> m_warned;
};

}  // namespace

Obj<ScriptObject> BuildModel(const Scene& scene, const std::string& file, std::string& error) {
  if (!CheckScene(scene, error)) return Obj<ScriptObject>();
  if (!scene.leftOut.empty()) LogInfo("Import(\"", file.c_str(), "\"): ", scene.leftOut.c_str());
  return Builder(scene, file).Build();
}

}  // namespace PM::Import
