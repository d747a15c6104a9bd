// Engine objects built from hand-made scene records: names, shared meshes, transforms, streams, the
// material conversion, textures, and records that lie.
#include <gtest/gtest.h>

#include <cmath>

#include "ImportTestSupport.h"
#include "anim/BlendControl.h"
#include "core/Matrix4f.h"
#include "geometry/PolygonGeometry.h"
#include "geometry/SkinPolygonGeometry.h"
#include "import/MaterialConversion.h"
#include "import/ModelBuilder.h"
#include "import/NamePool.h"
#include "import/TextureImage.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "scene/Camera.h"
#include "scene/EngineWorld.h"
#include "scene/Joint.h"
#include "scene/Light.h"
#include "scene/NodeWalk.h"
#include "scene/Transform.h"
#include "scene/VertexData.h"
#include "scene/VertexDataUsage.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

using Import::Scene;

// One triangle (or line, or point) mesh with `n` vertices along x.
Import::Mesh MakeMesh(const char* name, uint8_t primitive = 3, uint32_t material = 0) {
  Import::Mesh m;
  m.name = name;
  m.primitive = primitive;
  m.material = material;
  m.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  m.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  m.indices = primitive == 3   ? std::vector<uint32_t>{0, 1, 2}
              : primitive == 2 ? std::vector<uint32_t>{0, 1, 1, 2}
                               : std::vector<uint32_t>{0, 1, 2};
  return m;
}

Import::Node MakeNode(const char* name, int32_t parent, std::vector<uint32_t> meshes = {}) {
  Import::Node n;
  n.name = name;
  n.parent = parent;
  n.meshes = std::move(meshes);
  return n;
}

// A 3 x 2 texture: red, green, blue over white, black, grey with alpha 128.
Import::Texture SmallTexture(bool alpha) {
  Import::Texture t;
  t.source = "small.png";
  t.width = 3;
  t.height = 2;
  t.rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255, 128, 128, 128, 255};
  if (alpha) t.rgba[23] = 128;
  t.hasAlpha = alpha;
  return t;
}

class ModelBuilderTest : public EngineWorldTest {
 protected:
  // The file's root node, under the up turn every import begins with (kept in m_up).
  Obj<ScriptObject> Build(const Scene& s, const char* file = "model.glb") {
    std::string error;
    m_up = Import::BuildModel(s, file, error);
    EXPECT_EQ(error, "");
    if (m_up.IsNil() || Branch(m_up)->ChildCount() != 1) return m_up;
    return Obj<ScriptObject>(Child(m_up, 0));
  }
  // Where the up turn takes `v` (the engine's row vectors).
  Vector3f Turned(const Vector3f& v) {
    Vector3f out;
    Matrix4fC::TransformPoint(
        out, v, static_cast<STransform_I*>(static_cast<TNode_I*>(m_up.Get())->GetSNode())->GetLocalMatrix());
    return out;
  }
  Obj<ScriptObject> m_up;
  void TearDown() override {
    m_up.Clear();
    EngineWorldTest::TearDown();
  }
  static TBranch_I* Branch(ScriptObject* o) { return static_cast<TBranch_I*>(o); }
  static ScriptObject* Child(ScriptObject* o, int i) { return Branch(o)->m_children[i].Get(); }
  static std::string Name(ScriptObject* o) { return static_cast<Object_I*>(o)->m_name.CStr(); }
  static RenderShader_I* ShaderOf(ScriptObject* geometry) {
    return static_cast<RenderShader_I*>(static_cast<TPolygonGeometry_I*>(geometry)->GetShader());
  }
  static RenderMaterial_I* MaterialOf(ScriptObject* geometry) {
    return static_cast<ShaderPhong_I*>(ShaderOf(geometry)->m_surface.Get())->m_material.Get();
  }
  static ScriptObject* ColorOf(ScriptObject* geometry) {
    return static_cast<ShaderPhong_I*>(ShaderOf(geometry)->m_surface.Get())->m_color.Get();
  }
};

TEST_F(ModelBuilderTest, RepeatedAndEmptyNamesAreMadeUniqueAcrossNodesMeshesAndMaterials) {
  Scene s;
  s.nodes = {MakeNode("part", -1), MakeNode("part", 0), MakeNode("", 0), MakeNode("part_2", 0, {0, 1})};
  s.meshes = {MakeMesh("part"), MakeMesh("")};
  s.materials.resize(1);
  s.materials[0].name = "mesh";
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(Name(root), "part");
  ASSERT_EQ(Branch(root)->ChildCount(), 3);
  EXPECT_EQ(Name(Child(root, 0)), "part_2");
  EXPECT_EQ(Name(Child(root, 1)), "node");
  EXPECT_EQ(Name(Child(root, 2)), "part_2_2");  // the file's own "part_2" came after the first copy took it
  ScriptObject* last = Child(root, 2);
  ASSERT_EQ(Branch(last)->ChildCount(), 2);
  EXPECT_EQ(Name(static_cast<TNode_I*>(Child(last, 0))->GetSNode()), "part_3");
  EXPECT_EQ(Name(static_cast<TNode_I*>(Child(last, 1))->GetSNode()), "mesh");
  // Materials, which no script looks up, keep the file's name though a mesh took it first.
  EXPECT_EQ(Name(MaterialOf(Child(last, 0))), "mesh");

  Import::NamePool pool;
  for (int i = 0; i < 1000; ++i) pool.Take("a", "x");
  EXPECT_EQ(pool.Take("a", "x"), "a_1001");
  EXPECT_EQ(pool.Take("a_1002", "x"), "a_1002");
  EXPECT_EQ(pool.Take("a", "x"), "a_1003");
  // As a script writes names: "nodes[0]", "Куб1" (UTF-8) and "2 wheels" would not parse.
  EXPECT_EQ(pool.Take("nodes[0]", "x"), "nodes_0_");
  EXPECT_EQ(pool.Take("\xD0\x9A\xD1\x83\xD0\xB1"
                      "1",
                      "x"),
            "______1");
  EXPECT_EQ(pool.Take("2 wheels", "x"), "_2_wheels");
  EXPECT_EQ(pool.Take("", "x"), "x");
}

TEST_F(ModelBuilderTest, AMeshUsedByTwoNodesSharesItsDescriptionAndStreams) {
  Scene s;
  s.nodes = {MakeNode("root", -1), MakeNode("left", 0, {0}), MakeNode("right", 0, {0, 1})};
  s.meshes = {MakeMesh("wheel"), MakeMesh("axle", 2)};
  s.meshes[0].uv[0] = {0, 0, 1, 0, 0, 1};
  s.meshes[0].uv[1] = {0.5f, 0.5f, 1, 0.5f, 0.5f, 1};
  s.meshes[0].colors = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0.5f};
  s.meshes[1].normals.clear();
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  auto* left = static_cast<TPolygonGeometry_I*>(Child(Child(root, 0), 0));
  auto* right = static_cast<TPolygonGeometry_I*>(Child(Child(root, 1), 0));
  auto* axle = static_cast<TPolygonGeometry_I*>(Child(Child(root, 1), 1));
  EXPECT_NE(left, right);
  EXPECT_EQ(left->GetSNode(), right->GetSNode());
  EXPECT_EQ(left->GetShader(), right->GetShader());
  auto* wheel = static_cast<SPolygonGeometry_I*>(left->GetSNode());
  EXPECT_EQ(wheel->m_primType, PrimitiveType::kTriangle);
  EXPECT_EQ(wheel->m_primCount, 1);
  EXPECT_EQ(wheel->m_vertices.Count(), 3);
  EXPECT_EQ(wheel->m_normals.Count(), 3);
  ASSERT_EQ(wheel->GetVertexDataCount(), 3);
  EXPECT_EQ(wheel->GetVertexDataAt(0)->m_usage, 0x10000u);
  EXPECT_EQ(wheel->GetVertexDataAt(1)->m_usage, 0x10001u);
  EXPECT_EQ(wheel->GetVertexDataAt(2)->m_usage, 0x20000u);
  EXPECT_EQ(wheel->GetVertexDataAt(2)->GetClassID(), VertexDataVector4f_I::kClassId);
  EXPECT_FLOAT_EQ(static_cast<VertexDataVector2f_I*>(wheel->GetVertexDataAt(1))->m_data[2].y, 1.0f);
  EXPECT_TRUE(wheel->Validate());
  auto* lines = static_cast<SPolygonGeometry_I*>(axle->GetSNode());
  EXPECT_EQ(lines->m_primType, PrimitiveType::kLine);
  EXPECT_EQ(lines->m_primCount, 2);
  EXPECT_TRUE(lines->Validate());
  // Lines have no normals: the same material draws them unlit.
  EXPECT_TRUE(ShaderOf(left)->m_lightEnable);
  EXPECT_FALSE(ShaderOf(axle)->m_lightEnable);
  EXPECT_EQ(MaterialOf(left), MaterialOf(axle));
  EXPECT_EQ(axle->m_colorMul, (Vector4f{0.8f, 0.8f, 0.8f, 1}));  // the material's colour, drawn unlit
  EXPECT_EQ(left->m_colorMul, (Vector4f{1, 1, 1, 1}));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ModelBuilderTest, MirroredAndShearedMatricesRoundTripThroughTheTransforms) {
  // Column-vector matrices as the file gives them (translation in elements 3, 7, 11).
  const float matrices[][16] = {
      {1, 0, 0, 5, 0, 1, 0, -2, 0, 0, 1, 0.25f, 0, 0, 0, 1},
      {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},               // a quarter turn about z
      {-1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1},               // mirrored in x
      {2, 0.5f, 0.25f, 0, 0, 3, 0.75f, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1},  // scaled and sheared
      {0.36f, 0.48f, -0.8f, 7, -0.8f, 0.6f, 0, 8, 0.48f, 0.64f, 0.6f, 9, 0, 0, 0, 1},
      {0.001f, 0, 0, 19340, 0, -0.001f, 0, 0, 0, 0, 0.001f, -19340, 0, 0, 0, 1},
  };
  Scene s;
  s.nodes.push_back(MakeNode("root", -1));
  for (const auto& m : matrices) {
    s.nodes.push_back(MakeNode("n", 0));
    std::copy(std::begin(m), std::end(m), s.nodes.back().matrix);
  }
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  for (int i = 0; i < int(std::size(matrices)); ++i) {
    auto* t = static_cast<STransform_I*>(static_cast<TNode_I*>(Child(root, i))->GetSNode());
    const Matrix4f local = t->GetLocalMatrix();
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        const float want = matrices[i][c * 4 + r], got = local.m[r * 4 + c];
        EXPECT_NEAR(got, want, 1e-5f * std::max(1.0f, std::fabs(want)))
            << "matrix " << i << " [" << r << "][" << c << "]";
      }
  }
}

TEST_F(ModelBuilderTest, MaterialsBecomeShadersByTheStatedConversion) {
  Import::Material plain;
  plain.diffuse[0] = 0.5f, plain.diffuse[1] = 0.25f, plain.diffuse[2] = 1;
  plain.specular[0] = plain.specular[1] = plain.specular[2] = 0.5f;
  plain.shininessStrength = 2;
  plain.shininess = 0.5f;  // below 1: no highlight
  plain.ambient[0] = plain.ambient[1] = plain.ambient[2] = 1;
  plain.emissive[1] = 0.5f;
  Import::EngineMaterial e = Import::ConvertMaterial(plain, false);
  EXPECT_EQ(e.diffuse, (Vector3f{0.5f, 0.25f, 1}));
  EXPECT_EQ(e.specular, (Vector3f{0, 0, 0}));
  EXPECT_EQ(e.shininess, 0.0f);
  EXPECT_EQ(e.emission, (Vector3f{0, 0.5f, 0}));  // the ambient colour is not sent anywhere
  EXPECT_EQ(e.transparency, 0.0f);
  EXPECT_TRUE(e.cull);
  EXPECT_EQ(e.textureAlphaMode, Import::kTextureOpaque);

  plain.shininess = 300;
  plain.twoSided = true;
  plain.diffuse[3] = 0.25f;
  e = Import::ConvertMaterial(plain, false);
  EXPECT_EQ(e.specular, (Vector3f{1, 1, 1}));  // times the strength, at most 1
  EXPECT_EQ(e.shininess, 128.0f);
  EXPECT_FALSE(e.cull);
  EXPECT_FLOAT_EQ(e.transparency, 0.75f);
  EXPECT_EQ(e.textureAlphaMode, Import::kTextureAlphaBlend);

  Import::Material metal;
  metal.metalRoughness = true;
  metal.diffuse[0] = 1, metal.diffuse[1] = 0.5f, metal.diffuse[2] = 0;
  metal.metallic = 1;
  metal.roughness = 0.5f;
  e = Import::ConvertMaterial(metal, true);
  EXPECT_EQ(e.diffuse, (Vector3f{0.5f, 0.25f, 0}));
  EXPECT_EQ(e.specular, (Vector3f{0.5f, 0.25f, 0}));
  EXPECT_FLOAT_EQ(e.shininess, 2 / 0.0625f - 2);
  EXPECT_EQ(e.textureAlphaMode, Import::kTextureOpaque);  // glTF states its alpha mode: opaque means opaque
  metal.metallic = 0;
  metal.roughness = 1;
  e = Import::ConvertMaterial(metal, false);
  EXPECT_EQ(e.diffuse, (Vector3f{1, 0.5f, 0}));
  EXPECT_EQ(e.specular, (Vector3f{0, 0, 0}));
  metal.alphaMode = 1;
  EXPECT_EQ(Import::ConvertMaterial(metal, true).textureAlphaMode, Import::kTextureAlphaMask);
  metal.alphaMode = 2;
  e = Import::ConvertMaterial(metal, true);
  EXPECT_EQ(e.textureAlphaMode, Import::kTextureAlphaBlend);
  EXPECT_GE(e.transparency, 1.0f / 512);  // enough for the engines to blend
  // A file that names no alpha mode: a texture with alpha is a cut-out.
  Import::Material obj;
  EXPECT_EQ(Import::ConvertMaterial(obj, true).textureAlphaMode, Import::kTextureAlphaMask);
  obj.diffuse[0] = NAN, obj.shininess = NAN, obj.diffuse[3] = NAN;
  e = Import::ConvertMaterial(obj, false);
  EXPECT_EQ(e.diffuse.x, 0.0f);
  EXPECT_EQ(e.shininess, 0.0f);
  EXPECT_EQ(e.transparency, 0.0f);

  // The objects carry the values: emission in AmbientColor (which the engines draw as emission).
  Scene s;
  s.nodes = {MakeNode("root", -1, {0})};
  s.meshes = {MakeMesh("m")};
  s.materials = {plain};
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  RenderMaterial_I* m = MaterialOf(Child(root, 0));
  EXPECT_EQ(m->m_ambientColor, (Vector3f{0, 0.5f, 0}));
  EXPECT_EQ(m->m_shininess, 128.0f);
  EXPECT_FLOAT_EQ(m->m_transparency, 0.75f);
  EXPECT_FALSE(ShaderOf(Child(root, 0))->m_cullEnable);
}

TEST_F(ModelBuilderTest, TexturesAreHandedOverScaledToPowersOfTwoWithTheMaterialsAlphaMode) {
  EXPECT_EQ(Import::PowerOfTwoSide(1), 2u);  // a 1 x 1 image has no mip levels to build
  EXPECT_EQ(Import::PowerOfTwoSide(211), 256u);
  EXPECT_EQ(Import::PowerOfTwoSide(256), 256u);
  EXPECT_EQ(Import::PowerOfTwoSide(100000), Import::kMaxTextureSide);

  Scene s;
  s.nodes = {MakeNode("root", -1, {0, 1})};
  s.meshes = {MakeMesh("a", 3, 0), MakeMesh("b", 3, 1)};
  s.meshes[0].uv[0] = s.meshes[1].uv[1] = {0, 0, 1, 0, 0, 1};
  s.materials.resize(2);
  s.materials[0].diffuseTexture = 0;
  s.materials[0].alphaMode = 1;
  s.materials[1].diffuseTexture = 0;
  s.materials[1].diffuseUVSet = 1;
  s.materials[1].alphaMode = 2;
  s.textures = {SmallTexture(true)};
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  auto* cut = static_cast<ShaderTexture_I*>(ColorOf(Child(root, 0)));
  auto* blend = static_cast<ShaderTexture_I*>(ColorOf(Child(root, 1)));
  ASSERT_TRUE(cut->IsA(ShaderTexture_I::kClassId));
  ASSERT_TRUE(blend->IsA(ShaderTexture_I::kClassId));
  EXPECT_EQ(cut->m_texCoordSource, 0);
  EXPECT_EQ(blend->m_texCoordSource, 1);
  EXPECT_EQ(cut->m_texture->GetAlphaMode(), 1);
  EXPECT_EQ(blend->m_texture->GetAlphaMode(), 3);
  Image_I* image = cut->m_texture->SourceImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 4);
  EXPECT_EQ(image->GetHeight(), 2);
  EXPECT_EQ(image->GetBytesPerPixel(), 4);
  EXPECT_TRUE(cut->m_texture->m_fileObject.IsNil());  // given directly: nothing is read or cached beside the model
  // Rows bottom first: the file's top row (red first) is the image's row 1; the ends keep their texels.
  R8G8B8A8 p;
  image->GetPixel(p, 0, 1);
  EXPECT_EQ(p, (R8G8B8A8{255, 0, 0, 255}));
  image->GetPixel(p, 3, 0);
  EXPECT_EQ(p, (R8G8B8A8{128, 128, 128, 255}));  // a cut-out: alpha 128 lies above the cutoff of 0.5
  EXPECT_EQ(TakeLog(), "");
  // The blended texture keeps its alpha as it is; the cut-out is cut where the material says.
  blend->m_texture->SourceImage()->GetPixel(p, 3, 0);
  EXPECT_EQ(p.A, 128);
  s.materials[0].alphaMode = 1;
  s.materials[0].alphaCutoff = 0.6f;
  root = Build(s);
  Image_I* cutAt = static_cast<ShaderTexture_I*>(ColorOf(Child(root, 0)))->m_texture->SourceImage();
  cutAt->GetPixel(p, 3, 0);
  EXPECT_EQ(p.A, 0);
  cutAt->GetPixel(p, 0, 0);
  EXPECT_EQ(p.A, 255);
  s.materials[0].alphaMode = 0;

  // Opaque materials get the texture without alpha, so the engines draw it opaque.
  s.materials[1].alphaMode = 0;
  s.materials[0].metalRoughness = true;
  root = Build(s);
  auto* opaque = static_cast<ShaderTexture_I*>(ColorOf(Child(root, 0)));
  EXPECT_EQ(opaque->m_texture->GetAlphaMode(), 0);
  EXPECT_EQ(opaque->m_texture->SourceImage()->GetBytesPerPixel(), 3);
}

TEST_F(ModelBuilderTest, AMissingTextureWarnsOnceAndItsMaterialsKeepTheirColours) {
  Scene s;
  s.nodes = {MakeNode("root", -1, {0, 1})};
  s.meshes = {MakeMesh("a", 3, 0), MakeMesh("b", 3, 1)};
  s.materials.resize(2);
  s.materials[0].diffuseTexture = s.materials[1].diffuseTexture = 0;
  s.materials[0].diffuse[0] = 0.25f;
  s.textures.resize(1);
  s.textures[0].source = "textures/gone.jpg";
  s.textures[0].missing = true;
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(TakeLog(),
            "Warn  Import(\"model.glb\"): the texture \"textures/gone.jpg\" is missing (looked for at "
            "\"./textures/gone.jpg\", \"./gone.jpg\", in any letter case); its materials keep their colours.\n");
  EXPECT_TRUE(IsNilObject(ColorOf(Child(root, 0))));
  EXPECT_EQ(MaterialOf(Child(root, 0))->m_diffuseColor.x, 0.25f);
  // Pixels shorter than the size announced count as missing too.
  s.textures[0] = SmallTexture(false);
  s.textures[0].rgba.pop_back();
  root = Build(s);
  EXPECT_NE(TakeLog(), "");
  EXPECT_TRUE(IsNilObject(ColorOf(Child(root, 0))));
}

// Each material whose texture is missing is named once, by the name the import gave it, with the texture's
// source as written; a material with its texture or with none is not, nor a material no mesh draws.
TEST_F(ModelBuilderTest, MaterialsMissingTheirTextureAreListedOnceEach) {
  Scene s;
  s.nodes = {MakeNode("lost", -1, {0, 1, 2, 3, 4})};
  // "lost" drawn lit and as lines (two shaders), "also" sharing its texture, "wood" textured, "plain" not.
  s.meshes = {MakeMesh("a", 3, 0), MakeMesh("b", 2, 0), MakeMesh("c", 3, 1), MakeMesh("d", 3, 2), MakeMesh("e", 3, 3)};
  s.meshes[0].uv[0] = s.meshes[1].uv[0] = s.meshes[2].uv[0] = s.meshes[3].uv[0] = {0, 0, 1, 0, 0, 1};
  s.materials.resize(5);
  const char* names[] = {"lost", "also", "wood", "plain", "unused"};
  for (size_t i = 0; i < 5; ++i) s.materials[i].name = names[i];
  s.materials[0].diffuseTexture = s.materials[1].diffuseTexture = s.materials[4].diffuseTexture = 0;
  s.materials[2].diffuseTexture = 1;
  s.textures = {Import::Texture{}, SmallTexture(false)};
  s.textures[0].source = "C:\\maps\\Gone.JPG";
  s.textures[0].missing = true;
  std::string error;
  MissingTextures missing{{"stale", "x"}};
  Obj<ScriptObject> scheduler;
  m_up = Import::BuildModel(s, "model.fbx", error, &scheduler, &missing);
  ASSERT_FALSE(m_up.IsNil()) << error;
  const std::string log = TakeLog();
  EXPECT_EQ(log.find("is missing"), log.rfind("is missing")) << log;  // one Warn for the texture
  // By the file's name, though the node took it first.
  const MissingTextures expected{{"lost", "C:\\maps\\Gone.JPG"}, {"also", "C:\\maps\\Gone.JPG"}};
  EXPECT_EQ(missing, expected);
  // Lies build nothing and list nothing.
  s.meshes[0].material = 9;
  EXPECT_TRUE(Import::BuildModel(s, "model.fbx", error, &scheduler, &missing).IsNil());
  EXPECT_TRUE(missing.empty());
}

// A texture not drawn is listed with why. The builder warns of what it alone knows: a texture missing (the
// places looked at, the texture path among them) or not decoded; the reader has warned of a refused file
// and of one over its memory budget, which are not called missing.
TEST_F(ModelBuilderTest, TexturesNotDrawnAreListedWithWhy) {
  using Cause = MissingTexture::Cause;
  using Fault = Import::TextureFault;
  const std::pair<Fault, Cause> faults[] = {{Fault::kAbsent, Cause::kNotFound},
                                            {Fault::kOutside, Cause::kOutsideRoot},
                                            {Fault::kNotRegular, Cause::kNotRegular},
                                            {Fault::kOverBudget, Cause::kOverBudget},
                                            {Fault::kNotDecoded, Cause::kNotDecoded}};
  Scene s;
  s.nodes = {MakeNode("n", -1, {0, 1, 2, 3, 4})};
  MissingTextures expected;
  for (uint32_t i = 0; i < 5; ++i) {
    s.meshes.push_back(MakeMesh("m", 3, i));
    s.meshes.back().uv[0] = {0, 0, 1, 0, 0, 1};
    s.materials.emplace_back();
    s.materials.back().name = "m" + std::to_string(i);
    s.materials.back().diffuseTexture = int32_t(i);
    s.textures.emplace_back();
    s.textures.back().source = "t" + std::to_string(i) + ".png";
    s.textures.back().missing = true;
    s.textures.back().fault = faults[i].first;
    expected.push_back({"m" + std::to_string(i), "t" + std::to_string(i) + ".png", faults[i].second});
  }
  std::string error;
  MissingTextures missing;
  Obj<ScriptObject> scheduler;
  m_up = Import::BuildModel(s, "/m/model.obj", error, &scheduler, &missing, {"/textures", "rel"});
  ASSERT_FALSE(m_up.IsNil()) << error;
  EXPECT_EQ(missing, expected);
  EXPECT_EQ(TakeLog(),
            "Warn  Import(\"/m/model.obj\"): the texture \"t0.png\" is missing (looked for at \"/m/t0.png\", "
            "\"/textures/t0.png\", \"rel/t0.png\", in any letter case); its materials keep their colours.\n"
            "Warn  Import(\"/m/model.obj\"): the texture \"t4.png\" cannot be decoded (it is no JPEG, PNG, TGA, BMP, "
            "GIF, PSD, HDR, PIC, PNM, SGI or DDS image, or it is damaged or too large); its materials keep their "
            "colours.\n");
}

TEST_F(ModelBuilderTest, RecordsThatLieBuildNothingAndSayWhy) {
  struct Case {
    const char* error;
    void (*spoil)(Scene&);
  } cases[] = {
      {"the scene has no nodes", [](Scene& s) { s.nodes.clear(); }},
      {"node 1 has parent 2", [](Scene& s) { s.nodes[1].parent = 2; }},
      {"node 1 has parent 1", [](Scene& s) { s.nodes[1].parent = 1; }},
      {"node 0 has parent 0", [](Scene& s) { s.nodes[0].parent = 0; }},
      {"node 2 names mesh 7", [](Scene& s) { s.nodes[2].meshes.push_back(7); }},
      {"mesh 0 has index 3 of 3 vertices", [](Scene& s) { s.meshes[0].indices[1] = 3; }},
      {"mesh 0 has streams of unequal lengths", [](Scene& s) { s.meshes[0].normals.pop_back(); }},
      {"mesh 0 has streams of unequal lengths", [](Scene& s) { s.meshes[0].indices.pop_back(); }},
      {"mesh 0 has streams of unequal lengths",
       [](Scene& s) {
         s.meshes[0].uv[1] = {1, 2};
       }},
      {"mesh 0 has primitive type 4", [](Scene& s) { s.meshes[0].primitive = 4; }},
      {"mesh 0 names material 3", [](Scene& s) { s.meshes[0].material = 3; }},
      {"material 0 names texture 0", [](Scene& s) { s.materials[0].diffuseTexture = 0; }},
      {"material 0 reads texture-coordinate set 2", [](Scene& s) { s.materials[0].diffuseUVSet = 2; }},
      {"camera 0 names node 3", [](Scene& s) { s.cameras.emplace_back().node = 3; }},
      {"light 0 names node 0 or type 0", [](Scene& s) { s.lights.emplace_back().type = 0; }},
      {"light 0 names node 9 or type 2", [](Scene& s) { s.lights.emplace_back().node = 9; }},
      {"skin 0 names mesh 1 (or one skinned before)", [](Scene& s) { s.skins.emplace_back().mesh = 1; }},
      {"skin 1 names mesh 0 (or one skinned before)", [](Scene& s) { s.skins.resize(2); }},
      {"skin 0 names node 3", [](Scene& s) { s.skins.emplace_back().bones.emplace_back().node = 3; }},
      {"skin 0 weighs vertex 3",
       [](Scene& s) {
         Import::Bone& b = s.skins.emplace_back().bones.emplace_back();
         b.vertices = {3};
         b.weights = {1};
       }},
      {"skin 0 has a bone of unequal lengths",
       [](Scene& s) { s.skins.emplace_back().bones.emplace_back().weights = {1}; }},
      {"mesh 0's morph target 0 moves another number of vertices",
       [](Scene& s) {
         s.meshes[0].targets.emplace_back().positionDeltas = {1, 2, 3};
       }},
      {"mesh 0's morph target 0 moves another number of vertices",
       [](Scene& s) {
         s.meshes[0].normals.clear();
         s.meshes[0].targets.emplace_back().normalDeltas = std::vector<float>(9, 1);
       }},
      {"animation 0 names node 3", [](Scene& s) { s.animations.emplace_back().morphChannels.emplace_back().node = 3; }},
      {"animation 0 has a morph channel of unequal lengths",
       [](Scene& s) {
         Import::MorphChannel& c = s.animations.emplace_back().morphChannels.emplace_back();
         c.node = 2;
         c.times = {0};
         c.counts = {1};
       }},
      {"animation 0 names morph target 1 of 1",
       [](Scene& s) {
         s.meshes[0].targets.emplace_back();
         Import::MorphChannel& c = s.animations.emplace_back().morphChannels.emplace_back();
         c.node = 2;
         c.times = {0, 1};
         c.counts = {1, 1};
         c.targets = {0, 1};
         c.weights = {1, 1};
       }},
      {"animation 0 names morph target 0 of 0",  // the node has no mesh with targets
       [](Scene& s) {
         s.meshes[0].targets.emplace_back();
         Import::MorphChannel& c = s.animations.emplace_back().morphChannels.emplace_back();
         c.node = 1;
         c.times = {0};
         c.counts = {1};
         c.targets = {0};
         c.weights = {1};
       }},
  };
  for (const Case& c : cases) {
    Scene s;
    s.nodes = {MakeNode("root", -1), MakeNode("a", 0), MakeNode("b", 1, {0})};
    s.meshes = {MakeMesh("m")};
    s.materials.resize(1);
    c.spoil(s);
    std::string error;
    EXPECT_TRUE(Import::BuildModel(s, "bad.obj", error).IsNil()) << c.error;
    EXPECT_EQ(error, c.error);
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ModelBuilderTest, WhatTheImportLeavesOutIsOneInfoLine) {
  Scene s;
  s.nodes = {MakeNode("root", -1)};
  s.leftOut = "It leaves out 2 animations and 1 camera.";
  int saved = g_LogLevel;
  g_LogLevel = 0;
  std::string error;
  EXPECT_FALSE(Import::BuildModel(s, "walk.fbx", error).IsNil());
  g_LogLevel = saved;
  EXPECT_EQ(TakeLog(), "Info  Import(\"walk.fbx\"): It leaves out 2 animations and 1 camera.\n");
}

// A skin of two bones over four vertices whose weights do not sum to 1, and one that no bone weighs;
// the offsets are those of the bind pose the nodes stand in.
Scene SkinnedScene() {
  Scene s;
  s.nodes = {MakeNode("root", -1), MakeNode("arm", 0), MakeNode("body", 0, {0})};
  s.nodes[1].matrix[7] = 2;                                                 // at (0, 2, 0)
  s.nodes[2].matrix[0] = s.nodes[2].matrix[5] = s.nodes[2].matrix[10] = 2;  // scaled by 2
  s.nodes[2].matrix[3] = 1;                                                 // at (1, 0, 0)
  Import::Mesh m = MakeMesh("skin");
  m.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1};
  m.normals.clear();
  m.indices = {0, 1, 2, 1, 3, 2};
  s.meshes = {m};
  s.materials.resize(1);
  Import::Skin skin;
  Import::Bone arm;
  arm.node = 1;
  const float armOffset[16] = {2, 0, 0, 1, 0, 2, 0, -2, 0, 0, 2, 0, 0, 0, 0, 1};  // arm world^-1 x body world
  std::copy(std::begin(armOffset), std::end(armOffset), arm.offset);
  arm.vertices = {0, 1};
  arm.weights = {0.3f, 2};
  Import::Bone root;
  root.node = 0;
  const float rootOffset[16] = {2, 0, 0, 1, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};  // body world
  std::copy(std::begin(rootOffset), std::end(rootOffset), root.offset);
  root.vertices = {0, 3};
  root.weights = {0.3f, 1};
  skin.bones = {arm, root};
  s.skins = {skin};
  return s;
}

TEST_F(ModelBuilderTest, ASkinInItsBindPoseDrawsAsTheUnskinnedMeshAndFollowsItsJoints) {
  Scene s = SkinnedScene();
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  ASSERT_TRUE(root->IsA(TJoint_I::kClassId));
  auto* arm = static_cast<TJoint_I*>(Child(root, 0));
  auto* body = static_cast<TJoint_I*>(Child(root, 1));
  ASSERT_TRUE(arm->IsA(TJoint_I::kClassId) && body->IsA(TJoint_I::kClassId));
  EXPECT_EQ(Name(arm), "arm");
  auto* g = static_cast<TSkinPolygonGeometry_I*>(Child(body, 0));
  ASSERT_TRUE(g->IsA(TSkinPolygonGeometry_I::kClassId));
  // The bones in the file's order, then the mesh's own node for the vertex no bone weighs.
  ASSERT_EQ(g->m_joints.Count(), 3);
  EXPECT_EQ(g->m_joints[0].Get(), arm);
  EXPECT_EQ(g->m_joints[1].Get(), root.Get());
  EXPECT_EQ(g->m_joints[2].Get(), body);
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  ASSERT_EQ(skin->GetVertexDataCount(), 3);
  auto weights = [&](int j) { return static_cast<VertexDataF32_I*>(skin->m_vertexData[j].Get())->m_data; };
  // Each vertex's weights sum to 1.
  EXPECT_EQ(weights(0)[0], 0.5f);
  EXPECT_EQ(weights(1)[0], 0.5f);
  EXPECT_EQ(weights(0)[1], 1);
  EXPECT_EQ(weights(2)[2], 1);
  EXPECT_EQ(weights(1)[3], 1);
  EXPECT_EQ(weights(2)[0] + weights(2)[1] + weights(2)[3], 0);

  // In the bind pose each vertex stands where the unskinned mesh under its node would.
  const Matrix4f bodyWorld = WorldOf(body);
  std::vector<Vector3f> bound = Skinned(g);
  for (int32_t v = 0; v < 4; ++v) {
    Vector3f want;
    Matrix4fC::TransformPoint(want, skin->m_vertices[v], bodyWorld);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR((&bound[size_t(v)].x)[c], (&want.x)[c], 1e-5f) << "vertex " << v;
  }
  // The arm one up: its vertex follows it whole, the shared one half way, the others stay.
  static_cast<SJoint_I*>(arm->GetSNode())->SetTranslation({0, 3, 0});
  const std::vector<Vector3f> moved = Skinned(g);
  const float rise[4] = {0.5f, 1, 0, 0};
  for (size_t v = 0; v < 4; ++v) {
    EXPECT_NEAR(moved[v].y - bound[v].y, rise[v], 1e-5f) << "vertex " << v;
    EXPECT_NEAR(moved[v].x, bound[v].x, 1e-5f) << "vertex " << v;
  }
}

// A Blender rig as its FBX files hold it: the bones and the mesh's node under a node scaled by 100. The
// joints keep their parent's scaling (a file's node stands at its parent's matrix times its own), and a
// weight below the engine's threshold goes to the vertex's other bones rather than pulling the vertex
// towards the origin.
TEST_F(ModelBuilderTest, AJointKeepsItsParentsScalingAndTooSmallAWeightGoesToTheOtherBones) {
  Scene s;
  s.nodes = {MakeNode("rig", -1), MakeNode("bone", 0), MakeNode("mesh", 0, {0}), MakeNode("tip", 1)};
  s.nodes[0].matrix[0] = s.nodes[0].matrix[5] = s.nodes[0].matrix[10] = 100;
  s.nodes[1].matrix[7] = s.nodes[3].matrix[7] = 0.01f;  // one unit up in the world, each
  s.meshes = {MakeMesh("skin")};
  s.materials.resize(1);
  Import::Bone bone, tip;
  bone.node = 1;
  bone.offset[7] = -0.01f;  // the bone's world matrix inverted, times the mesh's: the bind pose
  bone.vertices = {0, 1};
  bone.weights = {1, 1};
  tip.node = 3;  // the identity offset: far from its bind pose, it would pull the vertex it weighs
  tip.vertices = {1};
  tip.weights = {1e-4f};
  s.skins.emplace_back().bones = {bone, tip};
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  auto* g = As<TSkinPolygonGeometry_I>(Child(Child(root, 1), 0));
  ASSERT_NE(g, nullptr);
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  auto weights = [&](int j) { return static_cast<VertexDataF32_I*>(skin->m_vertexData[j].Get())->m_data; };
  EXPECT_EQ(weights(0)[1], 1);
  EXPECT_EQ(weights(1)[1], 0);
  // Where the engine draws it: the vertices the bone weighs, and the one no bone weighs, as the unskinned
  // mesh under the scaled node.
  const std::vector<Vector3f> drawn = Skinned(g);
  const Vector3f want[3] = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}};
  ASSERT_EQ(drawn.size(), 3u);
  for (size_t v = 0; v < 3; ++v)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR((&drawn[v].x)[c], (&want[v].x)[c], 1e-4f) << "vertex " << v;
}

// A mesh's morph targets become blend shapes of skinned geometry: without a skin, a skinned geometry with
// no joints under the mesh's own node (which stays a transform), drawn there with the blends applied.
TEST_F(ModelBuilderTest, MorphTargetsBecomeBlendShapesWeightedByNamedBlendControls) {
  Scene s;
  s.nodes = {MakeNode("root", -1), MakeNode("head", 0, {0})};
  Import::Mesh face = MakeMesh("face");
  Import::MorphTarget& smile = face.targets.emplace_back();
  smile.name = "smile";
  smile.weight = 0.5f;
  smile.positionDeltas = {0, 0, 2, 0, 0, 0, 0, 0, -4};
  smile.normalDeltas = {0, 1, 0, 0, 0, 0, 0, 0, 0};
  Import::MorphTarget& nameless = face.targets.emplace_back();
  nameless.weight = std::nanf("");
  nameless.positionDeltas = std::vector<float>(9, 1);
  Import::MorphTarget again = face.targets[0];  // a name given twice gets the next free one
  again.weight = 0;
  face.targets.push_back(again);
  s.meshes = {face};
  s.materials.resize(1);
  Obj<ScriptObject> root = Build(s, "face.glb");
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(TakeLog(),
            "Warn  Import(\"face.glb\"): 1 morph weight is not a number; a target's default counts as 0 and a "
            "key's is left out.\n");
  auto* head = Child(root, 0);
  EXPECT_FALSE(head->IsA(TJoint_I::kClassId));
  auto* g = As<TSkinPolygonGeometry_I>(Child(head, 0));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->m_joints.Count(), 0);
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  ASSERT_EQ(skin->m_blendControls.Count(), 3);
  const char* names[] = {"smile", "face_target1", "smile_2"};
  const float weights[] = {0.5f, 0, 0};
  for (int32_t k = 0; k < 3; ++k) {
    auto* control = As<BlendControl_I>(skin->m_blendControls[k].Get());
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(Name(control), names[k]);
    EXPECT_EQ(control->m_weight, weights[k]);
  }
  // Position and normal deltas of each target, in the usage words of its blend.
  std::vector<uint32_t> usages;
  for (int32_t i = 0; i < skin->GetVertexDataCount(); ++i) usages.push_back(skin->m_vertexData[i]->m_usage);
  EXPECT_EQ(usages, (std::vector<uint32_t>{0xA0000, 0xB0000, 0xA0001, 0xA0002, 0xB0002}));

  RecordingRenderEngine engine;
  ASSERT_EQ(skin->DrawSkinned(&engine, g->m_joints, &g->m_colorMul), 1);
  const RecordedDraw& d = engine.draws.back();
  EXPECT_EQ(d.positions, (std::vector<Vector3f>{{0, 0, 1}, {1, 0, 0}, {0, 1, -2}}));
  EXPECT_EQ(d.normals[0], (Vector3f{0, 0.5f, 1}));
  static_cast<BlendControl_I*>(skin->m_blendControls[1].Get())->m_weight = 1;
  ASSERT_EQ(skin->DrawSkinned(&engine, g->m_joints, &g->m_colorMul), 1);
  EXPECT_EQ(engine.draws.back().positions, (std::vector<Vector3f>{{1, 1, 2}, {2, 1, 1}, {1, 2, -1}}));
}

// A skinned mesh keeps its joints' weight streams and adds its blends after them.
TEST_F(ModelBuilderTest, ASkinWithMorphTargetsBlendsBeforeItsJoints) {
  Scene s = SkinnedScene();
  Import::MorphTarget& t = s.meshes[0].targets.emplace_back();
  t.name = "grow";
  t.weight = 1;
  t.positionDeltas = std::vector<float>(12, 0.5f);
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  auto* g = static_cast<TSkinPolygonGeometry_I*>(Child(Child(root, 1), 0));
  ASSERT_TRUE(g->IsA(TSkinPolygonGeometry_I::kClassId));
  EXPECT_EQ(g->m_joints.Count(), 3);
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  ASSERT_EQ(skin->GetVertexDataCount(), 4);
  EXPECT_EQ(skin->m_vertexData[3]->m_usage, 0xA0000u);
  ASSERT_EQ(skin->m_blendControls.Count(), 1);
  Vector3f p;
  skin->GetBlendedPosition(3, &p);
  EXPECT_EQ(p, (Vector3f{1.5f, 1.5f, 1.5f}));
}

// The placement transform a camera or light hangs under, and its local matrix (rows x, y, z, translation).
Matrix4f PlacementOf(ScriptObject* leaf) {
  auto* place = static_cast<TNode_I*>(leaf)->GetParent();
  return static_cast<STransform_I*>(place->GetSNode())->GetLocalMatrix();
}

void ExpectRow(const Matrix4f& m, int row, Vector3f want, float sign = 1) {
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(sign * m.m[row * 4 + c], (&want.x)[c], 1e-5f) << "row " << row;
}

TEST_F(ModelBuilderTest, CamerasLookAlongTheFilesDirectionWithTheVerticalAngle) {
  Scene s;
  s.nodes = {MakeNode("root", -1), MakeNode("cam", 0)};
  Import::Camera c;
  c.name = "cam";
  c.node = 1;
  c.position[0] = 1, c.position[1] = 2, c.position[2] = 3;
  c.lookAt[0] = 4, c.lookAt[2] = 0;       // along +x, not of unit length
  c.up[0] = 1, c.up[1] = 0, c.up[2] = 1;  // not square to the direction
  c.horizontalFov = 3.14159265f / 2;
  c.aspect = 2;
  s.cameras.push_back(c);
  c.name = "plain";  // no aspect: the vertical angle is the horizontal one
  c.aspect = 0;
  s.cameras.push_back(c);
  c.name = "odd";  // no direction, an up along it, an angle that is no number: the engine's defaults
  c.lookAt[0] = c.lookAt[1] = c.lookAt[2] = 0;
  c.up[0] = c.up[1] = c.up[2] = 0;
  c.horizontalFov = std::nanf("");
  s.cameras.push_back(c);
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  ScriptObject* node = Child(root, 0);
  ASSERT_EQ(Branch(node)->ChildCount(), 3);
  ScriptObject* place = Child(node, 0);
  EXPECT_EQ(Name(place), "cam_2");
  ScriptObject* camera = Child(place, 0);
  ASSERT_TRUE(camera->IsA(TCamera_I::kClassId));
  EXPECT_EQ(Name(camera), "cam");
  auto* lens = static_cast<SCamera_I*>(static_cast<TCamera_I*>(camera)->GetSNode());
  EXPECT_EQ(Name(lens), "cam_3");
  // 2 atan(tan(45 degrees) / 2)
  EXPECT_NEAR(lens->m_fieldOfView, 53.130102f, 1e-4f);
  const Matrix4f m = PlacementOf(camera);
  ExpectRow(m, 2, {1, 0, 0}, -1);  // the engine's camera looks along -z
  ExpectRow(m, 1, {0, 0, 1});
  ExpectRow(m, 0, {0, -1, 0});  // right, seen along +x with +z up
  ExpectRow(m, 3, {1, 2, 3});
  auto* plain = static_cast<SCamera_I*>(static_cast<TNode_I*>(Child(Child(node, 1), 0))->GetSNode());
  EXPECT_NEAR(plain->m_fieldOfView, 90, 1e-4f);
  ScriptObject* odd = Child(Child(node, 2), 0);
  EXPECT_EQ(static_cast<SCamera_I*>(static_cast<TNode_I*>(odd)->GetSNode())->m_fieldOfView, 45);
  const Matrix4f o = PlacementOf(odd);
  ExpectRow(o, 2, {0, 0, 1});
  ExpectRow(o, 1, {0, 1, 0});
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ModelBuilderTest, LightsBecomeTheEnginesTypesAndPastEightAreOff) {
  Scene s;
  s.nodes = {MakeNode("root", -1), MakeNode("lamps", 0)};
  auto add = [&](const char* name, uint8_t type) -> Import::Light& {
    Import::Light& l = s.lights.emplace_back();
    l.name = name;
    l.node = 1;
    l.type = type;
    return l;
  };
  Import::Light& sun = add("sun", 1);
  sun.direction[0] = 0, sun.direction[1] = -2, sun.direction[2] = 0;
  sun.color[0] = 4, sun.color[1] = 2, sun.color[2] = -1;  // brighter than 1, and a negative part
  Import::Light& sky = add("sky", 4);                     // Assimp's ambient colour where the diffuse is black
  sky.color[0] = sky.color[1] = sky.color[2] = 0;
  sky.ambient[0] = 0.25f, sky.ambient[1] = 0.5f, sky.ambient[2] = 0.75f;
  add("spot", 3).position[2] = 5;
  add("panel", 5);
  const char* points[] = {"p1", "p2", "p3", "p4", "p5", "p6", "p7"};
  for (const char* p : points) add(p, 2);
  int saved = g_LogLevel;
  g_LogLevel = 0;
  Obj<ScriptObject> root = Build(s);
  g_LogLevel = saved;
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(TakeLog(),
            "Info  Import(\"model.glb\"): 2 spot or area lights are drawn as a point light (the engines draw no "
            "cone): \"spot\", \"panel\".\n"
            "Info  Import(\"model.glb\"): the engines light with 8 lights at once; 2 lights are switched off "
            "(Visibility 0): \"p6\", \"p7\".\n");
  ScriptObject* node = Child(root, 0);
  ASSERT_EQ(Branch(node)->ChildCount(), int32_t(s.lights.size()));
  auto light = [&](int i) { return static_cast<TLight_I*>(Child(Child(node, i), 0)); };
  auto settings = [&](int i) { return static_cast<SLight_I*>(light(i)->GetSNode()); };
  EXPECT_EQ(settings(0)->m_type, SLight_I::kTypeDirectional);
  EXPECT_EQ(settings(0)->m_color, (Vector3f{1, 0.5f, 0}));
  ExpectRow(PlacementOf(light(0)), 2, {0, -1, 0}, -1);  // it shines along -z
  EXPECT_EQ(settings(1)->m_type, SLight_I::kTypeAmbient);
  EXPECT_EQ(settings(1)->m_color, (Vector3f{0.25f, 0.5f, 0.75f}));
  EXPECT_EQ(settings(2)->m_type, SLight_I::kTypePoint);
  ExpectRow(PlacementOf(light(2)), 3, {0, 0, 5});
  EXPECT_EQ(settings(3)->m_type, SLight_I::kTypePoint);
  for (int i = 0; i < int(s.lights.size()); ++i) {
    EXPECT_EQ(Name(light(i)), s.lights[size_t(i)].name);
    EXPECT_EQ(settings(i)->m_visibility, i < 9 ? 1u : 0u) << i;  // the ambient one does not count
  }
}

// Every import begins with the up turn "ModelUp": the identity for a Y-up file, else the file's up axis to
// +Y and its front to +Z (without a front, the one a turn about a single axis keeps).
TEST_F(ModelBuilderTest, TheUpTurnIsOneNamedTransformOverTheFilesRoot) {
  Scene s;
  s.nodes = {MakeNode("ModelUp", -1, {0})};  // the file's own node of that name gives way
  s.meshes = {MakeMesh("m")};
  Obj<ScriptObject> root = Build(s);
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(Name(m_up), "ModelUp");
  EXPECT_EQ(Name(static_cast<TNode_I*>(m_up.Get())->GetSNode()), "SModelUp");
  EXPECT_TRUE(m_up->IsA(TTransform_I::kClassId));
  EXPECT_EQ(Name(root), "ModelUp_2");
  EXPECT_EQ(Turned({1, 2, 3}), (Vector3f{1, 2, 3}));
  EXPECT_EQ(TakeLog(), "");
  struct Case {
    Axis up, front;
    Vector3f x, y, z;  // where the file's axes go
  } cases[] = {
      {Axis::PlusZ, Axis::None, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  // Z-up: -Y faces +Z
      {Axis::MinusZ, Axis::None, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
      {Axis::PlusX, Axis::None, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
      {Axis::MinusX, Axis::None, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
      {Axis::MinusY, Axis::None, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
      {Axis::PlusZ, Axis::PlusX, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  // the metadata's front +X to +Z
      {Axis::PlusY, Axis::PlusZ, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {Axis::PlusZ, Axis::MinusZ, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  // a front along the up axis counts as none
  };
  for (const Case& c : cases) {
    s.upAxis = c.up;
    s.frontAxis = c.front;
    s.upFrom = "a test's word";
    Build(s, "up.blend");
    for (const auto& [from, to] :
         {std::pair{Vector3f{1, 0, 0}, c.x}, {Vector3f{0, 1, 0}, c.y}, {Vector3f{0, 0, 1}, c.z}}) {
      const Vector3f got = Turned(from);
      EXPECT_LT((got - to).Length(), 1e-6f) << int(c.up) << " " << int(c.front) << ": " << from.x << from.y << from.z;
    }
  }
  static constexpr const char* kNames[] = {"+X", "+Y", "+Z", "-X", "-Y", "-Z"};
  std::string expected;
  for (const Case& c : cases)
    if (c.up != Axis::PlusY)
      expected += std::string("Info  Import(\"up.blend\"): up is ") + kNames[int(c.up)] +
                  " (a test's word); the transform \"ModelUp\" turns it to +Y.\n";
  EXPECT_EQ(TakeLog(), expected);
}

// Materials no file means as they read: opacity 0 without a texture to shape it is drawn opaque (one Warn
// for the file naming them); a texture on a set the mesh lacks reads set 0 (one Warn naming the meshes);
// an emissive colour scaling a texture the engines do not draw is left out; the reader's warnings are told.
TEST_F(ModelBuilderTest, MaterialsThatWouldVanishOrWashOutAreDrawnAndNamed) {
  Scene s;
  s.nodes = {MakeNode("root", -1, {0, 1, 2, 3, 4})};
  s.meshes = {MakeMesh("zero"), MakeMesh("shaped", 3, 1), MakeMesh("alpha", 3, 2), MakeMesh("set1", 3, 3),
              MakeMesh("glow", 3, 4)};
  s.meshes[3].uv[0] = {0, 0, 1, 0, 0, 1};
  s.materials.resize(5);
  s.materials[0].name = "glass";
  s.materials[0].diffuse[3] = 0;  // a decimal comma read as 0
  s.materials[0].alphaMode = 2;
  s.materials[0].opacityZeroSlip = s.materials[1].opacityZeroSlip = true;  // as the reader marks COLLADA's
  s.materials[1].diffuse[3] = 0;
  s.materials[1].alphaMode = 2;
  s.materials[1].opacityTexture = true;  // a shape to the opacity: kept
  s.materials[2].diffuse[3] = 0.25f;     // plain translucency: kept
  s.materials[2].alphaMode = 2;
  s.materials[3].diffuseTexture = 0;
  s.materials[3].diffuseUVSet = 1;
  s.materials[4].name = "lamp";
  s.materials[4].emissive[0] = s.materials[4].emissive[1] = s.materials[4].emissive[2] = 1;
  s.materials[4].emissiveTexture = true;
  s.textures = {SmallTexture(false)};
  s.warnings = {
      "the material library \"x.mtl\" it names is missing (and so is \"m.mtl\"); its faces take the "
      "default material"};
  int saved = g_LogLevel;
  g_LogLevel = 0;
  Obj<ScriptObject> root = Build(s, "dir/m.obj");
  g_LogLevel = saved;
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(TakeLog(),
            "Warn  Import(\"dir/m.obj\"): the material \"glass\" has an opacity of 0 and no opacity or alpha "
            "texture; drawn opaque.\n"
            "Warn  Import(\"dir/m.obj\"): the mesh \"set1\" lacks the texture-coordinate set 1 its texture reads; "
            "set 0 is used.\n"
            "Info  Import(\"dir/m.obj\"): the emissive textures of \"lamp\" are not drawn, nor the emissive colour "
            "that scales them.\n"
            "Warn  Import(\"dir/m.obj\"): the material library \"x.mtl\" it names is missing (and so is \"m.mtl\"); "
            "its faces take the default material.\n");
  EXPECT_EQ(MaterialOf(Child(root, 0))->m_transparency, 0);
  EXPECT_EQ(MaterialOf(Child(root, 1))->m_transparency, 1);
  EXPECT_EQ(MaterialOf(Child(root, 2))->m_transparency, 0.75f);
  EXPECT_EQ(static_cast<ShaderTexture_I*>(ColorOf(Child(root, 3)))->m_texCoordSource, 0);
  EXPECT_EQ(MaterialOf(Child(root, 4))->m_ambientColor, (Vector3f{0, 0, 0}));
  // A mesh that has set 1 reads it; the shader of the material is its own.
  s.meshes[3].uv[1] = s.meshes[3].uv[0];
  s.nodes[0].meshes = {3};
  s.warnings.clear();
  root = Build(s);
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(static_cast<ShaderTexture_I*>(ColorOf(Child(root, 0)))->m_texCoordSource, 1);
}

// Where the file names no alpha mode (AC3D), the texture says it: graded alpha blends, alpha of only 0 and
// 255 cuts out. An opacity of 0 hides the faces unless the format is one of a known slip; faces are culled
// where the file says one-sided, drawn from both sides where it cannot say.
TEST_F(ModelBuilderTest, TheFileOrItsTextureSaysWhatIsHiddenBlendedCutOrOneSided) {
  Scene s;
  s.nodes = {MakeNode("root", -1, {0, 1, 2, 3})};
  s.meshes = {MakeMesh("soft", 3, 0), MakeMesh("hard", 3, 1), MakeMesh("hidden", 3, 2), MakeMesh("unsaid", 3, 3)};
  s.meshes[0].uv[0] = s.meshes[1].uv[0] = {0, 0, 1, 0, 0, 1};
  s.materials.resize(4);
  s.materials[0].diffuseTexture = 0;
  s.materials[1].diffuseTexture = 1;
  s.materials[2].diffuse[3] = 0;  // AC3D's trans 1
  s.materials[2].alphaMode = 2;
  s.materials[3].sidesUnknown = true;
  Import::Texture binary = SmallTexture(true);
  binary.rgba[23] = 0;
  binary.source = "binary.png";
  s.textures = {SmallTexture(true), binary};
  Obj<ScriptObject> root = Build(s, "m.ac");
  ASSERT_FALSE(root.IsNil());
  EXPECT_EQ(TakeLog(), "");  // nothing drawn otherwise than the file says
  auto* soft = static_cast<ShaderTexture_I*>(ColorOf(Child(root, 0)));
  auto* hard = static_cast<ShaderTexture_I*>(ColorOf(Child(root, 1)));
  EXPECT_EQ(soft->m_texture->GetAlphaMode(), Import::kTextureAlphaBlend);
  EXPECT_GT(MaterialOf(Child(root, 0))->m_transparency, 0);  // sorted with the engine's transparent geometry
  EXPECT_EQ(hard->m_texture->GetAlphaMode(), Import::kTextureAlphaMask);
  EXPECT_EQ(MaterialOf(Child(root, 1))->m_transparency, 0);
  EXPECT_EQ(MaterialOf(Child(root, 2))->m_transparency, 1);  // hidden, as the file says
  EXPECT_TRUE(ShaderOf(Child(root, 0))->m_cullEnable);       // the file says one-sided
  EXPECT_FALSE(ShaderOf(Child(root, 3))->m_cullEnable);      // it cannot say: both sides
  // The same opacity from a format of the known slip is drawn opaque.
  s.materials[2].opacityZeroSlip = true;
  root = Build(s, "m.dae");
  EXPECT_EQ(MaterialOf(Child(root, 2))->m_transparency, 0);
  EXPECT_NE(TakeLog().find("drawn opaque"), std::string::npos);
}

// An orthographic camera comes in as a perspective one where it stands, spanning at the model's centre
// the height the orthographic one spans, with one Warn.
TEST_F(ModelBuilderTest, AnOrthographicCameraBecomesAPerspectiveOneFramingTheSameHeight) {
  Scene s;
  s.nodes = {MakeNode("root", -1), MakeNode("model", 0, {0}), MakeNode("eye", 0)};
  s.nodes[1].matrix[11] = -1;  // the model in the plane z = -1
  s.nodes[2].matrix[11] = 2;   // the camera at z = 2, looking along -z
  s.meshes = {MakeMesh("m")};
  Import::Camera c;
  c.name = "flat";
  c.node = 2;
  c.lookAt[2] = -1;
  c.orthographicWidth = 2;
  c.aspect = 2;  // a half height of 1
  s.cameras = {c};
  Obj<ScriptObject> root = Build(s, "cam.gltf");
  ASSERT_FALSE(root.IsNil());
  const double distance = 3;  // from z = 2 to the model's centre at z = -1
  const double degrees = 2 * std::atan(1 / distance) * 180 / 3.14159265358979323846;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", degrees);
  EXPECT_EQ(TakeLog(), std::string("Warn  Import(\"cam.gltf\"): the camera \"flat\" is orthographic, which the "
                                   "engines do not draw; it comes in as a perspective camera of ") +
                           text + " degrees framing its height at the model's centre.\n");
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  int cameras = 0;
  for (const Obj<ScriptObject>& n : nodes) {
    if (!n->IsA(TCamera_I::kClassId)) continue;
    ++cameras;
    EXPECT_NEAR(static_cast<SCamera_I*>(static_cast<TNode_I*>(n.Get())->GetSNode())->GetFieldOfView(), degrees, 1e-3);
  }
  EXPECT_EQ(cameras, 1);
}

}  // namespace
}  // namespace PM::Test
